#include "mainwindow/core/PlaybackTypes.h"

#include <filesystem>
#include <system_error>

namespace {

struct FitOffsets {
  int dx = 0, dy = 0;
  int width = -1, height = -1;  // -1: unchanged
};

FitOffsets ComputeFit(const LayoutRect& panel, int vw, int vh) {
  FitOffsets f;
  if (vw <= 0 || vh <= 0) return f;
  const std::int64_t w = panel.Width();
  const std::int64_t h = panel.Height();
  if (w <= 0 || h <= 0) return f;
  if (h * vw > w * vh) {
    const int fitted = static_cast<int>(w * vh / vw);
    f.dy = static_cast<int>((h - fitted) / 2);
    f.height = fitted;
  } else if (h * vw < w * vh) {
    const int fitted = static_cast<int>(h * vw / vh);
    f.dx = static_cast<int>((w - fitted) / 2);
    f.width = fitted;
  }
  return f;
}

LayoutRect Apply(const LayoutRect& r, const FitOffsets& f) {
  LayoutRect out = r;
  out.left += f.dx;
  out.top += f.dy;
  out.right = f.width >= 0 ? out.left + f.width : r.right;
  out.bottom = f.height >= 0 ? out.top + f.height : r.bottom;
  return out;
}

bool IsExistingFile(const std::string& path) {
  std::error_code ec;
  const auto st = std::filesystem::status(path, ec);
  return !ec && std::filesystem::exists(st) && !std::filesystem::is_directory(st);
}

}  // namespace

LayoutRect FitPictureRect(const LayoutRect& panel, int videoWidth, int videoHeight) {
  return Apply(panel, ComputeFit(panel, videoWidth, videoHeight));
}

LayoutRect FitLikeReference(const LayoutRect& reference, const LayoutRect& other, int videoWidth,
                            int videoHeight) {
  return Apply(other, ComputeFit(reference, videoWidth, videoHeight));
}

std::string FindCompanionFile(const std::string& path) {
  const auto dot = path.rfind('.');
  const auto slash = path.rfind('/');
  // No extension, or the character before the dot is a separator: there is
  // no camera letter to swap.
  if (dot == std::string::npos || dot == 0) return {};
  if (slash != std::string::npos && (dot < slash || dot == slash + 1)) return {};

  std::string s = path;
  s[dot - 1] = 'R';
  // The first camera's own file is never its companion.
  if (s != path && IsExistingFile(s)) return s;

  if (slash == std::string::npos) return {};
  // The last character of the parent folder's name, looked for among the
  // separator itself and at most three characters before it.
  for (std::size_t k = 0; k < 4 && k <= slash; ++k) {
    const std::size_t i = slash - k;
    if (s[i] == '/') continue;
    s[i] = 'R';
    break;
  }
  if (s != path && IsExistingFile(s)) return s;
  return {};
}

#include "telemetry/SidecarFile.h"

#include <system_error>

#include "telemetry/ByteReader.h"

namespace {

constexpr std::uint64_t kMaxSidecar = 64ull << 20;

bool ReadPrefix(const std::filesystem::path& path, std::uint64_t limit, bool wholeOnly,
                std::string& text) {
  FileHandle file;
  if (!file.Open(path)) return false;
  ByteReader r(file);
  if (!r.Ok()) return false;
  if (wholeOnly && r.Size() > limit) return false;
  const std::uint64_t n = r.Size() < limit ? r.Size() : limit;
  text.assign(static_cast<std::size_t>(n), '\0');
  return r.Read(text.data(), text.size());
}

}  // namespace

std::filesystem::path FindSidecar(const std::filesystem::path& recording,
                                  std::initializer_list<const char*> extensions) {
  for (const char* ext : extensions) {
    std::filesystem::path candidate = recording;
    candidate.replace_extension(ext);
    std::error_code ec;
    if (candidate != recording && std::filesystem::is_regular_file(candidate, ec)) return candidate;
  }
  return {};
}

bool ReadSidecar(const std::filesystem::path& path, std::string& text) {
  return ReadPrefix(path, kMaxSidecar, true, text);
}

bool ReadSidecarHead(const std::filesystem::path& path, std::size_t count, std::string& text) {
  return ReadPrefix(path, count, false, text);
}

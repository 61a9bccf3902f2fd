#include "mpris/MprisNames.h"

#include <QUrl>

namespace {
const QString kTrackPrefix = QStringLiteral("/org/vantrel/track/");
}

QString MprisFileUrl(const std::string& utf8Path) {
  if (utf8Path.empty()) return {};
  return QString::fromUtf8(QUrl::fromLocalFile(QString::fromStdString(utf8Path)).toEncoded());
}

std::optional<std::string> MprisLocalPath(const QString& uri) {
  const QUrl url(uri, QUrl::StrictMode);
  // isLocalFile() also accepts file://host/...; a path on another machine
  // cannot be opened here.
  if (!url.isValid() || !url.isLocalFile() || !url.host().isEmpty()) return std::nullopt;
  const QString path = url.toLocalFile();
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

QString MprisTrackId(int track) {
  if (track < 0) return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
  return kTrackPrefix + QString::number(track);
}

std::optional<int> MprisTrackOf(const QString& trackId) {
  if (!trackId.startsWith(kTrackPrefix)) return std::nullopt;
  const QString digits = trackId.mid(kTrackPrefix.size());
  bool ok = false;
  const int track = digits.toInt(&ok);
  // Only the exact spelling MprisTrackId makes ("07" or "+7" name nothing).
  if (!ok || track < 0 || QString::number(track) != digits) return std::nullopt;
  return track;
}

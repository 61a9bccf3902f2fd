#include "mpris/MprisPlayerAdaptor.h"

#include <algorithm>
#include <cmath>

#include <QDBusConnection>
#include <QDBusError>
#include <QFileInfo>

#include "mpris/MprisNames.h"

namespace {
bool HasTrack(const MprisState& s) { return !s.path.empty() && s.track >= 0; }
}  // namespace

QString MprisPlayerAdaptor::PlaybackStatus() const {
  switch (m_target.State().status) {
    case MprisStatus::Playing:
      return QStringLiteral("Playing");
    case MprisStatus::Paused:
      return QStringLiteral("Paused");
    case MprisStatus::Stopped:
      break;
  }
  return QStringLiteral("Stopped");
}

void MprisPlayerAdaptor::SetRate(double rate) {
  if (std::isnan(rate) || rate < 0) return;
  if (rate == 0) {
    m_target.Pause();
    return;
  }
  m_target.SetRate(std::clamp(rate, kMprisMinimumRate, kMprisMaximumRate));
}

QVariantMap MprisPlayerAdaptor::Metadata() const {
  const MprisState s = m_target.State();
  QVariantMap map;
  const int track = HasTrack(s) ? s.track : -1;
  map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(MprisTrackId(track))));
  if (track < 0) return map;
  map.insert(QStringLiteral("mpris:length"), qlonglong(s.lengthUs));
  map.insert(QStringLiteral("xesam:url"), MprisFileUrl(s.path));
  map.insert(QStringLiteral("xesam:title"), QFileInfo(QString::fromStdString(s.path)).fileName());
  return map;
}

void MprisPlayerAdaptor::Seek(qlonglong Offset) {
  const MprisState s = m_target.State();
  if (!HasTrack(s)) return;
  // Compared against the distances to either end, so that no sum of the
  // client's offset and the position can overflow.
  const qint64 position = std::max<qint64>(s.positionUs, 0);
  if (s.lengthUs > 0 && Offset > std::max<qint64>(s.lengthUs - position, 0)) {
    m_target.Next();
    return;
  }
  m_target.Seek(std::max<qint64>(Offset, -position));
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
  const MprisState s = m_target.State();
  const auto track = MprisTrackOf(TrackId.path());
  if (!HasTrack(s) || track != s.track) return;
  if (Position < 0 || Position > s.lengthUs) return;
  m_target.SetPosition(*track, Position);
}

void MprisPlayerAdaptor::OpenUri(const QString& Uri, const QDBusMessage& message) {
  const auto path = MprisLocalPath(Uri);
  if (!path) {
    // The error replaces the empty reply Qt would send on return.
    message.setDelayedReply(true);
    QDBusConnection::sessionBus().send(message.createErrorReply(
        QDBusError::NotSupported, QStringLiteral("only local file:// URIs can be opened")));
    return;
  }
  m_target.OpenPath(*path);
}

#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

#include "mpris/MprisTarget.h"

// org.mpris.MediaPlayer2.Player: transport, position, rate and what is
// playing (channel 1). Requests a client may send out of range are brought
// into range here, so the target only sees sound ones.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(QString LoopStatus READ LoopStatus)
  Q_PROPERTY(double Rate READ Rate WRITE SetRate)
  Q_PROPERTY(bool Shuffle READ Shuffle)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(double MinimumRate READ MinimumRate)
  Q_PROPERTY(double MaximumRate READ MaximumRate)
  Q_PROPERTY(bool CanGoNext READ CanControl)
  Q_PROPERTY(bool CanGoPrevious READ CanControl)
  Q_PROPERTY(bool CanPlay READ CanControl)
  Q_PROPERTY(bool CanPause READ CanControl)
  Q_PROPERTY(bool CanSeek READ CanControl)
  Q_PROPERTY(bool CanControl READ CanControl)

 public:
  MprisPlayerAdaptor(QObject* object, MprisTarget& target)
      : QDBusAbstractAdaptor(object), m_target(target) {}

  QString PlaybackStatus() const;
  QString LoopStatus() const { return QStringLiteral("None"); }
  double Rate() const { return m_target.State().rate; }
  // 0 pauses; other rates are clamped to the supported range; a negative
  // or NaN rate is ignored (no reverse play).
  void SetRate(double rate);
  bool Shuffle() const { return false; }
  // mpris:trackid always; mpris:length, xesam:url and xesam:title while a
  // recording is open.
  QVariantMap Metadata() const;
  double Volume() const { return 1.0; }
  qlonglong Position() const { return m_target.State().positionUs; }
  double MinimumRate() const { return kMprisMinimumRate; }
  double MaximumRate() const { return kMprisMaximumRate; }
  bool CanControl() const { return true; }

 public slots:
  void Play() { m_target.Play(); }
  void Pause() { m_target.Pause(); }
  void PlayPause() { m_target.PlayPause(); }
  void Stop() { m_target.Stop(); }
  void Next() { m_target.Next(); }
  void Previous() { m_target.Previous(); }
  // Past the end moves to the next recording; before the start lands on 0.
  void Seek(qlonglong Offset);
  // Ignored unless TrackId names the playing recording and Position lies
  // within it.
  void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);
  // file:// URIs of local folders or files; anything else is answered
  // with an error (the message is the call, to reply to).
  void OpenUri(const QString& Uri, const QDBusMessage& message);

 signals:
  void Seeked(qlonglong Position);

 private:
  MprisTarget& m_target;
};

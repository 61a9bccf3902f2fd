#pragma once

#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "mpris/MprisTarget.h"

class QDBusAbstractAdaptor;
class MprisPlayerAdaptor;

// Publishes the player on the D-Bus session bus: bus name
// org.mpris.MediaPlayer2.vantrel (…vantrel.instance<pid> when another player
// holds it), object /org/mpris/MediaPlayer2 with the interfaces
// org.mpris.MediaPlayer2, org.mpris.MediaPlayer2.Player and org.vantrel.Drive.
// Requests arrive on this object's thread and go to the target.
//
// Without a session bus (DBUS_SESSION_BUS_ADDRESS unset, or no connection,
// or the object cannot be registered) the service stays inactive, says so
// once per process on stderr, and every slot does nothing.
class MprisService : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kBusName = "org.mpris.MediaPlayer2.vantrel";
  static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

  explicit MprisService(MprisTarget& target, QObject* parent = nullptr);
  ~MprisService() override;
  MprisService(const MprisService&) = delete;
  MprisService& operator=(const MprisService&) = delete;

  bool IsActive() const { return !m_busName.isEmpty(); }
  // The name the service holds on the bus; "" when inactive.
  QString BusName() const { return m_busName; }

 public slots:
  // Call after each change of the player's state: compares the published
  // properties with what clients saw last and sends PropertiesChanged for
  // the ones that differ (positions are read on demand, not signalled).
  void Changed();
  // Call after a seek or a jump, with the new position of channel 1.
  void EmitSeeked(qint64 positionUs);

 private:
  // The properties of one interface whose changes clients are told about.
  struct Watched {
    QDBusAbstractAdaptor* adaptor;
    QString interface;
    QStringList names;
    QVariantMap last;
  };

  bool Register();
  static QVariantMap Read(const Watched& watched);

  MprisPlayerAdaptor* m_player = nullptr;
  std::vector<Watched> m_watched;
  QString m_busName;
};

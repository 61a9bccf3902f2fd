#include "mpris/MprisService.h"

#include <atomic>
#include <cstdio>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMetaProperty>
#include <unistd.h>

#include "mpris/MprisDriveAdaptor.h"
#include "mpris/MprisPlayerAdaptor.h"
#include "mpris/MprisRootAdaptor.h"

namespace {

// One line per process, however many services come and go.
void ReportInactive(const QString& why) {
  static std::atomic<bool> reported{false};
  if (reported.exchange(true)) return;
  std::fprintf(stderr, "vantrel: remote control over D-Bus is off: %s\n", qUtf8Printable(why));
}

}  // namespace

MprisService::MprisService(MprisTarget& target, QObject* parent) : QObject(parent) {
  new MprisRootAdaptor(this, target);
  m_player = new MprisPlayerAdaptor(this, target);
  auto* drive = new MprisDriveAdaptor(this, target);
  m_watched.push_back({m_player, QStringLiteral("org.mpris.MediaPlayer2.Player"),
                       {QStringLiteral("PlaybackStatus"), QStringLiteral("Metadata"), QStringLiteral("Rate")},
                       {}});
  m_watched.push_back({drive, QStringLiteral("org.vantrel.Drive"),
                       {QStringLiteral("CompanionUrl"), QStringLiteral("DriveNumber"),
                        QStringLiteral("DriveLength")},
                       {}});
  if (!Register()) return;
  for (Watched& w : m_watched) w.last = Read(w);
}

MprisService::~MprisService() {
  if (!IsActive()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterService(m_busName);
  bus.unregisterObject(QString::fromLatin1(kObjectPath));
}

bool MprisService::Register() {
  // Without an address libdbus would try to start a bus of its own
  // (autolaunch); a player without a session has no one to talk to anyway.
  if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
    ReportInactive(QStringLiteral("no session bus (DBUS_SESSION_BUS_ADDRESS is not set)"));
    return false;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    ReportInactive(QStringLiteral("cannot connect to the session bus: ") + bus.lastError().message());
    return false;
  }
  if (!bus.registerObject(QString::fromLatin1(kObjectPath), this, QDBusConnection::ExportAdaptors)) {
    ReportInactive(QStringLiteral("cannot register ") + QString::fromLatin1(kObjectPath));
    return false;
  }
  // A second player takes an instance name, as the naming rules for
  // several instances of one player ask.
  const QString name = QString::fromLatin1(kBusName);
  const QString instance = name + QStringLiteral(".instance") + QString::number(::getpid());
  for (const QString& candidate : {name, instance}) {
    if (bus.registerService(candidate)) {
      m_busName = candidate;
      return true;
    }
  }
  bus.unregisterObject(QString::fromLatin1(kObjectPath));
  ReportInactive(QStringLiteral("cannot own the name ") + name + QStringLiteral(": ") +
                 bus.lastError().message());
  return false;
}

QVariantMap MprisService::Read(const Watched& watched) {
  const QMetaObject* meta = watched.adaptor->metaObject();
  QVariantMap values;
  for (const QString& name : watched.names) {
    const QMetaProperty property = meta->property(meta->indexOfProperty(name.toLatin1().constData()));
    values.insert(name, property.read(watched.adaptor));
  }
  return values;
}

void MprisService::Changed() {
  if (!IsActive()) return;
  for (Watched& w : m_watched) {
    const QVariantMap now = Read(w);
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
      if (w.last.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    }
    w.last = now;
    if (changed.isEmpty()) continue;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << w.interface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
  }
}

void MprisService::EmitSeeked(qint64 positionUs) {
  if (!IsActive()) return;
  emit m_player->Seeked(positionUs);
}

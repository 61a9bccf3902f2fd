#include "mpris/MprisRootAdaptor.h"

#include <QTimer>

MprisRootAdaptor::MprisRootAdaptor(QObject* object, MprisTarget& target)
    : QDBusAbstractAdaptor(object), m_target(target) {}

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
  return {QStringLiteral("video/mp4"), QStringLiteral("video/quicktime"),
          QStringLiteral("video/x-msvideo"), QStringLiteral("video/3gpp")};
}

void MprisRootAdaptor::Raise() { m_target.Raise(); }

void MprisRootAdaptor::Quit() {
  // The reply goes out when this returns; quitting inside the call would
  // leave the client waiting for it until its timeout.
  QTimer::singleShot(0, this, [this] { m_target.Quit(); });
}

#include "mpris/MprisDriveAdaptor.h"

#include "mpris/MprisNames.h"

QString MprisDriveAdaptor::CompanionUrl() const {
  return MprisFileUrl(m_target.State().companionPath);
}

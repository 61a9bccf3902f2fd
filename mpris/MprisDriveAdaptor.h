#pragma once

#include <QDBusAbstractAdaptor>

#include "mpris/MprisTarget.h"

// org.vantrel.Drive: the rear companion and the place in the whole drive,
// which the player interface has no words for.
class MprisDriveAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.vantrel.Drive")
  Q_PROPERTY(QString CompanionUrl READ CompanionUrl)
  Q_PROPERTY(qlonglong CompanionPosition READ CompanionPosition)
  Q_PROPERTY(int DriveNumber READ DriveNumber)
  Q_PROPERTY(qlonglong DrivePosition READ DrivePosition)
  Q_PROPERTY(qlonglong DriveLength READ DriveLength)

 public:
  MprisDriveAdaptor(QObject* object, MprisTarget& target)
      : QDBusAbstractAdaptor(object), m_target(target) {}

  QString CompanionUrl() const;  // "" when there is no companion
  qlonglong CompanionPosition() const { return m_target.State().companionPositionUs; }
  int DriveNumber() const { return m_target.State().drive; }
  qlonglong DrivePosition() const { return m_target.State().drivePositionUs; }
  qlonglong DriveLength() const { return m_target.State().driveLengthUs; }

 private:
  MprisTarget& m_target;
};

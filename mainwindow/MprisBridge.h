#pragma once

#include <QObject>
#include <QTimer>

#include "mpris/MprisTarget.h"

class CZELDlg;
class MprisService;

// The main window as the remote-control service sees it: the state of the
// two channels and the drive, and the commands, run through the playback
// controller as the window's own buttons and keys do. It tells the service
// about changes by itself (a quarter-second look at the state), so the
// window's event handlers need not know about it.
class MprisBridge : public QObject, public MprisTarget {
  Q_OBJECT
 public:
  explicit MprisBridge(CZELDlg& window);
  ~MprisBridge() override;

  MprisState State() override;
  void Play() override;
  void Pause() override;
  void PlayPause() override;
  void Stop() override;
  void Next() override;
  void Previous() override;
  void Seek(std::int64_t offsetUs) override;
  void SetPosition(int track, std::int64_t positionUs) override;
  void OpenPath(const std::string& utf8Path) override;
  void SetRate(double rate) override;
  void Raise() override;
  void Quit() override;

 private:
  void Poll();
  void SeekTo(std::int64_t positionMs);

  CZELDlg& m_window;
  MprisService* m_service = nullptr;
  QTimer m_poll;
  // Where channel 1 was at the last look, to tell a jump from playing on.
  std::int64_t m_lastPositionMs = -1;
  qint64 m_lastPollMs = 0;
  int m_lastTrack = -1;
};

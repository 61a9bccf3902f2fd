#pragma once

#include <cstdint>
#include <string>

// What remote control over the session bus (media keys, desktop applets,
// scripts) sees of the player and asks of it. The main window implements
// it. The service calls State() on every request and on every Changed(),
// and calls the commands on the thread that runs the Qt event loop.

enum class MprisStatus { Stopped, Playing, Paused };

// The playback rates a client may ask for; the service keeps SetRate inside.
inline constexpr double kMprisMinimumRate = 0.3;
inline constexpr double kMprisMaximumRate = 4.0;

struct MprisState {
  MprisStatus status = MprisStatus::Stopped;
  // Channel 1 (front camera): UTF-8 local path of the playing recording,
  // "" when nothing is open; its length and the playing time.
  std::string path;
  std::int64_t lengthUs = 0;
  std::int64_t positionUs = 0;
  // Number of the recording in the list (0 or more); names the track to
  // clients and comes back in SetPosition. A negative number means none.
  int track = 0;
  double rate = 1.0;
  // Channel 2 (rear companion) playing beside it: path ("" when none) and
  // its playing time.
  std::string companionPath;
  std::int64_t companionPositionUs = 0;
  // The continuous drive the recording belongs to, the playing time from the
  // start of the drive's first recording, and the drive's length.
  int drive = 0;
  std::int64_t drivePositionUs = 0;
  std::int64_t driveLengthUs = 0;
};

class MprisTarget {
 public:
  virtual ~MprisTarget() = default;

  virtual MprisState State() = 0;

  virtual void Play() = 0;
  virtual void Pause() = 0;
  virtual void PlayPause() = 0;
  virtual void Stop() = 0;
  // The next / previous recording of the list.
  virtual void Next() = 0;
  virtual void Previous() = 0;
  // Relative seek in the playing recording. The service has already turned
  // a seek past the end into Next() and one before the start into a seek
  // to 0, so position + offsetUs lies within [0, length].
  virtual void Seek(std::int64_t offsetUs) = 0;
  // Absolute seek. The service only passes the playing track and a
  // position within [0, length]; the track lets the target drop a request
  // that raced with a change of recording.
  virtual void SetPosition(int track, std::int64_t positionUs) = 0;
  // Opens a folder or a file (local path of a file:// URI, UTF-8) as the
  // window's Open command would.
  virtual void OpenPath(const std::string& utf8Path) = 0;
  // rate lies within [kMprisMinimumRate, kMprisMaximumRate].
  virtual void SetRate(double rate) = 0;
  virtual void Raise() = 0;
  // Called from a queued call after the reply went out, so the target may
  // close the window and leave the event loop right away.
  virtual void Quit() = 0;
};

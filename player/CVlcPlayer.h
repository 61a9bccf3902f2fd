#pragma once

#include <cstdint>
#include <string>

#include "player/VlcBinding.h"

// Signature of the library's event callback: the event record (its first
// field is the event type) and the user data given to AttachEvents.
using VlcEventCallback = void (*)(const libvlc_event_t* event, void* owner);

// One player channel: a library media player drawing into one native
// window, with a small shadow of the requested playback state.
//
// Every operation first checks the binding's availability flag; when the
// library is not available it makes no call and returns its neutral value
// (-1 for times, rates and snapshots, 0 for results and flags).
//
// m_playing/m_paused record the last request made through this object, not
// the library's state: they do not change when a file ends or fails.
// All operations except GetTime and GetLength belong to the main thread;
// those two are also called from the event callbacks.
//
// While the channel shows a playing picture the library keeps the screen
// awake (screen saver inhibition of its video output); Pause and Stop let it
// sleep again. A file that played to its end keeps the inhibition until the
// next Pause, Stop or file; the main window always follows an end with one.
class CVlcPlayer {
 public:
  explicit CVlcPlayer(VlcBinding& binding = VlcBinding::Shared());
  ~CVlcPlayer();
  CVlcPlayer(const CVlcPlayer&) = delete;
  CVlcPlayer& operator=(const CVlcPlayer&) = delete;

  // Binds the video output to a native X11 window. Only honoured on the xcb
  // platform; elsewhere the library opens no window of ours.
  void SetWindow(std::uintptr_t windowId);

  // Registers the callback for the channel's events. The owner must outlive
  // the channel: the library may call back until the player is released.
  void AttachEvents(VlcEventCallback callback, void* owner);

  // Prepares a file for playback without starting it.
  void Open(const std::string& utf8Path);
  // Makes the media of the file Open will be given next and has the library
  // parse it in the background, so the switch at the end of a recording
  // finds it ready and the file's start in the page cache. Replaces an
  // earlier prepared file; Open of another file ignores it.
  void Prepare(const std::string& utf8Path);
  // Drops the media; 1 when one was held, 0 otherwise.
  int Close();

  void Play();
  void Pause();
  void Stop();

  std::int64_t GetLength();
  std::int64_t GetTime();
  void SetTime(std::int64_t ms);

  void SetMute(int on);
  // v in 0..100; the library volume is twice that.
  void SetVolume(int v);
  int SetRate(float rate);
  int TakeSnapshot(const std::string& utf8Path, unsigned num);
  int SetMarquee(int x, int y, const std::string& text, int size, int opacity,
                 std::uint32_t color, int timeout, int enable);

  int IsPlaying() const;
  int IsPaused() const;
  bool IsAvailable() const { return m_binding.IsAvailable(); }

  // Shadow values, for the main window and tests.
  int Volume() const { return m_volume; }
  float Rate() const { return m_rate; }
  const std::string& Path() const { return m_path; }
  bool HasMedia() const { return m_media != nullptr; }
  libvlc_media_player_t* Handle() const { return m_player; }
  VlcBinding& Binding() const { return m_binding; }

 private:
  void Create();
  libvlc_media_t* NewMedia(const std::string& utf8Path);
  void ReleaseMedia(libvlc_media_t*& media);

  VlcBinding& m_binding;
  libvlc_media_player_t* m_player = nullptr;
  libvlc_media_t* m_media = nullptr;
  libvlc_media_t* m_prepared = nullptr;
  std::string m_preparedPath;
  libvlc_event_manager_t* m_eventManager = nullptr;
  void* m_owner = nullptr;
  VlcEventCallback m_callback = nullptr;
  std::string m_path;
  int m_playing = 0;
  int m_paused = 1;
  int m_volume = 200;
  float m_rate = 1.0f;
};

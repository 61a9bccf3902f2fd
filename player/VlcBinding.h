#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Opaque handles of the media-player library; only pointers to them cross
// our interfaces, the library's own headers are not needed.
struct libvlc_instance_t;
struct libvlc_media_player_t;
struct libvlc_media_t;
struct libvlc_event_manager_t;
struct libvlc_event_t;
struct libvlc_log_t;

// Run-time binding to the media-player library "libvlc.so.5".
//
// The library is not linked: it is opened with dlopen and every entry point
// is looked up by its exported name at the moment of the call. The binding
// owns the loaded module, the one library instance shared by every player
// channel, and an availability flag. Once the flag is cleared (the library
// is missing, "libvlc_new" gives no instance, or a channel cannot create its
// media player) it stays cleared for the life of the binding, and every
// channel operation becomes a no-op that returns a neutral value.
//
// The player uses the process-wide binding returned by Shared(). Tests may
// build their own binding, e.g. over a library name that does not exist.
//
// The library file name is, in order of precedence: the constructor
// argument, the environment variable VANTREL_LIBVLC, "libvlc.so.5".
// Extra library arguments come from VANTREL_VLC_ARGS (separated by blanks)
// and AddArgument(); they follow the fixed ones.
//
// The library's messages reach stderr through the binding: errors are
// printed, those of the audio output are held back and a failed screen
// saver inhibition is printed once. When the library cannot
// create any audio output (a machine without a sound device, say) it would
// report that again for every audio block, thousands of lines a minute. The
// binding instead prints one line, moves every channel's media player to the
// library's silent output ("adummy") and plays on without sound. The move
// happens on the main thread (the message arrives on a library thread that
// holds the output's lock); it needs a QCoreApplication event loop, and
// players created later start on the silent output.
class VlcBinding {
 public:
  static constexpr const char* kDefaultLibraryName = "libvlc.so.5";

  explicit VlcBinding(std::string libraryName = {});
  ~VlcBinding();
  VlcBinding(const VlcBinding&) = delete;
  VlcBinding& operator=(const VlcBinding&) = delete;

  // The process-wide binding; never destroyed, so no library call happens
  // during static destruction.
  static VlcBinding& Shared();

  // Loads the library on the first call and returns the module handle.
  // A failed load clears the availability flag and leaves the handle empty.
  void* LoadModule();

  // Returns the shared instance, creating it on the first call with the
  // arguments of Arguments(). When "libvlc_new" gives no instance (its
  // plug-ins cannot be found, for example) the library is treated as
  // unavailable: a channel cannot work without an instance.
  libvlc_instance_t* GetInstance();

  bool IsAvailable() const { return m_available.load(std::memory_order_acquire); }
  void MarkUnavailable() { m_available.store(false, std::memory_order_release); }

  // Releases the shared instance and unloads the library. Called when the
  // last channel goes away; after it the binding is back to "not loaded"
  // (the availability flag is kept), so a later channel loads it afresh.
  void Release();

  // Looks the entry point up by name now. Null when the module is not
  // loaded or does not export the name. Safe from library threads.
  void* LookupSymbol(const char* name);
  template <class Fn>
  Fn* Lookup(const char* name) {
    return reinterpret_cast<Fn*>(LookupSymbol(name));
  }

  // Adds an argument for "libvlc_new"; only effective before GetInstance.
  void AddArgument(std::string argument);
  std::vector<std::string> Arguments() const;
  const std::string& LibraryName() const { return m_libraryName; }

  // Channel bookkeeping: the last channel to leave triggers Release.
  void AddChannel();
  void RemoveChannel();

  // Main thread: the media players that move to the silent output when no
  // audio output can be created.
  void RegisterPlayer(libvlc_media_player_t* player);
  void UnregisterPlayer(libvlc_media_player_t* player);
  // Set once the library could not create an audio output; stays set.
  bool AudioFailed() const { return m_audioFailed.load(); }

  // Counters, for tests and diagnostics.
  int LookupCount() const { return m_lookups.load(); }
  int NewCount() const { return m_newCalls.load(); }
  int ReleaseCount() const { return m_releaseCalls.load(); }

 private:
  static void OnLogMessage(void* data, int level, const libvlc_log_t* context, const char* format,
                           va_list args);
  void HandleError(const char* module, const char* objectType, const std::string& text);
  void OnAudioFailure();
  void UseSilentOutput(libvlc_media_player_t* player);

  std::string m_libraryName;
  std::vector<std::string> m_arguments;
  std::atomic<void*> m_module{nullptr};
  std::atomic<libvlc_instance_t*> m_instance{nullptr};
  std::atomic<bool> m_available{true};
  int m_channels = 0;
  std::atomic<int> m_lookups{0};
  std::atomic<int> m_newCalls{0};
  std::atomic<int> m_releaseCalls{0};
  std::vector<libvlc_media_player_t*> m_players;
  std::atomic<bool> m_audioFailed{false};
  std::atomic<bool> m_inhibitErrorShown{false};
  std::mutex m_audioErrorMutex;
  std::string m_lastAudioError;
  // Queued calls to the main thread hold this weakly: a binding destroyed
  // before the call runs is not touched.
  std::shared_ptr<VlcBinding*> m_self = std::make_shared<VlcBinding*>(this);
};

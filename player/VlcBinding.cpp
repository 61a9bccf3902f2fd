#include "player/VlcBinding.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

// Fixed arguments of the library instance: no interface module, no user
// configuration, no file name, no on-screen messages, no snapshot preview.
// The library's own screen saver inhibition stays on: its video output asks
// the desktop (org.freedesktop.ScreenSaver over D-Bus, else xdg-screensaver)
// to keep the screen awake while a picture plays and lets it go on pause,
// stop and end of file.
const char* const kFixedArguments[] = {
    "-I",       "dummy",  "--ignore-config",          "--no-video-title",
    "--no-osd", "--no-snapshot-preview",
};

std::string LibraryNameFromEnvironment() {
  const char* env = std::getenv("VANTREL_LIBVLC");
  if (env && *env) return env;
  return VlcBinding::kDefaultLibraryName;
}

std::vector<std::string> ArgumentsFromEnvironment() {
  std::vector<std::string> args;
  const char* env = std::getenv("VANTREL_VLC_ARGS");
  if (!env) return args;
  std::istringstream in(env);
  std::string word;
  while (in >> word) args.push_back(word);
  return args;
}

using NewFn = libvlc_instance_t*(int, const char* const*);
using ReleaseFn = void(libvlc_instance_t*);
using LogCallbackFn = void(void*, int, const libvlc_log_t*, const char*, va_list);
using LogSetFn = void(libvlc_instance_t*, LogCallbackFn*, void*);
using LogContextFn = void(const libvlc_log_t*, const char**, const char**, unsigned*);
using LogObjectFn = void(const libvlc_log_t*, const char**, const char**, std::uintptr_t*);
using AudioOutputSetFn = int(libvlc_media_player_t*, const char*);

// Level of the library's error messages; lower levels are not printed.
constexpr int kLogError = 4;
// The library's audio output that plays nothing.
constexpr const char* kSilentOutput = "adummy";
// What the decoder reports when no audio output module could be opened.
constexpr const char* kNoAudioOutput = "failed to create audio output";
constexpr const char* kAudioOutputObject = "audio output";
constexpr const char* kInhibitObject = "inhibit";

std::string FormatMessage(const char* format, va_list args) {
  char buffer[1024];
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, copy);
  va_end(copy);
  if (n < 0) return {};
  std::string text(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1));
  std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return text;
}

// The ALSA library prints its own diagnostics straight to stderr, about ten
// lines for every failed attempt to open a device, which the library repeats
// for every audio block. Its plug-in reports the failure through the library
// log as well, so ALSA's printer is silenced. The module stays loaded for the
// life of the process, so the handler holds when the library's plug-in loads
// the same module later.
void QuietAlsaPrinter(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsaDiagnostics() {
  static void* const module = [] {
    using SetHandlerFn = int(void (*)(const char*, int, const char*, int, const char*, ...));
    void* m = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    auto* set = m ? reinterpret_cast<SetHandlerFn*>(dlsym(m, "snd_lib_error_set_handler")) : nullptr;
    if (set) set(&QuietAlsaPrinter);
    return m;
  }();
  (void)module;
}

}  // namespace

VlcBinding::VlcBinding(std::string libraryName)
    : m_libraryName(libraryName.empty() ? LibraryNameFromEnvironment() : std::move(libraryName)) {
  for (const char* a : kFixedArguments) m_arguments.emplace_back(a);
  for (auto& a : ArgumentsFromEnvironment()) m_arguments.push_back(std::move(a));
}

VlcBinding::~VlcBinding() { Release(); }

VlcBinding& VlcBinding::Shared() {
  static VlcBinding* shared = new VlcBinding();
  return *shared;
}

void* VlcBinding::LoadModule() {
  if (void* module = m_module.load()) return module;
  void* module = dlopen(m_libraryName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    MarkUnavailable();
    return nullptr;
  }
  m_module.store(module);
  return module;
}

libvlc_instance_t* VlcBinding::GetInstance() {
  if (libvlc_instance_t* instance = m_instance.load()) return instance;
  LoadModule();
  if (!IsAvailable()) return nullptr;
  auto* create = Lookup<NewFn>("libvlc_new");
  if (!create) {
    MarkUnavailable();
    return nullptr;
  }
  std::vector<const char*> argv;
  for (const auto& a : m_arguments) argv.push_back(a.c_str());
  ++m_newCalls;
  libvlc_instance_t* instance = create(static_cast<int>(argv.size()), argv.data());
  if (!instance) {
    MarkUnavailable();
    return nullptr;
  }
  SilenceAlsaDiagnostics();
  if (auto* setLog = Lookup<LogSetFn>("libvlc_log_set")) setLog(instance, &VlcBinding::OnLogMessage, this);
  m_instance.store(instance);
  return instance;
}

// Library threads.
void VlcBinding::OnLogMessage(void* data, int level, const libvlc_log_t* context,
                              const char* format, va_list args) {
  if (level < kLogError || !data) return;
  auto* self = static_cast<VlcBinding*>(data);
  const char* module = nullptr;
  const char* file = nullptr;
  unsigned line = 0;
  if (auto* get = self->Lookup<LogContextFn>("libvlc_log_get_context")) get(context, &module, &file, &line);
  const char* objectType = nullptr;
  const char* header = nullptr;
  std::uintptr_t id = 0;
  if (auto* get = self->Lookup<LogObjectFn>("libvlc_log_get_object")) get(context, &objectType, &header, &id);
  self->HandleError(module ? module : "", objectType ? objectType : "", FormatMessage(format, args));
}

// An audio output error is kept as the reason to give should the output fail
// altogether; alone it is not worth a line (the library retries).
void VlcBinding::HandleError(const char* module, const char* objectType, const std::string& text) {
  if (text.find(kNoAudioOutput) != std::string::npos) {
    OnAudioFailure();
    return;
  }
  if (std::strcmp(objectType, kAudioOutputObject) == 0) {
    std::lock_guard<std::mutex> lock(m_audioErrorMutex);
    if (m_lastAudioError.empty()) m_lastAudioError = text;
    return;
  }
  // Screen saver inhibition is tried anew for every file; a desktop without
  // a session bus is worth one line, not one per file.
  if (std::strcmp(objectType, kInhibitObject) == 0 && m_inhibitErrorShown.exchange(true)) return;
  std::fprintf(stderr, "libvlc: %s %s error: %s\n", module, objectType, text.c_str());
}

void VlcBinding::OnAudioFailure() {
  if (m_audioFailed.exchange(true)) return;
  std::string reason;
  {
    std::lock_guard<std::mutex> lock(m_audioErrorMutex);
    reason.swap(m_lastAudioError);
  }
  std::string line = "vantrel: no audio output";
  if (!reason.empty()) line += " (" + reason + ")";
  line += "; playing without sound\n";
  std::fputs(line.c_str(), stderr);
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  std::weak_ptr<VlcBinding*> weak = m_self;
  QMetaObject::invokeMethod(
      app,
      [weak] {
        const auto self = weak.lock();
        if (!self) return;
        for (libvlc_media_player_t* player : (*self)->m_players) (*self)->UseSilentOutput(player);
      },
      Qt::QueuedConnection);
}

void VlcBinding::UseSilentOutput(libvlc_media_player_t* player) {
  if (auto* set = Lookup<AudioOutputSetFn>("libvlc_audio_output_set")) set(player, kSilentOutput);
}

void VlcBinding::RegisterPlayer(libvlc_media_player_t* player) {
  m_players.push_back(player);
  if (AudioFailed()) UseSilentOutput(player);
}

void VlcBinding::UnregisterPlayer(libvlc_media_player_t* player) {
  m_players.erase(std::remove(m_players.begin(), m_players.end(), player), m_players.end());
}

void VlcBinding::Release() {
  void* module = m_module.load();
  if (!module) return;
  ++m_releaseCalls;
  if (libvlc_instance_t* instance = m_instance.exchange(nullptr)) {
    if (auto* release = Lookup<ReleaseFn>("libvlc_release")) release(instance);
  }
  m_module.store(nullptr);
  dlclose(module);
}

void* VlcBinding::LookupSymbol(const char* name) {
  void* module = m_module.load();
  if (!module) return nullptr;
  ++m_lookups;
  return dlsym(module, name);
}

void VlcBinding::AddArgument(std::string argument) { m_arguments.push_back(std::move(argument)); }

std::vector<std::string> VlcBinding::Arguments() const { return m_arguments; }

void VlcBinding::AddChannel() { ++m_channels; }

void VlcBinding::RemoveChannel() {
  if (m_channels == 0) return;
  if (--m_channels == 0) Release();
}

#include "player/CVlcPlayer.h"

#include <QGuiApplication>

#include "player/VlcEventTypes.h"

namespace {

using PlayerNewFn = libvlc_media_player_t*(libvlc_instance_t*);
using PlayerFn = void(libvlc_media_player_t*);
using PlayerIntFn = int(libvlc_media_player_t*);
using EventManagerFn = libvlc_event_manager_t*(libvlc_media_player_t*);
using EventAttachFn = int(libvlc_event_manager_t*, int, VlcEventCallback, void*);
using SetXWindowFn = void(libvlc_media_player_t*, std::uint32_t);
using MediaNewPathFn = libvlc_media_t*(libvlc_instance_t*, const char*);
using MediaOptionFn = void(libvlc_media_t*, const char*);
using MediaReleaseFn = void(libvlc_media_t*);
using MediaParseFn = int(libvlc_media_t*, int, int);
using SetMediaFn = void(libvlc_media_player_t*, libvlc_media_t*);
using SetInputFn = void(libvlc_media_player_t*, unsigned);
using GetTimeFn = std::int64_t(libvlc_media_player_t*);
using SetTimeFn = void(libvlc_media_player_t*, std::int64_t);
using SetRateFn = int(libvlc_media_player_t*, float);
using SetVolumeFn = int(libvlc_media_player_t*, int);
using SetMuteFn = void(libvlc_media_player_t*, int);
using SnapshotFn = int(libvlc_media_player_t*, unsigned, const char*, unsigned, unsigned);
using MarqueeStringFn = void(libvlc_media_player_t*, unsigned, const char*);
using MarqueeIntFn = void(libvlc_media_player_t*, unsigned, int);

// Option numbers of the library's marquee option list.
enum MarqueeOption : unsigned {
  kMarqueeEnable = 0,
  kMarqueeText = 1,
  kMarqueeColor = 2,
  kMarqueeOpacity = 3,
  kMarqueeSize = 6,
  kMarqueeTimeout = 7,
  kMarqueeX = 8,
  kMarqueeY = 9,
};

// Events the channel listens to, in the order they are attached.
constexpr int kAttachedEvents[] = {
    kVlcPositionChanged, kVlcSeekableChanged, kVlcTimeChanged, kVlcMediaStateChanged,
    kVlcMediaChanged,    kVlcOpening,         kVlcBuffering,   kVlcPlaying,
    kVlcPaused,          kVlcStopped,         kVlcEndReached,  kVlcEncounteredError,
};

// One decoding thread per file: two channels play at once and the
// recordings are small.
constexpr const char* kDecoderThreadsOption = ":avcodec-threads=1";

// libvlc_media_parse_local: the file itself, nothing from the network.
constexpr int kParseLocal = 0;
// A prepared file's parse gives up after this (it is only a head start).
constexpr int kParseTimeoutMs = 5000;

}  // namespace

CVlcPlayer::CVlcPlayer(VlcBinding& binding) : m_binding(binding) {
  m_binding.AddChannel();
  Create();
}

void CVlcPlayer::Create() {
  if (!m_binding.IsAvailable()) return;
  libvlc_instance_t* instance = m_binding.GetInstance();
  if (!instance) return;  // GetInstance has cleared the flag
  auto* create = m_binding.Lookup<PlayerNewFn>("libvlc_media_player_new");
  m_player = create ? create(instance) : nullptr;
  auto* events = m_binding.Lookup<EventManagerFn>("libvlc_media_player_event_manager");
  m_eventManager = (m_player && events) ? events(m_player) : nullptr;
  auto* volume = m_binding.Lookup<SetVolumeFn>("libvlc_audio_set_volume");
  if (!m_player || !m_eventManager || !volume) {
    m_binding.MarkUnavailable();
    return;
  }
  m_binding.RegisterPlayer(m_player);
  volume(m_player, m_volume);
}

CVlcPlayer::~CVlcPlayer() {
  // Our own handles are released even when the flag was cleared later by
  // another channel, so nothing leaks; Release then unloads the library.
  ReleaseMedia(m_media);
  ReleaseMedia(m_prepared);
  if (m_player) {
    m_binding.UnregisterPlayer(m_player);
    if (auto* release = m_binding.Lookup<PlayerFn>("libvlc_media_player_release")) release(m_player);
    m_player = nullptr;
  }
  m_binding.RemoveChannel();
}

void CVlcPlayer::SetWindow(std::uintptr_t windowId) {
  if (!IsAvailable() || !m_player) return;
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
  auto* set = m_binding.Lookup<SetXWindowFn>("libvlc_media_player_set_xwindow");
  if (set) set(m_player, static_cast<std::uint32_t>(windowId));
}

void CVlcPlayer::AttachEvents(VlcEventCallback callback, void* owner) {
  if (!IsAvailable() || !m_eventManager) return;
  m_callback = callback;
  m_owner = owner;
  auto* attach = m_binding.Lookup<EventAttachFn>("libvlc_event_attach");
  if (!attach) return;
  for (int type : kAttachedEvents) attach(m_eventManager, type, m_callback, m_owner);
}

void CVlcPlayer::ReleaseMedia(libvlc_media_t*& media) {
  if (!media) return;
  // Releasing the last reference also cancels a parse still under way.
  if (auto* release = m_binding.Lookup<MediaReleaseFn>("libvlc_media_release")) release(media);
  media = nullptr;
}

libvlc_media_t* CVlcPlayer::NewMedia(const std::string& utf8Path) {
  auto* create = m_binding.Lookup<MediaNewPathFn>("libvlc_media_new_path");
  libvlc_media_t* media = create ? create(m_binding.GetInstance(), utf8Path.c_str()) : nullptr;
  if (!media) return nullptr;
  if (auto* option = m_binding.Lookup<MediaOptionFn>("libvlc_media_add_option")) {
    option(media, kDecoderThreadsOption);
  }
  return media;
}

void CVlcPlayer::Prepare(const std::string& utf8Path) {
  if (!IsAvailable() || !m_player) return;
  if (m_prepared && m_preparedPath == utf8Path) return;
  ReleaseMedia(m_prepared);
  m_preparedPath = utf8Path;
  m_prepared = NewMedia(utf8Path);
  auto* parse = m_binding.Lookup<MediaParseFn>("libvlc_media_parse_with_options");
  if (m_prepared && parse) parse(m_prepared, kParseLocal, kParseTimeoutMs);
}

void CVlcPlayer::Open(const std::string& utf8Path) {
  if (!IsAvailable() || !m_player) return;
  if (auto* volume = m_binding.Lookup<SetVolumeFn>("libvlc_audio_set_volume")) {
    volume(m_player, m_volume);
  }
  m_path = utf8Path;
  ReleaseMedia(m_media);
  if (m_prepared && m_preparedPath == utf8Path) {
    m_media = m_prepared;
    m_prepared = nullptr;
  } else {
    m_media = NewMedia(m_path);
  }
  if (auto* setMedia = m_binding.Lookup<SetMediaFn>("libvlc_media_player_set_media")) {
    setMedia(m_player, m_media);
  }
  // Keyboard and mouse stay with our video surface (clicks, double-clicks).
  if (auto* keys = m_binding.Lookup<SetInputFn>("libvlc_video_set_key_input")) keys(m_player, 0);
  if (auto* mouse = m_binding.Lookup<SetInputFn>("libvlc_video_set_mouse_input")) mouse(m_player, 0);
}

int CVlcPlayer::Close() {
  if (!IsAvailable() || !m_player) return 0;
  if (!m_media) return 0;
  auto* release = m_binding.Lookup<MediaReleaseFn>("libvlc_media_release");
  auto* volume = m_binding.Lookup<SetVolumeFn>("libvlc_audio_set_volume");
  if (!release || !volume) {
    m_binding.MarkUnavailable();
    return 0;
  }
  release(m_media);
  m_media = nullptr;
  volume(m_player, m_volume);
  return 1;
}

void CVlcPlayer::Play() {
  if (!IsAvailable() || !m_player || !m_media) return;
  auto* play = m_binding.Lookup<PlayerIntFn>("libvlc_media_player_play");
  if (!play) return;
  play(m_player);
  m_playing = 1;
  m_paused = 0;
}

void CVlcPlayer::Pause() {
  if (!IsAvailable() || !m_player) return;
  m_playing = 0;
  // The library's pause is a toggle; it has no effect without media.
  if (auto* pause = m_binding.Lookup<PlayerFn>("libvlc_media_player_pause")) pause(m_player);
  m_paused = 1;
}

void CVlcPlayer::Stop() {
  if (!IsAvailable() || !m_player) return;
  if (auto* stop = m_binding.Lookup<PlayerFn>("libvlc_media_player_stop")) stop(m_player);
  m_playing = 0;
  m_paused = 0;
}

std::int64_t CVlcPlayer::GetLength() {
  if (!IsAvailable() || !m_player) return -1;
  auto* get = m_binding.Lookup<GetTimeFn>("libvlc_media_player_get_length");
  return get ? get(m_player) : -1;
}

std::int64_t CVlcPlayer::GetTime() {
  if (!IsAvailable() || !m_player) return -1;
  auto* get = m_binding.Lookup<GetTimeFn>("libvlc_media_player_get_time");
  return get ? get(m_player) : -1;
}

void CVlcPlayer::SetTime(std::int64_t ms) {
  if (!IsAvailable() || !m_player) return;
  if (auto* set = m_binding.Lookup<SetTimeFn>("libvlc_media_player_set_time")) set(m_player, ms);
}

void CVlcPlayer::SetMute(int on) {
  if (!IsAvailable() || !m_player) return;
  if (auto* mute = m_binding.Lookup<SetMuteFn>("libvlc_audio_set_mute")) mute(m_player, on);
}

void CVlcPlayer::SetVolume(int v) {
  if (!IsAvailable() || !m_player) return;
  if (auto* volume = m_binding.Lookup<SetVolumeFn>("libvlc_audio_set_volume")) volume(m_player, 2 * v);
  m_volume = 2 * v;
}

int CVlcPlayer::SetRate(float rate) {
  if (!IsAvailable() || !m_player) return -1;
  m_rate = rate;
  auto* set = m_binding.Lookup<SetRateFn>("libvlc_media_player_set_rate");
  return set ? set(m_player, rate) : -1;
}

int CVlcPlayer::TakeSnapshot(const std::string& utf8Path, unsigned num) {
  if (!IsAvailable() || !m_player) return -1;
  auto* snapshot = m_binding.Lookup<SnapshotFn>("libvlc_video_take_snapshot");
  // Width and height 0: the picture keeps the size of the video.
  return snapshot ? snapshot(m_player, num, utf8Path.c_str(), 0, 0) : -1;
}

int CVlcPlayer::SetMarquee(int x, int y, const std::string& text, int size, int opacity,
                           std::uint32_t color, int timeout, int enable) {
  if (!IsAvailable() || !m_player) return 0;
  auto* setString = m_binding.Lookup<MarqueeStringFn>("libvlc_video_set_marquee_string");
  if (setString) setString(m_player, kMarqueeText, text.c_str());
  auto* setInt = m_binding.Lookup<MarqueeIntFn>("libvlc_video_set_marquee_int");
  if (!setInt) return 1;
  setInt(m_player, kMarqueeSize, size);
  setInt(m_player, kMarqueeOpacity, opacity & 0xFF);
  setInt(m_player, kMarqueeColor, static_cast<int>(color));
  setInt(m_player, kMarqueeTimeout, timeout);
  setInt(m_player, kMarqueeX, x);
  setInt(m_player, kMarqueeY, y);
  setInt(m_player, kMarqueeEnable, enable);
  return 1;
}

int CVlcPlayer::IsPlaying() const { return IsAvailable() ? m_playing : 0; }

int CVlcPlayer::IsPaused() const { return IsAvailable() ? m_paused : 0; }

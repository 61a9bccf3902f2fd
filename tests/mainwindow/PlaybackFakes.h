#pragma once

#include <map>
#include <string>
#include <vector>

#include "mainwindow/core/PlaybackController.h"

// Recording stand-ins for the two channels, the catalogue and the window.
// Every call lands in one shared log as "<who>.<Call>(<args>)".
using CallLog = std::vector<std::string>;

class FakeChannel : public IPlayerChannel {
 public:
  FakeChannel(std::string name, CallLog& log) : m_name(std::move(name)), m_log(log) {}

  void BindSurface() override { Log("BindSurface"); }
  void Open(const std::string& p) override {
    media = p;
    Log("Open(" + p + ")");
  }
  // Not logged: the call logs stay those of what the user sees.
  void Prepare(const std::string& p) override { prepared = p; }
  int Close() override {
    Log("Close");
    const int had = media.empty() ? 0 : 1;
    media.clear();
    return had;
  }
  void Play() override {
    Log("Play");
    if (media.empty()) return;
    playing = true;
    paused = false;
  }
  void Pause() override {
    Log("Pause");
    playing = false;
    paused = true;
  }
  void Stop() override {
    Log("Stop");
    playing = false;
    paused = false;
  }
  std::int64_t GetLength() override { return length; }
  std::int64_t GetTime() override { return time; }
  void SetTime(std::int64_t ms) override { Log("SetTime(" + std::to_string(ms) + ")"); }
  void SetMute(int on) override { Log("SetMute(" + std::to_string(on) + ")"); }
  void SetVolume(int v) override { Log("SetVolume(" + std::to_string(v) + ")"); }
  int SetRate(float r) override {
    rate = r;
    Log("SetRate");
    return 0;
  }
  int SetMarquee(int, int, const std::string& text, int size, int, std::uint32_t, int,
                 int enable) override {
    marqueeText = text;
    marqueeSize = size;
    marqueeEnabled = enable;
    ++marqueeCount;
    return 1;
  }
  bool IsPlaying() override { return playing; }
  bool IsPaused() override { return paused; }

  std::string media, prepared;
  bool playing = false, paused = true;
  std::int64_t length = 0, time = -1;
  float rate = 1.0f;
  std::string marqueeText;
  int marqueeSize = 0, marqueeEnabled = -1, marqueeCount = 0;

 private:
  void Log(const std::string& s) { m_log.push_back(m_name + "." + s); }
  std::string m_name;
  CallLog& m_log;
};

class FakeCatalog : public IPlaybackCatalog {
 public:
  explicit FakeCatalog(CallLog& log) : m_log(log) {}

  int Count() override { return static_cast<int>(paths.size()); }
  int Select(int i) override {
    m_log.push_back("cat.Select(" + std::to_string(i) + ")");
    if (i < 0 || i >= Count()) return 0;
    current = i;
    return 1;
  }
  int SelectGroupFirst(int g) override {
    m_log.push_back("cat.SelectGroupFirst(" + std::to_string(g) + ")");
    if (g < 0 || g >= static_cast<int>(groupFirst.size())) return 0;
    current = groupFirst[g];
    return 1;
  }
  int NextIndex() override { return current >= 0 && current + 1 < Count() ? current + 1 : -1; }
  int CurrentIndex() override { return Count() == 0 ? -1 : current; }
  std::string PathOf(int i) override { return i >= 0 && i < Count() ? paths[i] : std::string(); }
  std::string CurrentPath() override { return PathOf(current); }
  int LoadTelemetry(int i) override {
    m_log.push_back("cat.LoadTelemetry(" + std::to_string(i) + ")");
    return 1;
  }
  int SyncToTime(std::int64_t ms, bool) override {
    m_log.push_back("cat.SyncToTime(" + std::to_string(ms) + ")");
    return syncResult;
  }
  void DrawDrivenPath(std::uint32_t ms) override {
    m_log.push_back("cat.DrawDrivenPath(" + std::to_string(ms) + ")");
  }
  bool CurrentPictureSize(int& w, int& h) override {
    if (current < 0) return false;
    w = width;
    h = height;
    return true;
  }
  // Every entry is in drive 0 unless `drives` says otherwise; each lasts
  // `durationMs`.
  int DriveOf(int i) override {
    if (i < 0 || i >= Count()) return -1;
    return i < static_cast<int>(drives.size()) ? drives[i] : 0;
  }
  int DriveCount() override { return Count() == 0 ? 0 : DriveOf(Count() - 1) + 1; }
  DriveLayout LayoutOfDrive(int drive) override {
    DriveLayout layout;
    for (int i = 0; i < Count(); ++i) {
      if (DriveOf(i) == drive) layout.Append(i, durationMs, false);
    }
    return layout;
  }
  std::string CompanionPathOf(int i) override {
    const auto found = companions.find(i);
    return found == companions.end() ? std::string() : found->second;
  }

  std::vector<std::string> paths;
  std::vector<int> drives;
  std::map<int, std::string> companions;
  std::int64_t durationMs = 60000;
  std::vector<int> groupFirst;
  int current = -1;
  int width = 1920, height = 1080;
  int syncResult = 1;

 private:
  CallLog& m_log;
};

class FakeView : public IPlaybackView {
 public:
  explicit FakeView(CallLog& log) : m_log(log) {}

  bool HasSurface(int channel) override { return channel == 1 || surface2Exists; }
  bool PanelShowsLogo(int channel) override { return logo[channel]; }
  void SetPanelVariant(int channel, int v) override {
    logo[channel] = v == 1;
    m_log.push_back("view.SetPanelVariant(" + std::to_string(channel) + "," + std::to_string(v) + ")");
  }
  void ShowSurface(int channel, bool show) override { surfaceShown[channel] = show; }
  void SetPlayButtonFace(int f) override { face = f; }
  void SetSeekPosition(int p) override { seek = p; }
  void SetGSensorPosition(int ms) override { gsensorPos = ms; }
  void SetGSensorInactive(bool in) override { gsensorInactive = in; }
  void SetGpsIndicator(int s) override { gps = s; }
  void InitMap() override { m_log.push_back("view.InitMap"); }
  void FitVideoSurfaces() override { m_log.push_back("view.Fit"); }
  void StartTimer(int id, int ms) override { timers[id] = ms; }
  void StopTimer(int id) override { timers.erase(id); }
  void SettleAfterStop() override { m_log.push_back("view.Settle"); }
  void ShowDrive(int d, const DriveLayout& l) override {
    drive = d;
    layout = l;
  }
  void SetDrivePosition(std::int64_t ms) override { drivePos = ms; }
  void ClearInstruments() override { instrumentsCleared = true; }

  bool surface2Exists = true;
  std::map<int, bool> logo{{1, true}, {2, true}};
  std::map<int, bool> surfaceShown{{1, false}, {2, false}};
  std::map<int, int> timers;
  int face = -1, seek = -1, gsensorPos = -1, gps = -1;
  bool gsensorInactive = false;
  int drive = -1;
  DriveLayout layout;
  std::int64_t drivePos = -1;
  bool instrumentsCleared = false;

 private:
  CallLog& m_log;
};

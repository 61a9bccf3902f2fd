#pragma once


#include "catalog/CatalogSinks.h"
#include "catalog/DriveTelemetry.h"
#include "mainwindow/core/PlaybackController.h"

class CVlcPlayer;
class CVideoStatic;
class MediaCatalog;
class CHtmlMapDlg;
class CGSensorCtrl;
class CPngCompassStatic;
class CSpeedLabelStatic;

// The main window's parts seen through the small interfaces of the playback
// logic and the catalogue. The parts are children of the main window, which
// also owns the adapters and outlives neither.

// One `CVlcPlayer` with the video surface it renders into.
class PlayerChannelAdapter : public IPlayerChannel {
 public:
  PlayerChannelAdapter(CVlcPlayer& player, CVideoStatic* surface)
      : m_player(player), m_surface(surface) {}
  void SetSurface(CVideoStatic* surface) { m_surface = surface; }

  void BindSurface() override;
  void Open(const std::string& utf8Path) override;
  void Prepare(const std::string& utf8Path) override;
  int Close() override;
  void Play() override;
  void Pause() override;
  void Stop() override;
  std::int64_t GetLength() override;
  std::int64_t GetTime() override;
  void SetTime(std::int64_t ms) override;
  void SetMute(int on) override;
  void SetVolume(int volume) override;
  int SetRate(float rate) override;
  int SetMarquee(int x, int y, const std::string& text, int size, int opacity,
                 std::uint32_t color, int timeout, int enable) override;
  bool IsPlaying() override;
  bool IsPaused() override;

 private:
  CVlcPlayer& m_player;
  CVideoStatic* m_surface = nullptr;
};

// The catalogue for playback. A drive's layout reads its recordings'
// telemetry into DriveSeries, where the drive's route and events find it.
class CatalogAdapter : public IPlaybackCatalog {
 public:
  explicit CatalogAdapter(MediaCatalog& catalog) : m_catalog(catalog), m_driveSeries(catalog) {}
  int Count() override;
  int Select(int index) override;
  int SelectGroupFirst(int group) override;
  int NextIndex() override;
  int CurrentIndex() override;
  std::string PathOf(int index) override;
  std::string CurrentPath() override;
  int LoadTelemetry(int index) override;
  int SyncToTime(std::int64_t ms, bool mapEnabled) override;
  void DrawDrivenPath(std::uint32_t ms) override;
  bool CurrentPictureSize(int& width, int& height) override;
  int DriveOf(int index) override;
  int DriveCount() override;
  DriveLayout LayoutOfDrive(int drive) override;
  std::string CompanionPathOf(int index) override;
  DriveTelemetry& DriveSeries() { return m_driveSeries; }

 private:
  MediaCatalog& m_catalog;
  DriveTelemetry m_driveSeries;
};

class MapSinkAdapter : public IMapSink {
 public:
  void SetMap(CHtmlMapDlg* map) { m_map = map; }
  void RunScript(const std::string& script) override;
  void MovePos(double latitude, double longitude, int headingDegrees) override;
  bool IsAlive() const override;

 private:
  CHtmlMapDlg* m_map = nullptr;
};

class GSensorSinkAdapter : public IGSensorSink {
 public:
  void SetCurve(CGSensorCtrl* curve) { m_curve = curve; }
  void ClearSamples() override;
  void Refresh() override;
  void SetRange(double sensorRangeG, double displayRangeG) override;
  void SetSamples(const GSensorSample* raw, int count,
                  const std::vector<GSensorWideSample>& wide) override;
  void UpdateSpan() override;
  void SetSampleRate(double samplesPerMs) override;
  void SetTimeScale(double pixelsPerMs) override;
  void SetSpanMode(int mode) override;
  void SetInactive(bool inactive) override;
  void SetPosition(std::int32_t ms) override;

 private:
  CGSensorCtrl* m_curve = nullptr;
};

class InstrumentSinkAdapter : public IInstrumentSink {
 public:
  void SetDisplays(CPngCompassStatic* compass, CSpeedLabelStatic* speed) {
    m_compass = compass;
    m_speed = speed;
  }
  void SetCompassImage(int index) override;
  void SetCompassHeading(int degrees) override;
  void SetSpeed(std::uint16_t kmh, bool valid) override;

 private:
  CPngCompassStatic* m_compass = nullptr;
  CSpeedLabelStatic* m_speed = nullptr;
};

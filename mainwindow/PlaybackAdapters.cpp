#include "mainwindow/PlaybackAdapters.h"

#include <QGuiApplication>

#include "controls/GSensorCtrl.h"
#include "controls/PngCompassStatic.h"
#include "controls/SpeedLabelStatic.h"
#include "controls/VideoStatic.h"
#include "map/HtmlMapDlg.h"
#include "player/CVlcPlayer.h"
#include "catalog/MediaCatalog.h"

// ---------------------------------------------------------------- channel

void PlayerChannelAdapter::BindSurface() {
  // The library draws into X11 windows only; elsewhere it would open a
  // window of its own.
  if (!m_surface || QGuiApplication::platformName() != QLatin1String("xcb")) return;
  m_player.SetWindow(static_cast<std::uintptr_t>(m_surface->VideoWindowId()));
}

void PlayerChannelAdapter::Open(const std::string& utf8Path) { m_player.Open(utf8Path); }
void PlayerChannelAdapter::Prepare(const std::string& utf8Path) { m_player.Prepare(utf8Path); }
int PlayerChannelAdapter::Close() { return m_player.Close(); }
void PlayerChannelAdapter::Play() { m_player.Play(); }
void PlayerChannelAdapter::Pause() { m_player.Pause(); }
void PlayerChannelAdapter::Stop() { m_player.Stop(); }
std::int64_t PlayerChannelAdapter::GetLength() { return m_player.GetLength(); }
std::int64_t PlayerChannelAdapter::GetTime() { return m_player.GetTime(); }
void PlayerChannelAdapter::SetTime(std::int64_t ms) { m_player.SetTime(ms); }
void PlayerChannelAdapter::SetMute(int on) { m_player.SetMute(on); }
void PlayerChannelAdapter::SetVolume(int volume) { m_player.SetVolume(volume); }
int PlayerChannelAdapter::SetRate(float rate) { return m_player.SetRate(rate); }
int PlayerChannelAdapter::SetMarquee(int x, int y, const std::string& text, int size,
                                      int opacity, std::uint32_t color, int timeout, int enable) {
  return m_player.SetMarquee(x, y, text, size, opacity, color, timeout, enable);
}
bool PlayerChannelAdapter::IsPlaying() { return m_player.IsPlaying() != 0; }
bool PlayerChannelAdapter::IsPaused() { return m_player.IsPaused() != 0; }

// -------------------------------------------------------------- catalogue

int CatalogAdapter::Count() { return m_catalog.EntryCount(); }
int CatalogAdapter::Select(int index) { return m_catalog.Select(index); }
int CatalogAdapter::SelectGroupFirst(int group) { return m_catalog.SelectGroupFirst(group); }
int CatalogAdapter::NextIndex() { return m_catalog.NextIndex(); }
int CatalogAdapter::CurrentIndex() { return m_catalog.CurrentIndex(); }
std::string CatalogAdapter::PathOf(int index) { return m_catalog.PathOf(index); }
std::string CatalogAdapter::CurrentPath() { return m_catalog.CurrentPath(); }
int CatalogAdapter::LoadTelemetry(int index) { return m_catalog.LoadTelemetry(index); }
int CatalogAdapter::SyncToTime(std::int64_t ms, bool mapEnabled) {
  return m_catalog.SyncToTime(ms, mapEnabled);
}
void CatalogAdapter::DrawDrivenPath(std::uint32_t ms) { m_catalog.DrawDrivenPath(ms); }
int CatalogAdapter::DriveOf(int index) { return m_catalog.DriveOf(index); }
int CatalogAdapter::DriveCount() { return static_cast<int>(m_catalog.Groups().size()); }
DriveLayout CatalogAdapter::LayoutOfDrive(int drive) {
  m_driveSeries.Clear();
  return MakeDriveLayout(drive, m_driveSeries);
}
std::string CatalogAdapter::CompanionPathOf(int index) {
  return m_catalog.PathOf(m_catalog.CompanionOf(index));
}

bool CatalogAdapter::CurrentPictureSize(int& width, int& height) {
  const int i = m_catalog.CurrentIndex();
  if (i < 0 || i >= m_catalog.EntryCount()) return false;
  const MediaInfo& info = m_catalog.Entries()[static_cast<std::size_t>(i)].info;
  width = info.width;
  height = info.height;
  return true;
}

// -------------------------------------------------------------------- map

void MapSinkAdapter::RunScript(const std::string& script) {
  if (m_map) m_map->RunScript(std::string_view(script));
}

void MapSinkAdapter::MovePos(double latitude, double longitude, int headingDegrees) {
  if (m_map) m_map->MovePos(latitude, longitude, headingDegrees);
}

bool MapSinkAdapter::IsAlive() const { return m_map && m_map->IsAlive(); }

// --------------------------------------------------------------- G-sensor

void GSensorSinkAdapter::ClearSamples() {
  if (m_curve) m_curve->ClearSamples();
}
void GSensorSinkAdapter::Refresh() {
  if (m_curve) m_curve->Refresh();
}
void GSensorSinkAdapter::SetRange(double sensorRangeG, double displayRangeG) {
  if (m_curve) m_curve->SetRange(sensorRangeG, displayRangeG);
}
void GSensorSinkAdapter::SetSamples(const GSensorSample* raw, int count,
                                     const std::vector<GSensorWideSample>& wide) {
  if (m_curve && count >= 0) m_curve->SetSamples(raw, static_cast<std::size_t>(count), wide);
}
void GSensorSinkAdapter::UpdateSpan() {
  if (m_curve) m_curve->UpdateSpan();
}
void GSensorSinkAdapter::SetSampleRate(double samplesPerMs) {
  if (m_curve) m_curve->SetSampleRate(samplesPerMs);
}
void GSensorSinkAdapter::SetTimeScale(double pixelsPerMs) {
  if (m_curve) m_curve->SetTimeScale(pixelsPerMs);
}
void GSensorSinkAdapter::SetSpanMode(int mode) {
  if (m_curve) m_curve->SetSpanMode(mode);
}
void GSensorSinkAdapter::SetInactive(bool inactive) {
  if (m_curve) m_curve->SetInactive(inactive);
}
void GSensorSinkAdapter::SetPosition(std::int32_t ms) {
  if (m_curve) m_curve->SetPosition(ms);
}

// ------------------------------------------------------------ instruments

void InstrumentSinkAdapter::SetCompassImage(int index) {
  if (m_compass) m_compass->SetImage(static_cast<unsigned>(index < 0 ? 0 : index));
}
void InstrumentSinkAdapter::SetCompassHeading(int degrees) {
  if (m_compass) m_compass->SetHeading(degrees);
}
void InstrumentSinkAdapter::SetSpeed(std::uint16_t kmh, bool valid) {
  if (m_speed) m_speed->SetSpeed(kmh, valid);
}

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

void CPlayerChannelAdapter::BindSurface() {
  // The library draws into X11 windows only; elsewhere it would open a
  // window of its own.
  if (!m_surface || QGuiApplication::platformName() != QLatin1String("xcb")) return;
  m_player.SetWindow(static_cast<std::uintptr_t>(m_surface->VideoWindowId()));
}

void CPlayerChannelAdapter::Open(const std::string& utf8Path) { m_player.Open(utf8Path); }
int CPlayerChannelAdapter::Close() { return m_player.Close(); }
void CPlayerChannelAdapter::Play() { m_player.Play(); }
void CPlayerChannelAdapter::Pause() { m_player.Pause(); }
void CPlayerChannelAdapter::Stop() { m_player.Stop(); }
std::int64_t CPlayerChannelAdapter::GetLength() { return m_player.GetLength(); }
std::int64_t CPlayerChannelAdapter::GetTime() { return m_player.GetTime(); }
void CPlayerChannelAdapter::SetTime(std::int64_t ms) { m_player.SetTime(ms); }
void CPlayerChannelAdapter::SetMute(int on) { m_player.SetMute(on); }
void CPlayerChannelAdapter::SetVolume(int volume) { m_player.SetVolume(volume); }
int CPlayerChannelAdapter::SetRate(float rate) { return m_player.SetRate(rate); }
int CPlayerChannelAdapter::SetMarquee(int x, int y, const std::string& text, int size,
                                      int opacity, std::uint32_t color, int timeout, int enable) {
  return m_player.SetMarquee(x, y, text, size, opacity, color, timeout, enable);
}
bool CPlayerChannelAdapter::IsPlaying() { return m_player.IsPlaying() != 0; }
bool CPlayerChannelAdapter::IsPaused() { return m_player.IsPaused() != 0; }

// -------------------------------------------------------------- catalogue

int CCatalogAdapter::Count() { return m_catalog.EntryCount(); }
int CCatalogAdapter::Select(int index) { return m_catalog.Select(index); }
int CCatalogAdapter::SelectGroupFirst(int group) { return m_catalog.SelectGroupFirst(group); }
int CCatalogAdapter::NextIndex() { return m_catalog.NextIndex(); }
int CCatalogAdapter::CurrentIndex() { return m_catalog.CurrentIndex(); }
std::string CCatalogAdapter::PathOf(int index) { return m_catalog.PathOf(index); }
std::string CCatalogAdapter::CurrentPath() { return m_catalog.CurrentPath(); }
int CCatalogAdapter::LoadTelemetry(int index) { return m_catalog.LoadTelemetry(index); }
int CCatalogAdapter::SyncToTime(std::int64_t ms, bool mapEnabled) {
  return m_catalog.SyncToTime(ms, mapEnabled);
}
void CCatalogAdapter::DrawDrivenPath(std::uint32_t ms) { m_catalog.DrawDrivenPath(ms); }

bool CCatalogAdapter::CurrentPictureSize(int& width, int& height) {
  const int i = m_catalog.CurrentIndex();
  if (i < 0 || i >= m_catalog.EntryCount()) return false;
  const MediaInfo& info = m_catalog.Entries()[static_cast<std::size_t>(i)].info;
  width = info.width;
  height = info.height;
  return true;
}

// -------------------------------------------------------------------- map

void CMapSinkAdapter::RunScript(const std::string& script) {
  if (m_map) m_map->RunScript(std::string_view(script));
}

void CMapSinkAdapter::MovePos(double latitude, double longitude, int headingDegrees) {
  if (m_map) m_map->MovePos(latitude, longitude, headingDegrees);
}

bool CMapSinkAdapter::IsAlive() const { return m_map && m_map->IsAlive(); }

// --------------------------------------------------------------- G-sensor

void CGSensorSinkAdapter::ClearSamples() {
  if (m_curve) m_curve->ClearSamples();
}
void CGSensorSinkAdapter::Refresh() {
  if (m_curve) m_curve->Refresh();
}
void CGSensorSinkAdapter::SetRange(double sensorRangeG, double displayRangeG) {
  if (m_curve) m_curve->SetRange(sensorRangeG, displayRangeG);
}
void CGSensorSinkAdapter::SetSamples(const GSensorSample* raw, int count,
                                     const std::vector<GSensorWideSample>& wide) {
  if (m_curve && count >= 0) m_curve->SetSamples(raw, static_cast<std::size_t>(count), wide);
}
void CGSensorSinkAdapter::UpdateSpan() {
  if (m_curve) m_curve->UpdateSpan();
}
void CGSensorSinkAdapter::SetSampleRate(double samplesPerMs) {
  if (m_curve) m_curve->SetSampleRate(samplesPerMs);
}
void CGSensorSinkAdapter::SetTimeScale(double pixelsPerMs) {
  if (m_curve) m_curve->SetTimeScale(pixelsPerMs);
}
void CGSensorSinkAdapter::SetSpanMode(int mode) {
  if (m_curve) m_curve->SetSpanMode(mode);
}
void CGSensorSinkAdapter::SetInactive(bool inactive) {
  if (m_curve) m_curve->SetInactive(inactive);
}
void CGSensorSinkAdapter::SetPosition(std::int32_t ms) {
  if (m_curve) m_curve->SetPosition(ms);
}

// ------------------------------------------------------------ instruments

void CInstrumentSinkAdapter::SetCompassImage(int index) {
  if (m_compass) m_compass->SetImage(static_cast<unsigned>(index < 0 ? 0 : index));
}
void CInstrumentSinkAdapter::SetCompassHeading(int degrees) {
  if (m_compass) m_compass->SetHeading(degrees);
}
void CInstrumentSinkAdapter::SetSpeed(std::uint16_t kmh, bool valid) {
  if (m_speed) m_speed->SetSpeed(kmh, valid);
}

// The catalogue's current entry and the telemetry that follows playback:
// selecting and marking the playing rows, loading the current file's GPS
// and G-sensor series, and showing them at a playback time.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "catalog/MapScripts.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

namespace {

// Stored fix to decimal degrees for the map; false for fixes the map must
// not get (no valid fix, outside the coordinate range, not a number).
bool MapCoordinates(const GpsFix& fix, double& latitude, double& longitude) {
  if (!fix.IsValid()) return false;
  latitude = fix.latitude;
  longitude = fix.longitude;
  if (!NormalizeFixPair(latitude, longitude)) return false;
  latitude = DdmmToDegrees(latitude);
  longitude = DdmmToDegrees(longitude);
  return std::isfinite(latitude) && std::isfinite(longitude);
}

// Fix index for a playback time; -1 before the start.
double FixIndexAt(double t, double rate) {
  const double index = std::trunc(t * rate / 1000.0);
  return index < 0 ? -1 : index;
}

}  // namespace

void MediaCatalog::RemoveMarks() {
  if (m_groupList && m_currentGroup >= 0) m_groupList->SetRowMarked(m_currentGroup, false);
  if (m_fileList && m_currentIndex >= 0) m_fileList->SetRowMarked(m_currentIndex, false);
}

void MediaCatalog::MarkCurrent(bool scroll) {
  if (m_groupList) {
    m_groupList->SetRowMarked(m_currentGroup, true);
    if (scroll) m_groupList->EnsureRowVisible(m_currentGroup);
  }
  if (m_fileList) {
    m_fileList->SetRowMarked(m_currentIndex, true);
    if (scroll) m_fileList->EnsureRowVisible(m_currentIndex);
  }
}

int MediaCatalog::Select(int i) {
  if (i < 0 || i >= static_cast<int>(m_members.size())) return 0;
  RemoveMarks();
  m_currentIndex = i;
  const int drive = DriveOf(i);
  if (drive >= 0) m_currentGroup = drive;
  MarkCurrent(true);
  return 1;
}

int MediaCatalog::SelectGroupFirst(int g) {
  const std::vector<int> recordings = DriveRecordings(g);
  if (recordings.empty()) return 0;
  RemoveMarks();
  m_currentGroup = g;
  m_currentIndex = recordings.front();
  MarkCurrent(false);
  return 1;
}

int MediaCatalog::NextIndex() const {
  const int next = NextInDrive(m_currentIndex);
  if (next >= 0) return next;
  const int drive = DriveOf(m_currentIndex);
  if (drive < 0) return -1;
  for (int g = drive + 1; g < static_cast<int>(m_groups.size()); ++g) {
    const std::vector<int> recordings = DriveRecordings(g);
    if (!recordings.empty()) return recordings.front();
  }
  return -1;
}

int MediaCatalog::CurrentIndex() {
  if (m_entries.empty()) return -1;
  if (m_currentIndex >= EntryCount()) m_currentIndex = EntryCount() - 1;
  return m_currentIndex;
}

std::string MediaCatalog::PathOf(int i) const {
  if (i < 0 || i >= EntryCount()) return {};
  return m_entries[i].FullPath();
}

std::string MediaCatalog::CurrentPath() { return PathOf(CurrentIndex()); }

const std::vector<GpsFix>& MediaCatalog::LoadedFixes() const { return m_gpsBuffer; }

int MediaCatalog::FindEntry(const std::string& fullPath) const {
  if (fullPath.empty()) return -1;
  for (int i = 0; i < EntryCount(); ++i)
    if (m_entries[i].FullPath() == fullPath) return i;
  return -1;
}

void MediaCatalog::ClearTelemetry() {
  m_gpsBuffer.clear();
  m_gsensorBuffer.clear();
  m_gsensorWideBuffer.clear();
  m_lastFixIndex = -1;
  if (m_gsensor) m_gsensor->ClearSamples();
  if (m_map) {
    m_map->RunScript(kPathDrivedDeleteScript);
    m_map->RunScript(kPathDeleteScript);
  }
}

int MediaCatalog::LoadTelemetry(int i) {
  if (i < 0 || i >= EntryCount()) return 0;
  if (m_map) {
    m_map->RunScript(kPathDrivedDeleteScript);
    m_map->RunScript(kPathDeleteScript);
  }
  m_gpsBuffer.clear();
  m_gsensorBuffer.clear();
  m_gsensorWideBuffer.clear();
  const MediaEntry& e = m_entries[i];
  m_currentIndex = i;
  // The marker of the previous file must not stay where it was: the first
  // synchronisation after a load always shows its fix.
  m_lastFixIndex = -1;

  TelemetrySeries series = ReadTelemetry(CurrentPath(), e.info);
  if (!series.Ok()) return 0;
  if (m_gsensor) m_gsensor->ClearSamples();
  m_gpsBuffer = std::move(series.fixes);
  m_gsensorBuffer = std::move(series.samples);
  m_gsensorWideBuffer = std::move(series.wideSamples);
  LoadGSensor(e.info, series.sampleRate);
  LoadGps(series.fixRate);
  return 1;
}

void MediaCatalog::LoadGSensor(const MediaInfo& info, double samplesPerMs) {
  const std::size_t count =
      m_gsensorWideBuffer.empty() ? m_gsensorBuffer.size() : m_gsensorWideBuffer.size();
  // A recording without a stated rate and without a duration has no
  // timing to give its samples.
  if (!m_gsensor || count == 0 || samplesPerMs == 0) return;
  m_gsensor->SetRange(info.gsensorAttr[1], 2.0);
  m_gsensor->ClearSamples();
  m_gsensor->SetSamples(m_gsensorBuffer.data(), static_cast<int>(count), m_gsensorWideBuffer);
  m_gsensor->UpdateSpan();
  m_gsensor->SetSampleRate(samplesPerMs);
  m_gsensor->SetTimeScale(0.01);
  m_gsensor->SetSpanMode(2);
}

void MediaCatalog::LoadGps(double fixesPerSecond) {
  m_gpsRate = fixesPerSecond;
  if (!m_map) return;
  // Only fixes with a valid position are drawn: a data track also carries
  // the receiver's empty records, which would pull the route to 0,0.
  for (const GpsFix& fix : m_gpsBuffer) {
    double latitude = 0, longitude = 0;
    if (MapCoordinates(fix, latitude, longitude)) m_map->RunScript(PathPlotScript(latitude, longitude));
  }
}

int MediaCatalog::SyncToTime(std::int64_t t, bool mapEnabled) {
  const std::vector<GpsFix>& fixes = LoadedFixes();
  if (m_gsensor) {
    m_gsensor->SetInactive(false);
    m_gsensor->SetPosition(static_cast<std::int32_t>(static_cast<std::uint32_t>(t)));
  }
  const double index = FixIndexAt(static_cast<double>(t), m_gpsRate);
  if (index < 0 || index >= static_cast<double>(fixes.size()) ||
      !fixes[static_cast<std::size_t>(index)].IsValid()) {
    if (m_instruments) {
      m_instruments->SetCompassImage(0);
      m_instruments->SetSpeed(0, false);
    }
    return 0;
  }
  const int i = static_cast<int>(index);
  if (i != 0 && i == m_lastFixIndex) return 1;
  m_lastFixIndex = i;
  const GpsFix& fix = fixes[i];
  if (m_instruments) {
    m_instruments->SetCompassHeading(fix.HeadingDegrees());
    m_instruments->SetSpeed(fix.speed, true);
  }
  double latitude = fix.latitude;
  double longitude = fix.longitude;
  if (!NormalizeFixPair(latitude, longitude)) return 0;
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return 0;
  if (mapEnabled && m_map) m_map->MovePos(latitude, longitude, fix.HeadingDegrees());
  return 1;
}

void MediaCatalog::DrawDrivenPath(std::uint32_t t) {
  if (m_gpsRate == 0) m_gpsRate = 1.0;
  double n = FixIndexAt(static_cast<double>(t), m_gpsRate);
  if (!m_map) return;
  m_map->RunScript(kPathDrivedDeleteScript);
  const std::vector<GpsFix>& fixes = LoadedFixes();
  n = std::min(n, static_cast<double>(fixes.size()));
  for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
    double latitude = 0, longitude = 0;
    if (MapCoordinates(fixes[k], latitude, longitude)) {
      m_map->RunScript(PathDrivedPlotScript(latitude, longitude));
    }
  }
}

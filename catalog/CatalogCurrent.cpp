// The catalogue's current entry and the telemetry that follows playback:
// selecting and marking the playing rows, loading the current file's GPS
// and G-sensor series, and showing them at a playback time.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "catalog/MapScripts.h"
#include "telemetry/ByteReader.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetryUtil.h"

namespace {

bool EndsWith(const std::string& s, const char* suffix) {
  const std::string tail(suffix);
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A payload is read only when it lies wholly inside the file.
bool PayloadInside(std::uint64_t offset, std::uint32_t size, std::uint64_t fileLength) {
  return size <= fileLength && offset <= fileLength - size;
}

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
  for (const MediaGroup& g : m_groups) {
    if (g.firstEntry + g.memberCount > i) {
      m_currentGroup = g.number;
      break;
    }
  }
  MarkCurrent(true);
  return 1;
}

int MediaCatalog::SelectGroupFirst(int g) {
  if (g < 0 || g >= static_cast<int>(m_groups.size())) return 0;
  RemoveMarks();
  m_currentGroup = g;
  m_currentIndex = m_groups[g].firstEntry;
  MarkCurrent(false);
  return 1;
}

int MediaCatalog::NextIndex() const {
  if (m_currentIndex >= 0 && m_currentIndex + 1 < EntryCount()) return m_currentIndex + 1;
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

const std::vector<GpsFix>& MediaCatalog::LoadedFixes() const {
  return m_trackFixes.empty() ? m_gpsBuffer : m_trackFixes;
}

int MediaCatalog::LoadTelemetry(int i) {
  if (i < 0 || i >= EntryCount()) return 0;
  if (m_map) {
    m_map->RunScript(kPathDrivedDeleteScript);
    m_map->RunScript(kPathDeleteScript);
  }
  m_gpsBuffer.clear();
  m_gsensorBuffer.clear();
  const MediaEntry& e = m_entries[i];
  m_trackFixes = e.info.gpsFixes;
  m_currentIndex = i;
  // The marker of the previous file must not stay where it was: the first
  // synchronisation after a load always shows its fix.
  m_lastFixIndex = -1;

  const std::string path = CurrentPath();
  FileHandle file(path);
  std::uint64_t length = 0;
  if (!file.IsOpen() || !file.Size(length)) return 0;
  if (m_gsensor) m_gsensor->ClearSamples();
  LoadGSensor(e, file, length);
  LoadGps(e, path, file, length);
  return 1;
}

void MediaCatalog::LoadGSensor(const MediaEntry& e, const FileHandle& file,
                               std::uint64_t fileLength) {
  const MediaInfo& info = e.info;
  if (!PayloadInside(info.gsensorOffset, info.gsensorSize, fileLength)) return;
  int count = 0;
  if (!info.gsensorSamples.empty()) {
    count = static_cast<int>(info.gsensorSamples.size());
  } else if (info.gsensorSize != 0) {
    ByteReader reader(file);
    reader.Seek(info.gsensorOffset);
    const std::vector<std::uint8_t> bytes = reader.ReadBytes(info.gsensorSize);
    if (!reader.Ok()) return;
    count = static_cast<int>(info.gsensorSize / GSensorSample::kFileSize);
    m_gsensorBuffer.reserve(count);
    for (int k = 0; k < count; ++k) {
      m_gsensorBuffer.push_back(GSensorSample::Decode(bytes.data() + k * GSensorSample::kFileSize));
    }
  } else {
    return;
  }
  if (!m_gsensor) return;
  double rate = info.gsensorAttr[0] / 1000.0;
  if (rate == 0) {
    // Without a stated rate the samples spread over the recording; a
    // recording without a duration has no timing to give them.
    if (info.durationMs == 0) return;
    rate = static_cast<double>(count) / info.durationMs;
  }
  static const std::vector<GSensorWideSample> kNoWide;
  m_gsensor->SetRange(info.gsensorAttr[1], 2.0);
  m_gsensor->ClearSamples();
  m_gsensor->SetSamples(m_gsensorBuffer.data(), count,
                        info.gsensorSamples.empty() ? kNoWide : info.gsensorSamples);
  m_gsensor->UpdateSpan();
  m_gsensor->SetSampleRate(rate);
  m_gsensor->SetTimeScale(0.01);
  m_gsensor->SetSpanMode(2);
}

void MediaCatalog::LoadGps(const MediaEntry& e, const std::string& path, const FileHandle& file,
                           std::uint64_t fileLength) {
  const MediaInfo& info = e.info;
  const bool fromTrack = EndsWith(path, ".mp4") && !m_trackFixes.empty();
  if (!fromTrack) {
    if (info.gpsSize == 0 || !PayloadInside(info.gpsOffset, info.gpsSize, fileLength)) return;
    ByteReader reader(file);
    reader.Seek(info.gpsOffset);
    const std::vector<std::uint8_t> bytes = reader.ReadBytes(info.gpsSize);
    if (!reader.Ok()) return;
    const std::size_t count = info.gpsSize / GpsFix::kFileSize;
    m_gpsBuffer.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
      m_gpsBuffer.push_back(GpsFix::Decode(bytes.data() + k * GpsFix::kFileSize));
    }
  }
  m_gpsRate = info.gpsAttr[0] != 0 ? info.gpsAttr[0] : 1.0;
  if (!m_map) return;
  // Only fixes with a valid position are drawn: a data track also carries
  // the receiver's empty records, which would pull the route to 0,0.
  const std::vector<GpsFix>& fixes = fromTrack ? m_trackFixes : m_gpsBuffer;
  for (const GpsFix& fix : fixes) {
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

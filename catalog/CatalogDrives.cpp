// Drives: which camera made each recording, the front and rear recordings
// of one minute, the minutes that continue one another, the catalogue order
// that follows from them, and the groups and list rows of the drives.
#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>

#include "catalog/MediaCatalog.h"
#include "telemetry/Resolutions.h"

namespace {

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  if (b > 0 && a > INT64_MAX - b) return INT64_MAX;
  if (b < 0 && a < INT64_MIN - b) return INT64_MIN;
  return a + b;
}

// Whole seconds a recording lasts, for chaining: the duration every parser
// reports, rounded to the nearest second; the AVI index length when there
// is no duration.
TimeSpan LengthSeconds(const MediaInfo& info) {
  if (info.durationMs != 0) return (static_cast<TimeSpan>(info.durationMs) + 500) / 1000;
  return info.length;
}

std::int64_t Distance(CalendarTime a, CalendarTime b) {
  const std::int64_t d = SaturatingAdd(a, -b);
  return d == INT64_MIN ? INT64_MAX : (d < 0 ? -d : d);
}

}  // namespace

bool MediaCatalog::IsContinuation(CalendarTime previousStart, TimeSpan previousLength,
                                  CalendarTime start) {
  // The times come from files, so the sums saturate instead of overflowing.
  const CalendarTime end = SaturatingAdd(previousStart, previousLength);
  return SaturatingAdd(start, 2) >= end && SaturatingAdd(start, -2) <= end;
}

Camera MediaCatalog::CameraFromName(const std::string& folder, const std::string& name) {
  const std::size_t dot = name.rfind('.');
  const char beforeExtension = (dot != std::string::npos && dot > 0) ? name[dot - 1] : '\0';
  if (beforeExtension == 'R') return Camera::kRear;
  if (beforeExtension == 'F') return Camera::kFront;
  std::size_t end = folder.size();
  if (end > 0 && folder[end - 1] == '/') --end;
  if (end > 0 && folder[end - 1] == 'R') return Camera::kRear;
  return Camera::kFront;
}

void MediaCatalog::BuildGroups() {
  m_groups.clear();
  m_members.clear();
  PairCameras();
  OrderByDrive();
  CollectGroups();
  FillLists();
}

void MediaCatalog::PairCameras() {
  std::vector<int> rears;  // by start time
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    MediaEntry& e = m_entries[i];
    e.camera = CameraFromName(e.Folder(), e.name);
    e.partner = -1;
    if (e.camera == Camera::kRear && e.info.startTime != 0) rears.push_back(static_cast<int>(i));
  }
  auto startOf = [this](int i) { return m_entries[i].info.startTime; };
  std::stable_sort(rears.begin(), rears.end(),
                   [&](int a, int b) { return startOf(a) < startOf(b); });

  // Every front-rear pair close enough, closest first; ties keep the
  // catalogue order so the same card always pairs the same way.
  std::vector<std::tuple<std::int64_t, int, int>> candidates;
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    const MediaEntry& e = m_entries[i];
    if (e.camera != Camera::kFront || e.info.startTime == 0) continue;
    const CalendarTime from = SaturatingAdd(e.info.startTime, -kPairSeconds);
    auto it = std::lower_bound(rears.begin(), rears.end(), from,
                               [&](int r, CalendarTime t) { return startOf(r) < t; });
    for (; it != rears.end(); ++it) {
      const std::int64_t d = Distance(startOf(*it), e.info.startTime);
      if (startOf(*it) > e.info.startTime && d > kPairSeconds) break;
      if (d <= kPairSeconds) candidates.emplace_back(d, static_cast<int>(i), *it);
    }
  }
  std::sort(candidates.begin(), candidates.end());
  for (const auto& [distance, front, rear] : candidates) {
    if (m_entries[front].partner >= 0 || m_entries[rear].partner >= 0) continue;
    m_entries[front].partner = rear;
    m_entries[rear].partner = front;
  }
}

void MediaCatalog::OrderByDrive() {
  // Each first-channel entry in catalogue order with its rear behind it;
  // a new drive wherever one does not continue the one before.
  std::vector<int> order;
  order.reserve(m_entries.size());
  std::vector<char> starts;  // per position in `order`
  starts.reserve(m_entries.size());
  int previous = -1;
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    const int index = static_cast<int>(i);
    if (!PlaysOnFirstChannel(index)) continue;
    const MediaInfo& info = m_entries[i].info;
    bool continues = false;
    if (previous >= 0 && info.startTime != 0) {
      const MediaInfo& prev = m_entries[previous].info;
      continues = prev.startTime != 0 &&
                  IsContinuation(prev.startTime, LengthSeconds(prev), info.startTime);
    }
    order.push_back(index);
    starts.push_back(continues ? 0 : 1);
    if (m_entries[i].partner >= 0) {
      order.push_back(m_entries[i].partner);
      starts.push_back(0);
    }
    previous = index;
  }

  std::vector<int> newIndex(m_entries.size(), -1);
  for (std::size_t k = 0; k < order.size(); ++k) newIndex[order[k]] = static_cast<int>(k);
  std::vector<MediaEntry> sorted;
  sorted.reserve(m_entries.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    MediaEntry e = std::move(m_entries[order[k]]);
    e.groupStart = starts[k];
    if (e.partner >= 0) e.partner = newIndex[e.partner];
    sorted.push_back(std::move(e));
  }
  m_entries = std::move(sorted);
}

void MediaCatalog::CollectGroups() {
  MediaGroup running;
  std::int32_t counter = 0;
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    const MediaEntry& e = m_entries[i];
    if (e.groupStart != 0 || i == 0) {
      if (i != 0) m_groups.push_back(running);
      running = MediaGroup{};
      running.number = counter++;
      running.firstEntry = static_cast<std::int32_t>(i);
    }
    GroupMember member;
    member.group = running.number;
    member.indexInGroup = running.memberCount;
    member.entryIndex = static_cast<std::int32_t>(i);
    member.fileSize = e.info.fileSize;
    member.durationMs = e.info.durationMs;
    m_members.push_back(member);
    running.memberCount += 1;
    running.fileSize += e.info.fileSize;
    // The drive lasts as long as its first channel plays; a rear runs beside its front.
    if (PlaysOnFirstChannel(static_cast<int>(i))) running.durationMs += e.info.durationMs;
    running.flags |= static_cast<std::uint8_t>(e.flags);
  }
  if (!m_entries.empty()) m_groups.push_back(running);
}

void MediaCatalog::FillLists() {
  for (const MediaGroup& g : m_groups) {
    if (!m_groupList) break;
    const MediaInfo& first = m_entries[g.firstEntry].info;
    GroupRow row;
    row.number = g.number;
    row.resolution = FindResolutionName(first.width, first.height);
    row.startTime = first.startTime;
    row.durationMs = g.durationMs;
    row.fileSize = g.fileSize;
    row.flags = g.flags;
    m_groupList->InsertGroupRow(row);
  }
  for (const GroupMember& m : m_members) {
    if (!m_fileList) break;
    m_fileList->InsertFileRow(FileRowOf(m_entries[m.entryIndex], m.group, m.indexInGroup));
  }
}

FileRow MediaCatalog::FileRowOf(const MediaEntry& e, std::int32_t group,
                                std::int32_t indexInGroup) {
  FileRow row;
  row.group = group;
  row.indexInGroup = indexInGroup;
  row.folder = e.Folder();
  row.name = e.name;
  row.startTime = e.info.startTime;
  row.durationMs = e.info.durationMs;
  row.fileSize = e.info.fileSize;
  row.flags = e.flags;
  return row;
}

int MediaCatalog::CompanionOf(int entry) const {
  if (entry < 0 || entry >= EntryCount()) return -1;
  const MediaEntry& e = m_entries[entry];
  if (e.camera != Camera::kFront || e.partner < 0 || e.partner >= EntryCount()) return -1;
  return e.partner;
}

bool MediaCatalog::PlaysOnFirstChannel(int entry) const {
  if (entry < 0 || entry >= EntryCount()) return false;
  const MediaEntry& e = m_entries[entry];
  return e.camera == Camera::kFront || e.partner < 0;
}

int MediaCatalog::DriveOf(int entry) const {
  if (entry < 0 || entry >= EntryCount() || entry >= static_cast<int>(m_members.size())) return -1;
  return m_members[entry].group;
}

bool MediaCatalog::DriveRange(int entry, int& first, int& end) const {
  const int drive = DriveOf(entry);
  if (drive < 0 || drive >= static_cast<int>(m_groups.size())) return false;
  first = m_groups[drive].firstEntry;
  end = std::min(first + m_groups[drive].memberCount, EntryCount());
  return true;
}

std::vector<int> MediaCatalog::DriveRecordings(int drive) const {
  std::vector<int> out;
  if (drive < 0 || drive >= static_cast<int>(m_groups.size())) return out;
  const MediaGroup& g = m_groups[drive];
  const int end = std::min(g.firstEntry + g.memberCount, EntryCount());
  for (int i = g.firstEntry; i < end; ++i)
    if (PlaysOnFirstChannel(i)) out.push_back(i);
  return out;
}

int MediaCatalog::NextInDrive(int entry) const {
  int first = 0, end = 0;
  if (!DriveRange(entry, first, end)) return -1;
  // A paired rear stands for its front, which sits just before it.
  if (!PlaysOnFirstChannel(entry)) entry = m_entries[entry].partner;
  for (int i = entry + 1; i < end; ++i)
    if (PlaysOnFirstChannel(i)) return i;
  return -1;
}

int MediaCatalog::PreviousInDrive(int entry) const {
  int first = 0, end = 0;
  if (!DriveRange(entry, first, end)) return -1;
  if (!PlaysOnFirstChannel(entry)) entry = m_entries[entry].partner;
  for (int i = entry - 1; i >= first; --i)
    if (PlaysOnFirstChannel(i)) return i;
  return -1;
}

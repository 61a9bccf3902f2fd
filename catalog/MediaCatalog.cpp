#include "catalog/MediaCatalog.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/FileSystem.h"
#include "telemetry/ParserChoice.h"
#include "telemetry/TelemetrySource.h"

namespace fs = std::filesystem;

namespace {

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Recordings only: a card also holds photos, logs and the camera's own files.
bool HasRecordingExtension(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  for (char& c : ext) c = AsciiLower(c);
  return ext == ".mov" || ext == ".mp4" || ext == ".3gp" || ext == ".avi";
}

bool HasGMark(const std::string& name) { return name.size() >= 4 && name[3] == 'G'; }

// Fills entry.info with the parser the name selects; a failed parse
// leaves the facts all zero but the file's size, and marks the entry.
void ParseInto(MediaEntry& entry, const std::string& path) {
  ParseResult result = CreateParser(ChooseParser(path))->ParseFile(path);
  entry.unreadable = !result.Ok();
  entry.info = result.Ok() ? std::move(result.info) : MediaInfo{};
  if (!entry.unreadable) return;
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (!ec) entry.info.fileSize = size;
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(fs::status(path, ec));
}

}  // namespace

void MediaCatalog::Attach(IGroupListView* groupList, IFileListView* fileList,
                          IGSensorSink* gsensor, IMapSink* map, IInstrumentSink* instruments) {
  m_groupList = groupList;
  m_fileList = fileList;
  m_gsensor = gsensor;
  m_map = map;
  m_instruments = instruments;
  m_currentIndex = -1;
  m_currentGroup = 0;
  m_gpsBuffer.clear();
  m_gsensorBuffer.clear();
  m_gsensorWideBuffer.clear();
  m_entries.clear();
  m_groups.clear();
  m_members.clear();
}

void MediaCatalog::Clear() {
  m_entries.clear();
  m_groups.clear();
  m_members.clear();
  m_currentIndex = -1;
  // No entry is current, so no telemetry is loaded either.
  m_gpsBuffer.clear();
  m_gsensorBuffer.clear();
  m_gsensorWideBuffer.clear();
  m_lastFixIndex = -1;
  ClearLists();
  if (m_gsensor) m_gsensor->ClearSamples();
}

void MediaCatalog::ClearLists() {
  if (m_groupList) m_groupList->DeleteAllRows();
  if (m_fileList) m_fileList->DeleteAllRows();
}

int MediaCatalog::Load(std::string folder, std::string file, const ScanProgress& progress) {
  BeginScan();
  int found;
  if (file.empty()) {
    m_progress = progress ? &progress : nullptr;
    found = WalkFolder(folder, [this](const ScanItem& item) { OnScanItem(item); });
    m_progress = nullptr;
  } else {
    found = AddFile(folder, file);
  }
  if (found == 0) return 0;
  AddScanned({});
  return 1;
}

void MediaCatalog::BeginScan() {
  Clear();
  if (m_gsensor) m_gsensor->Refresh();
}

void MediaCatalog::AddScanned(std::vector<MediaEntry> batch) {
  for (MediaEntry& entry : batch) m_entries.push_back(std::move(entry));
  if (m_entries.empty()) return;
  // The lists are filled afresh from the regrouped catalogue.
  ClearLists();
  SortByStartTime();
  BuildGroups();
}

int MediaCatalog::WalkFolder(std::string root, const ScanCallback& callback,
                             const std::atomic<bool>* stop) {
  if (root.empty() || !FileExists(root)) return 0;
  if (root.back() != '/') root += '/';

  // An explicit stack of open listings instead of recursion: the depth is
  // bounded and every listing closes when its level is left.
  struct Level {
    fs::directory_iterator it;
    std::string subPath;
  };
  std::vector<Level> stack;
  std::error_code ec;
  fs::directory_iterator first(root, ec);
  if (ec) return 1;  // a file or an unreadable folder: nothing to list
  stack.push_back({std::move(first), std::string()});

  while (!stack.empty()) {
    if (stop && stop->load(std::memory_order_relaxed)) break;
    Level& top = stack.back();
    if (top.it == fs::directory_iterator()) {
      stack.pop_back();
      continue;
    }
    const fs::directory_entry item = *top.it;
    top.it.increment(ec);
    if (ec) top.it = fs::directory_iterator();  // listing failed: leave this folder

    const std::string name = item.path().filename().string();
    if (name.empty() || name[0] == '.') continue;  // hidden, and "." / ".."
    std::error_code statusError;
    const fs::file_status linkStatus = item.symlink_status(statusError);
    if (statusError) continue;

    if (fs::is_directory(linkStatus)) {
      // Levels below kMaxScanDepth are not entered.
      if (static_cast<int>(stack.size()) > kMaxScanDepth) continue;
      const std::string subPath = top.subPath;
      callback({root, subPath, name, true});
      std::error_code openError;
      fs::directory_iterator child(root + subPath + name, openError);
      if (openError) continue;
      stack.push_back({std::move(child), subPath + name + "/"});
      continue;
    }
    // Links to folders are not followed (no loops); links to files are.
    // FIFOs, sockets and devices are no recordings and could block a read.
    const fs::file_status status =
        fs::is_symlink(linkStatus) ? item.status(statusError) : linkStatus;
    if (statusError || !fs::is_regular_file(status)) continue;
    callback({root, top.subPath, name, false});
  }
  return 1;
}

void MediaCatalog::OnScanItem(const ScanItem& item) {
  MediaEntry entry;
  if (!ReadScanItem(item, entry)) return;
  m_entries.push_back(std::move(entry));
  if (m_progress) (*m_progress)(static_cast<int>(m_entries.size()));
}

bool MediaCatalog::ReadScanItem(const ScanItem& item, MediaEntry& entry) {
  if (item.isDirectory) return false;
  const std::string folder = item.root + item.subPath;
  bool gMark = false;
  bool readOnly = false;
  if (!CheckScanName(folder, item.name, gMark, readOnly)) return false;

  entry = MediaEntry{};
  entry.root = item.root;
  entry.subPath = item.subPath;
  entry.name = item.name;
  if (gMark) entry.flags |= kEntryGMark;
  if (readOnly) entry.flags |= kEntryReadOnly;
  ParseInto(entry, folder + item.name);
  return true;
}

bool MediaCatalog::CheckScanName(const std::string& folder, const std::string& name, bool& gMark,
                                 bool& readOnly) {
  gMark = HasGMark(name);
  readOnly = false;
  for (std::size_t i = 0; i < 4 && i < name.size(); ++i) {
    const char c = name[i];
    if (!IsAsciiDigit(c) && !IsAsciiLetter(c) && c != '_' && c != '-') return false;
  }
  if (name.size() < 8) return false;
  for (std::size_t i = 4; i < 8; ++i) {
    if (!IsAsciiDigit(name[i])) return false;
  }
  if (!HasRecordingExtension(name)) return false;
  readOnly = IsReadOnlyFile(folder + name);
  return true;
}

int MediaCatalog::AddFile(std::string folder, const std::string& file) {
  if (folder.empty()) folder = "./";
  if (folder.back() != '/') folder += '/';
  MediaEntry entry;
  entry.name = file;
  entry.root = folder;
  const std::string path = folder + file;
  if (file.empty() || !FileExists(path)) return 0;

  if (HasGMark(file)) entry.flags |= kEntryGMark;
  // A folder, FIFO or device in place of a file is listed without facts.
  if (IsRegularFile(path)) ParseInto(entry, path);
  else entry.unreadable = true;
  if (IsReadOnlyFile(path)) entry.flags |= kEntryReadOnly;
  m_entries.push_back(std::move(entry));
  return 1;
}

void MediaCatalog::SortByStartTime() { SortByStartTime(m_entries); }

void MediaCatalog::SortByStartTime(std::vector<MediaEntry>& entries) {
  // Equal start times are ordered by path so the same card always lists
  // the same way.
  std::vector<std::pair<std::string, std::size_t>> keys;
  keys.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) keys.emplace_back(entries[i].FullPath(), i);
  std::sort(keys.begin(), keys.end(), [&entries](const auto& a, const auto& b) {
    const MediaEntry& ea = entries[a.second];
    const MediaEntry& eb = entries[b.second];
    // What could not be read has no time to sort by: it goes last.
    if (ea.unreadable != eb.unreadable) return eb.unreadable;
    if (ea.info.startTime != eb.info.startTime) return ea.info.startTime < eb.info.startTime;
    return a.first < b.first;
  });
  std::vector<MediaEntry> sorted;
  sorted.reserve(entries.size());
  for (const auto& key : keys) sorted.push_back(std::move(entries[key.second]));
  entries = std::move(sorted);
}

int MediaCatalog::UnreadableCount() const {
  return static_cast<int>(std::count_if(m_entries.begin(), m_entries.end(),
                                        [](const MediaEntry& e) { return e.unreadable; }));
}

int MediaCatalog::RefreshTicks() {
  int any = 0;
  for (std::size_t j = 0; j < m_groups.size(); ++j) {
    const bool ticked = m_groupList && m_groupList->IsRowChecked(static_cast<int>(j));
    m_groups[j].checked = ticked ? 1 : 0;
    if (ticked) any = 1;
  }
  return any;
}

void MediaCatalog::RemoveEntry(int i) {
  if (i < 0 || i >= EntryCount()) return;
  m_entries.erase(m_entries.begin() + i);
  if (i < static_cast<int>(m_members.size())) m_members.erase(m_members.begin() + i);
}

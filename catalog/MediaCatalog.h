#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalog/CatalogSinks.h"
#include "catalog/MediaEntry.h"
#include "telemetry/TelemetryTypes.h"

// The catalogue of recordings: the folder scan, the continuous-drive
// groups, the current entry and the raw telemetry of the current file.
// Plain C++: it reaches the lists, the G-sensor chart, the map and the
// instruments only through the sink interfaces, each of which may be null.
// Not thread-safe; everything runs on the thread that owns it.
class MediaCatalog {
 public:
  // Called once per recording found while a folder is scanned, with the
  // number found so far, so a window can show progress and stay responsive.
  using ScanProgress = std::function<void(int found)>;

  // One item the folder walk reports. Return value of the callback is
  // ignored (the walk runs to the end unless it is told to stop).
  struct ScanItem {
    const std::string& root;     // ends in '/'
    const std::string& subPath;  // each level followed by '/'
    const std::string& name;
    bool isDirectory;
  };
  using ScanCallback = std::function<void(const ScanItem&)>;

  // Deepest folder level below the root that the walk enters.
  static constexpr int kMaxScanDepth = 40;

  MediaCatalog() = default;
  MediaCatalog(const MediaCatalog&) = delete;
  MediaCatalog& operator=(const MediaCatalog&) = delete;

  // Stores the sinks (each may be null) and empties everything.
  void Attach(IGroupListView* groupList, IFileListView* fileList, IGSensorSink* gsensor,
              IMapSink* map, IInstrumentSink* instruments);
  // Empties entries, groups, members and both lists; no current entry.
  void Clear();

  // Scan mode when `file` is empty (every recording below `folder`), else
  // single-file mode (folder + file). Returns 0 when the folder or file does
  // not exist, else 1, also when nothing was found.
  int Load(std::string folder, std::string file, const ScanProgress& progress = {});
  // Load in steps, for a scan that reads the files elsewhere (FolderScan):
  // BeginScan empties the catalogue as Load does; AddScanned appends what
  // was read so far, then sorts, groups and lists everything held. After the
  // last batch the catalogue is what Load makes of the same folder.
  void BeginScan();
  void AddScanned(std::vector<MediaEntry> batch);

  // Depth-first walk below `root`: directories are reported before their
  // contents. Skips dot-files, entries that are neither regular files nor
  // directories, symbolic links to directories, unreadable directories and
  // anything deeper than kMaxScanDepth. Returns 0 when root does not exist.
  // Ends early, before the next item, once `stop` is set.
  static int WalkFolder(std::string root, const ScanCallback& callback,
                        const std::atomic<bool>* stop = nullptr);
  void OnScanItem(const ScanItem& item);
  // What OnScanItem adds for an item: false for folders and names that are
  // no recordings, else true and the parsed entry. Touches no catalogue.
  static bool ReadScanItem(const ScanItem& item, MediaEntry& entry);
  // The camera's naming pattern plus a recording extension (.mov, .mp4,
  // .3gp, .avi in any case). Sets gMark from the name and readOnly from the
  // file at folder + name.
  static bool CheckScanName(const std::string& folder, const std::string& name, bool& gMark,
                            bool& readOnly);
  int AddFile(std::string folder, const std::string& file);
  // Ascending start time; equal start times ordered by full path; entries
  // that could not be read last (by path).
  void SortByStartTime();
  static void SortByStartTime(std::vector<MediaEntry>& entries);
  // Makes the drives from entries in start-time order (SortByStartTime):
  // sets every entry's camera, pairs each front with the rear that starts
  // within kPairSeconds of it (closest first, each entry pairs once), chains
  // pairs and lone recordings into drives (IsContinuation of the end of the
  // previous one), reorders the entries (drives in time order; in a drive
  // its recordings in time order, each front directly followed by its rear;
  // a lone rear at its own time), then fills the groups, members and lists.
  // An entry without a start time (its parse failed) pairs with nothing and
  // is a drive of its own: nothing says what it continues.
  void BuildGroups();
  // Within two seconds before or after the end of the previous recording.
  static bool IsContinuation(CalendarTime previousStart, TimeSpan previousLength,
                             CalendarTime start);
  // Front and rear recordings whose start times differ by at most this much
  // are one minute of both cameras.
  static constexpr CalendarTime kPairSeconds = 2;
  // The camera by the companion naming: the character before the extension
  // ('R' rear, 'F' front), else the last character of the parent folder
  // ('R' rear); anything else is the front camera. Upper case only, as the
  // companion lookup of the playback swaps in an upper-case 'R'.
  // `folder` is the recording's folder, with or without a trailing '/'.
  static Camera CameraFromName(const std::string& folder, const std::string& name);
  void CollectGroups();
  void FillLists();
  // The file list's row of an entry; a group below 0 (not yet in a drive)
  // leaves the ID empty.
  static FileRow FileRowOf(const MediaEntry& e, std::int32_t group, std::int32_t indexInGroup);

  // Drives and cameras; valid after BuildGroups. A drive is a group. The
  // first channel plays the fronts and the rears without a front; a paired
  // rear plays beside its front on the second channel.
  // The rear paired with a front entry; -1 for a lone front, a rear or a bad index.
  int CompanionOf(int entry) const;
  // Fronts and rears without a front; false for a bad index.
  bool PlaysOnFirstChannel(int entry) const;
  // The drive (group) number of an entry; -1 for a bad index.
  int DriveOf(int entry) const;
  // The first-channel entries of a drive in time order; empty for a bad number.
  std::vector<int> DriveRecordings(int drive) const;
  // The next / previous first-channel entry of the same drive; -1 at the
  // end / start or for a bad index. A paired rear counts as its front.
  int NextInDrive(int entry) const;
  int PreviousInDrive(int entry) const;

  // Catalogue contents (the file operations edit entries in place).
  std::vector<MediaEntry>& Entries() { return m_entries; }
  const std::vector<MediaEntry>& Entries() const { return m_entries; }
  const std::vector<MediaGroup>& Groups() const { return m_groups; }
  std::vector<MediaGroup>& Groups() { return m_groups; }
  const std::vector<GroupMember>& Members() const { return m_members; }
  int EntryCount() const { return static_cast<int>(m_entries.size()); }
  bool Empty() const { return m_entries.empty(); }
  // Entries whose file could not be read as a recording.
  int UnreadableCount() const;
  // Copies the group list's check boxes into the groups; 1 when any is set.
  int RefreshTicks();
  // Removes entry i and the member at the same index (groups and partner
  // indices are stale until BuildGroups).
  void RemoveEntry(int i);
  // Deletes every row of both lists.
  void ClearLists();

  // Current entry.
  // Makes entry i current, whichever camera it is (a paired rear stays the
  // rear: the caller decides what to play); 0 for a bad index.
  int Select(int i);
  // Makes the drive's first first-channel entry current; 0 for a bad number.
  int SelectGroupFirst(int g);
  // What plays after the current entry: the next first-channel entry of
  // its drive, else the first one of the next drive, else -1.
  int NextIndex() const;
  int CurrentIndex();
  int CurrentGroup() const { return m_currentGroup; }
  std::string PathOf(int i) const;
  std::string CurrentPath();

  // The index of the entry at `fullPath`; -1 when none is.
  int FindEntry(const std::string& fullPath) const;

  // Telemetry of the current entry.
  int LoadTelemetry(int i);
  // Forgets the loaded telemetry (fixes, samples, the chart's curve and the
  // map's route), e.g. when its recording left the catalogue; the current
  // index stays.
  void ClearTelemetry();
  // Shows the fix at playback time t; 1 when a valid fix is shown there.
  int SyncToTime(std::int64_t t, bool mapEnabled);
  // Redraws the route driven up to time t after a seek.
  void DrawDrivenPath(std::uint32_t t);
  double GpsRate() const { return m_gpsRate; }
  // Fixes of the file last given to LoadTelemetry (see ReadTelemetry).
  const std::vector<GpsFix>& LoadedFixes() const;
  // Fixes an export writes (valid, inside the coordinate range, finite).
  int ExportableFixCount() const;

  // Writes the current entry's route into `folder`; true and the file's
  // path in outPath on success, false and outPath unchanged otherwise.
  bool ExportKml(const std::string& folder, std::string& outPath);
  bool ExportGpx(const std::string& folder, std::string& outPath);

 private:
  void RemoveMarks();
  void MarkCurrent(bool scroll);
  // Hand the loaded series to the G-sensor chart and the map.
  void LoadGSensor(const MediaInfo& info, double samplesPerMs);
  void LoadGps(double fixesPerSecond);
  // Steps of BuildGroups.
  void PairCameras();
  void OrderByDrive();
  // The drive range [first, end) that holds entry; false for a bad index.
  bool DriveRange(int entry, int& first, int& end) const;
  // Fixes an export writes, in decimal degrees.
  struct ExportFix {
    double latitude;
    double longitude;
    GpsFix fix;
  };
  std::vector<ExportFix> ExportFixes() const;
  std::string ExportPath(const std::string& folder, const MediaEntry& e,
                         const char* extension) const;

  std::vector<MediaEntry> m_entries;
  std::vector<MediaGroup> m_groups;
  std::vector<GroupMember> m_members;

  IGroupListView* m_groupList = nullptr;
  IFileListView* m_fileList = nullptr;
  IGSensorSink* m_gsensor = nullptr;
  IMapSink* m_map = nullptr;
  IInstrumentSink* m_instruments = nullptr;

  const ScanProgress* m_progress = nullptr;  // set while a scan runs

  int m_currentIndex = -1;
  int m_currentGroup = 0;
  // The current file's telemetry as ReadTelemetry gave it.
  std::vector<GpsFix> m_gpsBuffer;
  std::vector<GSensorSample> m_gsensorBuffer;           // payload samples
  std::vector<GSensorWideSample> m_gsensorWideBuffer;   // data-track samples
  double m_gpsRate = 1.0;
  int m_lastFixIndex = -1;
};

enum class RouteFormat { kKml, kGpx };

// Loads the one recording at `path` and writes its route into `folder` as
// the export buttons do. Returns 1 and the written file's path, or 0 and a
// message for the user: a missing file, an unreadable one, one without any
// exportable fix, or a document that could not be written (nothing is
// left half-written).
int ExportRouteOfFile(const std::string& path, const std::string& folder, RouteFormat format,
                      std::string& outPath, std::string& error);

// Scans `cardFolder` and writes the route of its drive `drive` (the number
// the scan gives it, from 0) into `folder`: every valid fix of the drive's
// recordings in time order, a new line wherever there was no fix. Same
// results and messages as ExportRouteOfFile.
int ExportRouteOfDrive(const std::string& cardFolder, int drive, const std::string& folder,
                       RouteFormat format, std::string& outPath, std::string& error);

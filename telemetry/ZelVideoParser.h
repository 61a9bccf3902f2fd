#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "telemetry/ByteReader.h"
#include "telemetry/TelemetryTypes.h"

// What the catalogue needs of a file's status: its attribute byte, of
// which only the read-only bit is filled here.
struct FileStatus {
  static constexpr std::uint8_t kReadOnly = 0x01;
  std::uint8_t attribute = 0;
  bool IsReadOnly() const { return (attribute & kReadOnly) != 0; }
};

// Base of the recording parsers. One parser object serves one file:
// construct, SetInfoTarget, optionally SetStatusTarget, Parse, destroy.
// Parse returns 0 when the file was understood and the MediaInfo target
// was filled, -1 when it was not (the target then keeps what it held).
class CZelVideoParser {
 public:
  CZelVideoParser() = default;
  virtual ~CZelVideoParser() = default;
  CZelVideoParser(const CZelVideoParser&) = delete;
  CZelVideoParser& operator=(const CZelVideoParser&) = delete;

  virtual void SetInfoTarget(MediaInfo* info) { (void)info; }
  virtual int Parse(const std::filesystem::path& path) {
    (void)path;
    return 0;
  }
  virtual void SetStatusTarget(FileStatus* status) { (void)status; }

 protected:
  static constexpr std::size_t kDateTextSize = 64;

  void ResetResults();

  // Opens m_file read-only, sets m_fileSize and fills the status target.
  bool OpenFile(const std::filesystem::path& path);
  void CloseFile();

  // Start time from the first valid timed record of a GPS payload of
  // `size` bytes at `offset`. Returns false only when a valid date cannot
  // be converted (the parse then fails); records beyond the end of the
  // file are not read.
  bool ScanGpsPayloadForStartTime(std::uint64_t offset, std::uint64_t size);
  // Start time from a date text payload ("YYYY-MM-DD hh:mm:ss"). Returns
  // false only when a valid date cannot be converted.
  bool TakeDateText(std::uint64_t offset, std::uint64_t size);
  // Start time from one GPS record found at index `index` of its series,
  // with `rate` fixes per second. False: the record carries no usable time.
  bool StartTimeFromFix(const GpsFix& fix, std::uint64_t index, unsigned rate, bool& convertFailed);

  // End of a box or AVI parse: start time 0 when none was found; copies
  // the results when width, height and duration are all known and
  // `structureOk`. Returns 0 or -1.
  int FinishWalk(bool structureOk);
  void CopyResults() const;

  std::unique_ptr<FileHandle> m_file;
  std::unique_ptr<ByteReader> m_reader;

  CalendarTime m_startTime = 0;
  TimeSpan m_length = 0;
  std::uint32_t m_durationMs = 0;
  std::uint64_t m_gpsOffset = 0;
  std::uint32_t m_gpsSize = 0;
  std::uint16_t m_width = 0;
  std::uint16_t m_height = 0;
  std::uint64_t m_gsensorOffset = 0;
  std::uint32_t m_gsensorSize = 0;
  std::uint64_t m_fileSize = 0;
  std::array<std::uint8_t, 4> m_gpsAttr{};
  std::array<std::uint8_t, 4> m_gsensorAttr{};

  MediaInfo* m_info = nullptr;
  FileStatus* m_status = nullptr;

  bool m_startTimeKnown = false;
  std::array<char, kDateTextSize + 1> m_dateText{};  // always NUL-terminated
};

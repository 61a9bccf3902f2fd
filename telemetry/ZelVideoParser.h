#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>

#include "telemetry/ByteReader.h"
#include "telemetry/ParseResult.h"
#include "telemetry/TelemetryTypes.h"

// What the catalogue needs of a file's status: its attribute byte, of
// which only the read-only bit is filled here.
struct FileStatus {
  static constexpr std::uint8_t kReadOnly = 0x01;
  std::uint8_t attribute = 0;
  bool IsReadOnly() const { return (attribute & kReadOnly) != 0; }
};

// Base of the recording parsers. A parser reads one recording from a
// ByteReader (a file or bytes in memory) and returns a ParseResult: the
// status and, when it is ok, the MediaInfo. One parser object serves one
// parse at a time; it may be reused.
//
// The older interface stays as a thin wrapper: SetInfoTarget, optionally
// SetStatusTarget, then Parse(path), which returns 0 when the file was
// understood and copies the facts into the targets, or -1 when it was not
// and leaves both targets as they were.
class CZelVideoParser {
 public:
  CZelVideoParser() = default;
  virtual ~CZelVideoParser() = default;
  CZelVideoParser(const CZelVideoParser&) = delete;
  CZelVideoParser& operator=(const CZelVideoParser&) = delete;

  // Opens `path` read-only and parses it; an open failure is an I/O error
  // with the system's text.
  ParseResult ParseFile(const std::filesystem::path& path);
  ParseResult ParseMemory(std::span<const std::uint8_t> bytes);
  // Parses what `reader` holds from its start; its size is the file's.
  ParseResult ParseReader(ByteReader& reader);

  void SetInfoTarget(MediaInfo* info) { m_info = info; }
  void SetStatusTarget(FileStatus* status) { m_status = status; }
  int Parse(const std::filesystem::path& path);

 protected:
  // The format's own walk over m_reader (m_fileSize bytes), after
  // ResetResults.
  virtual ParseResult Walk() = 0;
  // Whether Parse fills the status target (the data-track parser does not).
  virtual bool FillsFileStatus() const { return true; }

  static constexpr std::size_t kDateTextSize = 64;

  void ResetResults();

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

  // End of a box or AVI walk that read its structure: start time 0 when
  // none was found; ok with the results when width, height and duration
  // are all known, damaged otherwise.
  ParseResult FinishWalk();
  // A walk that stopped on a failed read: an I/O error when the reader
  // says so, otherwise the file is damaged (`what` says how).
  ParseResult ReadFailure(const char* what) const;
  MediaInfo Results() const;

  ByteReader* m_reader = nullptr;  // set while a parse runs

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

#include "telemetry/ZelVideoParser.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "telemetry/TelemetryUtil.h"

void CZelVideoParser::ResetResults() {
  m_startTime = 0;
  m_length = 0;
  m_gpsOffset = 0;
  m_gpsSize = 0;
  m_gsensorOffset = 0;
  m_gsensorSize = 0;
  m_width = 0;
  m_height = 0;
  m_fileSize = 0;
  m_durationMs = 0;
  m_gpsAttr = {};
  m_gsensorAttr = {};
  m_startTimeKnown = false;
  m_dateText.fill(0);
}

ParseResult CZelVideoParser::ParseReader(ByteReader& reader) {
  ResetResults();
  if (reader.Failed()) {
    return ParseResult::Failure(reader.IoError() ? ParseStatus::kIoError : ParseStatus::kDamaged,
                                reader.IoError() ? reader.IoErrorText() : "unreadable");
  }
  m_reader = &reader;
  m_fileSize = reader.Size();
  ParseResult result = Walk();
  m_reader = nullptr;
  if (!result.Ok()) result.info = MediaInfo{};
  return result;
}

ParseResult CZelVideoParser::ParseMemory(std::span<const std::uint8_t> bytes) {
  ByteReader reader(bytes);
  return ParseReader(reader);
}

ParseResult CZelVideoParser::ParseFile(const std::filesystem::path& path) {
  FileHandle file;
  if (!file.Open(path)) return ParseResult::Failure(ParseStatus::kIoError, std::strerror(errno));
  ByteReader reader(file);
  ParseResult result = ParseReader(reader);
  if (result.Ok() && m_status && FillsFileStatus())
    m_status->attribute = file.IsReadOnly() ? FileStatus::kReadOnly : 0;
  return result;
}

int CZelVideoParser::Parse(const std::filesystem::path& path) {
  ParseResult result = ParseFile(path);
  if (!result.Ok()) return -1;
  if (m_info) *m_info = std::move(result.info);
  return 0;
}

bool CZelVideoParser::StartTimeFromFix(const GpsFix& fix, std::uint64_t index, unsigned rate,
                                       bool& convertFailed) {
  convertFailed = false;
  if (fix.year == 0) return false;
  const int year = 2000 + fix.year;
  if (!IsValidDateTime(year, fix.month, fix.day, fix.hour, fix.minute, fix.second)) return false;
  CalendarTime t = 0;
  if (!LocalDateTimeToCalendar(year, fix.month, fix.day, fix.hour, fix.minute, fix.second, t)) {
    convertFailed = true;
    return false;
  }
  // The series started index / rate seconds before this record.
  m_startTime = t - static_cast<CalendarTime>(index / (rate ? rate : 1));
  return true;
}

bool CZelVideoParser::ScanGpsPayloadForStartTime(std::uint64_t offset, std::uint64_t size) {
  if (m_startTimeKnown) return true;
  const std::uint64_t count = size / GpsFix::kFileSize;
  for (std::uint64_t i = 0; i < count && !m_startTimeKnown; ++i) {
    const std::uint64_t at = offset + i * GpsFix::kFileSize;
    // Records cut off by the end of the file are not there to read.
    if (at > m_fileSize || m_fileSize - at < GpsFix::kFileSize) break;
    if (!m_reader->Seek(at)) return false;
    const GpsFix fix = GpsFix::Read(*m_reader);
    if (!m_reader->Ok()) return false;
    if (fix.year == 0) continue;
    if (!IsValidDateTime(2000 + fix.year, fix.month, fix.day, fix.hour, fix.minute, fix.second))
      continue;
    // A rate outside 1..10 is not believed; the attribute is set to 1.
    unsigned rate = m_gpsAttr[0];
    if (rate == 0 || rate > 10) {
      m_gpsAttr[0] = 1;
      rate = 1;
    }
    bool convertFailed = false;
    if (!StartTimeFromFix(fix, i, rate, convertFailed)) return !convertFailed;
    m_startTimeKnown = true;
  }
  return true;
}

bool CZelVideoParser::TakeDateText(std::uint64_t offset, std::uint64_t size) {
  m_startTimeKnown = true;
  // Only the first 64 bytes are kept; the rest of the buffer stays as it
  // was and the last byte is always the terminator.
  std::uint64_t n = size < kDateTextSize ? size : kDateTextSize;
  if (n > 0) {
    if (!m_reader->Seek(offset)) return false;
    if (n > m_reader->Remaining()) n = m_reader->Remaining();
    if (!m_reader->Read(m_dateText.data(), static_cast<std::size_t>(n))) return false;
  }
  m_dateText[kDateTextSize] = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  std::sscanf(m_dateText.data(), "%04d-%02d-%02d %02d:%02d:%02d", &year, &month, &day, &hour,
              &minute, &second);
  if (!IsValidDateTime(year, month, day, hour, minute, second)) {
    m_startTimeKnown = false;
    return true;
  }
  CalendarTime t = 0;
  if (!LocalDateTimeToCalendar(year, month, day, hour, minute, second, t)) return false;
  m_startTime = t;
  return true;
}

MediaInfo CZelVideoParser::Results() const {
  MediaInfo info;
  info.gpsOffset = m_gpsOffset;
  info.gpsSize = m_gpsSize;
  info.gsensorOffset = m_gsensorOffset;
  info.gsensorSize = m_gsensorSize;
  info.width = m_width;
  info.height = m_height;
  info.startTime = m_startTimeKnown ? m_startTime : 0;
  info.length = m_length;
  info.durationMs = m_durationMs;
  info.fileSize = m_fileSize;
  info.gpsAttr = m_gpsAttr;
  info.gsensorAttr = m_gsensorAttr;
  return info;
}

ParseResult CZelVideoParser::ReadFailure(const char* what) const {
  if (m_reader && m_reader->IoError())
    return ParseResult::Failure(ParseStatus::kIoError, m_reader->IoErrorText());
  return ParseResult::Failure(ParseStatus::kDamaged, what);
}

ParseResult CZelVideoParser::FinishWalk() {
  if (!m_width || !m_height || !m_durationMs)
    return ParseResult::Failure(ParseStatus::kDamaged, "no picture size or duration found");
  ParseResult result;
  result.status = ParseStatus::kOk;
  result.info = Results();
  return result;
}

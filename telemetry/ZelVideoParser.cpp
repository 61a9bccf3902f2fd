#include "telemetry/ZelVideoParser.h"

#include <cstdio>

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

bool CZelVideoParser::OpenFile(const std::filesystem::path& path) {
  CloseFile();
  auto file = std::make_unique<FileHandle>();
  if (!file->Open(path)) return false;
  if (!file->Size(m_fileSize)) return false;
  if (m_status) m_status->attribute = file->IsReadOnly() ? FileStatus::kReadOnly : 0;
  m_file = std::move(file);
  m_reader = std::make_unique<ByteReader>(*m_file);
  return m_reader->Ok();
}

void CZelVideoParser::CloseFile() {
  m_reader.reset();
  m_file.reset();
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

void CZelVideoParser::CopyResults() const {
  if (!m_info) return;
  m_info->gpsOffset = m_gpsOffset;
  m_info->gpsSize = m_gpsSize;
  m_info->gsensorOffset = m_gsensorOffset;
  m_info->gsensorSize = m_gsensorSize;
  m_info->width = m_width;
  m_info->height = m_height;
  m_info->startTime = m_startTime;
  m_info->length = m_length;
  m_info->durationMs = m_durationMs;
  m_info->fileSize = m_fileSize;
  m_info->gpsAttr = m_gpsAttr;
  m_info->gsensorAttr = m_gsensorAttr;
}

int CZelVideoParser::FinishWalk(bool structureOk) {
  CloseFile();
  if (!m_startTimeKnown) m_startTime = 0;
  if (structureOk && m_width && m_height && m_durationMs) {
    CopyResults();
    return 0;
  }
  m_width = 0;
  m_height = 0;
  m_durationMs = 0;
  return -1;
}

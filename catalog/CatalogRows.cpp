#include "catalog/CatalogRows.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

namespace {

constexpr std::uint64_t kBytesPerMb = 1048576;

std::string Printf(const char* format, long long a, long long b = 0) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, a, b);
  return buf;
}

// A start time of 0 is unknown (the file could not be read): no time is
// shown rather than the first second of 1970.
std::string TimeCell(CalendarTime t, const char* format) {
  return t == 0 ? std::string() : FormatLocalTime(t, format);
}

// Whole megabytes from 10 MB; below that one decimal, so that the many
// short recordings of a card do not all read "0 MB". Both round down, as a
// size of 9.99 MB must not read "10.0 MB".
std::string MegaBytes(std::uint64_t bytes) {
  if (bytes >= 10 * kBytesPerMb) return Printf(" %lld MB", static_cast<long long>(bytes / kBytesPerMb));
  const auto tenths = static_cast<long long>(bytes * 10 / kBytesPerMb);
  return Printf(" %lld.%lld MB", tenths / 10, tenths % 10);
}

}  // namespace

std::array<std::string, 5> GroupRowCells(const GroupRow& row) {
  return {Printf("G%lld", row.number),
          row.resolution,
          TimeCell(row.startTime, "%Y-%m-%d %H:%M:%S"),
          Printf(" %lld s ", static_cast<long long>(row.durationMs / 1000)),
          MegaBytes(row.fileSize)};
}

std::array<std::string, 6> FileRowCells(const FileRow& row) {
  // The end time adds whole seconds only, as the length column shows them.
  const CalendarTime seconds = row.durationMs / 1000;
  const CalendarTime end =
      row.startTime > INT64_MAX - seconds ? row.startTime : row.startTime + seconds;
  return {row.group < 0 ? std::string() : Printf("G%lld-%lld", row.group, row.indexInGroup),
          row.name,
          TimeCell(row.startTime, "%H:%M:%S"),
          TimeCell(row.startTime == 0 ? 0 : end, "%H:%M:%S"),
          MegaBytes(row.fileSize),
          row.folder};
}

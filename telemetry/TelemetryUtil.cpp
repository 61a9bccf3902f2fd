#include "telemetry/TelemetryUtil.h"

#include <cmath>
#include <cstdio>
#include <ctime>

bool IsValidDateTime(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                     std::int32_t minute, std::int32_t second) {
  return year >= 1900 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 &&
         hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

namespace {

std::tm BrokenDownTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  return tm;
}

}  // namespace

bool LocalDateTimeToCalendar(int year, int month, int day, int hour, int minute, int second,
                             CalendarTime& out) {
  if (year < 1970 || year > 3000) return false;
  std::tm tm = BrokenDownTime(year, month, day, hour, minute, second);
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  // Early 1970 in a zone east of UTC lies before the epoch.
  if (t == static_cast<std::time_t>(-1) || t < 0) return false;
  out = static_cast<CalendarTime>(t);
  return true;
}

CalendarTime UtcFromFields(int year, int month, int day, int hour, int minute, int second) {
  if (!IsValidDateTime(year, month, day, hour, minute, second) || year < 1970 || year > 3000)
    return -1;
  std::tm tm = BrokenDownTime(year, month, day, hour, minute, second);
  const std::time_t t = timegm(&tm);
  return t < 0 ? -1 : static_cast<CalendarTime>(t);
}

std::string FormatLocalTime(CalendarTime t, const char* format) {
  const std::time_t tt = static_cast<std::time_t>(t);
  if (static_cast<CalendarTime>(tt) != t) return {};
  std::tm tm{};
  if (localtime_r(&tt, &tm) == nullptr) return {};
  char buf[128];
  const std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
  return std::string(buf, n);
}

std::string FormatLocalIso(CalendarTime t) { return FormatLocalTime(t, "%Y-%m-%dT%H:%M:%S"); }

std::string FormatLocalDateTime(CalendarTime t) { return FormatLocalTime(t, "%Y-%m-%d %H:%M:%S"); }

double DdmmToDegrees(double v) {
  const double whole = std::trunc(v);
  return whole + (v - whole) * 100.0 / 60.0;
}

bool NormalizeFixPair(double& latitude, double& longitude) {
  latitude /= 100.0;
  longitude /= 100.0;
  return latitude < 200.0 && longitude < 200.0;
}

bool ConvertFixPair(double& latitude, double& longitude) {
  latitude = DdmmToDegrees(latitude / 100.0);
  longitude = DdmmToDegrees(longitude / 100.0);
  return latitude < 200.0 && longitude < 200.0;
}

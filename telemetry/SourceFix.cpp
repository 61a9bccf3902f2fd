#include "telemetry/SourceFix.h"

#include <cmath>
#include <ctime>

#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double Radians(double degrees) { return degrees * kPi / 180.0; }

// Initial bearing from a to b in degrees [0, 360).
double Bearing(const SourcePoint& a, const SourcePoint& b) {
  const double phi1 = Radians(a.latitude), phi2 = Radians(b.latitude);
  const double dl = Radians(b.longitude - a.longitude);
  const double y = std::sin(dl) * std::cos(phi2);
  const double x = std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dl);
  const double deg = std::atan2(y, x) * 180.0 / kPi;
  return deg < 0 ? deg + 360.0 : deg;
}


void SetLocalTime(GpsFix& f, CalendarTime utc) {
  const std::time_t t = static_cast<std::time_t>(utc);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return;
  const int year = tm.tm_year + 1900;
  // The record holds the year as an offset from 2000 in one byte.
  if (year < 2001 || year > 2255) return;
  f.year = static_cast<std::uint8_t>(year - 2000);
  f.month = static_cast<std::uint8_t>(tm.tm_mon + 1);
  f.day = static_cast<std::uint8_t>(tm.tm_mday);
  f.hour = static_cast<std::uint8_t>(tm.tm_hour);
  f.minute = static_cast<std::uint8_t>(tm.tm_min);
  f.second = static_cast<std::uint8_t>(tm.tm_sec);
}

}  // namespace

double DegreesToStored(double degrees) {
  const double a = std::fabs(degrees);
  const double whole = std::floor(a);
  const double v = whole * 100.0 + (a - whole) * 60.0;
  return degrees < 0 ? -v : v;
}

GpsFix MakeSourceFix(const SourcePoint& p) {
  GpsFix f;
  const bool placeable = std::isfinite(p.latitude) && std::isfinite(p.longitude) &&
                         std::fabs(p.latitude) <= 90 && std::fabs(p.longitude) <= 180;
  if (placeable) {
    f.latitude = DegreesToStored(p.latitude);
    f.longitude = DegreesToStored(p.longitude);
  }
  if (std::isfinite(p.altitude) && std::fabs(p.altitude) < 1e6)
    f.altitude = static_cast<std::int32_t>(std::lround(p.altitude));
  if (std::isfinite(p.speedKmh) && p.speedKmh > 0)
    f.speed = p.speedKmh >= 65535 ? 65535 : static_cast<std::uint16_t>(std::lround(p.speedKmh));
  if (std::isfinite(p.headingDeg) && p.headingDeg >= 0) {
    const double h = std::fmod(p.headingDeg, 360.0);
    f.heading = static_cast<std::uint8_t>(std::lround(h / 2.0) % 180);
  }
  if (p.utc >= 0) SetLocalTime(f, p.utc);
  f.status = placeable && p.valid ? 1 : 0;
  return f;
}

CalendarTime FixLocalTime(const GpsFix& f) {
  CalendarTime t = -1;
  if (f.year == 0 || !IsValidDateTime(2000 + f.year, f.month, f.day, f.hour, f.minute, f.second))
    return -1;
  if (!LocalDateTimeToCalendar(2000 + f.year, f.month, f.day, f.hour, f.minute, f.second, t))
    return -1;
  return t;
}

void FillHeadings(std::vector<SourcePoint>& points) {
  double last = -1;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (points[i].headingDeg >= 0) {
      last = points[i].headingDeg;
      continue;
    }
    // Positions a few centimetres apart give a bearing of noise.
    for (std::size_t j = i + 1; j < points.size(); ++j) {
      const double dLat = points[j].latitude - points[i].latitude;
      const double dLon = points[j].longitude - points[i].longitude;
      if (std::fabs(dLat) + std::fabs(dLon) > 1e-6) {
        last = Bearing(points[i], points[j]);
        break;
      }
      if (j - i > 64) break;
    }
    points[i].headingDeg = last;
  }
}

std::int8_t GToCount(double g) {
  if (!std::isfinite(g)) return 0;
  const double c = std::round(g * 16.0);
  if (c >= 127) return 127;
  if (c <= -128) return -128;
  return static_cast<std::int8_t>(c);
}

void ClipToRecording(std::vector<SourcePoint>& points, const MediaInfo& info) {
  if (info.startTime <= 0 || info.durationMs == 0) return;
  // The recording's start is local wall time turned into a calendar time,
  // so it compares directly with the points' UTC seconds.
  const CalendarTime first = info.startTime;
  const CalendarTime last = first + (info.durationMs + 999) / 1000;
  std::vector<SourcePoint> kept;
  for (const SourcePoint& p : points)
    if (p.utc < 0 || (p.utc >= first && p.utc < last)) kept.push_back(p);
  points.swap(kept);
}

double RateOf(const std::vector<SourcePoint>& points) {
  CalendarTime first = -1, last = -1;
  std::size_t timed = 0;
  for (const SourcePoint& p : points) {
    if (p.utc < 0) continue;
    if (first < 0) first = p.utc;
    last = p.utc;
    ++timed;
  }
  if (timed < 2 || last <= first) return 1.0;
  // Fixes inside one second share its time: n fixes over a span of s
  // whole seconds hold s + 1 seconds' worth.
  const double rate = std::round(static_cast<double>(timed) / static_cast<double>(last - first + 1));
  return rate >= 1 ? rate : 1.0;
}

void StoreFixes(const std::vector<SourcePoint>& points, TelemetrySeries& out) {
  out.fixes.clear();
  out.fixes.reserve(points.size());
  for (const SourcePoint& p : points) out.fixes.push_back(MakeSourceFix(p));
  out.fixRate = RateOf(points);
}

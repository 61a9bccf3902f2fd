// Synthetic routes, G-sensor series and the local date-time arithmetic they need.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "telemetry/TelemetryUtil.h"
#include "tools/recgen/RecordingGenerator.h"

namespace recgen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerDegree = 111320.0;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

double Radians(double deg) { return deg * kPi / 180.0; }

// Heading in degrees -> the stored unit of 2 degrees.
std::uint8_t StoredHeading(double deg) {
  double d = std::fmod(deg, 360.0);
  if (d < 0) d += 360.0;
  return static_cast<std::uint8_t>(static_cast<int>(std::lround(d / 2.0)) % 180);
}

void StampTime(GpsFix& fix, const DateTime& t) {
  fix.year = static_cast<std::uint8_t>(t.year - 2000);
  fix.month = static_cast<std::uint8_t>(t.month);
  fix.day = static_cast<std::uint8_t>(t.day);
  fix.hour = static_cast<std::uint8_t>(t.hour);
  fix.minute = static_cast<std::uint8_t>(t.minute);
  fix.second = static_cast<std::uint8_t>(t.second);
}

GpsFix MakeFix(double lat, double lon, double speedKmh, double headingDeg, std::int32_t altitude,
               const DateTime& t) {
  GpsFix f;
  f.latitude = DegreesToDdmm(lat);
  f.longitude = DegreesToDdmm(lon);
  f.altitude = altitude;
  f.speed = static_cast<std::uint16_t>(std::lround(std::max(0.0, speedKmh)));
  f.heading = StoredHeading(headingDeg);
  f.status = 1;
  StampTime(f, t);
  return f;
}

// Local flat-earth metres between two points; fine over a city.
void LegVector(const Waypoint& a, const Waypoint& b, double& north, double& east) {
  north = (b.latitude - a.latitude) * kMetresPerDegree;
  east = (b.longitude - a.longitude) * kMetresPerDegree * std::cos(Radians(a.latitude));
}

}  // namespace

DateTime DateTime::Plus(std::int64_t seconds) const {
  return FromUtcSeconds(ToUtcSeconds() + seconds);
}

std::string DateTime::ToText() const {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                second);
  return buf;
}

std::int64_t DateTime::ToUtcSeconds() const {
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
         hour * 3600 + minute * 60 + second;
}

DateTime DateTime::FromUtcSeconds(std::int64_t s) {
  std::int64_t days = s / 86400;
  std::int64_t rest = s % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  DateTime t;
  CivilFromDays(days, t.year, t.month, t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

double DegreesToDdmm(double degrees) {
  const double a = std::fabs(degrees);
  const double whole = std::floor(a);
  const double v = whole * 100.0 + (a - whole) * 60.0;
  return degrees < 0 ? -v : v;
}

double DdmmToDegreesValue(double ddmm) { return DdmmToDegrees(ddmm / 100.0); }

std::vector<GpsFix> MakeRoute(const RouteProfile& p) {
  std::vector<GpsFix> route;
  if (p.count <= 0) return route;
  const int rate = std::max(1, p.rate);
  route.reserve(static_cast<std::size_t>(p.count));
  double lat = p.latitude, lon = p.longitude;
  const double step = p.speedKmh / 3.6 / rate;  // metres per fix
  for (int i = 0; i < p.count; ++i) {
    const double heading = p.headingDeg + p.turnDegPerSecond * i / rate;
    route.push_back(MakeFix(lat, lon, p.speedKmh, heading, p.altitude, p.start.Plus(i / rate)));
    lat += step * std::cos(Radians(heading)) / kMetresPerDegree;
    lon += step * std::sin(Radians(heading)) / (kMetresPerDegree * std::cos(Radians(lat)));
  }
  return route;
}

std::vector<GpsFix> MakeRouteAlong(const std::vector<Waypoint>& w, const DateTime& start, int rate,
                                   std::int32_t altitude, std::vector<std::size_t>* legOfFix) {
  std::vector<GpsFix> route;
  if (legOfFix) legOfFix->clear();
  auto note = [&](std::size_t leg) {
    if (legOfFix) legOfFix->push_back(leg);
  };
  if (w.empty()) return route;
  rate = std::max(1, rate);
  std::size_t leg = 0;
  double along = 0;  // metres driven on the current leg
  double lastHeading = 0;
  for (int i = 0;; ++i) {
    const DateTime t = start.Plus(i / rate);
    if (leg + 1 >= w.size()) {
      route.push_back(MakeFix(w.back().latitude, w.back().longitude, 0, lastHeading, altitude, t));
      note(w.size() - 1);
      return route;
    }
    double north, east;
    LegVector(w[leg], w[leg + 1], north, east);
    const double length = std::hypot(north, east);
    const double f = length > 0 ? along / length : 1.0;
    // Speed changes smoothly from one waypoint's speed to the next one's.
    const double speed = std::max(
        3.0, w[leg].speedKmh + (w[leg + 1].speedKmh - w[leg].speedKmh) * std::min(1.0, f));
    const double heading = std::atan2(east, north) * 180.0 / kPi;
    lastHeading = heading;
    const double lat = w[leg].latitude + (w[leg + 1].latitude - w[leg].latitude) * f;
    const double lon = w[leg].longitude + (w[leg + 1].longitude - w[leg].longitude) * f;
    route.push_back(MakeFix(lat, lon, speed, heading, altitude, t));
    note(leg);
    along += speed / 3.6 / rate;
    while (leg + 1 < w.size()) {
      LegVector(w[leg], w[leg + 1], north, east);
      const double len = std::hypot(north, east);
      if (along < len) break;
      along -= len;
      ++leg;
    }
    if (leg + 1 >= w.size()) {
      route.push_back(
          MakeFix(w.back().latitude, w.back().longitude, 0, lastHeading, altitude, start.Plus((i + 1) / rate)));
      note(w.size() - 1);
      return route;
    }
  }
}

void MarkInvalid(std::vector<GpsFix>& route, std::size_t first, std::size_t count) {
  for (std::size_t i = first; i < route.size() && i < first + count; ++i) {
    route[i].status = 0;
    route[i].speed = 0;
  }
}

namespace {

// A smooth pulse over [0, 1]: 0 at both ends, 1 in the middle.
double Pulse(double u) {
  if (u <= 0 || u >= 1) return 0;
  const double s = std::sin(kPi * u);
  return s * s;
}

std::int8_t Count(double g, int rangeG) {
  const double c = std::lround(g * 128.0 / rangeG);
  return static_cast<std::int8_t>(std::clamp(c, -128.0, 127.0));
}

}  // namespace

std::vector<GSensorSample> MakeGSensorSeries(double seconds, int rate, int rangeG,
                                             const std::vector<GSensorEvent>& events,
                                             unsigned seed) {
  std::vector<GSensorSample> out;
  if (seconds <= 0 || rate <= 0) return out;
  if (rangeG <= 0) rangeG = 8;
  const std::size_t n = static_cast<std::size_t>(std::lround(seconds * rate));
  out.reserve(n);
  std::uint32_t lcg = seed * 2654435761u + 1;
  auto noise = [&lcg]() {
    lcg = lcg * 1664525u + 1013904223u;
    return (static_cast<double>(lcg >> 8) / 16777216.0 - 0.5) * 0.06;  // +-0.03 G
  };
  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / rate;
    double x = noise(), y = noise(), z = 1.0 + noise();
    for (const GSensorEvent& e : events) {
      const double u = e.durationSeconds > 0 ? (t - e.atSeconds) / e.durationSeconds : -1;
      const double p = Pulse(u);
      switch (e.kind) {
        case GSensorEvent::kBrake: x -= e.strengthG * p; break;
        case GSensorEvent::kAccelerate: x += e.strengthG * p; break;
        case GSensorEvent::kTurnLeft: y += e.strengthG * p; break;
        case GSensorEvent::kTurnRight: y -= e.strengthG * p; break;
        case GSensorEvent::kBump:
          if (u > 0 && u < 1) z += e.strengthG * std::sin(2 * kPi * 3 * u) * (1 - u);
          break;
      }
    }
    out.push_back({Count(x, rangeG), Count(y, rangeG), Count(z, rangeG)});
  }
  return out;
}

std::vector<GSensorWideSample> WidenGSensor(const std::vector<GSensorSample>& samples) {
  std::vector<GSensorWideSample> out;
  out.reserve(samples.size());
  for (const GSensorSample& s : samples) out.push_back({s.x * 64, s.y * 64, s.z * 64});
  return out;
}

}  // namespace recgen

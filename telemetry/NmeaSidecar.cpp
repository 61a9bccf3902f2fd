#include "telemetry/NmeaSidecar.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "telemetry/SidecarFile.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

namespace {

constexpr double kKnotsToKmh = 1.852;
constexpr std::size_t kProbeBytes = 4096;

std::filesystem::path SidecarOf(const std::filesystem::path& recording) {
  return FindSidecar(recording, {".NMEA", ".nmea", ".gps"});
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The body between '$' and '*' of a line whose checksum is right; empty
// otherwise.
std::string_view CheckedBody(std::string_view line) {
  const std::size_t dollar = line.find('$');
  if (dollar == std::string_view::npos) return {};
  const std::size_t star = line.find('*', dollar);
  if (star == std::string_view::npos || star + 2 >= line.size() + 0 || star + 3 > line.size()) return {};
  const int hi = HexDigit(line[star + 1]), lo = HexDigit(line[star + 2]);
  if (hi < 0 || lo < 0) return {};
  unsigned sum = 0;
  for (std::size_t i = dollar + 1; i < star; ++i) sum ^= static_cast<unsigned char>(line[i]);
  if (sum != static_cast<unsigned>(hi * 16 + lo)) return {};
  return line.substr(dollar + 1, star - dollar - 1);
}

std::vector<std::string_view> Fields(std::string_view body) {
  std::vector<std::string_view> f;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = body.find(',', start);
    f.push_back(body.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) return f;
    start = comma + 1;
  }
}

bool Number(std::string_view s, double& out) {
  if (s.empty() || s.size() > 32) return false;
  const std::string text(s);
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(out);
}

bool Digits(std::string_view s, std::size_t at, int& out) {
  if (at + 2 > s.size() || s[at] < '0' || s[at] > '9' || s[at + 1] < '0' || s[at + 1] > '9') return false;
  out = (s[at] - '0') * 10 + (s[at + 1] - '0');
  return true;
}

// ddmm.mmmm with its hemisphere letter -> signed decimal degrees.
bool Coordinate(std::string_view value, std::string_view hemisphere, char positive, char negative,
                double limit, double& out) {
  double v;
  if (!Number(value, v) || v < 0 || hemisphere.size() != 1) return false;
  const double degrees = std::trunc(v / 100.0);
  const double minutes = v - degrees * 100.0;
  if (minutes >= 60.0) return false;
  out = degrees + minutes / 60.0;
  if (out > limit) return false;
  if (hemisphere[0] == negative) out = -out;
  else if (hemisphere[0] != positive) return false;
  return true;
}

// hhmmss[.ss] -> seconds of the day.
bool TimeOfDay(std::string_view s, double& out) {
  int h, m, sec;
  if (!Digits(s, 0, h) || !Digits(s, 2, m) || !Digits(s, 4, sec) || h > 23 || m > 59 || sec > 60)
    return false;
  double fraction = 0;
  if (s.size() > 6 && (s[6] != '.' || !Number(s.substr(6), fraction))) return false;
  out = h * 3600 + m * 60 + sec + fraction;
  return true;
}

// One time stamp's merged sentences.
struct Entry {
  double secondOfDay = 0;
  CalendarTime day = -1;  // midnight UTC of the RMC's date; -1 before one is known
  SourcePoint point;
  bool haveRmc = false;
  bool haveGga = false;
};

bool ParseRmc(const std::vector<std::string_view>& f, Entry& e) {
  // time, status, lat, N/S, lon, E/W, speed, course, date
  if (f.size() < 10 || f[2] != "A") return false;
  double t, lat, lon;
  if (!TimeOfDay(f[1], t) || !Coordinate(f[3], f[4], 'N', 'S', 90, lat) ||
      !Coordinate(f[5], f[6], 'E', 'W', 180, lon))
    return false;
  int d, mo, y;
  if (f[9].size() != 6 || !Digits(f[9], 0, d) || !Digits(f[9], 2, mo) || !Digits(f[9], 4, y)) return false;
  const CalendarTime day = UtcFromFields(2000 + y, mo, d, 0, 0, 0);
  if (day < 0) return false;
  double knots = 0, course = -1;
  if (!f[7].empty() && !Number(f[7], knots)) return false;
  if (!f[8].empty() && (!Number(f[8], course) || course < 0 || course >= 360)) return false;
  e.secondOfDay = t;
  e.day = day;
  e.point.latitude = lat;
  e.point.longitude = lon;
  e.point.speedKmh = knots * kKnotsToKmh;
  e.point.headingDeg = course;
  e.haveRmc = true;
  return true;
}

bool ParseGga(const std::vector<std::string_view>& f, Entry& e) {
  // time, lat, N/S, lon, E/W, quality, satellites, hdop, altitude, M
  if (f.size() < 10) return false;
  double t, lat, lon, quality, altitude = 0;
  if (!TimeOfDay(f[1], t) || !Number(f[6], quality) || quality <= 0 ||
      !Coordinate(f[2], f[3], 'N', 'S', 90, lat) || !Coordinate(f[4], f[5], 'E', 'W', 180, lon))
    return false;
  if (!f[9].empty() && !Number(f[9], altitude)) return false;
  e.secondOfDay = t;
  if (!e.haveRmc) {
    e.point.latitude = lat;
    e.point.longitude = lon;
  }
  e.point.altitude = altitude;
  e.haveGga = true;
  return true;
}

// Gives every entry a date: its own RMC's, else carried from the previous
// dated entry (a day later when the time of day went backwards past
// midnight), else taken back from the first dated one.
void DateEntries(std::vector<Entry>& entries) {
  CalendarTime day = -1;
  double last = 0;
  for (Entry& e : entries) {
    if (e.day >= 0) {
      day = e.day;
    } else if (day >= 0) {
      if (e.secondOfDay + 43200 < last) day += 86400;
      e.day = day;
    }
    last = e.secondOfDay;
  }
  CalendarTime next = -1;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (it->day >= 0) next = it->day;
    else it->day = next;
  }
}

}  // namespace

void ParseNmea(std::string_view text, NmeaData& out) {
  std::vector<Entry> entries;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (line.find('$') == std::string_view::npos) continue;
    const std::string_view body = CheckedBody(line);
    const std::vector<std::string_view> f = Fields(body);
    if (body.size() < 6 || f.empty() || f[0].size() != 5) {
      ++out.skipped;
      continue;
    }
    const std::string_view kind = f[0].substr(2);
    if (kind != "RMC" && kind != "GGA") continue;  // other sentences are not needed
    Entry e;
    if (!(kind == "RMC" ? ParseRmc(f, e) : ParseGga(f, e))) {
      ++out.skipped;
      continue;
    }
    // A sentence joins the entry of its time stamp among the last few.
    Entry* same = nullptr;
    for (std::size_t k = entries.size(); k > 0 && entries.size() - k < 4; --k)
      if (entries[k - 1].secondOfDay == e.secondOfDay) same = &entries[k - 1];
    if (!same) {
      entries.push_back(e);
      continue;
    }
    if (e.haveRmc && !same->haveRmc) {
      const double altitude = same->point.altitude;
      same->point = e.point;
      same->point.altitude = altitude;
      same->day = e.day;
      same->haveRmc = true;
    } else if (e.haveGga && !same->haveGga) {
      same->point.altitude = e.point.altitude;
      same->haveGga = true;
    }
  }
  DateEntries(entries);
  for (const Entry& e : entries) {
    SourcePoint p = e.point;
    if (e.day >= 0) p.utc = e.day + static_cast<CalendarTime>(e.secondOfDay);
    out.points.push_back(p);
  }
}

bool LooksLikeNmea(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view body = CheckedBody(text.substr(start, end - start));
    start = end + 1;
    if (body.size() >= 5 && (body.substr(2, 3) == "RMC" || body.substr(2, 3) == "GGA")) return true;
  }
  return false;
}

bool ProbeNmea(ByteReader&, const std::filesystem::path& path, const MediaInfo&) {
  const std::filesystem::path sidecar = SidecarOf(path);
  std::string head;
  if (sidecar.empty() || !ReadSidecarHead(sidecar, kProbeBytes, head)) return false;
  // The probe's window may end inside a sentence: only whole lines count.
  const std::size_t lastLine = head.rfind('\n');
  if (head.size() == kProbeBytes && lastLine != std::string::npos) head.resize(lastLine);
  return LooksLikeNmea(head);
}

bool ReadNmea(ByteReader&, const std::filesystem::path& path, const MediaInfo& info,
              TelemetrySeries& out) {
  std::string text;
  const std::filesystem::path sidecar = SidecarOf(path);
  if (sidecar.empty() || !ReadSidecar(sidecar, text)) return false;
  NmeaData data;
  ParseNmea(text, data);
  ClipToRecording(data.points, info);
  FillHeadings(data.points);
  StoreFixes(data.points, out);
  return !out.fixes.empty();
}

bool NmeaStartTime(ByteReader& file, const std::filesystem::path& path, const MediaInfo& info,
                   CalendarTime& out) {
  std::string text;
  const std::filesystem::path sidecar = SidecarOf(path);
  if (sidecar.empty() || !ReadSidecar(sidecar, text)) return false;
  (void)file;
  (void)info;
  NmeaData data;
  ParseNmea(text, data);
  for (const SourcePoint& p : data.points) {
    if (p.utc < 0) continue;
    out = p.utc;
    return true;
  }
  return false;
}

#include "telemetry/GpxSidecar.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "telemetry/SidecarFile.h"
#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

namespace {

constexpr std::size_t kProbeBytes = 4096;
constexpr double kEarthRadius = 6371008.8;  // metres

std::filesystem::path SidecarOf(const std::filesystem::path& recording) {
  return FindSidecar(recording, {".gpx", ".GPX"});
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

bool Number(std::string_view s, double& out) {
  s = Trim(s);
  if (s.empty() || s.size() > 32) return false;
  const std::string text(s);
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(out);
}

// One tag: its name without a namespace prefix, its attributes' text and
// whether it closes (</x>) or is empty (<x/>).
struct Tag {
  std::string_view name;
  std::string_view attributes;
  bool closing = false;
  bool empty = false;
};

// The tag starting at text[at] == '<'; advances `at` past it. Comments,
// declarations and processing instructions give a tag without a name.
bool NextTag(std::string_view text, std::size_t& at, Tag& tag) {
  tag = Tag{};
  if (text.compare(at, 4, "<!--") == 0) {
    const std::size_t end = text.find("-->", at + 4);
    if (end == std::string_view::npos) return false;
    at = end + 3;
    return true;
  }
  const std::size_t end = text.find('>', at);
  if (end == std::string_view::npos) return false;
  std::string_view inside = text.substr(at + 1, end - at - 1);
  at = end + 1;
  if (inside.empty() || inside[0] == '?' || inside[0] == '!') return true;
  if (inside[0] == '/') {
    tag.closing = true;
    inside.remove_prefix(1);
  }
  if (!inside.empty() && inside.back() == '/') {
    tag.empty = true;
    inside.remove_suffix(1);
  }
  std::size_t n = 0;
  while (n < inside.size() && !IsSpace(inside[n])) ++n;
  tag.name = inside.substr(0, n);
  const std::size_t colon = tag.name.find(':');
  if (colon != std::string_view::npos) tag.name.remove_prefix(colon + 1);
  tag.attributes = inside.substr(n);
  return true;
}

// The value of attribute `name` (quoted with ' or ").
bool Attribute(std::string_view attributes, std::string_view name, std::string_view& value) {
  std::size_t at = 0;
  while ((at = attributes.find(name, at)) != std::string_view::npos) {
    const bool starts = at == 0 || IsSpace(attributes[at - 1]);
    std::size_t p = at + name.size();
    at = p;
    if (!starts) continue;
    while (p < attributes.size() && IsSpace(attributes[p])) ++p;
    if (p >= attributes.size() || attributes[p] != '=') continue;
    ++p;
    while (p < attributes.size() && IsSpace(attributes[p])) ++p;
    if (p >= attributes.size() || (attributes[p] != '"' && attributes[p] != '\'')) continue;
    const std::size_t close = attributes.find(attributes[p], p + 1);
    if (close == std::string_view::npos) return false;
    value = attributes.substr(p + 1, close - p - 1);
    return true;
  }
  return false;
}

int Field(std::string_view s, std::size_t at, std::size_t width) {
  if (at + width > s.size()) return -1;
  int v = 0;
  for (std::size_t i = at; i < at + width; ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

// YYYY-MM-DDThh:mm:ss[.fff][Z|+hh:mm|-hh:mm] -> UTC seconds; -1 otherwise.
CalendarTime IsoTime(std::string_view s) {
  s = Trim(s);
  if (s.size() < 19 || s[4] != '-' || s[7] != '-' || (s[10] != 'T' && s[10] != ' ') || s[13] != ':' ||
      s[16] != ':')
    return -1;
  CalendarTime t = UtcFromFields(Field(s, 0, 4), Field(s, 5, 2), Field(s, 8, 2), Field(s, 11, 2),
                                 Field(s, 14, 2), Field(s, 17, 2));
  if (t < 0) return -1;
  std::size_t p = 19;
  if (p < s.size() && s[p] == '.') {
    ++p;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p;
  }
  if (p == s.size() || (s[p] == 'Z' && p + 1 == s.size())) return t;
  if ((s[p] != '+' && s[p] != '-') || s.size() != p + 6 || s[p + 3] != ':') return -1;
  const int h = Field(s, p + 1, 2), m = Field(s, p + 4, 2);
  if (h < 0 || h > 14 || m < 0 || m > 59) return -1;
  const CalendarTime offset = h * 3600 + m * 60;
  return s[p] == '+' ? t - offset : t + offset;
}

double Distance(const SourcePoint& a, const SourcePoint& b) {
  constexpr double k = 3.14159265358979323846 / 180.0;
  const double dLat = (b.latitude - a.latitude) * k, dLon = (b.longitude - a.longitude) * k;
  const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(a.latitude * k) * std::cos(b.latitude * k) * std::sin(dLon / 2) * std::sin(dLon / 2);
  return 2 * kEarthRadius * std::asin(std::sqrt(std::fmin(1.0, h)));
}

// Speeds for points whose file gives none: towards the next timed point.
void FillSpeeds(std::vector<SourcePoint>& points, const std::vector<bool>& given) {
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    if (given[i] || points[i].utc < 0) continue;
    for (std::size_t j = i + 1; j < points.size(); ++j) {
      if (points[j].utc < 0 || points[j].utc <= points[i].utc) continue;
      points[i].speedKmh = Distance(points[i], points[j]) / (points[j].utc - points[i].utc) * 3.6;
      break;
    }
  }
  if (points.size() >= 2 && !given.back()) points.back().speedKmh = points[points.size() - 2].speedKmh;
}

struct Collected {
  std::vector<SourcePoint> points;
  std::vector<bool> speedGiven;
};

}  // namespace

void ParseGpx(std::string_view text, GpxData& out) {
  Collected track, route;
  Collected* current = nullptr;
  SourcePoint point;
  bool speedGiven = false;
  std::string_view open;  // the child element whose text is being read
  std::size_t textStart = 0;
  std::size_t at = 0;
  while ((at = text.find('<', at)) != std::string_view::npos) {
    const std::size_t tagStart = at;
    Tag tag;
    if (!NextTag(text, at, tag)) break;
    if (tag.name.empty()) continue;
    const bool isPoint = tag.name == "trkpt" || tag.name == "rtept";
    if (isPoint && !tag.closing) {
      std::string_view lat, lon;
      point = SourcePoint{};
      speedGiven = false;
      const bool placed = Attribute(tag.attributes, "lat", lat) && Attribute(tag.attributes, "lon", lon) &&
                          Number(lat, point.latitude) && Number(lon, point.longitude) &&
                          std::fabs(point.latitude) <= 90 && std::fabs(point.longitude) <= 180;
      current = placed ? (tag.name == "trkpt" ? &track : &route) : nullptr;
      if (!placed) ++out.skipped;
      if (tag.empty && current) {
        current->points.push_back(point);
        current->speedGiven.push_back(false);
        current = nullptr;
      }
      continue;
    }
    if (isPoint && tag.closing) {
      if (current) {
        current->points.push_back(point);
        current->speedGiven.push_back(speedGiven);
      }
      current = nullptr;
      continue;
    }
    if (!current) continue;
    if (!tag.closing && !tag.empty) {
      open = tag.name;
      textStart = at;
      continue;
    }
    if (!tag.closing || tag.name != open) continue;
    const std::string_view value = text.substr(textStart, tagStart - textStart);
    double v;
    if (open == "ele" && Number(value, v)) point.altitude = v;
    else if (open == "time") point.utc = IsoTime(value);
    else if (open == "speed" && Number(value, v) && v >= 0) {
      point.speedKmh = v * 3.6;
      speedGiven = true;
    } else if (open == "course" && Number(value, v) && v >= 0 && v < 360) point.headingDeg = v;
    open = {};
  }
  Collected& chosen = track.points.empty() ? route : track;
  FillSpeeds(chosen.points, chosen.speedGiven);
  out.points = std::move(chosen.points);
}

bool LooksLikeGpx(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::size_t at = 0;
  for (;;) {
    while (at < text.size() && IsSpace(text[at])) ++at;
    if (at >= text.size() || text[at] != '<') return false;
    Tag tag;
    if (!NextTag(text, at, tag)) return false;
    if (tag.name.empty()) continue;
    return !tag.closing && tag.name == "gpx";
  }
}

bool ProbeGpx(ByteReader&, const std::filesystem::path& path, const MediaInfo&) {
  const std::filesystem::path sidecar = SidecarOf(path);
  std::string head;
  return !sidecar.empty() && ReadSidecarHead(sidecar, kProbeBytes, head) && LooksLikeGpx(head);
}

bool ReadGpx(ByteReader&, const std::filesystem::path& path, const MediaInfo& info,
             TelemetrySeries& out) {
  std::string text;
  const std::filesystem::path sidecar = SidecarOf(path);
  if (sidecar.empty() || !ReadSidecar(sidecar, text) || !LooksLikeGpx(text)) return false;
  GpxData data;
  ParseGpx(text, data);
  ClipToRecording(data.points, info);
  FillHeadings(data.points);
  StoreFixes(data.points, out);
  return !out.fixes.empty();
}

bool GpxStartTime(ByteReader&, const std::filesystem::path& path, const MediaInfo&,
                  CalendarTime& out) {
  std::string text;
  const std::filesystem::path sidecar = SidecarOf(path);
  if (sidecar.empty() || !ReadSidecar(sidecar, text) || !LooksLikeGpx(text)) return false;
  GpxData data;
  ParseGpx(text, data);
  for (const SourcePoint& p : data.points) {
    if (p.utc < 0) continue;
    out = p.utc;
    return true;
  }
  return false;
}

#include "catalog/MapScripts.h"

#include <charconv>
#include <cmath>

#include "catalog/DriveTrack.h"
#include "telemetry/TelemetryUtil.h"

std::string FormatFixedC(double value, int decimals) {
  // std::to_chars never consults the locale, unlike printf; its fixed form
  // with precision 6 matches "%f" digit for digit (including "nan"/"inf").
  // 400 characters hold the longest double in fixed notation.
  char buf[400];
  const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return "0.000000";
  return std::string(buf, result.ptr);
}

namespace {

std::string Call(const char* function, double latitude, double longitude, const char* separator) {
  std::string s(function);
  s += '(';
  s += FormatFixedC(latitude);
  s += separator;
  s += FormatFixedC(longitude);
  s += ')';
  return s;
}

}  // namespace

std::string InitMapScript(double latitude, double longitude) {
  return Call("init_map", latitude, longitude, ", ");
}

std::string MovPosScript(double latitude, double longitude) {
  return Call("movpos", latitude, longitude, ", ");
}

std::string PathPlotScript(double latitude, double longitude) {
  return Call("path_plot", latitude, longitude, ",");
}

std::string PathDrivedPlotScript(double latitude, double longitude) {
  return Call("pathdrived_plot", latitude, longitude, ",");
}

namespace {

template <typename Value>
void AppendArray(std::string& s, const char* key, const DriveTrack& track, Value value) {
  s += '"';
  s += key;
  s += "\":[";
  for (std::size_t i = 0; i < track.points.size(); ++i) {
    if (i) s += ',';
    s += value(track.points[i]);
  }
  s += ']';
}

}  // namespace

std::string DriveRouteScript(const DriveTrack& track) {
  if (track.Empty()) return "drive_route(null)";
  std::string s = "drive_route({";
  AppendArray(s, "t", track, [](const DriveTrackPoint& p) { return std::to_string(p.driveMs); });
  s += ',';
  AppendArray(s, "lat", track, [](const DriveTrackPoint& p) { return FormatFixedC(p.latitude); });
  s += ',';
  AppendArray(s, "lng", track, [](const DriveTrackPoint& p) { return FormatFixedC(p.longitude); });
  s += ',';
  AppendArray(s, "v", track, [](const DriveTrackPoint& p) { return std::to_string(p.fix.speed); });
  s += ',';
  AppendArray(s, "h", track,
              [](const DriveTrackPoint& p) { return std::to_string(p.fix.HeadingDegrees()); });
  s += ',';
  AppendArray(s, "p", track, [](const DriveTrackPoint& p) { return std::to_string(p.piece); });
  s += ",\"g\":[";
  bool first = true;
  for (std::size_t i = 0; i < track.points.size(); ++i) {
    if (!track.points[i].gapBefore || i == 0) continue;
    if (!first) s += ',';
    s += std::to_string(i);
    first = false;
  }
  s += "]})";
  return s;
}

std::string DriveEventsScript(const DriveTrack& track) {
  std::string s = "drive_events([";
  for (const DriveTrackEvent& e : track.events) {
    const DriveTrackPoint* p = track.PointOf(e);
    if (!p) continue;
    if (s.back() != '[') s += ',';
    s += "{\"k\":\"";
    s += DrivingEventKindName(e.event.kind);
    s += "\",\"i\":" + std::to_string(e.point);
    s += ",\"lat\":" + FormatFixedC(p->latitude) + ",\"lng\":" + FormatFixedC(p->longitude);
    s += ",\"t\":\"" + (e.clock ? FormatLocalTime(e.clock, "%H:%M:%S") : std::string()) + "\"";
    // Never "nan": it is no JavaScript number.
    s += ",\"g\":" + FormatFixedC(std::isfinite(e.event.peakG) ? e.event.peakG : 0.0, 2) + "}";
  }
  return s + "])";
}

std::string DrivePosScript(int pointIndex) { return "drive_pos(" + std::to_string(pointIndex) + ")"; }

std::string DriveUnitsScript(bool mph) {
  return mph ? "drive_units('mph')" : "drive_units('kmh')";
}

#include "catalog/GpxWriter.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "catalog/MapScripts.h"
#include "telemetry/TelemetryUtil.h"

namespace {

// xsd:dateTime in UTC; empty when the time cannot be represented.
std::string UtcTimeText(CalendarTime t) {
  const std::time_t tt = static_cast<std::time_t>(t);
  std::tm tm{};
  if (gmtime_r(&tt, &tm) == nullptr) return {};
  char buf[64];
  const std::size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return std::string(buf, n);
}

}  // namespace

bool GpxPointOfFix(const GpsFix& fix, GpxPoint& point) {
  if (!fix.IsValid()) return false;
  double latitude = fix.latitude;
  double longitude = fix.longitude;
  if (!ConvertFixPair(latitude, longitude)) return false;
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return false;
  point = {};
  point.latitude = latitude;
  point.longitude = longitude;
  point.elevation = fix.altitude;
  point.speedKmh = fix.speed;
  point.courseDegrees = fix.HeadingDegrees();
  point.hasTime = GpxTimeOfFix(fix, point.time);
  return true;
}

bool GpxTimeOfFix(const GpsFix& fix, CalendarTime& time) {
  if (fix.year == 0) return false;
  const int year = 2000 + fix.year;
  if (!IsValidDateTime(year, fix.month, fix.day, fix.hour, fix.minute, fix.second)) return false;
  return LocalDateTimeToCalendar(year, fix.month, fix.day, fix.hour, fix.minute, fix.second, time);
}

int GpxWriter::Open(const std::string& path) {
  m_trackStarted = false;
  return m_file.Open(path) ? 1 : 0;
}

int GpxWriter::WriteHeader(const std::string& name, const std::string& description) {
  if (!m_file.IsOpen()) return 0;
  std::string s;
  s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<gpx version=\"1.1\" creator=\"VANTREL\" xmlns=\"http://www.topografix.com/GPX/1/1\"";
  s += " xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\">\n";
  s += "  <metadata>\n";
  s += "    <name>" + XmlEscapeText(name) + "</name>\n";
  s += "    <desc>" + XmlEscapeText(description) + "</desc>\n";
  s += "  </metadata>\n";
  m_file.Write(s);
  m_trackStarted = false;
  return 1;
}

void GpxWriter::StartTrack() {
  if (m_trackStarted) return;
  m_trackStarted = true;
  m_file.Write("  <trk>\n    <name>CAR PATH</name>\n    <trkseg>\n");
}

int GpxWriter::WriteWaypoint(const GpxWaypoint& w) {
  if (!m_file.IsOpen() || m_trackStarted) return 0;
  // The schema's order: ele, time, name, desc, type.
  std::string s;
  s += "  <wpt lat=\"" + FormatFixedC(w.latitude) + "\" lon=\"" + FormatFixedC(w.longitude) + "\">\n";
  s += "    <ele>" + std::to_string(w.elevation) + "</ele>\n";
  const std::string time = w.hasTime ? UtcTimeText(w.time) : std::string();
  if (!time.empty()) s += "    <time>" + time + "</time>\n";
  if (!w.name.empty()) s += "    <name>" + XmlEscapeText(w.name) + "</name>\n";
  if (!w.description.empty()) s += "    <desc>" + XmlEscapeText(w.description) + "</desc>\n";
  if (!w.type.empty()) s += "    <type>" + XmlEscapeText(w.type) + "</type>\n";
  s += "  </wpt>\n";
  m_file.Write(s);
  return 1;
}

int GpxWriter::WritePoint(const GpxPoint& p) {
  if (!m_file.IsOpen()) return 0;
  StartTrack();
  std::string s;
  s += "      <trkpt lat=\"" + FormatFixedC(p.latitude) + "\" lon=\"" + FormatFixedC(p.longitude) +
       "\">\n";
  s += "        <ele>" + std::to_string(p.elevation) + "</ele>\n";
  const std::string time = p.hasTime ? UtcTimeText(p.time) : std::string();
  if (!time.empty()) s += "        <time>" + time + "</time>\n";
  char speed[64];
  // Locale-proof: the speed is built from integer parts, not "%f".
  const long long milli = static_cast<long long>(p.speedKmh / 3.6 * 1000.0 + 0.5);
  std::snprintf(speed, sizeof speed, "%lld.%03lld", milli / 1000, milli % 1000);
  s += "        <extensions>\n";
  s += "          <gpxtpx:TrackPointExtension>\n";
  s += std::string("            <gpxtpx:speed>") + speed + "</gpxtpx:speed>\n";
  s += "            <gpxtpx:course>" + std::to_string(p.courseDegrees) + "</gpxtpx:course>\n";
  s += "          </gpxtpx:TrackPointExtension>\n";
  s += "        </extensions>\n";
  s += "      </trkpt>\n";
  m_file.Write(s);
  return 1;
}

int GpxWriter::WriteSegmentBreak() {
  if (!m_file.IsOpen()) return 0;
  StartTrack();
  m_file.Write("    </trkseg>\n    <trkseg>\n");
  return 1;
}

int GpxWriter::WriteFooter() {
  if (!m_file.IsOpen()) return 0;
  StartTrack();
  m_file.Write("    </trkseg>\n  </trk>\n</gpx>\n");
  return m_file.Commit() ? 1 : 0;
}

#include <cmath>
#include <cstdio>
#include <ctime>

#include "tools/recgen/OtherCameras.h"

namespace recgen {

namespace {

std::tm Utc(std::int64_t utc) {
  const std::time_t t = static_cast<std::time_t>(utc);
  std::tm tm{};
  gmtime_r(&t, &tm);
  return tm;
}

// ddmm.mmmm (or dddmm.mmmm) and the hemisphere letter.
std::string Coordinate(double degrees, int width, char positive, char negative) {
  const double a = std::fabs(degrees);
  const double whole = std::floor(a);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*.0f%07.4f,%c", width, whole, (a - whole) * 60.0,
                degrees < 0 ? negative : positive);
  return buf;
}

}  // namespace

std::string NmeaSentence(const std::string& body) {
  unsigned sum = 0;
  for (unsigned char c : body) sum ^= c;
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X", sum);
  return "$" + body + tail;
}

std::string MakeNmeaLog(const std::vector<PlainFix>& fixes) {
  std::string out;
  char buf[160];
  for (const PlainFix& f : fixes) {
    const std::tm tm = Utc(f.utc);
    const std::string lat = Coordinate(f.latitude, 2, 'N', 'S');
    const std::string lon = Coordinate(f.longitude, 3, 'E', 'W');
    std::snprintf(buf, sizeof buf, "GPRMC,%02d%02d%02d.00,%c,%s,%s,%.2f,%.1f,%02d%02d%02d,,,A", tm.tm_hour,
                  tm.tm_min, tm.tm_sec, f.valid ? 'A' : 'V', lat.c_str(), lon.c_str(), f.speedKmh / 1.852,
                  f.headingDeg, tm.tm_mday, tm.tm_mon + 1, tm.tm_year % 100);
    out += NmeaSentence(buf) + "\r\n";
    std::snprintf(buf, sizeof buf, "GPGGA,%02d%02d%02d.00,%s,%s,%d,08,0.9,%.1f,M,0.0,M,,", tm.tm_hour,
                  tm.tm_min, tm.tm_sec, lat.c_str(), lon.c_str(), f.valid ? 1 : 0, f.altitude);
    out += NmeaSentence(buf) + "\r\n";
  }
  return out;
}

std::string MakeGpxTrack(const std::vector<PlainFix>& fixes, bool withTimes, bool version10) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += version10 ? "<gpx version=\"1.0\" creator=\"vantrel-gen\" xmlns=\"http://www.topografix.com/GPX/1/0\">\n"
                   : "<gpx version=\"1.1\" creator=\"vantrel-gen\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
  out += "<trk><name>drive</name><trkseg>\n";
  char buf[256];
  for (const PlainFix& f : fixes) {
    std::snprintf(buf, sizeof buf, "<trkpt lat=\"%.7f\" lon=\"%.7f\"><ele>%.1f</ele>", f.latitude,
                  f.longitude, f.altitude);
    out += buf;
    if (withTimes) {
      const std::tm tm = Utc(f.utc);
      std::snprintf(buf, sizeof buf, "<time>%04d-%02d-%02dT%02d:%02d:%02dZ</time>", tm.tm_year + 1900,
                    tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
      out += buf;
    }
    if (version10) {
      std::snprintf(buf, sizeof buf, "<course>%.1f</course><speed>%.3f</speed>", f.headingDeg,
                    f.speedKmh / 3.6);
      out += buf;
    }
    out += "</trkpt>\n";
  }
  out += "</trkseg></trk>\n</gpx>\n";
  return out;
}

}  // namespace recgen

// Route export of the current entry: KML (the document the KML button
// writes) and GPX.
#include <cmath>

#include "catalog/CatalogRows.h"
#include "catalog/GpxWriter.h"
#include "catalog/KmlWriter.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetryUtil.h"

namespace {

// The fix's own date and time (local time) as a calendar time.
bool FixTime(const GpsFix& fix, CalendarTime& out) {
  if (fix.year == 0) return false;
  const int year = 2000 + fix.year;
  if (!IsValidDateTime(year, fix.month, fix.day, fix.hour, fix.minute, fix.second)) return false;
  return LocalDateTimeToCalendar(year, fix.month, fix.day, fix.hour, fix.minute, fix.second, out);
}

}  // namespace

std::vector<MediaCatalog::ExportFix> MediaCatalog::ExportFixes() const {
  // The GPS payload, or, for recordings whose fixes come from a data track,
  // the track's list, so those routes are not exported empty.
  const std::vector<GpsFix>& source = LoadedFixes();
  std::vector<ExportFix> out;
  out.reserve(source.size());
  for (const GpsFix& fix : source) {
    if (!fix.IsValid()) continue;
    double latitude = fix.latitude;
    double longitude = fix.longitude;
    if (!ConvertFixPair(latitude, longitude)) continue;
    if (!std::isfinite(latitude) || !std::isfinite(longitude)) continue;
    out.push_back({latitude, longitude, fix});
  }
  return out;
}

int MediaCatalog::ExportableFixCount() const { return static_cast<int>(ExportFixes().size()); }

std::string MediaCatalog::ExportPath(const std::string& folder, const MediaEntry& e,
                                     const char* extension) const {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  // The name without its dot and three-letter extension.
  path += e.name.substr(0, e.name.size() >= 4 ? e.name.size() - 4 : 0);
  path += FormatLocalTime(e.info.startTime, "_%Y_%m_%d_%H-%M-%S");
  path += extension;
  return path;
}

bool MediaCatalog::ExportKml(const std::string& folder, std::string& outPath) {
  const int i = CurrentIndex();
  if (i < 0) return false;
  const MediaEntry& e = m_entries[i];
  const std::string path = ExportPath(folder, e, ".KML");
  CKmlWriter writer;
  if (!writer.Open(path)) return false;
  const std::string description = "\"" + e.subPath + "/" + e.name + "\"" +
                                  FormatLocalTime(e.info.startTime, " %Y/%m/%d %H:%M:%S");
  writer.WriteHeader(e.name, std::string(), description);
  for (const ExportFix& f : ExportFixes()) {
    writer.WriteCoordinate(f.latitude, f.longitude, f.fix.altitude);
  }
  if (!writer.WriteFooter()) return false;
  outPath = path;
  return true;
}

bool MediaCatalog::ExportGpx(const std::string& folder, std::string& outPath) {
  const int i = CurrentIndex();
  if (i < 0) return false;
  const MediaEntry& e = m_entries[i];
  const std::string path = ExportPath(folder, e, ".GPX");
  GpxWriter writer;
  if (!writer.Open(path)) return false;
  writer.WriteHeader(e.name, e.subPath + e.name +
                                 FormatLocalTime(e.info.startTime, " %Y/%m/%d %H:%M:%S"));
  for (const ExportFix& f : ExportFixes()) {
    GpxPoint p;
    p.latitude = f.latitude;
    p.longitude = f.longitude;
    p.elevation = f.fix.altitude;
    p.hasTime = FixTime(f.fix, p.time);
    p.speedKmh = f.fix.speed;
    p.courseDegrees = f.fix.HeadingDegrees();
    writer.WritePoint(p);
  }
  if (!writer.WriteFooter()) return false;
  outPath = path;
  return true;
}

int ExportRouteOfFile(const std::string& path, const std::string& folder, RouteFormat format,
                      std::string& outPath, std::string& error) {
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  MediaCatalog catalog;
  if (name.empty() || !catalog.Load(dir, name) || catalog.Empty()) {
    error = "no such file: " + path;
    return 0;
  }
  catalog.Select(0);
  if (!catalog.LoadTelemetry(0)) {
    error = "cannot read " + path;
    return 0;
  }
  if (catalog.ExportableFixCount() == 0) {
    error = "no valid GPS fixes in " + path;
    return 0;
  }
  const bool ok = format == RouteFormat::kKml ? catalog.ExportKml(folder, outPath)
                                              : catalog.ExportGpx(folder, outPath);
  if (!ok) {
    error = "cannot write the document into " + (folder.empty() ? std::string(".") : folder);
    return 0;
  }
  return 1;
}

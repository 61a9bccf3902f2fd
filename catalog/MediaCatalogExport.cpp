// Route export of the current entry: KML (the document the KML button
// writes) and GPX; and the route of a whole drive in either form.
#include <cmath>
#include <utility>
#include <vector>

#include "catalog/CatalogRows.h"
#include "catalog/DriveLayout.h"
#include "catalog/DriveTrack.h"
#include "catalog/GpxWriter.h"
#include "catalog/KmlWriter.h"
#include "catalog/MapScripts.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetryUtil.h"

namespace {

// A track point at a place already in degrees, with the fix's height,
// time, speed and heading.
GpxPoint GpxPointAt(double latitude, double longitude, const GpsFix& fix) {
  GpxPoint p;
  p.latitude = latitude;
  p.longitude = longitude;
  p.elevation = fix.altitude;
  p.hasTime = GpxTimeOfFix(fix, p.time);
  p.speedKmh = fix.speed;
  p.courseDegrees = fix.HeadingDegrees();
  return p;
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
    writer.WritePoint(GpxPointAt(f.latitude, f.longitude, f.fix));
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

namespace {

// "<first recording's name>_drive<N>_<its start>.KML" in `folder`.
std::string DriveExportPath(const std::string& folder, const MediaEntry& first, int drive,
                            const char* extension) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  path += first.name.substr(0, first.name.size() >= 4 ? first.name.size() - 4 : 0);
  path += "_drive" + std::to_string(drive);
  path += FormatLocalTime(first.info.startTime, "_%Y_%m_%d_%H-%M-%S");
  return path + extension;
}

// One icon colour per kind of driving event (aabbggrr), as on the map.
std::vector<KmlPointStyle> EventStyles() {
  const std::pair<DrivingEventKind, const char*> colours[] = {
      {DrivingEventKind::kBraking, "ff1c19d7"},      {DrivingEventKind::kAcceleration, "ff50981a"},
      {DrivingEventKind::kCornering, "ff1b7cf0"},    {DrivingEventKind::kImpact, "ff94327b"},
      {DrivingEventKind::kHarsh, "ff29c2e6"}};
  std::vector<KmlPointStyle> styles;
  for (const auto& [kind, colour] : colours)
    styles.push_back({std::string("event-") + DrivingEventKindName(kind), colour});
  return styles;
}

bool WriteDriveKml(const std::string& path, const DriveTrack& track, const std::string& name,
                   const std::string& description) {
  CKmlWriter writer;
  if (!writer.Open(path)) return false;
  writer.WriteHeader(name, std::string(), description,
                     track.events.empty() ? std::vector<KmlPointStyle>() : EventStyles());
  for (std::size_t i = 0; i < track.points.size(); ++i) {
    const DriveTrackPoint& p = track.points[i];
    if (i > 0 && p.gapBefore) writer.WriteBreak();
    writer.WriteCoordinate(p.latitude, p.longitude, p.fix.altitude);
  }
  for (const DriveTrackEvent& e : track.events) {
    const DriveTrackPoint* p = track.PointOf(e);
    if (!p) continue;
    const std::string kind = DrivingEventKindName(e.event.kind);
    const std::string clock = e.clock ? FormatLocalTime(e.clock, "%H:%M:%S") + ", " : std::string();
    writer.WritePointMark({p->latitude, p->longitude, kind, clock + DrivingEventSummary(e.event), "event-" + kind});
  }
  return writer.WriteFooter() != 0;
}

// The waypoint of a driving event. Its time is that of its point's fix,
// moved by the event's distance from the point, so it lines up with the
// track's times; without a fix time, the recording's clock.
GpxWaypoint EventWaypoint(const DriveTrackEvent& e, const DriveTrackPoint& p) {
  GpxWaypoint w;
  w.latitude = p.latitude;
  w.longitude = p.longitude;
  w.elevation = p.fix.altitude;
  w.hasTime = GpxTimeOfFix(p.fix, w.time);
  if (w.hasTime) {
    w.time += std::llround((e.driveMs - p.driveMs) / 1000.0);
  } else if (e.clock) {
    w.hasTime = true;
    w.time = e.clock;
  }
  w.name = DrivingEventKindName(e.event.kind);
  w.description = DrivingEventSummary(e.event);
  w.type = "event";
  return w;
}

bool WriteDriveGpx(const std::string& path, const DriveTrack& track, const std::string& name,
                   const std::string& description) {
  GpxWriter writer;
  if (!writer.Open(path)) return false;
  writer.WriteHeader(name, description);
  for (const DriveTrackEvent& e : track.events)
    if (const DriveTrackPoint* p = track.PointOf(e)) writer.WriteWaypoint(EventWaypoint(e, *p));
  for (std::size_t i = 0; i < track.points.size(); ++i) {
    const DriveTrackPoint& t = track.points[i];
    if (i > 0 && t.gapBefore) writer.WriteSegmentBreak();
    writer.WritePoint(GpxPointAt(t.latitude, t.longitude, t.fix));
  }
  return writer.WriteFooter() != 0;
}

}  // namespace

int ExportRouteOfDrive(const std::string& cardFolder, int drive, const std::string& folder,
                       RouteFormat format, std::string& outPath, std::string& error) {
  MediaCatalog catalog;
  if (!catalog.Load(cardFolder, std::string()) || catalog.Empty()) {
    error = "no recordings in " + cardFolder;
    return 0;
  }
  const DriveLayout layout = MakeDriveLayout(catalog, drive, false);
  if (layout.Empty()) {
    error = "no drive " + std::to_string(drive) + " in " + cardFolder;
    return 0;
  }
  const DriveTrack track = MakeDriveTrack(catalog, layout);
  if (track.Empty()) {
    error = "no valid GPS fixes in drive " + std::to_string(drive);
    return 0;
  }
  const MediaEntry& first = catalog.Entries()[static_cast<std::size_t>(layout.pieces.front().entry)];
  const std::string name = "drive " + std::to_string(drive);
  // subPath ends in '/' already (or is empty at the card's root).
  const std::string description = "\"" + first.subPath + first.name + "\"" +
                                  FormatLocalTime(first.info.startTime, " %Y/%m/%d %H:%M:%S") +
                                  ", " + std::to_string(layout.pieces.size()) + " recordings";
  const bool kml = format == RouteFormat::kKml;
  const std::string path = DriveExportPath(folder, first, drive, kml ? ".KML" : ".GPX");
  const bool ok = kml ? WriteDriveKml(path, track, name, description)
                      : WriteDriveGpx(path, track, name, description);
  if (!ok) {
    error = "cannot write the document into " + (folder.empty() ? std::string(".") : folder);
    return 0;
  }
  outPath = path;
  return 1;
}

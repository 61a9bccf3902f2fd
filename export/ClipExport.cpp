#include "export/ClipExport.h"

#include <cstdio>
#include <filesystem>

#include "export/ExportRun.h"
#include "export/SpanTelemetry.h"
#include "telemetry/TelemetryUtil.h"

namespace {

bool TwoCameras(ExportLayout layout) {
  return layout == ExportLayout::kSideBySide || layout == ExportLayout::kPictureInPicture;
}

// FILE.mp4 -> FILE.gpx
std::string GpxPathOf(const std::string& videoPath) {
  return std::filesystem::path(videoPath).replace_extension(".gpx").string();
}

// The layout the recordings allow: a two-camera layout without any rear
// recording falls back to the front.
ExportLayout UsableLayout(const ExportRequest& request, const ExportPlan& plan,
                          ExportResult& result) {
  if (TwoCameras(request.layout) && !plan.anyRear) {
    result.notices.push_back("the span has no rear camera; exporting the front camera only");
    return ExportLayout::kFront;
  }
  if (TwoCameras(request.layout) && !plan.allRear)
    result.notices.push_back("part of the span has no rear camera; its place stays black");
  return request.layout;
}

bool CheckRequest(const ExportRequest& request, std::string& error) {
  if (request.outPath.empty()) {
    error = "no output file given";
    return false;
  }
  if (request.copy && TwoCameras(request.layout)) {
    error = "--copy takes one camera (front or rear); two cameras need composing";
    return false;
  }
  if (request.copy && request.overlay) {
    error = "the overlay needs composing; leave out --copy";
    return false;
  }
  return true;
}

}  // namespace

ExportResult ExportClip(const ExportRequest& request, const ExportProgress& progress) {
  ExportResult result;
  ExportPlan plan;
  if (!CheckRequest(request, result.error) || !MakeExportPlan(request, plan, result.error))
    return result;
  const ExportLayout layout = UsableLayout(request, plan, result);
  if (layout == ExportLayout::kRear && !plan.allRear) {
    result.error = "the span has no rear camera (or not all through)";
    return result;
  }
  MuxOutput out;
  if (!out.Create(request.outPath, result.error)) return result;
  ExportRun run{request, plan, progress, result, out};
  const bool written = request.copy ? WriteCopiedClip(run, layout == ExportLayout::kRear)
                                    : WriteComposedClip(run, layout);
  if (!written || !out.Finish(result.error)) {
    if (result.cancelled) result.error.clear();
    return result;
  }
  const std::string gpxPath = GpxPathOf(request.outPath);
  const SpanTelemetry telemetry(plan);
  const int points =
      telemetry.WriteGpx(gpxPath, std::filesystem::path(request.outPath).stem().string());
  if (points < 0) {
    result.error = "cannot write " + gpxPath;
    return result;
  }
  if (!out.Commit(result.error)) {
    if (points > 0) std::remove(gpxPath.c_str());
    return result;
  }
  if (points == 0) result.notices.push_back("no GPS fixes inside the span; no GPX written");
  result.ok = true;
  result.videoPath = request.outPath;
  result.gpxPath = points > 0 ? gpxPath : std::string();
  result.gpxPoints = points;
  if (result.skippedFrames > 0)
    result.notices.push_back(std::to_string(result.skippedFrames) +
                             " pictures could not be decoded and were left out");
  return result;
}

bool ParseLocalClock(const std::string& text, CalendarTime& out) {
  int y, mo, d, h, mi, s;
  char tail;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6)
    return false;
  return IsValidDateTime(y, mo, d, h, mi, s) && LocalDateTimeToCalendar(y, mo, d, h, mi, s, out);
}

bool ParseExportLayout(const std::string& text, ExportLayout& out) {
  static const struct {
    const char* name;
    ExportLayout layout;
  } kNames[] = {{"front", ExportLayout::kFront},
                {"rear", ExportLayout::kRear},
                {"side-by-side", ExportLayout::kSideBySide},
                {"pip", ExportLayout::kPictureInPicture}};
  for (const auto& n : kNames) {
    if (text == n.name) {
      out = n.layout;
      return true;
    }
  }
  return false;
}

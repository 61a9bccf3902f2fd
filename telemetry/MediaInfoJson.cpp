#include "telemetry/MediaInfoJson.h"

#include <cstdio>

#include "telemetry/TelemetrySeries.h"
#include "telemetry/TelemetryUtil.h"

std::string JsonQuote(const std::string& text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

namespace {

std::string Member(const char* name, const std::string& value) {
  return std::string("\"") + name + "\":" + value;
}

std::string Number(long long v) { return std::to_string(v); }
std::string Number(unsigned long long v) { return std::to_string(v); }

std::string Bytes4(const std::array<std::uint8_t, 4>& b) {
  return "[" + std::to_string(b[0]) + "," + std::to_string(b[1]) + "," + std::to_string(b[2]) +
         "," + std::to_string(b[3]) + "]";
}

}  // namespace

std::string MediaInfoJsonMembers(const MediaInfo& info, const TelemetrySeries* series) {
  unsigned long long fixes =
      info.gpsFixes.empty() ? info.gpsSize / GpsFix::kFileSize : info.gpsFixes.size();
  unsigned long long samples = info.gsensorSamples.empty()
                                   ? info.gsensorSize / GSensorSample::kFileSize
                                   : info.gsensorSamples.size();
  const bool trackCounted = info.trackFixCount != 0 || info.trackSampleCount != 0;
  if (trackCounted && info.gpsFixes.empty() && info.gsensorSamples.empty()) {
    fixes = info.trackFixCount;
    samples = info.trackSampleCount;
  }
  // A data track's series is left unread when its sample table counted it.
  if (series && !(trackCounted && series->Empty())) {
    fixes = series->fixes.size();
    samples = series->SampleCount();
  }
  const std::string parts[] = {
      Member("gpsOffset", Number(static_cast<unsigned long long>(info.gpsOffset))),
      Member("gpsSize", Number(static_cast<unsigned long long>(info.gpsSize))),
      Member("gsensorOffset", Number(static_cast<unsigned long long>(info.gsensorOffset))),
      Member("gsensorSize", Number(static_cast<unsigned long long>(info.gsensorSize))),
      Member("width", Number(static_cast<unsigned long long>(info.width))),
      Member("height", Number(static_cast<unsigned long long>(info.height))),
      Member("startTime", Number(static_cast<long long>(info.startTime))),
      Member("startTimeLocal", JsonQuote(FormatLocalIso(info.startTime))),
      Member("length", Number(static_cast<long long>(info.length))),
      Member("durationMs", Number(static_cast<unsigned long long>(info.durationMs))),
      Member("fileSize", Number(static_cast<unsigned long long>(info.fileSize))),
      Member("gpsAttr", Bytes4(info.gpsAttr)),
      Member("gsensorAttr", Bytes4(info.gsensorAttr)),
      Member("gpsFixCount", Number(fixes)),
      Member("gsensorSampleCount", Number(samples)),
  };
  std::string out;
  for (const auto& p : parts) {
    if (!out.empty()) out += ',';
    out += p;
  }
  // Which reader supplied the telemetry: the camera's own layout, or a
  // further source by its name.
  if (series) out += "," + Member("source", JsonQuote(series->source ? series->source : "design"));
  return out;
}

std::string MediaInfoToJson(const MediaInfo& info) { return "{" + MediaInfoJsonMembers(info) + "}"; }

#include "telemetry/TelemetrySeries.h"

#include <cerrno>
#include <cstring>

#include "telemetry/ByteReader.h"
#include "telemetry/SourceFix.h"
#include "telemetry/ZelMP4Parser.h"

namespace {

// The complete records of the payload of `size` bytes at `offset` that lie
// inside the file. Sets `cutOff` when the payload runs past the end; false
// only when the reader fails (an I/O error: every read is bounded first).
template <typename Record>
bool ReadPayload(ByteReader& reader, std::uint64_t offset, std::uint64_t size,
                 std::vector<Record>& out, bool& cutOff) {
  if (size == 0) return true;
  const std::uint64_t available = offset <= reader.Size() ? reader.Size() - offset : 0;
  if (size > available) cutOff = true;
  const std::uint64_t count = (size < available ? size : available) / Record::kFileSize;
  if (count == 0) return true;
  reader.Seek(offset);
  const std::vector<std::uint8_t> bytes =
      reader.ReadBytes(static_cast<std::size_t>(count * Record::kFileSize));
  if (!reader.Ok()) return false;
  ByteReader records(bytes.data(), bytes.size());
  out.reserve(static_cast<std::size_t>(count));
  for (std::uint64_t i = 0; i < count; ++i) out.push_back(Record::Read(records));
  return true;
}

// A data track's packets, when the scan only counted them: the track is
// read now, packet by packet. False with `error` when the file cannot be
// read; a file that no longer parses gives no packets.
bool ReadDataTrack(const FileHandle& file, const MediaInfo& info, TelemetrySeries& series,
                   std::string& error) {
  if (!info.gpsFixes.empty() || !info.gsensorSamples.empty()) {
    series.fixes = info.gpsFixes;
    series.wideSamples = info.gsensorSamples;
    return true;
  }
  if (info.trackFixCount == 0 && info.trackSampleCount == 0) return true;
  ByteReader reader(file);
  ParseResult track = CZelMP4Parser(CZelMP4Parser::Depth::kSeries).ParseReader(reader);
  if (track.status == ParseStatus::kIoError) {
    error = track.error;
    return false;
  }
  series.fixes = std::move(track.info.gpsFixes);
  series.wideSamples = std::move(track.info.gsensorSamples);
  return true;
}

TelemetrySeries IoFailure(const std::string& text) {
  TelemetrySeries s;
  s.status = ParseStatus::kIoError;
  s.error = text;
  return s;
}

void SetRates(const MediaInfo& info, TelemetrySeries& s) {
  s.fixRate = info.gpsAttr[0] != 0 ? info.gpsAttr[0] : 1.0;
  if (info.gsensorAttr[0] != 0) {
    s.sampleRate = info.gsensorAttr[0] / 1000.0;
  } else if (info.durationMs != 0) {
    s.sampleRate = static_cast<double>(s.SampleCount()) / info.durationMs;
  }
}

void AskSources(const FileHandle& file, const std::filesystem::path& path, const MediaInfo& info,
                std::span<const TelemetrySource> sources, TelemetrySeries& series) {
  for (const TelemetrySource& source : sources) {
    ByteReader probeReader(file);
    if (!source.probe(probeReader, path, info)) continue;
    TelemetrySeries candidate;
    ByteReader reader(file);
    if (!source.read(reader, path, info, candidate)) continue;
    candidate.source = source.name;
    for (std::size_t i = 0; i < candidate.fixes.size(); ++i) {
      const CalendarTime t = FixLocalTime(candidate.fixes[i]);
      if (t < 0) continue;
      const double rate = candidate.fixRate > 0 ? candidate.fixRate : 1.0;
      candidate.startTime = t - static_cast<CalendarTime>(i / rate);
      break;
    }
    series = std::move(candidate);
    return;
  }
}

}  // namespace

TelemetrySeries ReadTelemetry(const std::filesystem::path& path, const MediaInfo& info,
                              std::span<const TelemetrySource> sources) {
  FileHandle file;
  if (!file.Open(path)) return IoFailure(std::strerror(errno));
  ByteReader reader(file);
  if (!reader.Ok()) return IoFailure(reader.IoErrorText());

  TelemetrySeries series;
  if (!ReadPayload(reader, info.gpsOffset, info.gpsSize, series.fixes, series.cutOff) ||
      !ReadPayload(reader, info.gsensorOffset, info.gsensorSize, series.samples, series.cutOff))
    return IoFailure(reader.IoErrorText());
  TelemetrySeries track;
  std::string error;
  if (!ReadDataTrack(file, info, track, error)) return IoFailure(error);
  if (series.fixes.empty()) series.fixes = std::move(track.fixes);
  if (series.samples.empty()) series.wideSamples = std::move(track.wideSamples);
  SetRates(info, series);
  if (series.Empty()) AskSources(file, path, info, sources, series);
  return series;
}

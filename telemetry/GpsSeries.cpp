#include "telemetry/GpsSeries.h"

#include "telemetry/ByteReader.h"

namespace {

// Reads up to `count` records of `recordSize` bytes at `offset`, only as
// many whole records as the file holds.
template <typename Record>
std::vector<Record> ReadPayload(const std::filesystem::path& path, std::uint64_t offset,
                                std::uint64_t size, bool* ok) {
  if (ok) *ok = true;
  std::vector<Record> out;
  if (size < Record::kFileSize) return out;
  FileHandle file;
  if (!file.Open(path)) {
    if (ok) *ok = false;
    return out;
  }
  ByteReader reader(file);
  if (!reader.Ok() || offset > reader.Size()) {
    if (ok) *ok = reader.Ok();
    return out;
  }
  const std::uint64_t available = reader.Size() - offset;
  const std::uint64_t count = (size < available ? size : available) / Record::kFileSize;
  reader.Seek(offset);
  // Read the payload in one piece; the count is bounded by the file.
  const std::vector<std::uint8_t> bytes =
      reader.ReadBytes(static_cast<std::size_t>(count * Record::kFileSize));
  if (!reader.Ok()) {
    if (ok) *ok = false;
    return out;
  }
  out.reserve(static_cast<std::size_t>(count));
  ByteReader records(bytes.data(), bytes.size());
  for (std::uint64_t i = 0; i < count; ++i) out.push_back(Record::Read(records));
  return out;
}

}  // namespace

std::vector<GpsFix> ReadGpsSeries(const std::filesystem::path& path, const MediaInfo& info,
                                  bool* ok) {
  if (!info.gpsFixes.empty()) {
    if (ok) *ok = true;
    return info.gpsFixes;
  }
  return ReadPayload<GpsFix>(path, info.gpsOffset, info.gpsSize, ok);
}

std::vector<GSensorSample> ReadGSensorSeries(const std::filesystem::path& path,
                                             const MediaInfo& info, bool* ok) {
  if (!info.gsensorSamples.empty()) {
    if (ok) *ok = true;
    return {};
  }
  return ReadPayload<GSensorSample>(path, info.gsensorOffset, info.gsensorSize, ok);
}

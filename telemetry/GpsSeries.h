#pragma once

#include <filesystem>
#include <vector>

#include "telemetry/TelemetryTypes.h"

// The GPS series of a recording as playback uses it: the data-track list
// when it is not empty, otherwise the gpsSize / 32 records of the payload
// at gpsOffset in the file. Only whole records that lie inside the file
// are read. `ok` (optional) is false when the file cannot be read.
std::vector<GpsFix> ReadGpsSeries(const std::filesystem::path& path, const MediaInfo& info,
                                  bool* ok = nullptr);

// The G-sensor payload of a box or AVI recording (gsensorSize / 3
// samples at gsensorOffset). Empty for MP4 recordings, whose readings are
// in info.gsensorSamples.
std::vector<GSensorSample> ReadGSensorSeries(const std::filesystem::path& path,
                                             const MediaInfo& info, bool* ok = nullptr);

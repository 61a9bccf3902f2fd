#include "telemetry/TelemetrySource.h"

namespace {

// No further sources yet: recordings carry their telemetry in the layouts
// the three parsers read.
constexpr std::span<const TelemetrySource> kSources{};

}  // namespace

std::span<const TelemetrySource> TelemetrySources() { return kSources; }

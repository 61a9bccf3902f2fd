#pragma once

// Test recordings as the dash camera writes them: MOV, MP4 and 3GP files with
// telemetry boxes, AVI files with telemetry chunks, and MP4 files whose
// telemetry is a data track. Used by the parser and catalogue tests, the
// benchmarks and the demo card. Qt-free; real video comes from the ffmpeg CLI.
//
// Results follow the house rule: 1 done, 0 refused (with a reason in *error).

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "telemetry/TelemetryTypes.h"

namespace recgen {

// ---------------------------------------------------------------------------
// Local date and time as the camera stores it (no time zone).
struct DateTime {
  int year = 2024, month = 1, day = 1, hour = 0, minute = 0, second = 0;

  // Adds whole seconds (may be negative), carrying into minutes .. years.
  DateTime Plus(std::int64_t seconds) const;
  // "YYYY-MM-DD hh:mm:ss", the IDIT text form.
  std::string ToText() const;
  // Seconds since 1970-01-01 with the fields taken as UTC; differences of two
  // values are exact whatever the machine's time zone.
  std::int64_t ToUtcSeconds() const;
  static DateTime FromUtcSeconds(std::int64_t seconds);
};

// Degrees <-> the stored ddmm.mmmm form (22.535 -> 2232.1; sign kept).
double DegreesToDdmm(double degrees);
double DdmmToDegreesValue(double ddmm);

// ---------------------------------------------------------------------------
// Route and G-sensor makers.

// One fix per 1/rate s starting at (latitude, longitude) in decimal degrees,
// driving `speedKmh` on `headingDeg`; the heading turns by `turnDegPerSecond`.
// Every fix is valid and carries the time of its whole second (fixes inside
// one second share it). Heading is stored in units of 2 degrees.
struct RouteProfile {
  double latitude = 22.5430;    // decimal degrees
  double longitude = 114.0579;  // decimal degrees
  DateTime start;               // local time of fix 0
  int count = 60;
  int rate = 1;                 // fixes per second
  double speedKmh = 50;
  double headingDeg = 90;
  double turnDegPerSecond = 0;
  std::int32_t altitude = 20;
};
std::vector<GpsFix> MakeRoute(const RouteProfile& profile);

// A polyline in decimal degrees, driven at a speed per leg.
struct Waypoint {
  double latitude = 0, longitude = 0;
  double speedKmh = 40;  // speed on the leg that starts here
};
// Interpolates the polyline at `rate` fixes per second starting at `start`
// (local time); stops at the last waypoint. Headings follow the legs.
// When `legOfFix` is given it receives, per fix, the index of the waypoint
// that starts the leg the fix lies on.
std::vector<GpsFix> MakeRouteAlong(const std::vector<Waypoint>& waypoints, const DateTime& start,
                                   int rate, std::int32_t altitude = 20,
                                   std::vector<std::size_t>* legOfFix = nullptr);

// Clears the valid bit (and zeroes speed) of fixes [first, first + count).
void MarkInvalid(std::vector<GpsFix>& route, std::size_t first, std::size_t count);

// Events shaped into a resting G-sensor series (X forward, Y left, Z up;
// +1 G on Z at rest), plus a little deterministic road noise.
struct GSensorEvent {
  enum Kind { kBrake, kAccelerate, kTurnLeft, kTurnRight, kBump };
  Kind kind = kBrake;
  double atSeconds = 0;
  double durationSeconds = 1;
  double strengthG = 0.5;
};
// seconds x rate samples; counts scaled so that +128 is +rangeG.
std::vector<GSensorSample> MakeGSensorSeries(double seconds, int rate, int rangeG,
                                             const std::vector<GSensorEvent>& events = {},
                                             unsigned seed = 1);
// The MP4 data-track form: 32-bit components at 64 steps per count of the
// three-byte form (the same acceleration, six more bits of resolution).
std::vector<GSensorWideSample> WidenGSensor(const std::vector<GSensorSample>& samples);

// ---------------------------------------------------------------------------
// One recording.

enum class Container {
  kMov,           // ftyp "qt  ", boxes
  kMp4Boxes,      // ftyp "isom", boxes (name it .MP4 so the box parser reads it)
  kThreeGp,       // ftyp "3gp4", boxes
  kAvi,           // RIFF AVI, chunks
  kMp4DataTrack,  // MP4 with a data track of 32- and 12-byte packets (.mp4)
};

// Where the telemetry boxes or chunks go.
enum class Placement {
  kTopLevel,    // boxes: after moov at top level; AVI: chunks after movi (before idx1)
  kInsideMoov,  // boxes: children of moov (after the trak)
  kInsideUdta,  // boxes: inside moov/udta (the box parser does not look there)
  kBeforeMovi,  // AVI: chunks between hdrl and movi
  kAfterMovi,   // AVI: chunks after movi (same as kTopLevel)
  kInsideInfo,  // AVI: chunks inside a LIST INFO (the AVI parser does not look there)
};

// Payloads to write (bit mask), so tests can leave some out.
enum Payload : unsigned {
  kPayloadGps = 1u << 0,         // gps0
  kPayloadGSensor = 1u << 1,     // gsen (or the 12-byte packets of a data track)
  kPayloadGpsAttr = 1u << 2,     // gpsa
  kPayloadGSensorAttr = 1u << 3, // gsea
  kPayloadIdit = 1u << 4,        // IDIT (only when `idit` is not empty)
  kPayloadAll = 0x1Fu,
};

struct RecordingRecipe {
  Container container = Container::kMov;
  Placement placement = Placement::kTopLevel;
  unsigned payloads = kPayloadAll;

  std::vector<GpsFix> route;             // gps0 records / 32-byte packets
  std::vector<GSensorSample> gsensor;    // gsen records
  std::vector<GSensorWideSample> gsensorWide;  // data track; empty: widened `gsensor`
  std::uint8_t gpsRate = 1;              // gpsa byte 0
  std::uint8_t gsensorRate = 10;         // gsea byte 0
  std::uint8_t sensorRange = 8;          // gsea byte 1 (G)
  std::string idit;                      // e.g. "2024-05-17 08:30:14"; empty: no IDIT

  std::uint16_t width = 1920;
  std::uint16_t height = 1080;
  std::uint32_t durationMs = 60000;

  // Synthetic headers (no real video): details the parsers must cope with.
  int mdhdVersion = 0;                   // 0 or 1 (64-bit times)
  std::uint32_t timeScale = 1000;        // mdhd time scale
  std::uint32_t aviMicrosPerFrame = 0;   // 0: 40000 (25 fps), frames from duration
  std::uint32_t aviTotalFrames = 0;      // 0: derived from durationMs
  bool aviTopDown = false;               // strf height stored negative
  bool aviTruncatedMovi = false;         // movi list claims more than the file holds
  // AVI: gsen goes before gps0 and keeps an odd record count, so an
  // odd-sized chunk and its pad byte come before the GPS chunk.
  bool aviOddGSensorFirst = false;

  // Bytes of padding in mdat (boxes), movi (AVI), or with real video and data
  // tracks a trailing `free` box (JUNK chunk in AVI). Written as a hole, so
  // large sizes cost no disk.
  std::uint64_t mdatPadding = 0;

  // Real H.264 video from the ffmpeg CLI so the file plays; `width`, `height`
  // and `durationMs` then describe that video. The picture is a moving test
  // pattern with `label` and the local time (from route[0] or `videoStart`)
  // burned in.
  bool realVideo = false;
  bool audio = false;                    // quiet audio track (real video only)
  std::string label = "FRONT";
  bool mirrored = false;                 // rear cameras show the picture mirrored
  DateTime videoStart;                   // used when the route has no timed fix
  int fps = 15;
  int videoKbps = 300;
  std::string ffmpegPath = "ffmpeg";
  std::string fontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

  // Data-track MP4: also store the local start time as the container's
  // "start_time" metadata entry ("YYYY-MM-DD hh:mm:ss"); empty: none.
  std::string mp4StartTimeMeta;
};

// Where the payloads landed (payload offsets, not header offsets); 0 sizes
// when a payload was not written or does not apply (data track).
struct RecordingLayout {
  std::uint64_t gpsOffset = 0;
  std::uint32_t gpsSize = 0;
  std::uint64_t gsensorOffset = 0;
  std::uint32_t gsensorSize = 0;
  std::uint64_t fileSize = 0;
};

// Writes `out` (replacing it). Returns 1, or 0 with a reason in *error.
int WriteRecording(const RecordingRecipe& recipe, const std::filesystem::path& out,
                   RecordingLayout* layout = nullptr, std::string* error = nullptr);

// ---------------------------------------------------------------------------
// Building blocks for hand-made files (odd layouts in parser tests).

using Bytes = std::vector<std::uint8_t>;

// Box: 32-bit big-endian size (header included) + type + payload.
Bytes Box(const char type[5], const Bytes& payload);
// RIFF chunk: code + 32-bit little-endian size + payload, and a pad byte
// after an odd-sized payload (not counted in the size).
Bytes Chunk(const char code[5], const Bytes& payload);
// RIFF list: "LIST" + size + list type + contents.
Bytes List(const char type[5], const Bytes& contents);
Bytes Concat(std::initializer_list<Bytes> parts);

Bytes EncodeGpsPayload(const std::vector<GpsFix>& route);          // 32 bytes per fix
Bytes EncodeGSensorPayload(const std::vector<GSensorSample>& s);   // 3 bytes per sample
Bytes EncodeWideGSensor(const std::vector<GSensorWideSample>& s);  // 12 bytes per sample
Bytes EncodeAttr(std::uint8_t b0, std::uint8_t b1 = 0);           // gpsa / gsea payload
Bytes EncodeIdit(const std::string& text);                         // text + NUL

// Standard boxes with the fields the box parser reads.
Bytes MdhdBox(int version, std::uint32_t timeScale, std::uint64_t duration);
Bytes Avc1Entry(std::uint16_t width, std::uint16_t height);
// moov(mvhd, trak(tkhd, mdia(mdhd, hdlr, minf(stbl(stsd(avc1))))), extra...)
Bytes MinimalMoov(const RecordingRecipe& recipe, const Bytes& extraChildren = {});
// The complete synthetic file (no real video) in memory; layout as written.
Bytes BuildSyntheticRecording(const RecordingRecipe& recipe, RecordingLayout* layout = nullptr);

int WriteBytes(const std::filesystem::path& out, const Bytes& bytes, std::string* error = nullptr);

// ---------------------------------------------------------------------------
// A memory card of recordings.

// File name fitting the camera's pattern: "<3 letters><_|G><4 digits><F|R>.<ext>",
// for example "MOV_0012F.MOV" or, locked, "MOVG0012F.MOV". The rear
// companion differs only in "R" before the dot. Extension by container:
// MOV, MP4 (boxes), 3GP, AVI, mp4 (data track, lower case).
std::string RecordingName(Container container, int number, bool locked, bool rear);

struct CardRecipe {
  int count = 10;                      // front recordings
  bool nested = false;                 // spread over sub-folders (several levels)
  bool rear = false;                   // a rear companion for each front file
  std::vector<Container> containers{Container::kAvi};  // cycled per file
  int lockEvery = 0;                   // every n-th file locked (G name, read-only); 0 none
  DateTime start{2024, 5, 17, 8, 30, 0};
  int secondsPerFile = 60;
  int gapAfterEvery = 0;               // start a new drive (10 min gap) every n files; 0 none
  int gpsRate = 1;
  int gsensorRate = 10;
  std::uint64_t sparseSize = 0;        // apparent size of each file (padding as a hole)
  bool realVideo = false;              // ffmpeg-made video (slow); synthetic headers otherwise
  std::uint16_t width = 1920, height = 1080;
};

// Writes the card below `outDir` (DCIM/Movie/F, DCIM/Movie/R, DCIM/Event for
// locked files; deeper folders when nested). Returns 1 or 0.
int WriteCard(const CardRecipe& recipe, const std::filesystem::path& outDir,
              std::vector<std::filesystem::path>* written = nullptr, std::string* error = nullptr);

}  // namespace recgen

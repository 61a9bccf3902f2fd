#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class ByteReader;

// Records as the camera stores them inside every recording. They are
// decoded field by field with explicit little-endian reads (never by
// casting a struct over file bytes), so their in-memory layout is free.

// One GPS record; 32 bytes on file in every container.
struct GpsFix {
  static constexpr std::size_t kFileSize = 32;

  double latitude = 0;   // degrees x 100 + minutes (ddmm.mmmm), own sign
  double longitude = 0;  // degrees x 100 + minutes (dddmm.mmmm), own sign
  std::int32_t altitude = 0;  // metres
  std::uint16_t speed = 0;    // km/h
  std::uint8_t year = 0;      // year - 2000; 0: the record carries no time
  std::uint8_t month = 0;
  std::uint8_t day = 0;
  std::uint8_t hour = 0;
  std::uint8_t minute = 0;
  std::uint8_t second = 0;
  std::uint8_t heading = 0;  // course over ground in units of 2 degrees
  std::uint8_t status = 0;   // bit 0: the fix is valid

  bool IsValid() const { return (status & 1) != 0; }
  int HeadingDegrees() const { return heading * 2; }

  // Decodes the 32 bytes at `p` (the caller guarantees they exist).
  static GpsFix Decode(const std::uint8_t* p);
  // Decodes the next 32 bytes of `r`; a short read leaves r's error set.
  static GpsFix Read(ByteReader& r);
  // Writes the 32-byte file form (bytes 30..31 are zero).
  void Encode(std::uint8_t* p) const;
};

// One G-sensor reading of box and AVI recordings: 3 signed counts, X Y Z.
struct GSensorSample {
  static constexpr std::size_t kFileSize = 3;
  std::int8_t x = 0, y = 0, z = 0;
  static GSensorSample Decode(const std::uint8_t* p);
  static GSensorSample Read(ByteReader& r);
};

// One G-sensor reading of an MP4 data track: three signed 32-bit
// little-endian components, each the whole value at 64 steps per count of
// the three-byte form: G = value x range / 128 / kStepsPerCount. (Only the
// low byte would cap every curve near 0.12 G at an 8 G range.)
struct GSensorWideSample {
  static constexpr std::size_t kFileSize = 12;
  static constexpr int kStepsPerCount = 64;
  std::int32_t x = 0, y = 0, z = 0;
  static GSensorWideSample Decode(const std::uint8_t* p);
  static GSensorWideSample Read(ByteReader& r);
};

// Calendar time: seconds since 1970-01-01 UTC. Time span: seconds.
using CalendarTime = std::int64_t;
using TimeSpan = std::int64_t;

// What a parser learned about one recording.
struct MediaInfo {
  std::uint64_t gpsOffset = 0;
  std::uint32_t gpsSize = 0;
  std::uint64_t gsensorOffset = 0;
  std::uint32_t gsensorSize = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  CalendarTime startTime = 0;  // 0 when unknown
  TimeSpan length = 0;         // whole seconds; only AVI recordings set it
  std::uint32_t durationMs = 0;
  std::uint64_t fileSize = 0;
  std::array<std::uint8_t, 4> gpsAttr{};      // [0] fixes per second (0 = 1)
  std::array<std::uint8_t, 4> gsensorAttr{};  // [0] samples per second, [1] range in G (0 = 8)
  std::vector<GpsFix> gpsFixes;                  // MP4 data track only
  std::vector<GSensorWideSample> gsensorSamples;  // MP4 data track only
  // MP4 data track: the packets its sample table lists. A scan fills
  // these and leaves the lists above empty; ReadTelemetry reads them.
  std::uint32_t trackFixCount = 0;
  std::uint32_t trackSampleCount = 0;
};

#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Texts of the speed display: the value right-aligned in three characters
// and its unit. Miles per hour are km/h x 10 / 16, rounded down.
struct SpeedText {
  std::string number;
  std::string unit;
};

inline int DisplayedSpeed(std::uint16_t kmh, bool showKmh) {
  return showKmh ? kmh : (kmh * 10) / 16;
}

inline SpeedText MakeSpeedText(std::uint16_t kmh, bool showKmh) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%3d", DisplayedSpeed(kmh, showKmh));
  return {buf, showKmh ? "Km/h" : "MPH"};
}

#pragma once

#include <cstdio>
#include <string>

// Progress bar arithmetic. The stored share is the percentage modulo 101;
// a negative percentage fills nothing. The text shows the value as passed.
inline int StatusBoardShare(int percent) {
  if (percent < 0) return 0;
  return percent % 101;
}

inline int StatusBoardFilledWidth(int width, int share) {
  if (width <= 0) return 0;
  return static_cast<int>(static_cast<long long>(width) * share / 100);
}

inline std::string StatusBoardText(int percent) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%d %c", percent, '%');
  return buf;
}

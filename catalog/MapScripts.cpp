#include "catalog/MapScripts.h"

#include <charconv>

std::string FormatFixedC(double value) {
  // std::to_chars never consults the locale, unlike printf; its fixed form
  // with precision 6 matches "%f" digit for digit (including "nan"/"inf").
  // 400 characters hold the longest double in fixed notation.
  char buf[400];
  const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) return "0.000000";
  return std::string(buf, result.ptr);
}

namespace {

std::string Call(const char* function, double latitude, double longitude, const char* separator) {
  std::string s(function);
  s += '(';
  s += FormatFixedC(latitude);
  s += separator;
  s += FormatFixedC(longitude);
  s += ')';
  return s;
}

}  // namespace

std::string InitMapScript(double latitude, double longitude) {
  return Call("init_map", latitude, longitude, ", ");
}

std::string MovPosScript(double latitude, double longitude) {
  return Call("movpos", latitude, longitude, ", ");
}

std::string PathPlotScript(double latitude, double longitude) {
  return Call("path_plot", latitude, longitude, ",");
}

std::string PathDrivedPlotScript(double latitude, double longitude) {
  return Call("pathdrived_plot", latitude, longitude, ",");
}

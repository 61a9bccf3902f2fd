#pragma once

// Texts of the JavaScript calls the map view runs in its page. Qt-free and
// header-only so the texts can be checked without a browser.
//
// Numbers are written as the C library's "%f" writes them in the "C" locale
// (six digits after a '.', no grouping, leading '-'), whatever locale the
// process runs in: a comma as decimal separator would turn one argument into
// two. Coordinates are decimal degrees, latitude first.

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace mapscript {

inline constexpr std::string_view kPathDelete = "path_delete()";
inline constexpr std::string_view kPathDrivedDelete = "pathdrived_delete()";

// Appends `v` in "%f" form; std::to_chars never looks at the locale.
inline void AppendFixed(std::string& out, double v) {
  char buf[384];  // the largest double has 309 integer digits
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
  if (r.ec != std::errc()) {
    out += "0.000000";
    return;
  }
  out.append(buf, r.ptr);
}

inline std::string FormatFixed(double v) {
  std::string s;
  AppendFixed(s, v);
  return s;
}

// "name(a, b)" when `spaced`, else "name(a,b)".
inline std::string Call2(std::string_view name, double a, double b, bool spaced) {
  std::string s(name);
  s += '(';
  AppendFixed(s, a);
  s += spaced ? ", " : ",";
  AppendFixed(s, b);
  s += ')';
  return s;
}

inline std::string InitMap(double lat, double lng) { return Call2("init_map", lat, lng, true); }
inline std::string MovPos(double lat, double lng) { return Call2("movpos", lat, lng, true); }
inline std::string PathPlot(double lat, double lng) { return Call2("path_plot", lat, lng, false); }
inline std::string PathDrivedPlot(double lat, double lng) {
  return Call2("pathdrived_plot", lat, lng, false);
}

// Degrees + minutes / 100 (a stored ddmm.mmmm value already divided by 100)
// to decimal degrees; negative values convert symmetrically.
inline double DdmmToDegrees(double v) {
  const double whole = std::trunc(v);
  return whole + (v - whole) * 100.0 / 60.0;
}

}  // namespace mapscript

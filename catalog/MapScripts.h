#pragma once

#include <string>

// The exact JavaScript calls the map page receives. Numbers are written like
// the C library's "%f" in the "C" locale (six decimals, '.' as the point),
// whatever locale the process runs in. Coordinates are decimal degrees,
// latitude first.

inline constexpr const char* kPathDeleteScript = "path_delete()";
inline constexpr const char* kPathDrivedDeleteScript = "pathdrived_delete()";

// "%f" in the C locale.
std::string FormatFixedC(double value);

std::string InitMapScript(double latitude, double longitude);         // init_map(%f, %f)
std::string MovPosScript(double latitude, double longitude);          // movpos(%f, %f)
std::string PathPlotScript(double latitude, double longitude);        // path_plot(%f,%f)
std::string PathDrivedPlotScript(double latitude, double longitude);  // pathdrived_plot(%f,%f)

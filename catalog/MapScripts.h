#pragma once

#include <string>

// The exact JavaScript calls the map page receives. Numbers are written like
// the C library's "%f" in the "C" locale (six decimals, '.' as the point),
// whatever locale the process runs in. Coordinates are decimal degrees,
// latitude first.

inline constexpr const char* kPathDeleteScript = "path_delete()";
inline constexpr const char* kPathDrivedDeleteScript = "pathdrived_delete()";

// "%f" in the C locale ("%.Nf" with `decimals` N).
std::string FormatFixedC(double value, int decimals = 6);

std::string InitMapScript(double latitude, double longitude);         // init_map(%f, %f)
std::string MovPosScript(double latitude, double longitude);          // movpos(%f, %f)
std::string PathPlotScript(double latitude, double longitude);        // path_plot(%f,%f)
std::string PathDrivedPlotScript(double latitude, double longitude);  // pathdrived_plot(%f,%f)

// Calls added for the map of a whole drive. The page draws the drive from
// one drive_route call; drive_pos then moves the driven part and the
// marker to a point of it on every time event.
struct DriveTrack;

// drive_route({"t":[..],"lat":[..],"lng":[..],"v":[..],"h":[..],"p":[..],"g":[..]}):
// per point its drive time (ms), position, speed (km/h), heading (degrees)
// and recording (piece), and the indices of the points that start a new
// line. "drive_route(null)" for an empty track clears the drive.
std::string DriveRouteScript(const DriveTrack& track);
// drive_events([{"k":kind,"i":point,"lat":..,"lng":..,"t":"hh:mm:ss","g":peak},..]):
// the drive's driving events, each at its point of the route: the kind's
// name (DrivingEventKindName), the point's index, its position, the local
// clock time of the peak ("" when unknown) and the peak in G to two
// decimals. Sent after drive_route, which clears them.
std::string DriveEventsScript(const DriveTrack& track);
// drive_pos(i): point i is the one shown; -1 before the first.
std::string DrivePosScript(int pointIndex);
// drive_units('kmh') or drive_units('mph'): the unit of the speed legend.
std::string DriveUnitsScript(bool mph);

#pragma once

#include <cstdint>
#include <string>

#include "telemetry/TelemetryTypes.h"

// True when the fields form a plausible date and time. The day is not
// checked against the month: 31 February passes and the calendar
// conversion carries it into March.
bool IsValidDateTime(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                     std::int32_t minute, std::int32_t second);

// Converts a local date and time into a calendar time (the local zone,
// daylight saving detected automatically). False for dates the calendar
// time cannot hold (before 1970 or after 3000).
// Seconds since 1970 of a UTC date and time; -1 when the fields are not a
// date the calendar can hold.
CalendarTime UtcFromFields(int year, int month, int day, int hour, int minute, int second);

bool LocalDateTimeToCalendar(int year, int month, int day, int hour, int minute, int second,
                             CalendarTime& out);

// strftime of `t` in local time; empty when it cannot be represented. The
// one formatter of calendar times; the two below are its common formats.
std::string FormatLocalTime(CalendarTime t, const char* format);
// "YYYY-MM-DDThh:mm:ss" in local time.
std::string FormatLocalIso(CalendarTime t);
// "YYYY-MM-DD hh:mm:ss" in local time.
std::string FormatLocalDateTime(CalendarTime t);

// v is degrees + minutes / 100 (a stored coordinate already divided by
// 100); returns decimal degrees. Negative values convert symmetrically.
double DdmmToDegrees(double v);

// Divides both by 100 in place; true when both results are below 200.
bool NormalizeFixPair(double& latitude, double& longitude);

// Divides both by 100 and converts both to decimal degrees in place; true
// when both converted values are below 200.
bool ConvertFixPair(double& latitude, double& longitude);

#pragma once

#include <array>
#include <string>

#include "catalog/CatalogSinks.h"
#include "telemetry/TelemetryTypes.h"

// Cell texts of the group list and the file list, shared by the list
// widgets and the command-line tool. Times are local time; a time the
// local-time conversion cannot represent gives an empty text.

// Group, Resolution, Start Time, Length, File Size.
std::array<std::string, 5> GroupRowCells(const GroupRow& row);
// ID, File Name, Start Time, End Time, File Size, Folder.
std::array<std::string, 6> FileRowCells(const FileRow& row);

// strftime of `t` in local time; empty when it cannot be represented.
std::string FormatLocalTime(CalendarTime t, const char* format);

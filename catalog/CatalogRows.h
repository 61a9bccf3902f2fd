#pragma once

#include <array>
#include <string>

#include "catalog/CatalogSinks.h"
#include "telemetry/TelemetryTypes.h"
#include "telemetry/TelemetryUtil.h"

// Cell texts of the group list and the file list, shared by the list
// widgets and the command-line tool. Times are local time; a time the
// local-time conversion cannot represent gives an empty text.

// Group, Resolution, Start Time, Length, File Size.
std::array<std::string, 5> GroupRowCells(const GroupRow& row);
// ID (empty for a row not yet in a drive), File Name, Start Time, End Time,
// File Size, Folder.
std::array<std::string, 6> FileRowCells(const FileRow& row);


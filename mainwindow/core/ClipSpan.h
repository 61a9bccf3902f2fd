#pragma once

#include <cstdint>

#include "catalog/DriveLayout.h"
#include "export/ClipExport.h"

class MediaCatalog;

// The span [inMs, outMs) of a drive's time line as an export request: the
// local clock times of its ends (whole seconds, as the export takes them)
// and, as the source, the deepest folder that holds every recording of the
// drive and their second cameras, so that the export finds the same drive
// and the same pairs. False when the span is empty, its clock is unknown,
// or it is shorter than a second.
bool FillExportSpan(const MediaCatalog& catalog, const DriveLayout& layout, std::int64_t inMs,
                    std::int64_t outMs, ExportRequest& request);

#pragma once

#include <optional>
#include <string>

#include <QString>

// How recordings and tracks are named on the bus: file:// URLs for paths,
// object paths for track numbers, and the way back from what a client sends.

// Percent-encoded file:// URL of a local UTF-8 path; "" for "".
QString MprisFileUrl(const std::string& utf8Path);
// Local UTF-8 path of a file:// URI; nothing for another scheme, a remote
// host or an empty path.
std::optional<std::string> MprisLocalPath(const QString& uri);
// "/org/vantrel/track/N"; the "no track" path for a negative number.
QString MprisTrackId(int track);
// The track number of a path made by MprisTrackId; nothing for any other.
std::optional<int> MprisTrackOf(const QString& trackId);

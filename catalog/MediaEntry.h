#pragma once

#include <cstdint>
#include <string>

#include "telemetry/TelemetryTypes.h"

// Lock marks of a recording. They are also the indices of the lock icons
// the two lists show (0 none, 1 G, 2 read-only, 3 both).
inline constexpr std::uint32_t kEntryGMark = 1u << 0;     // fourth name character is 'G'
inline constexpr std::uint32_t kEntryReadOnly = 1u << 1;  // owner write bit clear

// One recording of the catalogue.
struct MediaEntry {
  std::int32_t groupStart = 0;  // 1 when this entry begins a new group
  std::uint32_t flags = 0;      // kEntryGMark | kEntryReadOnly
  std::string name;             // file name with extension
  std::string root;             // the scanned folder, always ending in '/'
  std::string subPath;          // folders below root, each followed by '/'
  MediaInfo info;               // all zero when the parse failed

  std::string Folder() const { return root + subPath; }
  std::string FullPath() const { return root + subPath + name; }
};

// Recordings that continue one another: one continuous drive.
struct MediaGroup {
  std::int32_t number = 0;       // from 0, in catalogue order
  std::int32_t firstEntry = 0;   // index of the group's first entry
  std::int32_t memberCount = 0;
  std::uint64_t durationMs = 0;  // sum of the members' durationMs
  std::uint64_t fileSize = 0;    // sum of the members' fileSize
  std::uint8_t flags = 0;        // OR of the members' flags
  std::int32_t checked = 0;      // copied from the group list's check box by the file operations
};

// One recording's place in its group; one per entry, in catalogue order.
struct GroupMember {
  std::int32_t group = 0;
  std::int32_t indexInGroup = 0;
  std::int32_t entryIndex = 0;
  std::uint64_t fileSize = 0;
  std::uint64_t durationMs = 0;
};

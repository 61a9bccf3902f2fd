#pragma once

#include <cstdint>
#include <string>

#include "telemetry/TelemetryTypes.h"

// Lock marks of a recording. They are also the indices of the lock icons
// the two lists show (0 none, 1 G, 2 read-only, 3 both).
inline constexpr std::uint32_t kEntryGMark = 1u << 0;     // fourth name character is 'G'
inline constexpr std::uint32_t kEntryReadOnly = 1u << 1;  // owner write bit clear

// The camera that made a recording, from its name (see
// MediaCatalog::CameraFromName).
enum class Camera : std::uint8_t { kFront, kRear };

// One recording of the catalogue.
struct MediaEntry {
  std::int32_t groupStart = 0;  // 1 when this entry begins a new drive
  // Both set by BuildGroups: the camera from the name, and the index of the
  // other camera's recording of the same minute (-1 none).
  Camera camera = Camera::kFront;
  std::int32_t partner = -1;
  std::uint32_t flags = 0;      // kEntryGMark | kEntryReadOnly
  std::string name;             // file name with extension
  std::string root;             // the scanned folder, always ending in '/'
  std::string subPath;          // folders below root, each followed by '/'
  MediaInfo info;               // all zero when the parse failed, but fileSize
  // The parse failed: not a recording, or one too damaged to read. Listed
  // without times after every readable one.
  bool unreadable = false;

  std::string Folder() const { return root + subPath; }
  std::string FullPath() const { return root + subPath + name; }
};

// Recordings that continue one another: one continuous drive. Its members
// are the entries firstEntry .. firstEntry + memberCount - 1, fronts and
// rears alike; the first one always plays on the first channel.
struct MediaGroup {
  std::int32_t number = 0;       // from 0, in catalogue order
  std::int32_t firstEntry = 0;   // index of the drive's first entry
  std::int32_t memberCount = 0;  // all recordings of the drive, rears included
  std::uint64_t durationMs = 0;  // the drive's length: sum of its first-channel durationMs
  std::uint64_t fileSize = 0;    // sum of the members' fileSize
  std::uint8_t flags = 0;        // OR of the members' flags
  std::int32_t checked = 0;      // copied from the group list's check box by the file operations
};

// One recording's place in its drive; one per entry, in catalogue order.
struct GroupMember {
  std::int32_t group = 0;
  std::int32_t indexInGroup = 0;
  std::int32_t entryIndex = 0;
  std::uint64_t fileSize = 0;
  std::uint64_t durationMs = 0;
};

#pragma once

#include <string>
#include <vector>

// The "disks" the open-media dialog offers: mounted local volumes, fixed
// ones first and removable ones (memory cards) last, so that the last item
// is usually the camera's card.
struct VolumeItem {
  std::string root;    // mount point, ends in '/'
  std::string label;   // volume label; may be empty
  std::string fsType;  // "ext4", "vfat", "proc", ...
  bool removable = false;
  bool ready = true;
};

// False for pseudo and network file systems and volumes not ready.
bool IsListedVolume(const VolumeItem& volume);

// The listed volumes, fixed before removable, each part ordered by root.
std::vector<VolumeItem> DriveItems(std::vector<VolumeItem> volumes);

// The list text: the root alone, or the root, four blanks and the label in
// square brackets.
std::string DriveItemText(const VolumeItem& volume);

// The machine's mounted volumes as the system reports them.
std::vector<VolumeItem> MountedVolumes();

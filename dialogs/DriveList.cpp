#include "dialogs/DriveList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

// File systems that hold no recordings of a camera: kernel views, memory
// file systems, package images and network shares.
constexpr std::string_view kSkippedTypes[] = {
    "proc",       "sysfs",   "devtmpfs", "devpts",   "tmpfs",     "ramfs",     "cgroup",
    "cgroup2",    "pstore",  "bpf",      "tracefs",  "debugfs",   "securityfs", "configfs",
    "fusectl",    "mqueue",  "hugetlbfs", "autofs",  "binfmt_misc", "nsfs",    "efivarfs",
    "rpc_pipefs", "squashfs", "nfs",     "nfs4",     "cifs",      "smb3",      "smbfs",
    "9p",         "fuse.sshfs", "fuse.gvfsd-fuse", "fuse.portal", "selinuxfs"};

bool HasPrefix(const std::string& s, std::string_view prefix) {
  return s.size() >= prefix.size() && std::string_view(s).substr(0, prefix.size()) == prefix;
}

// The kernel's removable flag of the block device behind `device`
// ("/dev/sdb1" looks at sdb1 and then at its parent disk sdb).
bool IsRemovableDevice(const QString& device) {
  if (!device.startsWith(QLatin1String("/dev/"))) return false;
  const QString name = QFileInfo(device).canonicalFilePath().section(QLatin1Char('/'), -1);
  QString dir = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
  for (int level = 0; level < 2 && !dir.isEmpty(); ++level) {
    QFile flag(dir + QStringLiteral("/removable"));
    if (flag.open(QIODevice::ReadOnly)) return flag.readAll().trimmed() == "1";
    dir = QFileInfo(dir).path();
  }
  return false;
}

}  // namespace

bool IsListedVolume(const VolumeItem& volume) {
  if (!volume.ready || volume.root.empty()) return false;
  return std::find(std::begin(kSkippedTypes), std::end(kSkippedTypes), volume.fsType) ==
         std::end(kSkippedTypes);
}

std::vector<VolumeItem> DriveItems(std::vector<VolumeItem> volumes) {
  std::vector<VolumeItem> listed;
  for (VolumeItem& v : volumes) {
    if (v.root.back() != '/') v.root += '/';
    if (IsListedVolume(v)) listed.push_back(std::move(v));
  }
  std::stable_sort(listed.begin(), listed.end(), [](const VolumeItem& a, const VolumeItem& b) {
    if (a.removable != b.removable) return !a.removable;
    return a.root < b.root;
  });
  return listed;
}

std::string DriveItemText(const VolumeItem& volume) {
  if (volume.label.empty()) return volume.root;
  return volume.root + "    [" + volume.label + "]";
}

std::vector<VolumeItem> MountedVolumes() {
  std::vector<VolumeItem> out;
  for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
    VolumeItem v;
    v.root = s.rootPath().toStdString();
    v.label = s.name().toStdString();
    v.fsType = s.fileSystemType().toStdString();
    v.ready = s.isValid() && s.isReady();
    v.removable = HasPrefix(v.root, "/media/") || HasPrefix(v.root, "/run/media/") ||
                  IsRemovableDevice(QString::fromUtf8(s.device()));
    out.push_back(std::move(v));
  }
  return out;
}

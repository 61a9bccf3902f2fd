#include "mainwindow/core/FileOperations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/FileSystem.h"
#include "catalog/MediaCatalog.h"

namespace {

#ifndef RENAME_NOREPLACE
constexpr unsigned kRenameNoReplace = 1u;
#else
constexpr unsigned kRenameNoReplace = RENAME_NOREPLACE;
#endif

// A file descriptor closed with its owner.
class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : m_fd(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int Get() const { return m_fd; }
  bool IsOpen() const { return m_fd >= 0; }
  // Closes now and reports whether the close succeeded (a deferred write
  // error can surface here).
  bool Close() {
    if (m_fd < 0) return true;
    const int rc = ::close(m_fd);
    m_fd = -1;
    return rc == 0;
  }
  void Reset() { Close(); }

 private:
  int m_fd;
};

// A temporary file that is removed unless the copy was committed.
class TempFile {
 public:
  explicit TempFile(std::string path) : m_path(std::move(path)) {}
  ~TempFile() {
    if (!m_path.empty()) ::unlink(m_path.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return m_path; }
  void Commit() { m_path.clear(); }

 private:
  std::string m_path;
};

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return "./";
  return path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool CopyBytes(int from, int to) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = ::read(from, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(n))) return false;
  }
}

// Makes the rename itself durable; a folder that cannot be synced is no
// reason to call the copy failed.
void SyncFolder(const std::string& folder) {
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.IsOpen()) ::fsync(fd.Get());
}

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string UnlockedName(const std::string& name) {
  if (name.size() < 4) return name;
  std::string unlocked = name;
  unlocked[3] = '_';
  return unlocked;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return 0;
  const long rc = ::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                            kRenameNoReplace);
  if (rc == 0) return 1;
  if (errno != EINVAL && errno != ENOSYS) return 0;
  // File systems without the flag: a hard link fails on an existing name,
  // so the target is never replaced either.
  if (::link(from.c_str(), to.c_str()) != 0) return 0;
  if (::unlink(from.c_str()) != 0) {
    ::unlink(to.c_str());
    return 0;
  }
  return 1;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int CopyFileSafely(const std::string& from, const std::string& to) {
  if (IsSameFile(from, to)) return 0;
  UniqueFd source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!source.IsOpen()) return 0;
  struct stat st {};
  if (::fstat(source.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;

  std::string pattern = FolderOf(to) + "." + NameOf(to) + ".part-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  UniqueFd target(::mkostemp(name.data(), O_CLOEXEC));
  if (!target.IsOpen()) return 0;
  TempFile temp(name.data());

  if (!CopyBytes(source.Get(), target.Get())) return 0;
  ::fchmod(target.Get(), st.st_mode & 07777);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  ::futimens(target.Get(), times);
  if (::fsync(target.Get()) != 0) return 0;
  if (!target.Close()) return 0;
  if (::rename(temp.Path().c_str(), to.c_str()) != 0) return 0;
  temp.Commit();
  SyncFolder(FolderOf(to));
  return 1;
}

// ------------------------------------------------------------------ delete

int FileOperations::DeleteTicked() {
  m_counts = {};
  if (!m_catalog.RefreshTicks()) return 0;
  // The loaded telemetry belongs to the current recording, by path: the
  // indices move when entries go and the drives are rebuilt.
  const std::string current = m_catalog.CurrentPath();
  const auto& groups = m_catalog.Groups();
  for (int g = static_cast<int>(groups.size()) - 1; g >= 0; --g) {
    const MediaGroup group = groups[g];
    if (!group.checked) continue;
    for (int k = group.memberCount - 1; k >= 0; --k) DeleteEntry(group.firstEntry + k);
  }
  if (m_counts.done == 0) return 1;
  m_catalog.ClearLists();
  if (m_catalog.Empty()) {
    // No entry left to be current: the catalogue starts afresh.
    m_catalog.Clear();
    return 1;
  }
  m_catalog.BuildGroups();
  const int kept = m_catalog.FindEntry(current);
  if (kept >= 0) {
    m_catalog.Select(kept);
  } else {
    // Its recording is gone: no route or curve of it may stay behind to be
    // exported under another recording's name.
    m_catalog.ClearTelemetry();
    m_catalog.CurrentIndex();  // keeps the current entry inside the list
  }
  return 1;
}

void FileOperations::DeleteEntry(int index) {
  const std::string path = m_catalog.PathOf(index);
  if (path.empty()) {
    ++m_counts.failed;
    return;
  }
  const bool wasReadOnly = IsReadOnlyFile(path);
  if (wasReadOnly) SetReadOnlyFile(path, false);
  if (::unlink(path.c_str()) != 0) {
    // The file stays: so does its protection.
    if (wasReadOnly) SetReadOnlyFile(path, true);
    ++m_counts.failed;
    return;
  }
  m_catalog.RemoveEntry(index);
  ++m_counts.done;
}

// ------------------------------------------------------------------ unlock

int FileOperations::UnlockTicked() {
  m_counts = {};
  if (!m_catalog.RefreshTicks()) return 0;
  for (const MediaGroup& group : m_catalog.Groups()) {
    if (!group.checked) continue;
    for (int k = 0; k < group.memberCount; ++k) UnlockEntry(group.firstEntry + k);
  }
  RecomputeGroupFlags();
  m_catalog.ClearLists();
  m_catalog.FillLists();
  return 1;
}

void FileOperations::UnlockEntry(int index) {
  if (index < 0 || index >= m_catalog.EntryCount()) return;
  MediaEntry& e = m_catalog.Entries()[index];
  if (!(e.flags & (kEntryReadOnly | kEntryGMark))) return;
  bool ok = true;
  if (e.flags & kEntryReadOnly) {
    if (SetReadOnlyFile(e.FullPath(), false))
      e.flags &= ~kEntryReadOnly;
    else
      ok = false;
  }
  if (e.flags & kEntryGMark) {
    const std::string newName = UnlockedName(e.name);
    if (newName != e.name && RenameNoReplace(e.FullPath(), e.Folder() + newName)) {
      e.name = newName;
      e.flags &= ~kEntryGMark;
    } else {
      ok = false;
    }
  }
  if (ok)
    ++m_counts.done;
  else
    ++m_counts.failed;
}

// A group shows a lock while any member still has one.
void FileOperations::RecomputeGroupFlags() {
  const auto& entries = m_catalog.Entries();
  for (MediaGroup& group : m_catalog.Groups()) {
    std::uint8_t flags = 0;
    for (int k = 0; k < group.memberCount; ++k) {
      const int i = group.firstEntry + k;
      if (i >= 0 && i < static_cast<int>(entries.size()))
        flags |= static_cast<std::uint8_t>(entries[i].flags);
    }
    group.flags = flags;
  }
}

// -------------------------------------------------------------------- copy

int FileOperations::CopyTicked(const std::string& destination) {
  m_counts = {};
  if (!m_catalog.RefreshTicks()) return 0;
  int total = 0;
  for (const MediaGroup& group : m_catalog.Groups())
    if (group.checked) total += group.memberCount;
  if (m_progress) m_progress(0, true);
  int handled = 0;
  const std::string dest = WithTrailingSlash(destination);
  for (const MediaGroup& group : m_catalog.Groups()) {
    if (!group.checked) continue;
    for (int k = 0; k < group.memberCount; ++k) {
      CopyEntry(group.firstEntry + k, dest);
      ++handled;
      if (m_progress && total > 0) m_progress(std::min(handled * 100 / total, 100), true);
    }
  }
  if (m_progress) m_progress(0, false);
  return 1;
}

void FileOperations::CopyEntry(int index, const std::string& destination) {
  if (index < 0 || index >= m_catalog.EntryCount()) {
    ++m_counts.failed;
    return;
  }
  const MediaEntry& e = m_catalog.Entries()[index];
  const std::string source = e.FullPath();
  const std::string folder = destination + e.subPath;
  const std::string target = folder + e.name;
  if (!FileExists(folder)) CreateDirectoryChain(folder);
  if (FileExists(target)) {
    // Copying a file onto itself would only risk destroying it.
    if (IsSameFile(source, target)) {
      ++m_counts.skipped;
      return;
    }
    if (m_overwrite && !m_overwrite(target)) {
      ++m_counts.skipped;
      return;
    }
  }
  const int copied = m_copy ? m_copy(source, target) : CopyFileSafely(source, target);
  if (copied)
    ++m_counts.done;
  else
    ++m_counts.failed;
}

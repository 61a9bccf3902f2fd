#pragma once

#include <functional>
#include <string>

class MediaCatalog;

// What one bulk operation did to the files of the ticked groups.
struct FileOpCounts {
  int done = 0;     // deleted, unlocked or copied
  int failed = 0;   // the file system refused
  int skipped = 0;  // copy: the user kept an existing target, or source and target are one file
};

// Delete, unlock and copy over the recordings of the groups ticked in the
// group list. Each operation returns 1 when it ran and 0 when no group is
// ticked; a file that fails is counted and the operation goes on with the
// next one. Runs on the catalogue's thread.
class FileOperations {
 public:
  // Asked before an existing copy target is replaced; true = replace.
  using OverwriteQuestion = std::function<bool(const std::string& target)>;
  // Copy progress: percent 0..100 while visible, then (0, false) at the end.
  using ProgressDisplay = std::function<void(int percent, bool visible)>;
  // Copies one file onto `to`, replacing it; 1 done, 0 failed.
  using CopyRoutine = std::function<int(const std::string& from, const std::string& to)>;

  explicit FileOperations(MediaCatalog& catalog) : m_catalog(catalog) {}

  void SetOverwriteQuestion(OverwriteQuestion question) { m_overwrite = std::move(question); }
  void SetProgressDisplay(ProgressDisplay progress) { m_progress = std::move(progress); }
  // Replaces the single-file copy; an empty routine restores CopyFileSafely.
  void SetCopyRoutine(CopyRoutine copy) { m_copy = std::move(copy); }

  // Deletes every file of the ticked groups (the read-only mark does not
  // protect it) and regroups what is left.
  int DeleteTicked();
  // Makes the files writable and removes the camera's "G" mark from their
  // names; a name that is taken already stays marked.
  int UnlockTicked();
  // Copies the files below `destination`, rebuilding their folders below
  // the scanned root.
  int CopyTicked(const std::string& destination);

  // Counts of the last operation.
  const FileOpCounts& LastCounts() const { return m_counts; }

 private:
  void DeleteEntry(int index);
  void UnlockEntry(int index);
  void CopyEntry(int index, const std::string& destination);
  void RecomputeGroupFlags();

  MediaCatalog& m_catalog;
  OverwriteQuestion m_overwrite;
  ProgressDisplay m_progress;
  CopyRoutine m_copy;
  FileOpCounts m_counts;
};

// The name without the camera's lock mark: the fourth character becomes
// '_' (ABCG1234.MP4 -> ABC_1234.MP4). Shorter names come back unchanged.
std::string UnlockedName(const std::string& name);

// Renames `from` to `to` only when `to` does not exist; 1 done, 0 refused
// (an existing target is never replaced).
int RenameNoReplace(const std::string& from, const std::string& to);

// Copies `from` onto `to`: the bytes go to a hidden temporary file next to
// the target, are flushed to the disk, and only then replace the target,
// so a failed copy leaves an existing target as it was and no partial file.
// Permission bits and modification time follow the source. 1 done, 0 failed.
int CopyFileSafely(const std::string& from, const std::string& to);

// True when both paths name the same file on disk.
bool IsSameFile(const std::string& a, const std::string& b);

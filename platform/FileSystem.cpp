#include "platform/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

bool FileExists(const std::filesystem::path& path) {
  if (path.empty()) return false;
  return ::access(path.c_str(), F_OK) == 0;
}

bool IsReadOnlyFile(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & S_IWUSR) == 0;
}

bool SetReadOnlyFile(const std::filesystem::path& path, bool readOnly) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  mode = readOnly ? (mode & ~static_cast<mode_t>(S_IWUSR)) : (mode | S_IWUSR);
  return ::chmod(path.c_str(), mode) == 0;
}

bool CreateDirectoryChain(const std::filesystem::path& path) {
  std::string s = path.string();
  if (s.empty()) return false;
  if (s.back() != '/') s += '/';
  // Every prefix ending before a '/' in order: "/a/b/" gives "/a", "/a/b".
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] != '/' || s[i - 1] == '/') continue;
    ::mkdir(s.substr(0, i).c_str(), 0777);  // failures on the way are expected
  }
  struct stat st {};
  return ::stat(s.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

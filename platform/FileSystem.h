#pragma once

#include <filesystem>

// Small file-system services with the meaning the player gives them.

// True when the path can be reached at all, file or folder alike; no access
// rights are checked.
bool FileExists(const std::filesystem::path& path);

// The read-only attribute is the owner write bit: read-only when it is clear.
// A path that cannot be examined is not read-only.
bool IsReadOnlyFile(const std::filesystem::path& path);

// Clears (readOnly true) or sets (false) the owner write bit; every other
// permission bit stays. Returns false when the path cannot be changed.
bool SetReadOnlyFile(const std::filesystem::path& path, bool readOnly);

// Creates every folder along `path` ("/a/b/c" creates /a, /a/b and /a/b/c in
// this order), ignoring failures on the way. True when the full path is a
// folder afterwards.
bool CreateDirectoryChain(const std::filesystem::path& path);

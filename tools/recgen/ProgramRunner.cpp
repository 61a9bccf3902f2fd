// Child processes for the ffmpeg CLI.
#include "tools/recgen/ProgramRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace recgen {

namespace {

// The last bytes of the child's error output, from an unlinked temp file.
std::string Tail(int fd, std::size_t keep) {
  const off_t end = ::lseek(fd, 0, SEEK_END);
  if (end <= 0) return {};
  const off_t from = end > static_cast<off_t>(keep) ? end - static_cast<off_t>(keep) : 0;
  std::string s(static_cast<std::size_t>(end - from), '\0');
  const ssize_t n = ::pread(fd, s.data(), s.size(), from);
  s.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return s;
}

}  // namespace

int RunProgram(const std::vector<std::string>& argv, std::string* error) {
  if (argv.empty()) return 0;
  char tmpl[] = "/tmp/vantrel-gen-XXXXXX";
  const int log = ::mkstemp(tmpl);
  if (log < 0) {
    if (error) *error = std::string("cannot make a temp file: ") + std::strerror(errno);
    return 0;
  }
  ::unlink(tmpl);

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, log, 1);
  posix_spawn_file_actions_adddup2(&actions, log, 2);
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    ::close(log);
    if (error) *error = "cannot start " + argv[0] + ": " + std::strerror(rc);
    return 0;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!ok && error) *error = argv[0] + " failed: " + Tail(log, 600);
  ::close(log);
  return ok ? 1 : 0;
}

}  // namespace recgen

// vantrel-bench-measure: runs a command and reports what it cost, as one
// line of key=value pairs on stderr (or appended to the file of -o):
//   wall_ms     elapsed time
//   cpu_ms      user + system time
//   rchar       bytes the process asked read() and friends for
//   syscr       read calls
//   maxrss_kb   peak resident memory
//   status      exit status
// The I/O counters come from /proc/<pid>/io, read while the finished child
// is still a zombie (waitid with WNOWAIT), so nothing is lost at exit.
// They include the children the command waited for.
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

struct IoCounters {
  unsigned long long rchar = 0;
  unsigned long long syscr = 0;
};

IoCounters ReadIo(pid_t pid) {
  IoCounters c;
  std::ifstream io("/proc/" + std::to_string(pid) + "/io");
  std::string key;
  unsigned long long value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") c.rchar = value;
    if (key == "syscr:") c.syscr = value;
  }
  return c;
}

long long Millis(const timeval& t) { return t.tv_sec * 1000LL + t.tv_usec / 1000; }

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  const char* outFile = nullptr;
  if (argc > 2 && std::strcmp(argv[1], "-o") == 0) {
    outFile = argv[2];
    first = 3;
  }
  if (first < argc && std::strcmp(argv[first], "--") == 0) ++first;
  if (first >= argc) {
    std::fprintf(stderr, "usage: vantrel-bench-measure [-o FILE] [--] COMMAND [ARGS...]\n");
    return 2;
  }
  const auto started = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    ::execvp(argv[first], argv + first);
    std::fprintf(stderr, "vantrel-bench-measure: cannot run %s\n", argv[first]);
    ::_exit(127);
  }
  siginfo_t info{};
  while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0) {
  }
  const auto ended = std::chrono::steady_clock::now();
  const IoCounters io = ReadIo(pid);
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  const long long wallMs =
      std::chrono::duration_cast<std::chrono::microseconds>(ended - started).count() / 1000;
  char line[256];
  std::snprintf(line, sizeof line,
                "wall_ms=%lld cpu_ms=%lld rchar=%llu syscr=%llu maxrss_kb=%ld status=%d\n", wallMs,
                Millis(usage.ru_utime) + Millis(usage.ru_stime), io.rchar, io.syscr,
                usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : 128);
  if (outFile) {
    if (FILE* f = std::fopen(outFile, "a")) {
      std::fputs(line, f);
      std::fclose(f);
    }
  } else {
    std::fputs(line, stderr);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

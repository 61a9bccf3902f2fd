#include "platform/PrivateProfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/FileSystem.h"

namespace {

// A carriage return counts as a blank: a last line that ends in a lone CR
// must mean the same before and after a write puts a line feed behind it.
constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// One line of the file, split into its text and its line ending.
struct Line {
  std::string text;
  std::string ending;  // "\n", "\r\n" or "" for a last line without one
};

enum class LineKind { kOther, kSection, kKey };

struct LineInfo {
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section or key name
  std::string_view value;  // key lines only, trimmed
};

LineInfo Classify(std::string_view text) {
  const std::string_view t = Trim(text);
  if (t.empty() || t.front() == ';' || t.front() == '#') return {};
  if (t.front() == '[') {
    const auto close = t.find(']');
    const auto inner = t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    return {LineKind::kSection, Trim(inner), {}};
  }
  const auto eq = t.find('=');
  if (eq == std::string_view::npos) return {};
  return {LineKind::kKey, Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

// Reads the whole file. nullopt when it does not exist, cannot be read or
// is no regular file: a FIFO in its place must not hold the program up
// waiting for a writer, so it is opened without blocking and refused.
std::optional<std::string> ReadFile(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<std::string> content;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    content.emplace();
    char buffer[8192];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        content.reset();
        break;
      }
      if (n == 0) break;
      content->append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  return content;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < content.size()) {
    const auto nl = content.find('\n', pos);
    if (nl == std::string_view::npos) {
      lines.push_back({std::string(content.substr(pos)), ""});
      break;
    }
    std::size_t end = nl;
    std::string ending = "\n";
    if (end > pos && content[end - 1] == '\r') {
      --end;
      ending = "\r\n";
    }
    lines.push_back({std::string(content.substr(pos, end - pos)), ending});
    pos = nl + 1;
  }
  return lines;
}

// The value of section/key in `content`, untrimmed of quotes; nullopt when
// the section or the key is missing. The first occurrence wins.
std::optional<std::string> FindValue(std::string_view content, std::string_view section,
                                     std::string_view key) {
  if (content.starts_with(kUtf8Bom)) content.remove_prefix(kUtf8Bom.size());
  bool inSection = false;
  bool sectionSeen = false;
  for (const Line& line : SplitLines(content)) {
    const LineInfo info = Classify(line.text);
    if (info.kind == LineKind::kSection) {
      if (sectionSeen && inSection) return std::nullopt;
      inSection = EqualsNoCase(info.name, section);
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    if (inSection && info.kind == LineKind::kKey && EqualsNoCase(info.name, key))
      return std::string(info.value);
  }
  return std::nullopt;
}

std::string_view StripQuotes(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// The first `maxChars` UTF-8 code points of `s`.
std::string_view TruncateCodePoints(std::string_view s, std::size_t maxChars) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const bool lead = (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
    if (!lead) continue;
    if (count == maxChars) return s.substr(0, i);
    ++count;
  }
  return s;
}

int ParseLeadingInt(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  long long value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    value = value * 10 + (s[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;  // saturates below
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

bool ValidNames(std::string_view section, std::string_view key, std::string_view value) {
  if (Trim(section).empty() || Trim(key).empty()) return false;
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  if (section.find(']') != std::string_view::npos) return false;
  const std::string_view k = Trim(key);
  if (k.find('=') != std::string_view::npos || k.front() == '[' || k.front() == ';' ||
      k.front() == '#')
    return false;
  return true;
}

// Inserts or replaces section/key in the lines; `eol` ends new lines.
void SetValue(std::vector<Line>& lines, std::string_view section, std::string_view key,
              std::string_view value, const std::string& eol) {
  std::optional<std::size_t> sectionLine;
  std::size_t insertAt = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LineInfo info = Classify(lines[i].text);
    if (info.kind == LineKind::kSection) {
      if (sectionLine) break;
      if (EqualsNoCase(info.name, section)) {
        sectionLine = i;
        insertAt = i + 1;
      }
      continue;
    }
    if (!sectionLine || info.kind != LineKind::kKey) continue;
    if (EqualsNoCase(info.name, key)) {
      // Keep the key as spelled in the file, and everything up to '='.
      Line& line = lines[i];
      line.text = line.text.substr(0, line.text.find('=') + 1) + std::string(value);
      return;
    }
    insertAt = i + 1;
  }
  const std::string keyLine = std::string(Trim(key)) + "=" + std::string(value);
  if (sectionLine) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{keyLine, eol});
    if (insertAt > 0 && lines[insertAt - 1].ending.empty()) lines[insertAt - 1].ending = eol;
    return;
  }
  if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = eol;
  lines.push_back({"[" + std::string(Trim(section)) + "]", eol});
  lines.push_back({keyLine, eol});
}

bool WriteAll(int fd, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes `content` to a temporary file beside `file` and renames it over
// the file, so a failed write never leaves a truncated settings file. In a
// folder that takes no new files, an existing file is rewritten in place.
bool ReplaceFile(const std::filesystem::path& file, const std::string& content, mode_t mode,
                 bool exists) {
  const std::string target = file.string();
  const std::string temp = target + ".tmp" + std::to_string(::getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) {
    if (!exists) return false;
    fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, content);
    return (::close(fd) == 0) && written;
  }
  bool ok = WriteAll(fd, content);
  ok = (::fchmod(fd, mode) == 0) && ok;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::filesystem::path& file) {
  if (bufferSize == 0) return {};
  std::string_view result = defaultValue;
  const auto content = ReadFile(file);
  std::optional<std::string> value;
  if (content) value = FindValue(*content, section, key);
  if (value) result = StripQuotes(*value);
  return std::string(TruncateCodePoints(result, bufferSize - 1));
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::filesystem::path& file) {
  const auto content = ReadFile(file);
  if (!content) return defaultValue;
  const auto value = FindValue(*content, section, key);
  if (!value) return defaultValue;
  const std::string_view text = StripQuotes(*value);
  if (text.empty()) return defaultValue;
  return ParseLeadingInt(text);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& file) {
  if (!ValidNames(section, key, value)) return false;
  // Write through a symbolic link to the file it names.
  std::filesystem::path target = file;
  struct stat linkStat {};
  if (::lstat(file.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode)) {
    std::error_code ec;
    target = std::filesystem::weakly_canonical(file, ec);
    if (ec) return false;
  }

  mode_t mode = 0644;
  std::string content;
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists) {
    if (!S_ISREG(st.st_mode) || IsReadOnlyFile(target)) return false;
    const auto existing = ReadFile(target);
    if (!existing) return false;
    content = *existing;
    mode = st.st_mode & 07777;
  }

  std::string bom;
  std::string_view body = content;
  if (body.starts_with(kUtf8Bom)) {
    bom = kUtf8Bom;
    body.remove_prefix(kUtf8Bom.size());
  }
  std::vector<Line> lines = SplitLines(body);
  const std::string eol = (!lines.empty() && lines.front().ending == "\r\n") ? "\r\n" : "\n";
  SetValue(lines, section, key, value, eol);

  std::string out = bom;
  for (const Line& line : lines) out += line.text + line.ending;
  return ReplaceFile(target, out, mode, exists);
}

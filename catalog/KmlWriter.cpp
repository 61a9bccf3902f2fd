#include "catalog/KmlWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "catalog/MapScripts.h"

namespace {

constexpr std::size_t kFlushSize = 64 * 1024;

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Length of the UTF-8 sequence at s[i], 0 when it is not a valid one.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  if (c < 0x80) return 1;
  std::size_t n;
  std::uint32_t cp;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates, values past U+10FFFF and the two
  // non-characters XML excludes.
  if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF ||
      (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF) {
    return 0;
  }
  return n;
}

}  // namespace

bool ReplacingFile::Open(const std::string& path) {
  Discard();
  static std::atomic<unsigned> counter{0};
  m_path = path;
  m_tempPath = path + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  // O_EXCL: never write through a file or link someone else put there.
  m_fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  m_failed = false;
  m_pending.clear();
  return m_fd >= 0;
}

void ReplacingFile::Write(std::string_view text) {
  if (m_fd < 0 || m_failed) return;
  m_pending.append(text);
  if (m_pending.size() >= kFlushSize) {
    if (!WriteAll(m_fd, m_pending.data(), m_pending.size())) m_failed = true;
    m_pending.clear();
  }
}

bool ReplacingFile::Commit() {
  if (m_fd < 0) return false;
  bool ok = !m_failed && WriteAll(m_fd, m_pending.data(), m_pending.size());
  m_pending.clear();
  ok = ::fsync(m_fd) == 0 && ok;
  ok = ::close(m_fd) == 0 && ok;
  m_fd = -1;
  if (ok) ok = std::rename(m_tempPath.c_str(), m_path.c_str()) == 0;
  if (!ok) ::unlink(m_tempPath.c_str());
  m_tempPath.clear();
  return ok;
}

void ReplacingFile::Discard() {
  if (m_fd < 0) return;
  ::close(m_fd);
  m_fd = -1;
  ::unlink(m_tempPath.c_str());
  m_tempPath.clear();
  m_pending.clear();
}

std::string XmlEscapeText(std::string_view text) {
  static constexpr const char* kReplacement = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      out += kReplacement;
    } else {
      const std::size_t n = Utf8SequenceLength(text, i);
      if (n == 0) {
        out += kReplacement;
        ++i;
        continue;
      }
      out.append(text.substr(i, n));
      i += n;
      continue;
    }
    ++i;
  }
  return out;
}

int CKmlWriter::Open(const std::string& path) {
  m_lineOpen = false;
  return m_file.Open(path) ? 1 : 0;
}

int CKmlWriter::WriteHeader(const std::string& documentName,
                            const std::string& documentDescription,
                            const std::string& placemarkDescription,
                            const std::vector<KmlPointStyle>& pointStyles) {
  if (!m_file.IsOpen()) return 0;
  std::string s;
  s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n";
  s += "  <Document>\n";
  s += "    <name>" + XmlEscapeText(documentName) + "</name>\n";
  s += "\t<description>" + XmlEscapeText(documentDescription) + "</description>\n";
  s += "    <Style id=\"blueLine\">\n";
  s += "      <LineStyle>\n";
  s += "        <color>ffff0000</color>\n";
  s += "        <width>4</width>\n";
  s += "      </LineStyle>\n";
  s += "    </Style>\n";
  for (const KmlPointStyle& style : pointStyles) {
    s += "    <Style id=\"" + XmlEscapeText(style.id) + "\">\n";
    s += "      <IconStyle>\n";
    s += "        <color>" + XmlEscapeText(style.colour) + "</color>\n";
    s += "      </IconStyle>\n";
    s += "    </Style>\n";
  }
  s += "    <Placemark>\n";
  s += "      <name>CAR PATH</name>\n";
  s += "      <description>GPS Path of Car DV " + XmlEscapeText(placemarkDescription) +
       "</description>\n";
  s += "      <styleUrl>#blueLine</styleUrl>\n";
  s += "      <LineString>\n";
  s += "        <altitudeMode>relative</altitudeMode>\n";
  s += "        <coordinates>\n";
  m_file.Write(s);
  m_lineOpen = true;
  return 1;
}

int CKmlWriter::WriteCoordinate(double latitude, double longitude, std::int32_t altitude) {
  if (!m_file.IsOpen() || !m_lineOpen) return 0;
  m_file.Write(FormatFixedC(longitude) + "," + FormatFixedC(latitude) + "," +
               std::to_string(altitude) + "\n");
  return 1;
}

int CKmlWriter::WriteBreak() {
  if (!m_file.IsOpen() || !m_lineOpen) return 0;
  m_file.Write(
      "\n        </coordinates>\n      </LineString>\n    </Placemark>\n"
      "    <Placemark>\n      <name>CAR PATH</name>\n      <styleUrl>#blueLine</styleUrl>\n"
      "      <LineString>\n        <altitudeMode>relative</altitudeMode>\n        <coordinates>\n");
  return 1;
}

void CKmlWriter::EndLine() {
  if (!m_lineOpen) return;
  m_lineOpen = false;
  m_file.Write("\n        </coordinates>\n      </LineString>\n    </Placemark>\n");
}

int CKmlWriter::WritePointMark(const KmlPointMark& mark) {
  if (!m_file.IsOpen()) return 0;
  EndLine();
  std::string s;
  s += "    <Placemark>\n";
  s += "      <name>" + XmlEscapeText(mark.name) + "</name>\n";
  s += "      <description>" + XmlEscapeText(mark.description) + "</description>\n";
  if (!mark.styleId.empty()) s += "      <styleUrl>#" + XmlEscapeText(mark.styleId) + "</styleUrl>\n";
  s += "      <Point>\n";
  s += "        <coordinates>" + FormatFixedC(mark.longitude) + "," + FormatFixedC(mark.latitude) +
       "</coordinates>\n";
  s += "      </Point>\n";
  s += "    </Placemark>\n";
  m_file.Write(s);
  return 1;
}

int CKmlWriter::WriteFooter() {
  if (!m_file.IsOpen()) return 0;
  EndLine();
  m_file.Write("  </Document>\n</kml>\n");
  return m_file.Commit() ? 1 : 0;
}

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A file that appears under its name only when it was written whole: the
// text goes to a temporary file next to the target, which Commit renames
// over the target. A file object that goes away uncommitted removes its
// temporary file, so no reader ever sees half a document.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile() { Discard(); }
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  bool Open(const std::string& path);
  bool IsOpen() const { return m_fd >= 0; }
  // Appends; a failed write is remembered and makes Commit fail.
  void Write(std::string_view text);
  // Flushes, closes and renames onto the target. False (and nothing left
  // behind) when any write, the flush or the rename failed.
  bool Commit();
  void Discard();

 private:
  std::string m_path;
  std::string m_tempPath;
  std::string m_pending;
  int m_fd = -1;
  bool m_failed = false;
};

// Text for XML element content: escapes '&', '<' and '>', and replaces
// bytes that are not valid UTF-8 or not allowed in XML 1.0 by U+FFFD.
std::string XmlEscapeText(std::string_view text);

// A shared style of point placemarks: the default icon in one colour.
struct KmlPointStyle {
  std::string id;
  std::string colour;  // KML's aabbggrr
};

// A point placemark: a place of note on the route.
struct KmlPointMark {
  double latitude = 0;   // decimal degrees
  double longitude = 0;  // decimal degrees
  std::string name;
  std::string description;
  std::string styleId;  // one of the header's point styles
};

// Writes one route as a KML 2.2 document: a "CAR PATH" placemark with a
// blue line whose coordinates are the fixes given, optionally followed by
// point placemarks. Line feeds only, UTF-8 without a byte-order mark.
// Operations return 1 when done, 0 otherwise.
class CKmlWriter {
 public:
  int Open(const std::string& path);
  // The point styles, if any, follow the line's style (styles come before
  // the placemarks in a KML document).
  int WriteHeader(const std::string& documentName, const std::string& documentDescription,
                  const std::string& placemarkDescription,
                  const std::vector<KmlPointStyle>& pointStyles = {});
  // Decimal degrees; the line is written longitude first, as KML wants.
  int WriteCoordinate(double latitude, double longitude, std::int32_t altitude);
  // Ends the line and starts another one in a placemark of the same name
  // and style: a span without a fix is a gap, not a straight line.
  int WriteBreak();
  // Ends the route's line (no coordinate or break may follow) and adds a
  // point placemark after it.
  int WritePointMark(const KmlPointMark& mark);
  // Ends the document and puts the file in place.
  int WriteFooter();

 private:
  void EndLine();

  ReplacingFile m_file;
  bool m_lineOpen = false;  // the route's coordinates element is open
};

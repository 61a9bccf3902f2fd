#pragma once

// Recording stand-ins for the widgets the catalogue talks to, and helpers
// that put recordings with known telemetry on disk.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "catalog/CatalogSinks.h"
#include "catalog/MediaCatalog.h"

// Both lists in one object; every call is logged.
class FakeList : public IGroupListView, public IFileListView {
 public:
  std::vector<GroupRow> groupRows;
  std::vector<FileRow> fileRows;
  std::vector<std::string> log;
  std::set<int> checked;

  void DeleteAllRows() override {
    groupRows.clear();
    fileRows.clear();
    log.push_back("clear");
  }
  void SetRowMarked(int row, bool marked) override {
    log.push_back((marked ? "mark " : "unmark ") + std::to_string(row));
  }
  void EnsureRowVisible(int row) override { log.push_back("show " + std::to_string(row)); }
  int InsertGroupRow(const GroupRow& row) override {
    groupRows.push_back(row);
    return 1;
  }
  bool IsRowChecked(int row) const override { return checked.count(row) != 0; }
  int InsertFileRow(const FileRow& row) override {
    fileRows.push_back(row);
    return 1;
  }
};

class FakeGSensor : public IGSensorSink {
 public:
  std::vector<std::string> log;
  std::vector<GSensorSample> samples;
  std::vector<GSensorWideSample> wide;
  double rate = 0;
  std::int32_t position = -1;

  void ClearSamples() override { log.push_back("ClearSamples"); }
  void Refresh() override { log.push_back("Refresh"); }
  void SetRange(double sensor, double display) override {
    log.push_back("SetRange " + std::to_string(int(sensor)) + " " + std::to_string(int(display)));
  }
  void SetSamples(const GSensorSample* raw, int count,
                  const std::vector<GSensorWideSample>& w) override {
    log.push_back("SetSamples " + std::to_string(count));
    wide = w;
    if (w.empty()) samples.assign(raw, raw + count);
  }
  void UpdateSpan() override { log.push_back("UpdateSpan"); }
  void SetSampleRate(double r) override {
    rate = r;
    log.push_back("SetSampleRate");
  }
  void SetTimeScale(double) override { log.push_back("SetTimeScale"); }
  void SetSpanMode(int mode) override { log.push_back("SetSpanMode " + std::to_string(mode)); }
  void SetInactive(bool inactive) override {
    log.push_back(inactive ? "SetInactive 1" : "SetInactive 0");
  }
  void SetPosition(std::int32_t ms) override { position = ms; }
};

class FakeMap : public IMapSink {
 public:
  std::vector<std::string> scripts;  // RunScript texts and "MovePos lat lon" entries
  void RunScript(const std::string& s) override { scripts.push_back(s); }
  void MovePos(double lat, double lon, int heading) override {
    char buf[96];
    std::snprintf(buf, sizeof buf, "MovePos %.4f %.4f %d", lat, lon, heading);
    scripts.push_back(buf);
  }
  bool IsAlive() const override { return true; }
};

class FakeInstruments : public IInstrumentSink {
 public:
  std::vector<std::string> log;
  void SetCompassImage(int index) override { log.push_back("image " + std::to_string(index)); }
  void SetCompassHeading(int degrees) override {
    log.push_back("heading " + std::to_string(degrees));
  }
  void SetSpeed(std::uint16_t kmh, bool valid) override {
    log.push_back("speed " + std::to_string(kmh) + (valid ? " valid" : " invalid"));
  }
};

// A fresh folder below the build tree, removed at the end of the test.
class TempDir {
 public:
  explicit TempDir(const std::string& name)
      : m_path(std::filesystem::path(VANTREL_BINARY_DIR) / "test-tmp" / "catalog" / name) {
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  const std::filesystem::path& path() const { return m_path; }
  std::string str() const { return m_path.string() + "/"; }

 private:
  std::filesystem::path m_path;
};

inline void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

// A stored coordinate (ddmm.mmmm x 100 form) from degrees and minutes.
inline double Ddmm(int degrees, double minutes) {
  return degrees < 0 ? degrees * 100 - minutes : degrees * 100 + minutes;
}

inline GpsFix Fix(double lat, double lon, bool valid = true, std::int32_t alt = 0,
                  std::uint16_t speed = 0, std::uint8_t heading = 0) {
  GpsFix f;
  f.latitude = lat;
  f.longitude = lon;
  f.altitude = alt;
  f.speed = speed;
  f.heading = heading;
  f.status = valid ? 1 : 0;
  return f;
}

// File bytes: `lead` filler bytes, then the GPS records, then the G-sensor
// records. Returns the entry describing it, as a parser would.
inline MediaEntry PutRecording(const std::string& root, const std::string& subPath,
                               const std::string& name, const std::vector<GpsFix>& fixes,
                               const std::vector<GSensorSample>& samples = {},
                               std::uint8_t gpsRate = 1, std::uint8_t gsensorRate = 10) {
  std::string bytes(100, 'x');
  MediaEntry e;
  e.root = root;
  e.subPath = subPath;
  e.name = name;
  e.info.gpsOffset = bytes.size();
  e.info.gpsSize = static_cast<std::uint32_t>(fixes.size() * GpsFix::kFileSize);
  for (const GpsFix& f : fixes) {
    std::uint8_t rec[GpsFix::kFileSize];
    f.Encode(rec);
    bytes.append(reinterpret_cast<const char*>(rec), sizeof rec);
  }
  e.info.gsensorOffset = bytes.size();
  e.info.gsensorSize = static_cast<std::uint32_t>(samples.size() * 3);
  for (const GSensorSample& s : samples) {
    bytes.push_back(static_cast<char>(s.x));
    bytes.push_back(static_cast<char>(s.y));
    bytes.push_back(static_cast<char>(s.z));
  }
  e.info.gpsAttr[0] = gpsRate;
  e.info.gsensorAttr[0] = gsensorRate;
  e.info.gsensorAttr[1] = 4;
  e.info.width = 1920;
  e.info.height = 1080;
  e.info.durationMs = 60000;
  e.info.fileSize = bytes.size();
  WriteFile(root + subPath + name, bytes);
  return e;
}

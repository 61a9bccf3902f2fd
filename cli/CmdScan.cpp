// vantrel-cli scan: the catalogue of a folder as the player lists it.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "catalog/CatalogRows.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/MediaInfoJson.h"

namespace {

// Collects the rows the catalogue gives its two lists.
class RowCollector : public IGroupListView, public IFileListView {
 public:
  std::vector<GroupRow> groups;
  std::vector<FileRow> files;

  void DeleteAllRows() override {}
  void SetRowMarked(int, bool) override {}
  void EnsureRowVisible(int) override {}
  int InsertGroupRow(const GroupRow& row) override {
    groups.push_back(row);
    return 1;
  }
  bool IsRowChecked(int) const override { return false; }
  int InsertFileRow(const FileRow& row) override {
    files.push_back(row);
    return 1;
  }
};

template <std::size_t N>
void PrintCells(const std::array<std::string, N>& cells) {
  for (std::size_t i = 0; i < N; ++i) std::printf("%s%s", i ? "\t" : "", cells[i].c_str());
  std::printf("\n");
}

const char* CameraName(const MediaEntry& e) { return e.camera == Camera::kRear ? "rear" : "front"; }

// The list cells, each file line followed by its camera.
void PrintText(const MediaCatalog& catalog, const RowCollector& rows) {
  std::printf("groups: %zu\n", rows.groups.size());
  for (const GroupRow& g : rows.groups) PrintCells(GroupRowCells(g));
  std::printf("files: %zu\n", rows.files.size());
  for (std::size_t i = 0; i < rows.files.size(); ++i) {
    const auto cells = FileRowCells(rows.files[i]);
    for (const std::string& cell : cells) std::printf("%s\t", cell.c_str());
    std::printf("%s\n", i < catalog.Entries().size() ? CameraName(catalog.Entries()[i]) : "");
  }
}

void PrintJson(const MediaCatalog& catalog, const RowCollector& rows) {
  std::string out = "{\"groups\":[";
  const auto& groups = catalog.Groups();
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const MediaGroup& g = groups[i];
    if (i) out += ',';
    out += "{\"number\":" + std::to_string(g.number) + ",\"first\":" + std::to_string(g.firstEntry) +
           ",\"count\":" + std::to_string(g.memberCount) +
           ",\"durationMs\":" + std::to_string(g.durationMs) +
           ",\"fileSize\":" + std::to_string(g.fileSize) + ",\"flags\":" + std::to_string(g.flags) +
           ",\"resolution\":" + JsonQuote(i < rows.groups.size() ? rows.groups[i].resolution : "") +
           ",\"startTime\":" + std::to_string(catalog.Entries()[g.firstEntry].info.startTime) + "}";
  }
  out += "],\"entries\":[";
  const auto& entries = catalog.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const MediaEntry& e = entries[i];
    if (i) out += ',';
    out += "{\"name\":" + JsonQuote(e.name) + ",\"subPath\":" + JsonQuote(e.subPath) +
           ",\"flags\":" + std::to_string(e.flags) +
           ",\"groupStart\":" + std::to_string(e.groupStart) +
           ",\"group\":" + std::to_string(catalog.DriveOf(static_cast<int>(i))) +
           ",\"camera\":" + JsonQuote(CameraName(e)) + "," +
           MediaInfoJsonMembers(e.info) + "}";
  }
  out += "]}\n";
  std::fputs(out.c_str(), stdout);
}

int RunScan(const std::vector<std::string>& args) {
  bool json = false;
  std::string dir;
  for (const std::string& a : args) {
    if (a == "--json") {
      json = true;
    } else if (dir.empty() && !a.empty()) {
      dir = a;
    } else {
      std::fprintf(stderr, "usage: vantrel-cli scan [--json] DIR\n");
      return 2;
    }
  }
  if (dir.empty()) {
    std::fprintf(stderr, "usage: vantrel-cli scan [--json] DIR\n");
    return 2;
  }
  RowCollector rows;
  MediaCatalog catalog;
  catalog.Attach(&rows, &rows, nullptr, nullptr, nullptr);
  if (!catalog.Load(dir, std::string())) {
    std::fprintf(stderr, "vantrel-cli scan: no such folder: %s\n", dir.c_str());
    return 1;
  }
  if (json) {
    PrintJson(catalog, rows);
  } else {
    PrintText(catalog, rows);
  }
  return 0;
}

}  // namespace

VANTREL_CLI_COMMAND(scan, "scan", "scan [--json] DIR   list the recordings below DIR in groups",
                    RunScan);

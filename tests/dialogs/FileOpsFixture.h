#pragma once

// A catalogue over real files in a temporary folder, with a group list
// whose check boxes the test sets.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "catalog/CatalogSinks.h"
#include "catalog/MediaCatalog.h"

class TickList : public IGroupListView, public IFileListView {
 public:
  std::vector<GroupRow> groupRows;
  std::vector<FileRow> fileRows;
  std::set<int> checked;
  int clears = 0;

  void DeleteAllRows() override {
    groupRows.clear();
    fileRows.clear();
    ++clears;
  }
  void SetRowMarked(int, bool) override {}
  void EnsureRowVisible(int) override {}
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

inline std::string ReadText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteText(const std::filesystem::path& p, const std::string& text) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}

inline bool OwnerWritable(const std::filesystem::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) != 0;
}

// One recording to put on the card: where it lies, its name and lock marks.
struct CardFile {
  std::string subPath;  // "" or "DCIM/Movie/"
  std::string name;
  bool readOnly = false;
  bool newGroup = false;  // starts a new drive
};

class CardFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vantrel-fileops-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    base = pattern;
    root = (base / "card").string() + "/";
    std::filesystem::create_directories(root);
    catalog.Attach(&list, &list, nullptr, nullptr, nullptr);
  }

  void TearDown() override {
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(base, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(base, ec);
  }

  // Writes the files (content = their own name) and builds the catalogue as
  // a scan would: marks from names and permission bits, drives by time.
  void MakeCard(const std::vector<CardFile>& files) {
    CalendarTime t = 1700000000;
    for (const CardFile& f : files) {
      const std::filesystem::path path = root + f.subPath + f.name;
      WriteText(path, "data of " + f.name);
      if (f.readOnly)
        std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
      MediaEntry e;
      e.root = root;
      e.subPath = f.subPath;
      e.name = f.name;
      if (f.name.size() > 3 && f.name[3] == 'G') e.flags |= kEntryGMark;
      if (f.readOnly) e.flags |= kEntryReadOnly;
      if (f.newGroup) t += 600;
      e.info.startTime = t;
      e.info.length = 60;
      e.info.durationMs = 60000;
      t += 60;
      catalog.Entries().push_back(e);
    }
    catalog.BuildGroups();
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const MediaEntry& e : catalog.Entries()) names.push_back(e.subPath + e.name);
    return names;
  }

  std::filesystem::path base;
  std::string root;
  TickList list;
  MediaCatalog catalog;
};

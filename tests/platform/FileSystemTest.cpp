#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/Environment.h"
#include "platform/ScopedTempDir.h"

namespace {

TEST(FileSystem, ExistenceHoldsForFilesAndFolders) {
  ScopedTempDir dir;
  WriteTextFile(dir / "a.mov", "x");
  EXPECT_TRUE(FileExists(dir / "a.mov"));
  EXPECT_TRUE(FileExists(dir.path()));
  EXPECT_FALSE(FileExists(dir / "b.mov"));
  EXPECT_FALSE(FileExists(""));
}

TEST(FileSystem, ReadOnlyIsTheOwnerWriteBitAndOtherBitsStay) {
  ScopedTempDir dir;
  const auto file = dir / "FILE0001.MOV";
  WriteTextFile(file, "x");
  ::chmod(file.c_str(), 0664);
  EXPECT_FALSE(IsReadOnlyFile(file));
  ASSERT_TRUE(SetReadOnlyFile(file, true));
  EXPECT_TRUE(IsReadOnlyFile(file));
  struct stat st {};
  ::stat(file.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0464u);
  ASSERT_TRUE(SetReadOnlyFile(file, false));
  EXPECT_FALSE(IsReadOnlyFile(file));
  ::stat(file.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0664u);

  EXPECT_FALSE(IsReadOnlyFile(dir / "missing"));
  EXPECT_FALSE(SetReadOnlyFile(dir / "missing", true));
}

TEST(FileSystem, CreateDirectoryChainMakesEveryLevel) {
  ScopedTempDir dir;
  const auto deep = dir / "Docs/ZEL/KML";
  EXPECT_TRUE(CreateDirectoryChain(deep.string() + "/"));
  EXPECT_TRUE(std::filesystem::is_directory(deep));
  EXPECT_TRUE(CreateDirectoryChain(deep));  // already there
  EXPECT_TRUE(CreateDirectoryChain(dir / "a//b"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b"));

  // A file in the way: the chain cannot be completed.
  WriteTextFile(dir / "blocker", "x");
  EXPECT_FALSE(CreateDirectoryChain(dir / "blocker/KML"));
  EXPECT_FALSE(CreateDirectoryChain(""));
}

TEST(Environment, DocumentsFolderDefaultAndProvider) {
  ::setenv("XDG_DOCUMENTS_DIR", "/srv/docs", 1);
  std::string folder;
  EXPECT_TRUE(GetDocumentsFolder(folder));
  EXPECT_EQ(folder, "/srv/docs");
  ::unsetenv("XDG_DOCUMENTS_DIR");
  ::setenv("HOME", "/home/driver", 1);
  EXPECT_TRUE(GetDocumentsFolder(folder));
  EXPECT_EQ(folder, "/home/driver/Documents");

  SetDocumentsFolderProvider([] { return std::string("/media/Docs"); });
  EXPECT_TRUE(GetDocumentsFolder(folder));
  EXPECT_EQ(folder, "/media/Docs");
  SetDocumentsFolderProvider([] { return std::string(); });
  EXPECT_FALSE(GetDocumentsFolder(folder));
  EXPECT_TRUE(folder.empty());
  SetDocumentsFolderProvider(nullptr);
  EXPECT_TRUE(GetDocumentsFolder(folder));
  EXPECT_EQ(folder, "/home/driver/Documents");
}

TEST(Environment, ScreenSizeDefaultAndProvider) {
  EXPECT_EQ(GetScreenSize().width, 1920);
  EXPECT_EQ(GetScreenSize().height, 1080);
  SetScreenSizeProvider([] { return ScreenSize{1024, 700}; });
  EXPECT_EQ(GetScreenSize().width, 1024);
  EXPECT_EQ(GetScreenSize().height, 700);
  SetScreenSizeProvider(nullptr);
  EXPECT_EQ(GetScreenSize().width, 1920);
}

}  // namespace

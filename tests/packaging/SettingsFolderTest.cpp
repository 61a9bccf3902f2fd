// Where the installed program keeps its settings: the folder named by the
// XDG rules, created when missing, and the process-wide store writing there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "app/AppSettings.h"
#include "platform/FileSystem.h"
#include "platform/ScopedTempDir.h"

namespace {

// Sets or clears an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

TEST(SettingsFolderTest, UserFolderFollowsTheXdgRules) {
  struct Case {
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/srv/cfg", "/home/ann", "/srv/cfg/vantrel"},
      {nullptr, "/home/ann", "/home/ann/.config/vantrel"},
      {"", "/home/ann", "/home/ann/.config/vantrel"},
      {"relative/cfg", "/home/ann", "/home/ann/.config/vantrel"},  // ignored: not absolute
      {nullptr, "/home/ann/", "/home/ann/.config/vantrel"},
      {"/srv/cfg", "", "/srv/cfg/vantrel"},
  };
  for (const Case& c : cases) {
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdgConfigHome);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(UserSettingsFolder(), std::filesystem::path(c.expected))
        << "XDG_CONFIG_HOME=" << (c.xdgConfigHome ? c.xdgConfigHome : "(unset)")
        << " HOME=" << c.home;
  }
}

// The whole start-up path of the desktop entry: the folder is made, the
// process-wide store uses it and writes there, the working directory stays
// untouched. (One test, since the store is created once per process.)
TEST(SettingsFolderTest, ProcessStoreLivesInTheChosenFolder) {
  ScopedTempDir dir;
  ScopedChdir cwd{dir.path()};
  WriteTextFile(dir / "file", "x");

  EXPECT_FALSE(UseSettingsFolder({}));
  EXPECT_FALSE(UseSettingsFolder(dir / "file" / "vantrel"));  // below a regular file

  ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "config").c_str());
  const std::filesystem::path folder = UserSettingsFolder();
  ASSERT_TRUE(UseSettingsFolder(folder));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "config" / "vantrel"));

  CAppSettings& settings = GetSettings();
  EXPECT_EQ(settings.GetIniPath(), (dir / "config" / "vantrel" / "Zel.ini").string());
  ASSERT_TRUE(settings.SetMapEnabled(false));
  EXPECT_TRUE(FileExists(dir / "config" / "vantrel" / "Zel.ini"));
  EXPECT_FALSE(FileExists(dir / "Zel.ini"));
  EXPECT_FALSE(GetSettings().IsMapEnabled());
}

}  // namespace

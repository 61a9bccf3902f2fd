#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// A window rectangle in screen pixels; right and bottom are exclusive edges.
struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// Where the main window's four splitters stand, in the window's own units
// (shares of the room they divide); 0 stands for a key that is missing or
// not a number.
struct SplitterPositions {
  int column = 0;
  int map = 0;
  int list = 0;
  int chart = 0;
  bool operator==(const SplitterPositions&) const = default;
};

// The settings store over "Zel.ini". Every getter reads the file afresh and
// every setter writes through at once, so a hand edit shows on the next
// read; only the language and the last map provider are kept in memory.
// The file comes into being with the first write. User-interface thread only.
class CAppSettings {
 public:
  // The settings file is "Zel.ini" in `folder`; by default in the current
  // directory at the time of construction. Reads UI/LANGID.
  CAppSettings();
  explicit CAppSettings(const std::filesystem::path& folder);

  const std::string& GetIniPath() const { return m_iniPath; }

  // Languages (rows of g_languages).
  std::uint16_t GetLanguageId();
  static std::uint16_t GetDefaultLanguageId();
  static int GetLanguageCount();
  int GetLanguageIndex() const { return m_langIndex; }
  // Code of row `index`; empty for an index outside the table.
  static std::string GetLanguageCode(int index);
  // Native name of the row with `code`; empty when no row has it.
  static std::string GetLanguageName(std::string_view code);
  // Index 0..15 selects the language and writes UI/LANGID, returning the
  // write's result; any other index changes and writes nothing.
  bool SetLanguage(int index);

  // UI/MAP clamped to 0..2 (default 0); remembered as the last provider.
  int GetMapProvider();
  // Remembers and writes the value as given.
  bool SetMapProvider(int provider);
  int GetLastMapProvider() const { return m_mapProvider; }

  // WINPOS fitted to the primary screen, at least 800 x 560 unless the
  // screen is smaller.
  WindowRect LoadWindowPos() const;
  bool SaveWindowPos(const WindowRect& rect);

  // UI/SPLIT_COLUMN, SPLIT_MAP, SPLIT_LIST and SPLIT_CHART, read as they
  // stand; the window decides which values it can use.
  SplitterPositions LoadSplitters() const;
  bool SaveSplitters(const SplitterPositions& positions);

  bool IsMapEnabled() const;
  bool SetMapEnabled(bool enabled);
  bool IsGSensorEnabled() const;
  bool SetGSensorEnabled(bool enabled);

  // UI/Folder; a path that no longer exists reads as empty.
  std::string GetMediaFolder() const;
  // Empties `folder` first when it does not exist, then writes it.
  bool SetMediaFolder(std::string& folder);

  // "<documents>/ZEL/KML/", created when missing. False when the documents
  // folder is unknown or the folder cannot be created.
  bool GetKmlFolder(std::string& folder) const;

  // UI/MAP_URL: base address of the map pages; empty means the pages built
  // into the program.
  std::string GetMapUrl() const;

  bool WriteInt(std::string_view section, std::string_view key, int value);

 private:
  void LoadLanguage();

  std::string m_iniPath;
  int m_langIndex = 0;
  std::uint16_t m_langId = 0;
  int m_mapProvider = 0;
};

// The process-wide settings store, created on first use. Its file is
// "Zel.ini" in the working directory unless UseSettingsFolder chose another
// folder before.
CAppSettings& GetSettings();

// "vantrel" in the user's configuration folder (~/.config/vantrel unless
// $XDG_CONFIG_HOME says otherwise): where an installed program started from
// the desktop menu keeps its settings. Empty when that folder is unknown.
std::filesystem::path UserSettingsFolder();

// Makes `folder`, created when missing, the folder of the process-wide
// store; call before the first GetSettings(). False, and the working
// directory stays in use, when `folder` is empty or cannot be created.
bool UseSettingsFolder(const std::filesystem::path& folder);

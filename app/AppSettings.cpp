#include "app/AppSettings.h"

#include <system_error>

#include "app/Languages.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/PrivateProfile.h"

namespace {

constexpr int kMinWidth = 800;
constexpr int kMinHeight = 560;
constexpr int kMaxMapProvider = 2;
constexpr std::size_t kLangBufferSize = 64;
constexpr std::size_t kPathBufferSize = 1024;

std::string IniPathIn(const std::filesystem::path& folder) {
  std::string path = folder.string();
  if (!path.empty() && path.back() != '/') path += '/';
  return path + "Zel.ini";
}

std::filesystem::path CurrentFolder() {
  std::error_code ec;
  auto folder = std::filesystem::current_path(ec);
  return ec ? std::filesystem::path() : folder;
}

// Fits one axis: the extent grows to the minimum, shrinks to the screen,
// and the start moves so that the window lies on the screen.
void FitAxis(int& start, int& end, int minimum, int screen) {
  int extent = end - start;
  if (extent < minimum) extent = minimum;
  if (extent > screen) extent = screen;
  if (start > screen - extent) start = screen - extent;
  else if (start < 0) start = 0;
  end = start + extent;
}

}  // namespace

CAppSettings::CAppSettings() : CAppSettings(CurrentFolder()) {}

CAppSettings::CAppSettings(const std::filesystem::path& folder)
    : m_iniPath(IniPathIn(folder)),
      m_langIndex(kEnglishIndex),
      m_langId(g_languages[kEnglishIndex].LanguageId()) {
  LoadLanguage();
}

void CAppSettings::LoadLanguage() {
  const std::string code = GetPrivateProfileString("UI", "LANGID", "ENG", kLangBufferSize, m_iniPath);
  const int index = FindLanguage(code);
  if (index >= 0) m_langIndex = index;
  m_langId = g_languages[m_langIndex].LanguageId();
}

std::uint16_t CAppSettings::GetLanguageId() {
  m_langId = g_languages[m_langIndex].LanguageId();
  return m_langId;
}

std::uint16_t CAppSettings::GetDefaultLanguageId() { return g_languages[kEnglishIndex].LanguageId(); }

int CAppSettings::GetLanguageCount() { return kLanguageCount; }

std::string CAppSettings::GetLanguageCode(int index) {
  if (index < 0 || index >= kLanguageCount) return {};
  return g_languages[index].code;
}

std::string CAppSettings::GetLanguageName(std::string_view code) {
  const int index = FindLanguage(code);
  return index < 0 ? std::string() : std::string(g_languages[index].nativeName);
}

bool CAppSettings::SetLanguage(int index) {
  if (index < 0 || index >= kLanguageCount) return false;
  m_langIndex = index;
  m_langId = g_languages[index].LanguageId();
  return WritePrivateProfileString("UI", "LANGID", g_languages[index].code, m_iniPath);
}

int CAppSettings::GetMapProvider() {
  int provider = GetPrivateProfileInt("UI", "MAP", 0, m_iniPath);
  if (provider > kMaxMapProvider) provider = kMaxMapProvider;
  if (provider < 0) provider = 0;
  m_mapProvider = provider;
  return provider;
}

bool CAppSettings::SetMapProvider(int provider) {
  m_mapProvider = provider;
  WriteInt("UI", "MAP", provider);
  return true;
}

WindowRect CAppSettings::LoadWindowPos() const {
  WindowRect r;
  r.left = GetPrivateProfileInt("WINPOS", "LEFT", 0, m_iniPath);
  r.top = GetPrivateProfileInt("WINPOS", "TOP", 0, m_iniPath);
  r.right = GetPrivateProfileInt("WINPOS", "RIGHT", kMinWidth, m_iniPath);
  r.bottom = GetPrivateProfileInt("WINPOS", "BOTTOM", kMinHeight, m_iniPath);
  // Extremes from a damaged file must not overflow the subtraction below.
  auto tame = [](int& v) { v = v < -(1 << 24) ? -(1 << 24) : (v > (1 << 24) ? (1 << 24) : v); };
  tame(r.left);
  tame(r.top);
  tame(r.right);
  tame(r.bottom);
  const ScreenSize screen = GetScreenSize();
  FitAxis(r.left, r.right, kMinWidth, screen.width);
  FitAxis(r.top, r.bottom, kMinHeight, screen.height);
  return r;
}

bool CAppSettings::SaveWindowPos(const WindowRect& rect) {
  WriteInt("WINPOS", "LEFT", rect.left);
  WriteInt("WINPOS", "TOP", rect.top);
  WriteInt("WINPOS", "RIGHT", rect.right);
  WriteInt("WINPOS", "BOTTOM", rect.bottom);
  return true;
}

SplitterPositions CAppSettings::LoadSplitters() const {
  const auto read = [this](const char* key) { return GetPrivateProfileInt("UI", key, 0, m_iniPath); };
  return {read("SPLIT_COLUMN"), read("SPLIT_MAP"), read("SPLIT_LIST"), read("SPLIT_CHART")};
}

bool CAppSettings::SaveSplitters(const SplitterPositions& positions) {
  return WriteInt("UI", "SPLIT_COLUMN", positions.column) && WriteInt("UI", "SPLIT_MAP", positions.map) &&
         WriteInt("UI", "SPLIT_LIST", positions.list) && WriteInt("UI", "SPLIT_CHART", positions.chart);
}

bool CAppSettings::IsMapEnabled() const { return GetPrivateProfileInt("UI", "MAP_ENABLE", 1, m_iniPath) != 0; }

bool CAppSettings::SetMapEnabled(bool enabled) { return WriteInt("UI", "MAP_ENABLE", enabled ? 1 : 0); }

bool CAppSettings::IsGSensorEnabled() const {
  return GetPrivateProfileInt("UI", "GSNR_ENABLE", 1, m_iniPath) != 0;
}

bool CAppSettings::SetGSensorEnabled(bool enabled) { return WriteInt("UI", "GSNR_ENABLE", enabled ? 1 : 0); }

std::string CAppSettings::GetMediaFolder() const {
  std::string folder = GetPrivateProfileString("UI", "Folder", "", kPathBufferSize, m_iniPath);
  if (!FileExists(folder)) folder.clear();
  return folder;
}

bool CAppSettings::SetMediaFolder(std::string& folder) {
  if (!FileExists(folder)) folder.clear();
  return WritePrivateProfileString("UI", "Folder", folder, m_iniPath);
}

bool CAppSettings::GetKmlFolder(std::string& folder) const {
  if (!GetDocumentsFolder(folder)) return false;
  if (folder.back() != '/') folder += '/';
  folder += "ZEL/KML/";
  if (FileExists(folder)) return true;
  return CreateDirectoryChain(folder);
}

std::string CAppSettings::GetMapUrl() const {
  return GetPrivateProfileString("UI", "MAP_URL", "", kPathBufferSize, m_iniPath);
}

bool CAppSettings::WriteInt(std::string_view section, std::string_view key, int value) {
  return WritePrivateProfileString(section, key, std::to_string(value), m_iniPath);
}

namespace {

// The folder chosen by UseSettingsFolder; empty means the working directory.
std::filesystem::path& ChosenSettingsFolder() {
  static std::filesystem::path folder;
  return folder;
}

}  // namespace

CAppSettings& GetSettings() {
  static CAppSettings settings(ChosenSettingsFolder().empty() ? CurrentFolder()
                                                              : ChosenSettingsFolder());
  return settings;
}

std::filesystem::path UserSettingsFolder() {
  const std::string config = GetUserConfigFolder();
  if (config.empty()) return {};
  return std::filesystem::path(config) / "vantrel";
}

bool UseSettingsFolder(const std::filesystem::path& folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) return false;
  ChosenSettingsFolder() = folder;
  return true;
}

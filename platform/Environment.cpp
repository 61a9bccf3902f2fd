#include "platform/Environment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
    return pw->pw_dir;
  return {};
}

std::string DefaultDocumentsFolder() {
  if (const char* docs = std::getenv("XDG_DOCUMENTS_DIR"); docs && *docs) return docs;
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return home + (home.back() == '/' ? "Documents" : "/Documents");
}

ScreenSize DefaultScreenSize() { return {1920, 1080}; }

DocumentsFolderProvider& DocumentsProvider() {
  static DocumentsFolderProvider provider;
  return provider;
}

ScreenSizeProvider& ScreenProvider() {
  static ScreenSizeProvider provider;
  return provider;
}

}  // namespace

void SetDocumentsFolderProvider(DocumentsFolderProvider provider) {
  DocumentsProvider() = std::move(provider);
}

bool GetDocumentsFolder(std::string& folder) {
  const auto& provider = DocumentsProvider();
  folder = provider ? provider() : DefaultDocumentsFolder();
  return !folder.empty();
}

std::string GetUserConfigFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') return config;
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return home + (home.back() == '/' ? ".config" : "/.config");
}

void SetScreenSizeProvider(ScreenSizeProvider provider) { ScreenProvider() = std::move(provider); }

ScreenSize GetScreenSize() {
  const auto& provider = ScreenProvider();
  return provider ? provider() : DefaultScreenSize();
}

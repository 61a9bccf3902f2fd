#include "player/VlcBinding.h"

#include <dlfcn.h>

#include <cstdlib>
#include <sstream>

namespace {

// Fixed arguments of the library instance: no interface module, no user
// configuration, no file name, no on-screen messages, no snapshot preview
// and no screensaver handling (the desktop's own policy applies).
const char* const kFixedArguments[] = {
    "-I",       "dummy",         "--ignore-config",          "--no-video-title",
    "--no-osd", "--no-snapshot-preview", "--no-disable-screensaver",
};

std::string LibraryNameFromEnvironment() {
  const char* env = std::getenv("VANTREL_LIBVLC");
  if (env && *env) return env;
  return VlcBinding::kDefaultLibraryName;
}

std::vector<std::string> ArgumentsFromEnvironment() {
  std::vector<std::string> args;
  const char* env = std::getenv("VANTREL_VLC_ARGS");
  if (!env) return args;
  std::istringstream in(env);
  std::string word;
  while (in >> word) args.push_back(word);
  return args;
}

using NewFn = libvlc_instance_t*(int, const char* const*);
using ReleaseFn = void(libvlc_instance_t*);

}  // namespace

VlcBinding::VlcBinding(std::string libraryName)
    : m_libraryName(libraryName.empty() ? LibraryNameFromEnvironment() : std::move(libraryName)) {
  for (const char* a : kFixedArguments) m_arguments.emplace_back(a);
  for (auto& a : ArgumentsFromEnvironment()) m_arguments.push_back(std::move(a));
}

VlcBinding::~VlcBinding() { Release(); }

VlcBinding& VlcBinding::Shared() {
  static VlcBinding* shared = new VlcBinding();
  return *shared;
}

void* VlcBinding::LoadModule() {
  if (void* module = m_module.load()) return module;
  void* module = dlopen(m_libraryName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    MarkUnavailable();
    return nullptr;
  }
  m_module.store(module);
  return module;
}

libvlc_instance_t* VlcBinding::GetInstance() {
  if (libvlc_instance_t* instance = m_instance.load()) return instance;
  LoadModule();
  if (!IsAvailable()) return nullptr;
  auto* create = Lookup<NewFn>("libvlc_new");
  if (!create) {
    MarkUnavailable();
    return nullptr;
  }
  std::vector<const char*> argv;
  for (const auto& a : m_arguments) argv.push_back(a.c_str());
  ++m_newCalls;
  libvlc_instance_t* instance = create(static_cast<int>(argv.size()), argv.data());
  if (!instance) {
    MarkUnavailable();
    return nullptr;
  }
  m_instance.store(instance);
  return instance;
}

void VlcBinding::Release() {
  void* module = m_module.load();
  if (!module) return;
  ++m_releaseCalls;
  if (libvlc_instance_t* instance = m_instance.exchange(nullptr)) {
    if (auto* release = Lookup<ReleaseFn>("libvlc_release")) release(instance);
  }
  m_module.store(nullptr);
  dlclose(module);
}

void* VlcBinding::LookupSymbol(const char* name) {
  void* module = m_module.load();
  if (!module) return nullptr;
  ++m_lookups;
  return dlsym(module, name);
}

void VlcBinding::AddArgument(std::string argument) { m_arguments.push_back(std::move(argument)); }

std::vector<std::string> VlcBinding::Arguments() const { return m_arguments; }

void VlcBinding::AddChannel() { ++m_channels; }

void VlcBinding::RemoveChannel() {
  if (m_channels == 0) return;
  if (--m_channels == 0) Release();
}

#include "frameserver/plugin_library.h"

#include <dlfcn.h>

#include "frameserver/errors.h"

namespace frameserver {

PluginLibrary::PluginLibrary(const std::string& path) : path_(path) {
  // RTLD_LOCAL keeps two plug-ins' symbols apart; RTLD_NOW finds missing ones now, not mid-run.
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    throw HostError("cannot load plug-in " + path + ": " + (why ? why : "unknown error"));
  }
}

PluginLibrary::~PluginLibrary() { dlclose(handle_); }

void* PluginLibrary::symbol(const char* name) const { return dlsym(handle_, name); }

int PluginLibrary::interface_version() const {
  if (symbol("AvisynthPluginInit2")) return 25;
  if (symbol("AvisynthPluginInit")) return 20;
  throw HostError(path_ + " is not a plug-in: it exports neither AvisynthPluginInit2 nor AvisynthPluginInit");
}

}  // namespace frameserver

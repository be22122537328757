// A frame server of one interface version with one plug-in loaded into it.
#pragma once

#include <memory>
#include <string>

#include "frameserver/environment.h"
#include "frameserver/plugin_library.h"
#include "frameserver/source_clip.h"

namespace frameserver {

template <class Api>
class Host {
 public:
  // Calls the library's entry point of this interface version, which
  // registers its functions. Throws HostError when it has none.
  Host(std::shared_ptr<PluginLibrary> library, CpuReport report = CpuReport::Auto)
      : library_(std::move(library)), env_(report) {
    auto init = reinterpret_cast<typename Api::PluginInit>(library_->symbol(Api::entry_point));
    if (!init) throw HostError(library_->path() + " has no entry point " + Api::entry_point);
    const char* description = init(&env_);
    description_ = description ? description : "";
  }

  Environment<Api>& env() { return env_; }
  const std::string& description() const { return description_; }

 private:
  std::shared_ptr<PluginLibrary> library_;  // first in, last out: the plug-in's code must outlive its objects
  Environment<Api> env_;
  std::string description_;
};

}  // namespace frameserver

// A frame server with the built plug-in loaded through dlopen, the way a host
// loads it, for tests that reach the filter through script calls.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "frameserver/host.h"
#include "tests/support/clip_builder.h"

namespace testing_support {

template <class Api>
const char* plugin_path();
template <>
inline const char* plugin_path<frameserver::Api25>() {
  return BRISEN_PLUGIN_25;
}
template <>
inline const char* plugin_path<frameserver::Api20>() {
  return BRISEN_PLUGIN_20;
}

template <class Api>
class PluginHost {
 public:
  using AVSValue = typename Api::AVSValue;
  using PClip = typename Api::PClip;
  using Named = std::vector<std::pair<std::string, AVSValue>>;

  explicit PluginHost(frameserver::CpuReport report = frameserver::CpuReport::IntegerSse)
      : host_(std::make_shared<frameserver::PluginLibrary>(plugin_path<Api>()), report) {}

  frameserver::Environment<Api>& env() { return host_.env(); }
  const std::string& description() const { return host_.description(); }

  // A source clip; `raw` (if given) receives a pointer to it for inspection.
  PClip source(const TestClip& clip, frameserver::SourceClip<Api>** raw = nullptr) {
    auto* c = new frameserver::SourceClip<Api>(clip.source, clip.format);
    if (raw) *raw = c;
    return PClip(c);
  }

  // Brisen(clip, name=value, ...)
  PClip brisen(const PClip& clip, const Named& named = {}) {
    return host_.env().invoke("Brisen", {AVSValue(clip)}, named).AsClip();
  }

 private:
  frameserver::Host<Api> host_;
};

}  // namespace testing_support

#include "frameserver/session.h"

#include "frameserver/host.h"

namespace frameserver {
namespace {

template <class Api>
class HostSession final : public Session {
 public:
  HostSession(std::shared_ptr<PluginLibrary> library, CpuReport report) : host_(std::move(library), report) {}
  ~HostSession() override { release_output(); }

  int interface_version() const override { return Api::version; }
  const std::string& plugin_description() const override { return host_.description(); }

  void apply(const std::string& function, std::shared_ptr<FrameSource> source, const ClipFormat& format,
             const std::vector<IntArg>& args) override {
    using AVSValue = typename Api::AVSValue;
    typename Api::PClip clip = new SourceClip<Api>(std::move(source), format);
    std::vector<AVSValue> positional{AVSValue(clip)};
    std::vector<std::pair<std::string, AVSValue>> named;
    for (const IntArg& arg : args) {
      if (arg.name.empty()) {
        positional.emplace_back(arg.value);
      } else {
        named.emplace_back(arg.name, AVSValue(arg.value));
      }
    }
    const AVSValue result = host_.env().invoke(function, positional, named);
    if (!result.IsClip()) throw HostError(function + " did not return a clip");
    output_ = result.AsClip();
  }

  avs::PVideoFrame output_frame(int n) override {
    if (!output_) throw HostError("no clip to take frames from");
    return output_->GetFrame(n, &host_.env());
  }

  ClipFormat output_format() const override {
    if (!output_) throw HostError("no clip to take frames from");
    return from_video_info<Api>(output_->GetVideoInfo());
  }

  void release_output() override { output_ = typename Api::PClip(); }

 private:
  Host<Api> host_;
  typename Api::PClip output_;
};

}  // namespace

std::unique_ptr<Session> Session::load_plugin(const std::string& path, CpuReport report) {
  auto library = std::make_shared<PluginLibrary>(path);
  if (library->interface_version() == 25) return std::make_unique<HostSession<Api25>>(library, report);
  return std::make_unique<HostSession<Api20>>(library, report);
}

}  // namespace frameserver

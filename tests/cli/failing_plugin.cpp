// A stand-in plug-in for the command's tests: its Brisen passes frames through
// until the frame given as `threshold`, where it raises a script error, as a
// filter that fails in the middle of a run would.
#include "host/interface/avisynth25.h"

namespace {

using namespace avs25;

class FailsAtFrame : public GenericVideoFilter {
 public:
  FailsAtFrame(const PClip& child, int frame) : GenericVideoFilter(child), frame_(frame) {}

  PVideoFrame GetFrame(int n, IScriptEnvironment* env) override {
    if (n == frame_) env->ThrowError("FailsAtFrame: this frame cannot be cleaned");
    return child->GetFrame(n, env);
  }

 private:
  int frame_;
};

AVSValue create(AVSValue args, void* /*user_data*/, IScriptEnvironment* /*env*/) {
  return AVSValue(new FailsAtFrame(args[0].AsClip(), args[6].AsInt(-1)));
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const char* AvisynthPluginInit2(IScriptEnvironment* env) {
  env->AddFunction("Brisen",
                   "c[temp_precision]i[motion_depth]i[method]i[spat_precision]i[spat_depth]i[threshold]i",
                   create, nullptr);
  return "fails at a given frame";
}

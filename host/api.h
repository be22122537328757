// The interface version this library is built for. The same sources are built
// once per version; BRISEN_HOST_API (25 or 20) is set by the build.
#pragma once

#if BRISEN_HOST_API == 20
#include "host/interface/avisynth20.h"
namespace brisen::api {
using namespace ::avs20;
}
#elif BRISEN_HOST_API == 25
#include "host/interface/avisynth25.h"
namespace brisen::api {
using namespace ::avs25;
}
#else
#error "BRISEN_HOST_API must be 25 or 20"
#endif

namespace brisen {
using api::AVSValue;
using api::GenericVideoFilter;
using api::IClip;
using api::IScriptEnvironment;
using api::PClip;
using api::PVideoFrame;
using api::VideoInfo;
}  // namespace brisen

// Version 2.5 of the host's plug-in interface (entry point AvisynthPluginInit2).
#pragma once

#include "host/interface/video_frame.h"

namespace avs25 {
#define AVS_INTERFACE_VERSION 25
#include "host/interface/avisynth.inc"
#undef AVS_INTERFACE_VERSION
}  // namespace avs25

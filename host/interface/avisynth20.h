// Version 2.0 of the host's plug-in interface (entry point AvisynthPluginInit).
#pragma once

#include "host/interface/video_frame.h"

namespace avs20 {
#define AVS_INTERFACE_VERSION 20
#include "host/interface/avisynth.inc"
#undef AVS_INTERFACE_VERSION
}  // namespace avs20

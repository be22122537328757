// One struct per interface version, naming its types, so that the frame server
// is written once as templates over these.
#pragma once

#include <type_traits>

#include "frameserver/clip_format.h"
#include "host/interface/avisynth20.h"
#include "host/interface/avisynth25.h"

namespace frameserver {

#define FRAMESERVER_API_TYPES(NS, VERSION, ENTRY, YV12_CODE)      \
  struct Api##VERSION {                                           \
    static constexpr int version = VERSION;                       \
    static constexpr const char* entry_point = ENTRY;             \
    using IClip = NS::IClip;                                      \
    using PClip = NS::PClip;                                      \
    using AVSValue = NS::AVSValue;                                \
    using VideoInfo = NS::VideoInfo;                              \
    using IScriptEnvironment = NS::IScriptEnvironment;            \
    using ApplyFunc = NS::ApplyFunc;                              \
    using PluginInit = const char* (*)(NS::IScriptEnvironment*);  \
    static int pixel_type(PixelFormat format) {                   \
      switch (format) {                                           \
        case PixelFormat::YUY2: return NS::CS_YUY2;               \
        case PixelFormat::BGR24: return NS::CS_BGR24;             \
        case PixelFormat::BGR32: return NS::CS_BGR32;             \
        case PixelFormat::YV12: return YV12_CODE;                 \
      }                                                           \
      return NS::CS_UNKNOWN;                                      \
    }                                                             \
  };

// Interface 2.0 knows no planar format; a code it does not know stands in.
FRAMESERVER_API_TYPES(avs25, 25, "AvisynthPluginInit2", avs25::CS_YV12)
FRAMESERVER_API_TYPES(avs20, 20, "AvisynthPluginInit", 0x41)
#undef FRAMESERVER_API_TYPES

template <int Version>
using ApiFor = std::conditional_t<Version == 20, Api20, Api25>;

template <class Api>
typename Api::VideoInfo to_video_info(const ClipFormat& format) {
  typename Api::VideoInfo vi;
  vi.width = format.width;
  vi.height = format.height;
  vi.fps_numerator = format.fps_numerator;
  vi.fps_denominator = format.fps_denominator;
  vi.num_frames = format.num_frames;
  vi.pixel_type = static_cast<decltype(vi.pixel_type)>(Api::pixel_type(format.pixel));
  return vi;
}

template <class Api>
ClipFormat from_video_info(const typename Api::VideoInfo& vi) {
  ClipFormat format;
  format.width = vi.width;
  format.height = vi.height;
  format.fps_numerator = vi.fps_numerator;
  format.fps_denominator = vi.fps_denominator;
  format.num_frames = vi.num_frames;
  const int code = vi.pixel_type;
  for (PixelFormat p : {PixelFormat::YUY2, PixelFormat::YV12, PixelFormat::BGR24, PixelFormat::BGR32}) {
    if (code == Api::pixel_type(p)) format.pixel = p;
  }
  return format;
}

}  // namespace frameserver

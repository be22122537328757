// Planar 4:2:2 to interleaved YUY2 (Y0 U Y1 V per pixel pair) and back. The
// YUY2 side is addressed with a pitch, as frames of the frame server are.
#pragma once

#include <cstdint>

#include "cli/planar_frame.h"

namespace brisen_cli {

// Writes frame.height rows of 2 * frame.width bytes at `dst`.
void planar_to_yuy2(const PlanarFrame& frame, std::uint8_t* dst, int dst_pitch);
// Reads frame.height rows of 2 * frame.width bytes from `src`.
void yuy2_to_planar(const std::uint8_t* src, int src_pitch, PlanarFrame& frame);

}  // namespace brisen_cli

// Plain copies from src to dst for the parts of a frame a kernel does not clean.
#pragma once

#include <cstdint>

#include "kernels/filter_state.h"

namespace brisen {

// Bytes first_byte .. end_byte - 1 of lines first_line .. end_line - 1, byte by
// byte, not through the host's block copy. Empty ranges copy nothing.
void copy_src_area(const FrameSet& frames, int32_t first_byte, int32_t end_byte, int32_t first_line, int32_t end_line);

// The whole visible frame in one block copy: the output of a frame too small
// to clean. An empty frame makes no call.
void copy_whole_frame(const FrameSet& frames, const BlockCopy& block_copy);

}  // namespace brisen

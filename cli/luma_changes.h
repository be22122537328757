// Counts the luma samples that differ between two YUY2 frames of one size.
#pragma once

#include <cstdint>

#include "host/interface/video_frame.h"

namespace brisen_cli {

std::uint64_t count_changed_luma(const avs::VideoFrame& before, const avs::VideoFrame& after);

}  // namespace brisen_cli

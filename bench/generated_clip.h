// A clip made up on the spot, the same bytes on every run: a textured
// background panning a few pixels per frame, a textured disc crossing it, grain
// on every sample and one-frame specks, so that both the spatial and the
// temporal rules find work.
#pragma once

#include "bench/yuy2_clip.h"

namespace brisen_bench {

Yuy2Clip make_generated_clip(int width, int height, int frames);

}  // namespace brisen_bench

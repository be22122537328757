// A made-up stretch of old film: a textured background panning slowly, a
// textured disc crossing it, light grain, and dust: small bright and dark
// specks that each last one frame. Kept in memory with the clean original, so
// what cleaning did can be measured.
#pragma once

#include <cstdint>
#include <vector>

#include "cli/planar_frame.h"

namespace brisen_cli {

struct Speck {
  int frame;
  int x;  // top-left luma sample
  int y;
  int width;   // 1 or 2
  int height;  // 1 or 2
};

struct DemoClip {
  std::vector<PlanarFrame> original;  // scene and grain
  std::vector<PlanarFrame> dusty;     // the original with the specks
  std::vector<Speck> specks;
};

// Specks are kept `margin` samples away from the edges and out of the first
// and the last frame, which the filter leaves as they are.
DemoClip make_demo_clip(int width, int height, int frames, int margin, std::uint32_t seed);

// Luma PSNR in dB of `test` against `reference` over all frames; infinity
// when they are equal.
double luma_psnr(const std::vector<PlanarFrame>& reference, const std::vector<PlanarFrame>& test);

// A speck counts as removed when every one of its samples in `cleaned` lies at
// most half as far from the original as it did in the dusty clip.
int count_removed_specks(const DemoClip& clip, const std::vector<PlanarFrame>& cleaned);

}  // namespace brisen_cli

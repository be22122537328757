// Side-by-side pictures of a frame before and after cleaning, as PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/planar_frame.h"

namespace brisen_cli {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // RGB, 3 bytes per pixel, rows without padding
};

// Three panels of the frame's size, left to right: `before`, `after`, and the
// changes: `after`'s luma dimmed, with samples made darker in red and samples
// made brighter in blue, fully coloured from a change of 32 levels on. Both
// frames must have the same size.
RgbImage compose_comparison(const PlanarFrame& before, const PlanarFrame& after);

// The image as a PNG file's bytes. Throws IoError when encoding fails.
std::vector<std::uint8_t> encode_png(const RgbImage& image);

}  // namespace brisen_cli

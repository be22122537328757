#include "bench/generated_clip.h"

#include <cstdint>
#include <string>

namespace brisen_bench {
namespace {

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
  std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ z * 0xcb1ab31fu;
  h ^= h >> 15;
  h *= 0x2c1b3c6du;
  h ^= h >> 12;
  h *= 0x297a2d39u;
  h ^= h >> 15;
  return h;
}

int floor_div(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Smooth noise 0..255 on a lattice of `cell` samples, interpolated linearly.
int value_noise(int x, int y, int cell, std::uint32_t seed) {
  const int gx = floor_div(x, cell);
  const int gy = floor_div(y, cell);
  const int fx = x - gx * cell;
  const int fy = y - gy * cell;
  auto at = [&](int i, int j) {
    return static_cast<int>(hash(static_cast<std::uint32_t>(gx + i), static_cast<std::uint32_t>(gy + j), seed) & 255);
  };
  const int top = at(0, 0) * (cell - fx) + at(1, 0) * fx;
  const int bottom = at(0, 1) * (cell - fx) + at(1, 1) * fx;
  return (top * (cell - fy) + bottom * fy) / (cell * cell);
}

std::uint8_t clamp_byte(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

int scene_luma(int x, int y, int frame, int width, int height) {
  // Whole-pixel motion, within the default search window.
  const int bx = x + 3 * frame;
  const int by = y + frame;
  int luma = 40 + (value_noise(bx, by, 16, 1) * 3 + value_noise(bx, by, 4, 2)) * 160 / 1024;

  const int radius = height / 5;
  const int cx = width / 4 + 5 * frame;
  const int cy = height / 2 - 2 * frame;
  const int dx = x - cx;
  const int dy = y - cy;
  if (dx * dx + dy * dy < radius * radius) luma = 90 + value_noise(dx, dy, 6, 3) * 120 / 256;

  const int grain = static_cast<int>(hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                          static_cast<std::uint32_t>(frame) + 100) % 9) - 4;
  return luma + grain;
}

void add_specks(std::uint8_t* frame, int pitch, int width, int height, int number) {
  const int count = width * height / 3000 + 1;
  for (int i = 0; i < count; ++i) {
    const std::uint32_t h = hash(static_cast<std::uint32_t>(number), static_cast<std::uint32_t>(i), 7);
    const int size = 1 + static_cast<int>(h >> 31);
    const int x = static_cast<int>(h % static_cast<std::uint32_t>(width - 1));
    const int y = static_cast<int>((h >> 12) % static_cast<std::uint32_t>(height - 1));
    const std::uint8_t value = (h & 0x100) != 0 ? 235 : 16;
    for (int j = 0; j < size; ++j) {
      for (int k = 0; k < size; ++k) frame[(y + j) * pitch + 2 * (x + k)] = value;
    }
  }
}

}  // namespace

Yuy2Clip make_generated_clip(int width, int height, int frames) {
  Yuy2Clip clip;
  clip.description = "generated";
  clip.width = width;
  clip.height = height;
  clip.pitch = pitch_for(width);
  for (int n = 0; n < frames; ++n) {
    FrameBuffer frame = allocate_frame(clip.pitch, height);
    for (int y = 0; y < height; ++y) {
      std::uint8_t* row = frame.get() + static_cast<std::ptrdiff_t>(y) * clip.pitch;
      for (int x = 0; x < width; ++x) {
        row[2 * x] = clamp_byte(scene_luma(x, y, n, width, height));
        // Chroma: a gentle gradient, U on even pixels and V on odd ones.
        row[2 * x + 1] = static_cast<std::uint8_t>((x & 1) == 0 ? 112 + 32 * x / width : 120 + 16 * y / height);
      }
    }
    if (width > 1 && height > 1) add_specks(frame.get(), clip.pitch, width, height, n);
    clip.frames.push_back(std::move(frame));
  }
  return clip;
}

}  // namespace brisen_bench

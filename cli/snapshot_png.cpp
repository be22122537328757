#include "cli/snapshot_png.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "cli/cli_errors.h"

namespace brisen_cli {

namespace {

std::uint8_t clamp_byte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Studio-range BT.601, in 16.16 fixed point.
void yuv_to_rgb(int y, int u, int v, std::uint8_t* rgb) {
  const int c = (y - 16) * 76309;
  const int d = u - 128;
  const int e = v - 128;
  rgb[0] = clamp_byte((c + 104597 * e + 32768) >> 16);
  rgb[1] = clamp_byte((c - 25675 * d - 53279 * e + 32768) >> 16);
  rgb[2] = clamp_byte((c + 132201 * d + 32768) >> 16);
}

void draw_frame(const PlanarFrame& frame, RgbImage& image, int x0) {
  for (int row = 0; row < frame.height; ++row) {
    const std::uint8_t* y = frame.y() + static_cast<std::size_t>(row) * frame.width;
    const std::uint8_t* u = frame.u() + static_cast<std::size_t>(row) * frame.chroma_width();
    const std::uint8_t* v = frame.v() + static_cast<std::size_t>(row) * frame.chroma_width();
    std::uint8_t* out = image.pixels.data() + (static_cast<std::size_t>(row) * image.width + x0) * 3;
    for (int x = 0; x < frame.width; ++x) yuv_to_rgb(y[x], u[x / 2], v[x / 2], out + 3 * x);
  }
}

// Changes are drawn over the dimmed picture, the stronger the larger they
// are, so a removed speck stands out from the many small touches to grain.
void draw_changes(const PlanarFrame& before, const PlanarFrame& after, RgbImage& image, int x0) {
  static constexpr int kDarker[3] = {255, 40, 40};
  static constexpr int kBrighter[3] = {40, 140, 255};
  for (int row = 0; row < after.height; ++row) {
    const std::size_t line = static_cast<std::size_t>(row) * after.width;
    std::uint8_t* out = image.pixels.data() + (static_cast<std::size_t>(row) * image.width + x0) * 3;
    for (int x = 0; x < after.width; ++x) {
      const int b = before.y()[line + x];
      const int a = after.y()[line + x];
      const int grey = 32 + a * 3 / 8;
      const int change = std::min(std::abs(a - b), 32);
      // Weight in 1/160ths: at least 32 for any change, all of it from 32 levels on.
      const int weight = change == 0 ? 0 : 32 + change * 4;
      const int* colour = a < b ? kDarker : kBrighter;
      for (int c = 0; c < 3; ++c) out[3 * x + c] = clamp_byte(grey + (colour[c] - grey) * weight / 160);
    }
  }
}

}  // namespace

RgbImage compose_comparison(const PlanarFrame& before, const PlanarFrame& after) {
  if (before.width != after.width || before.height != after.height)
    throw std::logic_error("frames to compare differ in size");
  RgbImage image;
  image.width = 3 * before.width;
  image.height = before.height;
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * 3);
  draw_frame(before, image, 0);
  draw_frame(after, image, before.width);
  draw_changes(before, after, image, 2 * before.width);
  return image;
}

std::vector<std::uint8_t> encode_png(const RgbImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  const png_int_32 stride = image.width * 3;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.pixels.data(), stride, nullptr))
    throw IoError(std::string("cannot encode the picture: ") + png.message);
  std::vector<std::uint8_t> bytes(size);
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.pixels.data(), stride, nullptr))
    throw IoError(std::string("cannot encode the picture: ") + png.message);
  bytes.resize(size);
  return bytes;
}

}  // namespace brisen_cli

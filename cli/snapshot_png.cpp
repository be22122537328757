#include "cli/snapshot_png.h"

#include <png.h>

#include <algorithm>
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

void draw_changes(const PlanarFrame& before, const PlanarFrame& after, RgbImage& image, int x0) {
  for (int row = 0; row < after.height; ++row) {
    const std::size_t line = static_cast<std::size_t>(row) * after.width;
    std::uint8_t* out = image.pixels.data() + (static_cast<std::size_t>(row) * image.width + x0) * 3;
    for (int x = 0; x < after.width; ++x) {
      const int b = before.y()[line + x];
      const int a = after.y()[line + x];
      std::uint8_t* px = out + 3 * x;
      if (a < b) {
        px[0] = 255, px[1] = 40, px[2] = 40;
      } else if (a > b) {
        px[0] = 40, px[1] = 140, px[2] = 255;
      } else {
        const std::uint8_t grey = static_cast<std::uint8_t>(32 + a * 3 / 8);
        px[0] = px[1] = px[2] = grey;
      }
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

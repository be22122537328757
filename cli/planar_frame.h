// One frame of 8-bit planar 4:2:2 video: a full-size luma plane and two chroma
// planes of half the width, each stored without padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brisen_cli {

struct PlanarFrame {
  int width = 0;   // even
  int height = 0;
  std::vector<std::uint8_t> data;  // Y, then U, then V

  PlanarFrame() = default;
  PlanarFrame(int w, int h) : width(w), height(h), data(bytes_for(w, h)) {}

  static std::size_t bytes_for(int w, int h) {
    return static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 2;
  }
  int chroma_width() const { return width / 2; }
  std::size_t luma_size() const { return static_cast<std::size_t>(width) * height; }
  std::size_t chroma_size() const { return static_cast<std::size_t>(chroma_width()) * height; }

  std::uint8_t* y() { return data.data(); }
  std::uint8_t* u() { return data.data() + luma_size(); }
  std::uint8_t* v() { return data.data() + luma_size() + chroma_size(); }
  const std::uint8_t* y() const { return data.data(); }
  const std::uint8_t* u() const { return data.data() + luma_size(); }
  const std::uint8_t* v() const { return data.data() + luma_size() + chroma_size(); }
};

}  // namespace brisen_cli

#include "cli/yuy2_convert.h"

#include <cstddef>

namespace brisen_cli {

void planar_to_yuy2(const PlanarFrame& frame, std::uint8_t* dst, int dst_pitch) {
  const int cw = frame.chroma_width();
  for (int row = 0; row < frame.height; ++row) {
    const std::uint8_t* y = frame.y() + static_cast<std::size_t>(row) * frame.width;
    const std::uint8_t* u = frame.u() + static_cast<std::size_t>(row) * cw;
    const std::uint8_t* v = frame.v() + static_cast<std::size_t>(row) * cw;
    std::uint8_t* out = dst + static_cast<std::ptrdiff_t>(row) * dst_pitch;
    for (int i = 0; i < cw; ++i) {
      out[4 * i] = y[2 * i];
      out[4 * i + 1] = u[i];
      out[4 * i + 2] = y[2 * i + 1];
      out[4 * i + 3] = v[i];
    }
  }
}

void yuy2_to_planar(const std::uint8_t* src, int src_pitch, PlanarFrame& frame) {
  const int cw = frame.chroma_width();
  for (int row = 0; row < frame.height; ++row) {
    std::uint8_t* y = frame.y() + static_cast<std::size_t>(row) * frame.width;
    std::uint8_t* u = frame.u() + static_cast<std::size_t>(row) * cw;
    std::uint8_t* v = frame.v() + static_cast<std::size_t>(row) * cw;
    const std::uint8_t* in = src + static_cast<std::ptrdiff_t>(row) * src_pitch;
    for (int i = 0; i < cw; ++i) {
      y[2 * i] = in[4 * i];
      u[i] = in[4 * i + 1];
      y[2 * i + 1] = in[4 * i + 2];
      v[i] = in[4 * i + 3];
    }
  }
}

}  // namespace brisen_cli

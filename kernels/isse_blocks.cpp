#include "kernels/isse_blocks.h"

#include "kernels/frame_copies.h"
#include "kernels/window_narrowing.h"

namespace brisen {

IsseGrid isse_grid(int32_t row_size, int32_t height) {
  return IsseGrid{(height >> 4) - 2, (row_size >> 5) - 2, 16 * ((height >> 4) - 1)};
}

bool isse_border_fits(const FrameSet& frames) { return frames.row_size >= 64 && frames.height >= 32; }

void copy_isse_top_and_sides(const FrameSet& f, const BlockCopy& block_copy) {
  const int32_t w = f.row_size;
  block_copy(f.dst + 32, f.dst_pitch, f.src + 32, f.src_pitch, w - 64, 16);
  block_copy(f.dst, f.dst_pitch, f.src, f.src_pitch, 32, f.height);
  block_copy(f.dst + w - 32, f.dst_pitch, f.src + w - 32, f.src_pitch, 32, f.height);
}

void copy_isse_bottom(const FrameSet& f, const BlockCopy& block_copy, const IsseGrid& grid) {
  const int64_t line = grid.bottom_line;
  block_copy(f.dst + line * f.dst_pitch, f.dst_pitch, f.src + line * f.src_pitch, f.src_pitch, f.row_size, 16);
}

int32_t block_radius(const CleaningPass& pass, int64_t t0, int32_t motion_depth) {
  const WindowMatches found = search_window(pass, t0, motion_depth, true);
  if (found.prev.measure < pass.temp_precision && found.next.measure < pass.temp_precision) {
    const auto pitch = static_cast<int32_t>(pass.pitch);
    return narrowed_radius(static_cast<int32_t>(found.prev.position - t0),
                           static_cast<int32_t>(found.next.position - t0), pitch);
  }
  return motion_depth;
}

void clean_isse_blocks(const CleaningPass& pass, const FrameSet& frames, const IsseGrid& grid, int32_t motion_depth,
                       int32_t field, int32_t line_step) {
  if (!grid.has_blocks()) return;
  const int64_t p = frames.src_pitch;
  const int64_t d = frames.dst_pitch;
  for (int32_t i = 1; i <= grid.block_rows; ++i) {
    for (int32_t j = 1; j <= grid.block_cols; ++j) {
      const int64_t top = 16 * i;
      const int64_t left = 32 * j;
      const int64_t c0 = (top + 8 + field) * p + left + 16;
      const int32_t radius = block_radius(pass, c0 - (p + 2), motion_depth);
      for (int64_t y = top + field; y < top + 16; y += line_step) {
        for (int64_t x = left; x < left + 32; x += 2) clean_sample(pass, y * p + x, frames.dst + y * d + x, radius);
      }
    }
  }
}

void copy_isse_uncovered(const FrameSet& f, const IsseGrid& grid) {
  const int32_t inner_end = f.row_size - 32;
  copy_src_area(f, grid.blocks_end_byte(), inner_end, 16, grid.bottom_line);
  copy_src_area(f, 32, inner_end, grid.bottom_line + 16, f.height);
}

}  // namespace brisen

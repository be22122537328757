#include "cli/luma_changes.h"

#include <algorithm>
#include <cstddef>

namespace brisen_cli {

std::uint64_t count_changed_luma(const avs::VideoFrame& before, const avs::VideoFrame& after) {
  const int row_size = std::min(before.GetRowSize(), after.GetRowSize());
  const int height = std::min(before.GetHeight(), after.GetHeight());
  std::uint64_t changed = 0;
  for (int y = 0; y < height; ++y) {
    const avs::BYTE* a = before.GetReadPtr() + static_cast<std::ptrdiff_t>(y) * before.GetPitch();
    const avs::BYTE* b = after.GetReadPtr() + static_cast<std::ptrdiff_t>(y) * after.GetPitch();
    for (int x = 0; x < row_size; x += 2) changed += a[x] != b[x];
  }
  return changed;
}

}  // namespace brisen_cli

#include "cli/luma_changes.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

namespace brisen_cli {

namespace {

// Luma is every other byte of a YUY2 row. Eight bytes are compared at once,
// counting in four 16-bit lanes: in a lane whose low byte holds a difference
// d, bit 8 of d + 0xff is set exactly when d is not 0. A lane counts at most
// a quarter of the row's samples, well below 2^16.
std::uint64_t changed_in_row(const avs::BYTE* a, const avs::BYTE* b, int row_size) {
  constexpr std::uint64_t kLowBytes = 0x00ff00ff00ff00ffULL;
  constexpr std::uint64_t kOnes = 0x0001000100010001ULL;
  std::uint64_t lanes = 0;
  int x = 0;
  for (; x + 8 <= row_size; x += 8) {
    std::uint64_t wa = 0;
    std::uint64_t wb = 0;
    std::memcpy(&wa, a + x, 8);
    std::memcpy(&wb, b + x, 8);
    std::uint64_t diff = wa ^ wb;
    if constexpr (std::endian::native == std::endian::big) diff >>= 8;
    lanes += (((diff & kLowBytes) + kLowBytes) >> 8) & kOnes;
  }
  std::uint64_t changed = (lanes & 0xffff) + (lanes >> 16 & 0xffff) + (lanes >> 32 & 0xffff) + (lanes >> 48);
  for (; x < row_size; x += 2) changed += a[x] != b[x];
  return changed;
}

}  // namespace

std::uint64_t count_changed_luma(const avs::VideoFrame& before, const avs::VideoFrame& after) {
  const int row_size = std::min(before.GetRowSize(), after.GetRowSize());
  const int height = std::min(before.GetHeight(), after.GetHeight());
  std::uint64_t changed = 0;
  for (int y = 0; y < height; ++y) {
    const avs::BYTE* a = before.GetReadPtr() + static_cast<std::ptrdiff_t>(y) * before.GetPitch();
    const avs::BYTE* b = after.GetReadPtr() + static_cast<std::ptrdiff_t>(y) * after.GetPitch();
    changed += changed_in_row(a, b, row_size);
  }
  return changed;
}

}  // namespace brisen_cli

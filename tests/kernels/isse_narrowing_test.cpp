// The integer-SSE kernels search each block over the window chosen by one
// search at its centre. A match three lines up and three samples left of a
// block's first sample is found with the full window of radius 3, and missed
// when the block's centre finds both its matches in place (radius 1).
#include <gtest/gtest.h>

#include <string>

#include "tests/kernels/kernel_harness.h"

namespace brisen::test {
namespace {

constexpr int32_t w = 128;
constexpr int32_t h = 64;
constexpr int32_t byte = 32;  // first sample of block (1, 1)

struct WindowCase {
  const char* name;
  KernelFn kernel;
  int32_t parity_in;
  int32_t field;  // lines the cleaned samples and the block centre lie below the unshifted ones
};

class BlockWindow : public ::testing::TestWithParam<WindowCase> {
 protected:
  BlockWindow() {
    for (FrameBuffer* f : {&frames.src, &frames.prev, &frames.next}) fill_texture(*f, 17);
    x = frames.src.at(byte, line);
    shifted = static_cast<uint8_t>(x > 128 ? x - 50 : x + 50);
    // The sample's neighbourhood, with another centre, at displacement (-3, -3).
    for (FrameBuffer* f : {&frames.prev, &frames.next}) {
      for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
          f->at(byte - 6 + 2 * dx, line - 3 + dy) = frames.src.at(byte + 2 * dx, line + dy);
        }
      }
      f->at(byte - 6, line - 3) = shifted;
    }
  }

  uint8_t clean() {
    TestFilter filter(w, h, w, {.temp_precision = 3, .motion_depth = 3, .spat_precision = 0});
    filter.state.field_parity = GetParam().parity_in;
    RecordingBlockCopy copy;
    GetParam().kernel(filter.state, frames.set(), copy);
    return frames.dst.at(byte, line);
  }

  KernelFrames frames{w, h, w};
  const int32_t line = 16 + GetParam().field;
  uint8_t x = 0;
  uint8_t shifted = 0;
};

TEST_P(BlockWindow, StillBlockCentreNarrowsTheWindowToRadiusOne) { EXPECT_EQ(clean(), x); }

TEST_P(BlockWindow, NoGoodMatchAtTheBlockCentreKeepsTheFullWindow) {
  // The block centre lies on line 24 + field, byte 48. Raising the bottom line
  // of its neighbourhood in prev makes the one exact match measure 3.
  const int32_t bottom = 25 + GetParam().field;
  for (int32_t b = 46; b <= 50; b += 2) ++frames.prev.at(b, bottom);
  EXPECT_EQ(clean(), shifted);
}

INSTANTIATE_TEST_SUITE_P(
    Reference, BlockWindow,
    ::testing::Values(WindowCase{"frame_isse", &reference::clean_frame_isse, 0, 0},
                      WindowCase{"field_isse_unshifted", &reference::clean_field_isse, 1, 0},
                      WindowCase{"field_isse_lower", &reference::clean_field_isse, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brisen::test

// What every kernel guarantees about its output frame, its maps and the field
// selector, whatever the frame size and arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/kernels/kernel_harness.h"

namespace brisen::test {
namespace {

class AnyKernel : public ::testing::TestWithParam<KernelInfo> {
 protected:
  void run(TestFilter& filter, KernelFrames& frames) {
    RecordingBlockCopy copy;
    GetParam().run(filter.state, frames.set(), copy);
  }
};

struct SizeCase {
  int32_t row_size, height, pitch, md, sd;
};

// Frame sizes from empty to full, multiples of the block size and not, odd
// row sizes, and spat_depth large enough to run into neighbouring lines.
const SizeCase sizes[] = {{704, 288, 768, 1, 2}, {720, 300, 736, 2, 3},  {150, 63, 160, 3, 16},  {98, 49, 128, 10, 15},
                          {96, 48, 96, 0, 0},    {64, 32, 64, 4, 4},     {80, 64, 96, 2, 1},     {66, 33, 80, 1, 1},
                          {47, 9, 48, 1, 1},     {41, 7, 48, 0, 0},      {8, 4, 8, 0, 0},        {2, 1, 16, 0, 0},
                          {0, 0, 16, 0, 0},      {130, 50, 130, 2, 300}, {128, 48, 128, 1, 2000}};

TEST_P(AnyKernel, EveryVisibleByteIsWrittenAndNothingElse) {
  // A negative threshold lets no sample change: dst must be src everywhere,
  // whichever part of the kernel wrote it. Run once with guard bytes and once
  // with frames of exact size, for builds with an address sanitizer.
  for (const SizeCase& s : sizes) {
    for (int32_t guard_size : {FrameBuffer::default_guard_size, 0}) {
      KernelFrames frames(s.row_size, s.height, s.pitch, s.pitch + 16, guard_size);
      fill_noise(frames.src, 1);
      fill_noise(frames.prev, 2);
      fill_noise(frames.next, 3);
      TestFilter filter(
          s.row_size, s.height, s.pitch,
          {.temp_precision = 300, .motion_depth = s.md, .spat_precision = 100, .spat_depth = s.sd, .threshold = -1});
      for (int call = 0; call < 2; ++call) {  // field kernels: both fields
        frames.dst.fill([](int32_t, int32_t) { return dst_sentinel; });
        run(filter, frames);
        EXPECT_TRUE(frames.dst_copies_src_only()) << s.row_size << " x " << s.height << " pitch " << s.pitch << " md "
                                                  << s.md << " sd " << s.sd << " call " << call;
        EXPECT_TRUE(frames.src.guards_intact() && frames.prev.guards_intact() && frames.next.guards_intact());
      }
    }
  }
}

TEST_P(AnyKernel, FlatFrameComesOutUnchanged) {
  KernelFrames frames(256, 96, 256);
  for (FrameBuffer* f : {&frames.src, &frames.prev, &frames.next}) f->fill_luma(90, 140);
  TestFilter filter(256, 96, 256, {.temp_precision = 50, .spat_precision = 50});
  run(filter, frames);
  EXPECT_TRUE(frames.dst_copies_src_only());
}

TEST_P(AnyKernel, ChromaIsCopiedWhileLumaIsCleaned) {
  KernelFrames frames(160, 64, 176);
  fill_noise(frames.src, 7);
  fill_noise(frames.prev, 8);
  fill_noise(frames.next, 9);
  TestFilter filter(160, 64, 176, {.temp_precision = 2000, .motion_depth = 2, .spat_precision = 200});
  run(filter, frames);
  int changed_luma = 0;
  for (int32_t y = 0; y < 64; ++y) {
    for (int32_t x = 0; x < 160; ++x) {
      if (x % 2 == 1) {
        ASSERT_EQ(frames.dst.at(x, y), frames.src.at(x, y)) << "chroma at byte " << x << " line " << y;
      } else if (frames.dst.at(x, y) != frames.src.at(x, y)) {
        ++changed_luma;
      }
    }
  }
  EXPECT_GT(changed_luma, 0);
}

TEST_P(AnyKernel, SwapsTheMapsAndResetsAllButTheTag) {
  KernelFrames frames(128, 64, 128);
  for (FrameBuffer* f : {&frames.src, &frames.prev, &frames.next}) fill_texture(*f, 4);
  TestFilter filter(128, 64, 128, {.temp_precision = 0, .motion_depth = 2});
  filter.map_b[0] = 42;

  run(filter, frames);
  EXPECT_EQ(filter.state.map_write, filter.map_b.data());
  EXPECT_EQ(filter.state.map_read, filter.map_a.data());
  EXPECT_EQ(filter.map_b[0], 42);
  EXPECT_TRUE(std::all_of(filter.map_b.begin() + 1, filter.map_b.end(), [](int32_t e) { return e == -1; }));

  filter.map_a[0] = 43;
  std::fill(filter.map_a.begin() + 1, filter.map_a.end(), stale_entry);
  run(filter, frames);
  EXPECT_EQ(filter.state.map_write, filter.map_a.data());
  EXPECT_EQ(filter.state.map_read, filter.map_b.data());
  EXPECT_EQ(filter.map_a[0], 43);
  EXPECT_TRUE(std::all_of(filter.map_a.begin() + 1, filter.map_a.end(), [](int32_t e) { return e == -1; }));
}

// Frames below what the kernel's border or margins need, and a motion_depth
// the registration refuses: one whole-frame copy, maps still swapped and
// reset, field selector still toggled.
TEST_P(AnyKernel, FramesTooSmallComeOutAsOneCopy) {
  struct Small {
    int32_t row_size, height, md, sd;
  };
  const std::vector<Small> isse_cases = {{62, 300, 1, 1}, {704, 31, 1, 1},   {63, 31, 0, 0},
                                         {5, 3, 0, 0},    {704, 288, 11, 1}, {704, 288, -1, 1}};
  const std::vector<Small> plain_cases = {{2 * 2 * 3 - 1, 100, 2, 1},  // 5 samples, margin 3
                                          {2 * 2 * 6 - 2, 100, 2, 5},  // 11 samples, margin 6
                                          {704, 5, 2, 0},              // 2 md + 1 lines
                                          {704, 1, 0, 0},
                                          {704, 288, 1, 400},
                                          {704, 288, 11, 1},
                                          {704, 288, -1, 1}};
  for (const Small& s : GetParam().isse ? isse_cases : plain_cases) {
    const int32_t pitch = s.row_size + 16;
    KernelFrames frames(s.row_size, s.height, pitch);
    for (FrameBuffer* f : {&frames.src, &frames.prev, &frames.next}) fill_noise(*f, 6);
    TestFilter filter(s.row_size, s.height, pitch, {.motion_depth = s.md, .spat_depth = s.sd});
    filter.state.field_parity = 1;
    filter.state.field_offset = 99;
    RecordingBlockCopy copy;
    GetParam().run(filter.state, frames.set(), copy);

    const std::string what = std::to_string(s.row_size) + " x " + std::to_string(s.height) + " md " +
                             std::to_string(s.md) + " sd " + std::to_string(s.sd);
    EXPECT_TRUE(frames.dst_copies_src_only()) << what;
    const std::vector<BlockCopyCall> whole = {
        {frames.dst.data(), pitch, frames.src.data(), pitch, s.row_size, s.height}};
    EXPECT_EQ(copy.calls, whole) << what;
    EXPECT_EQ(filter.state.map_write, filter.map_b.data()) << what;
    EXPECT_TRUE(std::all_of(filter.map_b.begin() + 1, filter.map_b.end(), [](int32_t e) { return e == -1; }));
    EXPECT_EQ(filter.state.field_parity, GetParam().field ? 0 : 1) << what;
    EXPECT_EQ(filter.state.field_offset, GetParam().field ? 0 : 99) << what;
  }
}

TEST_P(AnyKernel, HugeSpatDepthStaysInsideTheFrame) {
  KernelFrames frames(128, 64, 128, 128, 0);
  for (FrameBuffer* f : {&frames.src, &frames.prev, &frames.next}) fill_noise(*f, 12);
  TestFilter filter(128, 64, 128,
                    {.temp_precision = 300, .motion_depth = 1, .spat_precision = 100, .spat_depth = 2147483647});
  run(filter, frames);
  EXPECT_TRUE(frames.dst.guards_intact() && frames.dst.padding_is(dst_sentinel));
}

TEST_P(AnyKernel, EmptyFrameMakesNoCopy) {
  KernelFrames frames(0, 0, 16);
  TestFilter filter(0, 0, 16);
  RecordingBlockCopy copy;
  GetParam().run(filter.state, frames.set(), copy);
  EXPECT_TRUE(copy.calls.empty());
  EXPECT_TRUE(frames.dst.guards_intact());
}

TEST_P(AnyKernel, FieldSelectorOnReturn) {
  struct Entry {
    int32_t parity_in;
    bool lower_field;
  };
  const int32_t src_pitch = 160;
  const int32_t dst_pitch = 192;
  for (const Entry e :
       {Entry{1, false}, Entry{-1, false}, Entry{src_pitch, false}, Entry{12345, false}, Entry{0, true}}) {
    for (int32_t height : {64, 65, 20}) {  // 20 lines: too small for the integer-SSE border
      KernelFrames frames(128, height, src_pitch, dst_pitch);
      TestFilter filter(128, height, src_pitch, {.motion_depth = 1, .spat_depth = 1});
      filter.state.field_parity = e.parity_in;
      filter.state.field_offset = 7;
      run(filter, frames);
      if (GetParam().field) {
        EXPECT_EQ(filter.state.field_parity, e.lower_field ? src_pitch : 0) << "in " << e.parity_in;
        EXPECT_EQ(filter.state.field_offset, e.lower_field ? dst_pitch : 0) << "in " << e.parity_in;
      } else {
        EXPECT_EQ(filter.state.field_parity, e.parity_in);
        EXPECT_EQ(filter.state.field_offset, 7);
      }
    }
  }
}

TEST_P(AnyKernel, TemporalMeanRounding) {
  // Matched centres 3 and 7 around a sample of 9: (3 + 7) / 2 = 5 for the
  // integer-SSE kernels, 3 / 2 + 7 / 2 = 4 for the portable ones.
  KernelFrames frames(256, 96, 256);
  for (FrameBuffer* f : {&frames.src, &frames.prev, &frames.next}) fill_texture(*f, 21);
  const int32_t byte = 100;
  const int32_t line = 41;  // cleaned by either field
  frames.src.at(byte, line) = 9;
  frames.prev.at(byte, line) = 3;
  frames.next.at(byte, line) = 7;
  TestFilter filter(256, 96, 256, {.temp_precision = 1, .motion_depth = 1, .spat_precision = 0, .threshold = 5});
  filter.state.field_parity = 0;  // lower field: odd lines with an odd motion_depth
  run(filter, frames);
  EXPECT_EQ(frames.dst.at(byte, line), GetParam().isse ? 5 : 4);
  frames.dst.at(byte, line) = frames.src.at(byte, line);
  EXPECT_TRUE(frames.dst_copies_src_only()) << "no other byte changes";
}

INSTANTIATE_TEST_SUITE_P(Reference, AnyKernel, ::testing::ValuesIn(reference_kernel_table()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace brisen::test

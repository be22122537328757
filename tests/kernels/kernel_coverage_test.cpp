// Which samples each kernel cleans, and which border copies it makes. Over a
// still, textured scene every cleaned sample records its own position as its
// next-frame match, so the match map shows exactly which samples were visited.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/kernels/kernel_harness.h"

namespace brisen::test {
namespace {

enum Kernel { frame_isse, field_isse, frame_plain, field_plain };

KernelFn kernel_fn(Kernel k) { return reference_kernel_table()[k].run; }

struct CoverageCase {
  const char* name;
  Kernel kernel;
  int32_t row_size, height, md, sd;
  int32_t parity_in;  // field kernels only
  // Expected cleaned area: lines first_line, first_line + line_step, ... last_line;
  // luma bytes first_byte .. last_byte of each.
  int32_t first_line, last_line, line_step, first_byte, last_byte;
};

class Coverage : public ::testing::TestWithParam<CoverageCase> {};

TEST_P(Coverage, CleansExactlyTheExpectedSamples) {
  const CoverageCase& k = GetParam();
  const int32_t pitch = k.row_size + 32 + (k.row_size & 1);  // even: positions name map entries one to one
  KernelFrames frames(k.row_size, k.height, pitch, pitch + 64);
  for (FrameBuffer* f : {&frames.src, &frames.prev, &frames.next}) fill_texture(*f, 11);
  TestFilter filter(k.row_size, k.height, pitch,
                    {.temp_precision = 1, .motion_depth = k.md, .spat_precision = 0, .spat_depth = k.sd});
  filter.state.field_parity = k.parity_in;
  RecordingBlockCopy copy;

  kernel_fn(k.kernel)(filter.state, frames.set(), copy);

  std::set<int64_t> expected;
  for (int32_t y = k.first_line; y <= k.last_line; y += k.line_step) {
    for (int32_t x = k.first_byte; x <= k.last_byte; x += 2) {
      const int64_t c = int64_t{y} * pitch + x;
      if (c - pitch - 2 >= 2) expected.insert(c);  // top-left 0 has no entry to show it
    }
  }
  const std::set<int64_t> visited = visited_samples(filter.state, pitch);
  EXPECT_EQ(foreign_entries(filter.state), 0);
  EXPECT_EQ(visited.size(), expected.size());
  EXPECT_TRUE(visited == expected) << "first visited line " << *visited.begin() / pitch << " byte "
                                   << *visited.begin() % pitch << ", last line " << *visited.rbegin() / pitch
                                   << " byte " << *visited.rbegin() % pitch;
  EXPECT_TRUE(frames.dst_copies_src_only()) << "a still scene comes out unchanged";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Coverage,
    ::testing::Values(
        // 16 x 20 blocks: lines 16 to 271, bytes 32 to 671.
        CoverageCase{"frame_isse_704x288", frame_isse, 704, 288, 5, 5, 0, 16, 271, 1, 32, 670},
        // 720 bytes: still 20 block columns; 300 lines: still 16 block rows.
        CoverageCase{"frame_isse_720x300", frame_isse, 720, 300, 2, 3, 0, 16, 271, 1, 32, 670},
        CoverageCase{"frame_isse_one_block", frame_isse, 96, 48, 0, 0, 0, 16, 31, 1, 32, 62},
        CoverageCase{"field_isse_unshifted", field_isse, 704, 288, 3, 2, 1, 16, 270, 2, 32, 670},
        CoverageCase{"field_isse_parity_minus_one", field_isse, 704, 288, 3, 2, -1, 16, 270, 2, 32, 670},
        CoverageCase{"field_isse_lower", field_isse, 704, 288, 3, 2, 0, 17, 271, 2, 32, 670},
        CoverageCase{"field_isse_lower_odd_size", field_isse, 150, 63, 1, 1, 0, 17, 31, 2, 32, 94},
        // 352 pixels, margin 2 samples: samples 2 to 349 of lines 2 to 285.
        CoverageCase{"frame_plain_md1_sd1", frame_plain, 704, 288, 1, 1, 0, 2, 285, 1, 4, 698},
        // Margin 6 samples, lines still from md + 1.
        CoverageCase{"frame_plain_md2_sd5", frame_plain, 704, 288, 2, 5, 0, 3, 284, 1, 12, 690},
        CoverageCase{"frame_plain_md5_sd2", frame_plain, 704, 288, 5, 2, 0, 6, 281, 1, 12, 690},
        CoverageCase{"frame_plain_md0_sd0", frame_plain, 704, 288, 0, 0, 0, 1, 286, 1, 2, 700},
        CoverageCase{"frame_plain_odd_row", frame_plain, 47, 9, 1, 1, 0, 2, 6, 1, 4, 40},
        CoverageCase{"field_plain_unshifted", field_plain, 704, 288, 1, 1, 1, 2, 284, 2, 4, 698},
        CoverageCase{"field_plain_lower", field_plain, 704, 288, 1, 1, 0, 3, 285, 2, 4, 698},
        CoverageCase{"field_plain_289_lines", field_plain, 704, 289, 1, 1, 0, 3, 285, 2, 4, 698},
        CoverageCase{"field_plain_md0_even_height_lower", field_plain, 704, 288, 0, 0, 0, 2, 286, 2, 2, 700},
        CoverageCase{"field_plain_md2_sd5_unshifted", field_plain, 704, 288, 2, 5, 5, 3, 283, 2, 12, 690}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- border copies ----------------------------------------------------------

struct CopyExpectation {
  int64_t dst_offset, src_offset;
  int32_t row_size, height;
};

struct CopyCase {
  const char* name;
  Kernel kernel;
  int32_t row_size, height, md, sd;
  std::vector<CopyExpectation> calls;  // offsets in bytes from the frame starts
};

class BorderCopies : public ::testing::TestWithParam<CopyCase> {};

constexpr int32_t copy_src_pitch = 768;
constexpr int32_t copy_dst_pitch = 800;

int64_t at_line(int32_t line, int32_t pitch, int32_t byte = 0) { return int64_t{line} * pitch + byte; }

TEST_P(BorderCopies, GoThroughTheBlockCopyWithTheBorderArguments) {
  const CopyCase& k = GetParam();
  KernelFrames frames(k.row_size, k.height, copy_src_pitch, copy_dst_pitch);
  for (FrameBuffer* f : {&frames.src, &frames.prev, &frames.next}) fill_noise(*f, 5);
  TestFilter filter(k.row_size, k.height, copy_src_pitch, {.motion_depth = k.md, .spat_depth = k.sd});
  RecordingBlockCopy copy;
  kernel_fn(k.kernel)(filter.state, frames.set(), copy);

  std::vector<BlockCopyCall> expected;
  for (const CopyExpectation& e : k.calls) {
    expected.push_back({frames.dst.data() + e.dst_offset, copy_dst_pitch, frames.src.data() + e.src_offset,
                        copy_src_pitch, e.row_size, e.height});
  }
  EXPECT_EQ(copy.calls, expected);
}

CopyCase isse_case(const char* name, Kernel kernel, int32_t w, int32_t h, int32_t bottom_line) {
  const int32_t s = copy_src_pitch;
  const int32_t d = copy_dst_pitch;
  return CopyCase{name,
                  kernel,
                  w,
                  h,
                  1,
                  1,
                  {{32, 32, w - 64, 16},
                   {0, 0, 32, h},
                   {w - 32, w - 32, 32, h},
                   {at_line(bottom_line, d), at_line(bottom_line, s), w, 16}}};
}

CopyCase plain_case(const char* name, Kernel kernel, int32_t w, int32_t h, int32_t md, int32_t sd,
                    int32_t bottom_line) {
  return CopyCase{name,
                  kernel,
                  w,
                  h,
                  md,
                  sd,
                  {{0, 0, w, md + 1},
                   {at_line(bottom_line, copy_dst_pitch), at_line(bottom_line, copy_src_pitch), w, md + 1}}};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BorderCopies,
    ::testing::Values(isse_case("frame_isse_704x288", frame_isse, 704, 288, 272),
                      isse_case("field_isse_704x288", field_isse, 704, 288, 272),
                      isse_case("frame_isse_720x300", frame_isse, 720, 300, 272),
                      isse_case("frame_isse_no_block_row", frame_isse, 704, 47, 16),
                      isse_case("field_isse_smallest", field_isse, 64, 32, 16),
                      isse_case("frame_isse_no_block_column", frame_isse, 95, 100, 80),
                      plain_case("frame_plain_md1", frame_plain, 704, 288, 1, 1, 286),
                      plain_case("frame_plain_md2_sd5", frame_plain, 704, 288, 2, 5, 285),
                      plain_case("frame_plain_fewest_lines", frame_plain, 704, 6, 2, 0, 3),
                      // 142 cleaned lines either field: bottom stripe at line 2 + 284.
                      plain_case("field_plain_md1", field_plain, 704, 288, 1, 1, 286),
                      plain_case("field_plain_289_lines", field_plain, 704, 289, 1, 1, 286),
                      plain_case("field_plain_md0", field_plain, 704, 288, 0, 0, 287),
                      plain_case("field_plain_2md_plus_3_lines", field_plain, 704, 7, 2, 0, 3)),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brisen::test

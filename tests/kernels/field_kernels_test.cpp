// The field kernels over two calls in a row: complementary fields, and the
// matches of one field serving the other field of the next frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "tests/kernels/kernel_harness.h"

namespace brisen::test {
namespace {

class FieldKernel : public ::testing::TestWithParam<KernelInfo> {
 protected:
  void run(TestFilter& filter, KernelFrames& frames) {
    RecordingBlockCopy copy;
    GetParam().run(filter.state, frames.set(), copy);
  }
};

TEST_P(FieldKernel, TwoCallsCleanComplementaryFields) {
  const int32_t w = 256;
  const int32_t h = 96;
  KernelFrames frames(w, h, w);
  for (FrameBuffer* f : {&frames.src, &frames.prev, &frames.next}) fill_texture(*f, 8);
  TestFilter filter(w, h, w, {.temp_precision = 1, .motion_depth = 1, .spat_precision = 0, .spat_depth = 1});
  filter.state.field_parity = 1;

  run(filter, frames);
  const std::set<int64_t> first = visited_samples(filter.state, w);
  run(filter, frames);
  const std::set<int64_t> second = visited_samples(filter.state, w);

  // Integer-SSE: 4 x 6 blocks, lines 16 to 79, bytes 32 to 223. Portable with
  // md 1, sd 1: 46 lines a field, lines 2 to 93, samples 2 to 125.
  const bool isse = GetParam().isse;
  const int32_t first_line = isse ? 16 : 2;
  const int32_t last_line = isse ? 79 : 93;
  const int32_t first_byte = isse ? 32 : 4;
  const int32_t last_byte = isse ? 222 : 250;
  std::set<int64_t> all;
  for (int32_t y = first_line; y <= last_line; ++y) {
    for (int32_t x = first_byte; x <= last_byte; x += 2) all.insert(int64_t{y} * w + x);
  }
  std::set<int64_t> both;
  std::set_union(first.begin(), first.end(), second.begin(), second.end(), std::inserter(both, both.end()));
  EXPECT_EQ(first.size() + second.size(), both.size()) << "no line is cleaned twice";
  EXPECT_TRUE(both == all);
  EXPECT_EQ(first.size(), second.size());
}

// Frame B, then frame C, which is B moved down one line. Cleaning one field of
// B finds every match one line lower in C, so the entries it records are keyed
// by neighbourhoods centred on the other field: the one cleaned in C next.
TEST_P(FieldKernel, MatchesOfOneFieldServeTheOtherFieldOfTheNextFrame) {
  const int32_t w = 256;
  const int32_t h = 96;
  const Settings settings{.temp_precision = 10, .motion_depth = 1, .spat_precision = 0, .spat_depth = 1};
  const int32_t byte = 48;
  const int32_t line = 40;  // cleaned in B (first field), line + 1 in C (second field)

  KernelFrames first(w, h, w);
  fill_texture(first.src, 31);
  fill_texture(first.prev, 31);
  first.next.fill([&](int32_t x, int32_t y) { return y > 0 ? first.src.at(x, y - 1) : 0; });
  TestFilter filter(w, h, w, settings);
  filter.state.field_parity = 1;
  run(filter, first);
  const int64_t t = int64_t{line} * w + byte - w - 2;
  ASSERT_EQ(filter.state.map_write[(t + w) / 2], t);

  // Second frame: prev is black, so only a known match can make the prev
  // measure good; next equals src but for a darker centre at the target.
  KernelFrames second(w, h, w);
  second.src.fill([&](int32_t x, int32_t y) { return first.next.at(x, y); });
  second.prev.fill_luma(0);
  second.next.fill([&](int32_t x, int32_t y) { return first.next.at(x, y); });
  const uint8_t x = second.src.at(byte, line + 1);
  second.next.at(byte, line + 1) = static_cast<uint8_t>(x - 20);

  run(filter, second);
  EXPECT_EQ(filter.state.field_parity, w) << "second call cleans the lower field";
  EXPECT_EQ(second.dst.at(byte, line + 1), (x - 20) / 2);

  TestFilter without_history(w, h, w, settings);
  second.dst.fill([](int32_t, int32_t) { return dst_sentinel; });
  run(without_history, second);
  EXPECT_EQ(second.dst.at(byte, line + 1), x);
}

std::vector<KernelInfo> field_kernels() {
  std::vector<KernelInfo> kernels;
  for (const KernelInfo& k : reference_kernel_table()) {
    if (k.field) kernels.push_back(k);
  }
  return kernels;
}

INSTANTIATE_TEST_SUITE_P(Reference, FieldKernel, ::testing::ValuesIn(field_kernels()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace brisen::test

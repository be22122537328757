// The comparison behind the benchmark's "identical" column: a difference
// anywhere must be found, and bytes the kernels never write must not count.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bench/pass_record.h"

namespace brisen_bench {
namespace {

constexpr int kRowSize = 8;
constexpr int kPitch = 16;
constexpr int kHeight = 4;

struct Pass {
  std::vector<std::uint8_t> dst = std::vector<std::uint8_t>(kPitch * kHeight, 0);
  std::vector<std::int32_t> map_a = std::vector<std::int32_t>(kPitch * kHeight / 2, -1);
  std::vector<std::int32_t> map_b = std::vector<std::int32_t>(kPitch * kHeight / 2, -1);
  brisen::FilterState state;

  Pass() {
    for (int i = 0; i < kPitch * kHeight; ++i) dst[i] = static_cast<std::uint8_t>(i);
    state.frame_row_size = kRowSize;
    state.frame_height = kHeight;
    state.frame_pitch = kPitch;
    state.frame_bytes = kPitch * kHeight;
    state.map_a = map_a.data();
    state.map_b = map_b.data();
    state.map_write = state.map_b;
    state.map_read = state.map_a;
  }
  PassRecord record() const { return record_pass(state, dst.data(), kPitch); }
};

struct Case {
  const char* name;
  std::function<void(Pass&)> change;
  const char* expected;  // part of the message; nullptr: no difference
};

const Case cases[] = {
    {"nothing", [](Pass&) {}, nullptr},
    {"padding past the row size", [](Pass& p) { p.dst[2 * kPitch + kRowSize] ^= 1; }, nullptr},
    {"an output byte", [](Pass& p) { p.dst[2 * kPitch + 5] ^= 1; }, "output byte 5 of line 2"},
    {"the last output byte", [](Pass& p) { p.dst[(kHeight - 1) * kPitch + kRowSize - 1] ^= 1; },
     "output byte 7 of line 3"},
    {"a match entry being written", [](Pass& p) { p.map_b[9] = 4; }, "map_write entry 9 is 4"},
    {"a match entry being read", [](Pass& p) { p.map_a[31] = 0; }, "map_read entry 31 is 0"},
    {"the frame tag", [](Pass& p) { p.map_b[0] = 3; }, "map_write entry 0"},
    {"the map roles",
     [](Pass& p) {
       std::swap(p.state.map_write, p.state.map_read);
       p.map_a[1] = 2;
     },
     "map_write entry 1"},
    {"field_parity", [](Pass& p) { p.state.field_parity = 1; }, "field selector is (1, 0)"},
    {"field_offset", [](Pass& p) { p.state.field_offset = kPitch; }, "field selector is (0, 16)"},
};

TEST(PassRecord, FindsEveryDifferenceAndOnlyThose) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Pass reference;
    Pass changed;
    c.change(changed);
    const auto diff = first_difference(reference.record(), changed.record(), kRowSize);
    if (c.expected == nullptr) {
      EXPECT_FALSE(diff) << *diff;
    } else {
      ASSERT_TRUE(diff);
      EXPECT_NE(diff->find(c.expected), std::string::npos) << *diff;
    }
  }
}

}  // namespace
}  // namespace brisen_bench

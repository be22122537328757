// The per-sample decision on small hand-made frames: one sample, one call.
#include "kernels/cleaning_rules.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/kernels/kernel_harness.h"

namespace brisen::test {
namespace {

constexpr int32_t row = 48;
constexpr int32_t lines = 12;
constexpr int32_t pitch = 64;

class CleaningRules : public ::testing::Test {
 protected:
  CleaningRules() { std::fill(filter.map_b.begin(), filter.map_b.end(), -1); }

  static int64_t pos(int32_t sample, int32_t line) { return int64_t{line} * pitch + 2 * sample; }

  CleaningPass pass(const Settings& s, TemporalMean mean = TemporalMean::halved_sum) {
    filter.apply(s);
    return make_cleaning_pass(filter.state, frames.set(), mean);
  }

  // Luma of frame at the sample dy lines and dx samples from position c.
  static uint8_t& around(FrameBuffer& frame, int64_t c, int32_t dy, int32_t dx) {
    return frame[c + int64_t{dy} * pitch + 2 * dx];
  }

  uint8_t clean(const CleaningPass& p, int64_t c, int32_t radius) {
    out[0] = out[1] = 0;
    clean_sample(p, c, out, radius);
    EXPECT_EQ(out[1], frames.src[c + 1]) << "chroma is copied";
    return out[0];
  }

  KernelFrames frames{row, lines, pitch};
  TestFilter filter{row, lines, pitch};
  uint8_t out[2] = {0, 0};
  const int64_t c = pos(10, 5);
  const int64_t t = c - pitch - 2;
};

// ---- spatial rule ---------------------------------------------------------

struct SpatialCase {
  const char* name;
  int x, a, b;
  int left_shift;  // added to src[c - 2]: both spatial measures become this
  int spat_precision, threshold;
  int expected;
};

class SpatialRule : public CleaningRules, public ::testing::WithParamInterface<SpatialCase> {};

TEST_P(SpatialRule, ReplacesOnlyAStrictExtremeWithGoodMatchesWithinThreshold) {
  const SpatialCase& k = GetParam();
  frames.src.fill_luma(100, 50);
  frames.src[c] = static_cast<uint8_t>(k.x);
  around(frames.src, c, -1, 0) = static_cast<uint8_t>(k.a);
  around(frames.src, c, 1, 0) = static_cast<uint8_t>(k.b);
  around(frames.src, c, 0, -1) = static_cast<uint8_t>(100 + k.left_shift);
  Settings s{.temp_precision = 0, .spat_precision = k.spat_precision, .spat_depth = 0, .threshold = k.threshold};
  EXPECT_EQ(clean(pass(s), c, 1), k.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpatialRule,
    ::testing::Values(SpatialCase{"bright_dot", 200, 100, 100, 0, 1, 255, 100},
                      SpatialCase{"mean_rounds_down", 200, 100, 111, 0, 3, 95, 105},
                      SpatialCase{"change_past_threshold", 200, 100, 111, 0, 3, 94, 200},
                      SpatialCase{"dark_dot", 50, 100, 111, 0, 3, 55, 105},
                      SpatialCase{"equal_to_one_match", 100, 100, 150, 0, 3, 255, 100},
                      SpatialCase{"between_matches", 120, 100, 150, 0, 3, 255, 120},
                      SpatialCase{"precision_zero", 200, 100, 100, 0, 0, 255, 200},
                      SpatialCase{"measure_equal_to_precision", 200, 100, 100, 3, 3, 255, 200},
                      SpatialCase{"measure_below_precision", 200, 100, 100, 3, 4, 255, 100},
                      SpatialCase{"threshold_zero", 200, 199, 199, 0, 3, 0, 200},
                      SpatialCase{"negative_threshold", 200, 100, 100, 0, 3, -1, 200}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CleaningRules, SpatialTiesGoToTheLeftmostCandidateAndEachLineKeepsItsOwnBest) {
  frames.src.fill_luma(100);
  frames.src[c] = 200;
  // Line above: candidates k = -1 and k = +1 both measure 0.
  const int above[7] = {0, 100, 10, 100, 20, 100, 0};
  // Line below: only k = +1 measures 0.
  const int below[7] = {0, 0, 0, 100, 80, 100, 0};
  for (int i = 0; i < 7; ++i) {
    around(frames.src, c, -1, i - 3) = static_cast<uint8_t>(above[i]);
    around(frames.src, c, 1, i - 3) = static_cast<uint8_t>(below[i]);
  }
  Settings s{.temp_precision = 0, .spat_precision = 1, .spat_depth = 2};
  EXPECT_EQ(clean(pass(s), c, 1), (10 + 80) / 2);
}

TEST_F(CleaningRules, SpatialReplacementRecordsNoMatchButARefusedSampleDoes) {
  frames.src.fill_luma(100);
  frames.src[c] = 200;
  std::copy(frames.src.data(), frames.src.data() + pitch * lines, frames.prev.data());
  std::copy(frames.src.data(), frames.src.data() + pitch * lines, frames.next.data());

  EXPECT_EQ(clean(pass({.temp_precision = 20, .spat_precision = 1, .spat_depth = 0}), c, 1), 100);
  EXPECT_TRUE(std::all_of(filter.map_a.begin(), filter.map_a.end(), [](int32_t e) { return e == -1; }));

  // Without the spatial rule the next frame's match (itself) is recorded,
  // although the sample equals its matched centres and stays.
  EXPECT_EQ(clean(pass({.temp_precision = 20, .spat_precision = 0, .spat_depth = 0}), c, 1), 200);
  EXPECT_EQ(filter.map_a[t / 2], t);
}

// ---- temporal rule --------------------------------------------------------

struct TemporalCase {
  const char* name;
  int a, b, x;  // matched centres in prev and next, the sample
  int threshold, temp_precision;
  int prev_shift;  // added to one outer sample of prev's match: its measure
  TemporalMean mean;
  int expected;
};

class TemporalRule : public CleaningRules, public ::testing::WithParamInterface<TemporalCase> {};

TEST_P(TemporalRule, ReplacesOnlyAStrictExtremeWithGoodMatchesWithinThreshold) {
  const TemporalCase& k = GetParam();
  fill_texture(frames.src, 1);
  fill_texture(frames.prev, 1);
  fill_texture(frames.next, 1);
  frames.src[c] = static_cast<uint8_t>(k.x);
  frames.prev[c] = static_cast<uint8_t>(k.a);
  frames.next[c] = static_cast<uint8_t>(k.b);
  frames.prev[t] = static_cast<uint8_t>(frames.prev[t] + k.prev_shift);
  Settings s{.temp_precision = k.temp_precision, .spat_precision = 0, .spat_depth = 0, .threshold = k.threshold};
  EXPECT_EQ(clean(pass(s, k.mean), c, 1), k.expected);
}

constexpr auto halved = TemporalMean::halved_sum;
constexpr auto summed = TemporalMean::summed_halves;

INSTANTIATE_TEST_SUITE_P(
    Cases, TemporalRule,
    ::testing::Values(TemporalCase{"halved_sum_of_3_and_7", 3, 7, 9, 5, 1, 0, halved, 5},
                      TemporalCase{"summed_halves_of_3_and_7", 3, 7, 9, 5, 1, 0, summed, 4},
                      TemporalCase{"halved_sum_within_4", 3, 7, 9, 4, 1, 0, halved, 5},
                      TemporalCase{"summed_halves_past_4", 3, 7, 9, 4, 1, 0, summed, 9},
                      TemporalCase{"below_both", 30, 41, 9, 26, 1, 0, halved, 35},
                      TemporalCase{"between", 3, 20, 9, 255, 1, 0, halved, 9},
                      TemporalCase{"equal_to_one", 9, 20, 9, 255, 1, 0, halved, 9},
                      TemporalCase{"precision_zero", 3, 7, 9, 255, 0, 0, halved, 9},
                      TemporalCase{"measure_equal_to_precision", 3, 7, 9, 255, 5, 5, halved, 9},
                      TemporalCase{"measure_below_precision", 3, 7, 9, 255, 6, 5, halved, 5},
                      TemporalCase{"threshold_zero", 10, 10, 9, 0, 1, 0, halved, 9},
                      TemporalCase{"summed_halves_equal_to_sample", 9, 9, 8, 0, 1, 0, summed, 8},
                      TemporalCase{"negative_threshold", 3, 7, 9, -1, 1, 0, halved, 9}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CleaningRules, NegativeThresholdStillRecordsTheNextMatch) {
  fill_texture(frames.src, 1);
  fill_texture(frames.prev, 1);
  fill_texture(frames.next, 1);
  clean(pass({.temp_precision = 1, .spat_precision = 0, .spat_depth = 0, .threshold = -1}), c, 1);
  EXPECT_EQ(filter.map_a[t / 2], t);
}

// Two candidates match exactly: the flat 3x3 areas placed into otherwise black
// prev and next frames, each with its own centre value.
struct TieCase {
  const char* name;
  int first_dy, first_dx, second_dy, second_dx;  // `first` comes first in visiting order
};

class TemporalTie : public CleaningRules, public ::testing::WithParamInterface<TieCase> {};

TEST_P(TemporalTie, FirstCandidateInVisitingOrderWins) {
  const TieCase& k = GetParam();
  frames.src.fill_luma(100);
  frames.src[c] = 200;
  frames.prev.fill_luma(0);
  frames.next.fill_luma(0);
  const auto place = [&](FrameBuffer& frame, int dy, int dx, int centre) {
    for (int y = -1; y <= 1; ++y) {
      for (int x = -1; x <= 1; ++x) around(frame, c, dy + y, dx + x) = 100;
    }
    around(frame, c, dy, dx) = static_cast<uint8_t>(centre);
  };
  place(frames.prev, k.first_dy, k.first_dx, 10);
  place(frames.prev, k.second_dy, k.second_dx, 20);
  place(frames.next, k.first_dy, k.first_dx, 40);
  place(frames.next, k.second_dy, k.second_dx, 80);
  const CleaningPass p = pass({.temp_precision = 1, .spat_precision = 0, .spat_depth = 0});
  for (int radius : {1, 2}) EXPECT_EQ(clean(p, c, radius), (10 + 40) / 2) << "radius " << radius;
}

INSTANTIATE_TEST_SUITE_P(Cases, TemporalTie,
                         ::testing::Values(TieCase{"upper_line_before_left", -1, 1, 1, -1},
                                           TieCase{"left_on_one_line", 0, -1, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- match maps -----------------------------------------------------------

class MatchEntry : public CleaningRules {
 protected:
  // src textured with the sample at 200; prev black, so searching it finds
  // nothing good; next matches exactly with centre 120.
  void SetUp() override {
    fill_texture(frames.src, 3);
    fill_texture(frames.next, 3);
    frames.prev.fill_luma(0);
    frames.src[c] = 200;
    frames.next[c] = 120;
  }
  Settings settings{.temp_precision = 5, .spat_precision = 0, .spat_depth = 0};
};

TEST_F(MatchEntry, KnownPrevMatchCountsAsExactWithoutSearchingPrev) {
  const int64_t known = t + 2 * pitch;  // two lines lower, matching nothing
  frames.prev[known + pitch + 2] = 100;
  EXPECT_EQ(clean(pass(settings), c, 1), 200) << "searched prev finds no match";
  filter.map_b[t / 2] = static_cast<int32_t>(known);
  EXPECT_EQ(clean(pass(settings), c, 1), (100 + 120) / 2);
}

TEST_F(MatchEntry, EntryOutsideTheFrameIsTakenForNone) {
  // Only a map from frames of another geometry could hold one.
  filter.map_b[t / 2] = pitch * lines;
  EXPECT_EQ(clean(pass(settings), c, 1), 200);
  filter.map_b[t / 2] = -7;
  EXPECT_EQ(clean(pass(settings), c, 1), 200);
}

TEST_F(MatchEntry, TopLeftZeroHasNoEntry) {
  const int64_t first = pos(1, 1);  // top-left position 0
  frames.src[first] = 200;
  frames.next[first] = 120;
  frames.prev[2 * pitch + 10 + pitch + 2] = 100;
  filter.map_b[0] = 2 * pitch + 10;  // a frame tag, never a match
  filter.map_a[0] = 77;
  EXPECT_EQ(clean(pass(settings), first, 0), 200);
  EXPECT_EQ(filter.map_a[0], 77) << "a match at top-left 0 is not recorded";
}

TEST_F(MatchEntry, ARecordIsKeptOnlyForAGoodNextMatch) {
  EXPECT_EQ(clean(pass({.temp_precision = 0, .spat_precision = 0, .spat_depth = 0}), c, 1), 200);
  EXPECT_EQ(filter.map_a[t / 2], -1);
  clean(pass(settings), c, 1);
  EXPECT_EQ(filter.map_a[t / 2], t);
}

TEST_F(CleaningRules, TheLastSampleToMatchAPlaceKeepsTheEntry) {
  // Only one neighbourhood of next is flat; two flat samples both match it.
  frames.src.fill_luma(100);
  frames.next.fill_luma(0);
  for (int y = -1; y <= 1; ++y) {
    for (int x = -1; x <= 1; ++x) around(frames.next, c, y, x) = 100;
  }
  const int64_t left = c - 2;
  const int64_t right = c + 2;
  const int64_t matched = t;
  const CleaningPass p = pass({.temp_precision = 1, .spat_precision = 0, .spat_depth = 0});

  clean(p, left, 1);
  clean(p, right, 1);
  EXPECT_EQ(filter.map_a[matched / 2], right - pitch - 2);
  clean(p, left, 1);
  EXPECT_EQ(filter.map_a[matched / 2], left - pitch - 2);
}

// ---- spatial candidates at the ends of the frame buffer -------------------

// A frame without padding whose guard bytes hold 100, so that a candidate
// reaching outside the buffer would measure 0 and win if it were taken.
class SpatialCandidatesAtBufferEnds : public ::testing::Test {
 protected:
  static constexpr int32_t w = 48;
  static constexpr int32_t h = 6;
  KernelFrames frames{w, h, w};
  TestFilter filter{w, h, w};
  FrameBuffer& src = frames.src;

  uint8_t clean(int64_t c) {
    std::fill(filter.map_b.begin(), filter.map_b.end(), -1);
    filter.apply({.temp_precision = 0, .spat_precision = 300, .spat_depth = 5});
    const CleaningPass p = make_cleaning_pass(filter.state, frames.set(), TemporalMean::halved_sum);
    uint8_t out[2];
    clean_sample(p, c, out, 0);
    return out[0];
  }
};

TEST_F(SpatialCandidatesAtBufferEnds, CandidatesBeforeTheFirstByteAreSkipped) {
  src.fill_luma(100);
  src.guard_at(-2) = 100;
  const int64_t c = w + 8;  // line 1, byte 8: k = -5 and -4 reach before byte 0
  src[c] = 200;
  src[0] = 90;  // centre of k = -4, which would measure 0
  src[4] = 80;  // centre of k = -2, the first valid candidate measuring 0
  EXPECT_EQ(clean(c), (80 + 100) / 2);
}

TEST_F(SpatialCandidatesAtBufferEnds, CandidatesPastTheLastByteAreSkipped) {
  src.fill_luma(100);
  const int64_t end = int64_t{w} * h;
  src.guard_at(end) = 100;
  const int64_t c = 4 * w + 38;  // line 4, byte 38: k = +4 and +5 reach past the end
  src[c] = 200;
  for (int64_t p = 5 * w; p < end; p += 2) src[p] = 0;
  src[end - 4] = 100;  // with the guard, k = +4 would measure 0; also the centre of k = +3
  src[end - 2] = 70;   // centre of k = +4
  src[end - 6] = 60;   // k = +3 measures 40 + 30 and is the best valid candidate
  EXPECT_EQ(clean(c), (100 + 100) / 2);
}

}  // namespace
}  // namespace brisen::test

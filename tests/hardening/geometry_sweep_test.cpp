// Every kernel, in every form, over frames of many shapes: the ones around
// each border and block boundary, frames too small to clean, and search depths
// that reach past the frame. No form may touch memory outside its buffers,
// leave a byte unwritten, write padding, or differ from the reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
#include <vector>

#include "tests/hardening/kernel_sandbox.h"

namespace {

using hardening::Geometry;
using hardening::KernelKind;
using hardening::Settings;

// Widths in pixels and heights in lines: row sizes around 32, 48, 64 and 96
// bytes (the integer-SSE border and block columns), heights around 16, 32 and
// 48 lines (its border and block rows), and the smallest frames.
const std::vector<int32_t> base_widths = {2, 3, 4, 5, 7, 8, 12, 15, 16, 17, 23, 24, 25, 31,
                                          32, 33, 40, 47, 48, 49, 63, 64, 65, 96, 97, 160};
const std::vector<int32_t> base_heights = {1, 2, 3, 5, 15, 16, 17, 31, 32, 33, 47, 48, 49, 64, 80};

// Larger frames cost much more with a deep search; these few cover them.
constexpr int32_t small_area = 64 * 49;
const std::vector<std::pair<int32_t, int32_t>> large_frames = {{160, 80}, {160, 17}, {97, 49}, {96, 48},
                                                               {65, 64}, {17, 80},  {160, 2}};

// The plain kernels clean nothing unless the frame holds 2 * m samples
// (m = max(motion_depth, spat_depth) + 1) and 2 * motion_depth + 2 lines;
// both sides of those edges are swept too.
std::vector<std::pair<int32_t, int32_t>> geometries(int32_t motion_depth, int32_t spat_depth) {
  std::set<int32_t> widths(base_widths.begin(), base_widths.end());
  std::set<int32_t> heights(base_heights.begin(), base_heights.end());
  const int32_t m = std::max(motion_depth, spat_depth) + 1;
  for (int32_t d : {-1, 0, 1}) {
    if (2 * m + d >= 2 && 2 * m + d <= 160) widths.insert(2 * m + d);
    if (2 * motion_depth + 2 + d >= 1) heights.insert(2 * motion_depth + 2 + d);
  }
  std::vector<std::pair<int32_t, int32_t>> out;
  for (int32_t w : widths) {
    for (int32_t h : heights) {
      if (w * h <= small_area) out.emplace_back(w, h);
    }
  }
  out.insert(out.end(), large_frames.begin(), large_frames.end());
  return out;
}

// Pitches as hosts hand them out: rounded up to 16 bytes, at least one more
// block of padding, and a destination with another pitch than the source.
Geometry geometry_of(int32_t width, int32_t height) {
  const int32_t row_size = 2 * width;
  const int32_t pitch = (row_size + 15) / 16 * 16 + 16;
  return Geometry{row_size, height, pitch, pitch + 32};
}

class GeometrySweep : public testing::TestWithParam<std::tuple<KernelKind, int32_t>> {};

TEST_P(GeometrySweep, EveryFormStaysInsideItsBuffersAndMatchesTheReference) {
  const auto [kind, motion_depth] = GetParam();
  int failures = 0;
  // 0, 15 and 16 about the 16-sample integer-SSE block; 200 reaches past every frame swept.
  for (int32_t spat_depth : {0, 15, 16, 200}) {
    for (const auto& [w, h] : geometries(motion_depth, spat_depth)) {
      Settings s;
      s.motion_depth = motion_depth;
      s.spat_depth = spat_depth;
      const bool field = kind == KernelKind::field_isse || kind == KernelKind::field_plain;
      s.method = field ? 1 + motion_depth % 2 : 0;  // both field orders
      const Geometry g = geometry_of(w, h);
      const hardening::Clip clip = hardening::drifting_clip(g, 2, static_cast<uint32_t>(w * 1000 + h));
      const std::string report = hardening::check_all_forms(kind, clip, s);
      if (!report.empty()) {
        ADD_FAILURE() << hardening::describe(kind, g, s) << "\n" << report;
        if (++failures == 5) return;  // the first few say enough
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kernels, GeometrySweep,
                         testing::Combine(testing::Values(KernelKind::frame_isse, KernelKind::field_isse,
                                                          KernelKind::frame_plain, KernelKind::field_plain),
                                          testing::Values(0, 1, 10)),
                         [](const auto& info) {
                           return std::string(hardening::name_of(std::get<0>(info.param))) + "_motion_depth_" +
                                  std::to_string(std::get<1>(info.param));
                         });

// The checks themselves: forms with one planted fault each must be reported,
// or a sweep that finds nothing would prove nothing.
const brisen::Kernel reference_frame_plain = brisen::kernel_table(brisen::InstructionSet::reference).clean_frame_plain;

void skips_last_line(brisen::FilterState& state, const brisen::FrameSet& frames, const brisen::BlockCopy& copy,
                     brisen::KernelWorkspace& workspace) {
  std::vector<uint8_t> scratch(static_cast<std::size_t>(frames.dst_pitch) * frames.height);
  brisen::FrameSet elsewhere = frames;
  elsewhere.dst = scratch.data();
  reference_frame_plain(state, elsewhere, copy, workspace);
  std::copy(scratch.begin(), scratch.end() - frames.dst_pitch, frames.dst);
}

void writes_padding(brisen::FilterState& state, const brisen::FrameSet& frames, const brisen::BlockCopy& copy,
                    brisen::KernelWorkspace& workspace) {
  reference_frame_plain(state, frames, copy, workspace);
  frames.dst[int64_t{frames.height - 1} * frames.dst_pitch + frames.row_size] ^= 1;
}

#ifndef BRISEN_ASAN
void writes_before_dst(brisen::FilterState& state, const brisen::FrameSet& frames, const brisen::BlockCopy& copy,
                       brisen::KernelWorkspace& workspace) {
  reference_frame_plain(state, frames, copy, workspace);
  frames.dst[-1] ^= 1;
}
#endif

void changes_a_match_entry(brisen::FilterState& state, const brisen::FrameSet& frames, const brisen::BlockCopy& copy,
                           brisen::KernelWorkspace& workspace) {
  reference_frame_plain(state, frames, copy, workspace);
  state.map_write[state.map_entries() - 1] += 2;
}

void changes_chroma(brisen::FilterState& state, const brisen::FrameSet& frames, const brisen::BlockCopy& copy,
                    brisen::KernelWorkspace& workspace) {
  reference_frame_plain(state, frames, copy, workspace);
  frames.dst[1] ^= 1;
}

TEST(SandboxChecks, ReportEveryPlantedFault) {
  struct Planted {
    const char* what;
    brisen::Kernel kernel;
    const char* report_part;
  };
  std::vector<Planted> planted = {
      {"last line left unwritten", skips_last_line, "never written by faulty"},
      {"padding written", writes_padding, "wrote padding byte"},
      {"match entry changed", changes_a_match_entry, "map_"},
      {"chroma changed", changes_chroma, "chroma byte 1 of line 0"},
  };
#ifndef BRISEN_ASAN
  // Under AddressSanitizer the guard is poisoned and the stray write stops the program instead.
  planted.push_back({"write before the frame", writes_before_dst, "wrote outside dst"});
#endif
  const Geometry g = geometry_of(40, 24);
  const hardening::Clip clip = hardening::drifting_clip(g, 2, 1);
  for (const Planted& p : planted) {
    const std::string report = hardening::check_forms(
        {{"reference", reference_frame_plain}, {"faulty", p.kernel}}, KernelKind::frame_plain, clip, Settings{});
    EXPECT_NE(report.find(p.report_part), std::string::npos) << p.what << ":\n" << report;
  }
  EXPECT_EQ(hardening::check_forms({{"reference", reference_frame_plain}, {"same", reference_frame_plain}},
                                   KernelKind::frame_plain, clip, Settings{}),
            "");
}

}  // namespace

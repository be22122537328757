// Every fast kernel form against its reference form, checkasm style: random
// clips, sizes, pitches and settings, several calls in a row so that the match
// history and the field alternation carry over, on every instruction set this
// processor has. Set BRISEN_TEST_SEED to replay a run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "kernels/kernel_table.h"
#include "kernels/kernel_workspace.h"
#include "kernels/match_maps.h"
#include "tests/kernels/kernel_harness.h"
#include "tests/kernels/random_clips.h"
#include "tests/kernels/recording_block_copy.h"

namespace brisen::test {
namespace {

uint64_t run_seed() {
  static const uint64_t seed = [] {
    const char* text = std::getenv("BRISEN_TEST_SEED");
    const uint64_t s = text != nullptr ? std::strtoull(text, nullptr, 0)
                                       : static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::cout << "BRISEN_TEST_SEED=" << s << "\n";
    return s;
  }();
  return seed;
}

struct KernelUnderTest {
  const char* name;
  Kernel KernelTable::*form;
  bool isse;
};

const KernelUnderTest kernels[] = {{"frame_isse", &KernelTable::clean_frame_isse, true},
                                   {"field_isse", &KernelTable::clean_field_isse, true},
                                   {"frame_plain", &KernelTable::clean_frame_plain, false},
                                   {"field_plain", &KernelTable::clean_field_plain, false}};

// One filter's view of a clip: its state and maps, its workspace and its
// output frame.
struct Run {
  Run(const ClipShape& shape, const Settings& settings, InstructionSet isa)
      : isa(isa),
        table(kernel_table(isa)),
        filter(shape.row_size, shape.height, shape.pitch, settings),
        workspace(make_workspace(filter.state)),
        dst(shape.row_size, shape.height, shape.dst_pitch, dst_sentinel) {}

  InstructionSet isa;
  KernelTable table;
  TestFilter filter;
  std::unique_ptr<KernelWorkspace> workspace;
  FrameBuffer dst;
  RecordingBlockCopy copies;
};

// Block copies as offsets from the frame starts, comparable between runs.
std::vector<BlockCopyCall> relative(const std::vector<BlockCopyCall>& calls, const uint8_t* dst, const uint8_t* src) {
  std::vector<BlockCopyCall> out;
  for (BlockCopyCall c : calls) {
    c.dst = reinterpret_cast<uint8_t*>(c.dst - dst);
    c.src = reinterpret_cast<const uint8_t*>(c.src - src);
    out.push_back(c);
  }
  return out;
}

std::string first_difference(const Run& ref, const Run& fast) {
  std::ostringstream out;
  const FrameBuffer& a = ref.dst;
  const FrameBuffer& b = fast.dst;
  for (int32_t y = 0; y < a.height(); ++y) {
    for (int32_t x = 0; x < a.pitch(); ++x) {
      if (a.at(x, y) != b.at(x, y)) {
        out << "dst line " << y << " byte " << x << ": reference " << int{a.at(x, y)} << ", fast " << int{b.at(x, y)};
        return out.str();
      }
    }
  }
  if (!b.guards_intact()) return "dst guard bytes written";
  const auto maps = [&](const char* name, const std::vector<int32_t>& r, const std::vector<int32_t>& f) {
    for (size_t i = 0; i < r.size(); ++i) {
      if (r[i] != f[i]) {
        out << name << "[" << i << "]: reference " << r[i] << ", fast " << f[i];
        return true;
      }
    }
    return false;
  };
  if (maps("map_a", ref.filter.map_a, fast.filter.map_a) || maps("map_b", ref.filter.map_b, fast.filter.map_b)) {
    return out.str();
  }
  const FilterState& r = ref.filter.state;
  const FilterState& f = fast.filter.state;
  if (r.field_parity != f.field_parity || r.field_offset != f.field_offset) {
    out << "field selector: reference " << r.field_parity << "/" << r.field_offset << ", fast " << f.field_parity
        << "/" << f.field_offset;
    return out.str();
  }
  if ((r.map_write == r.map_a) != (f.map_write == f.map_a)) return "map roles differ";
  return {};
}

ClipShape random_shape(Random& r, bool large) {
  ClipShape s{};
  if (large) {
    s.row_size = 4 * r.between(360, 960);
    s.height = r.between(288, 1080);
  } else if (r.chance(15)) {
    s.row_size = r.between(1, 120);  // around and below every kernel's minimum
    s.height = r.between(1, 60);
  } else {
    s.row_size = r.chance(85) ? 4 * r.between(16, 100) : 2 * r.between(30, 200) + r.between(0, 1);
    s.height = r.between(20, 90);
  }
  const int32_t extra = r.pick<int32_t>({0, 0, 2, 4, 32, r.between(1, 70)});
  s.pitch = s.row_size + extra;
  s.dst_pitch = s.row_size + r.pick<int32_t>({0, 6, 64, r.between(1, 9)});
  return s;
}

// Drives one random clip through the reference form and through the fast form
// of every instruction set; returns false after the first difference.
bool check_clip(const KernelUnderTest& kernel, uint64_t seed, int clip, bool large) {
  Random r(seed);
  const ClipShape shape = random_shape(r, large);
  Settings settings = random_settings(r, large ? 2 : 10);
  if (large) settings.spat_depth = std::min(settings.spat_depth, 8);
  const Content content = r.pick<Content>(
      {Content::noise, Content::flat_with_impulses, Content::gradient, Content::moving_texture,
       Content::moving_texture, Content::extremes});
  const ContentSource source(r, content);
  const int calls = large ? 2 : r.between(1, 6);

  std::vector<std::unique_ptr<Run>> runs;
  for (InstructionSet isa : supported_instruction_sets()) runs.push_back(std::make_unique<Run>(shape, settings, isa));

  std::vector<FrameBuffer> frames;
  for (int i = 0; i < calls + 2; ++i) {
    frames.emplace_back(shape.row_size, shape.height, shape.pitch);
    fill_frame(frames.back(), source, i, static_cast<uint32_t>(seed));
  }

  const auto where = [&](InstructionSet isa, int call) {
    std::ostringstream out;
    out << kernel.name << " isa " << name_of(isa) << " (BRISEN_TEST_SEED=" << run_seed() << ") clip " << clip
        << " seed " << seed << " call " << call << " ("
        << shape.row_size << "x" << shape.height << " pitch " << shape.pitch << " dst pitch " << shape.dst_pitch
        << ", tp " << settings.temp_precision << " md " << settings.motion_depth << " sp " << settings.spat_precision
        << " sd " << settings.spat_depth << " th " << settings.threshold << ", content " << int(content) << ")";
    return out.str();
  };

  for (int call = 0; call < calls; ++call) {
    // As the frame driver: continue the sequence, or reset it.
    const bool reset = call == 0 || r.chance(30);
    const int32_t parity = r.pick<int32_t>({0, 1, -1});
    const FrameSet base{frames[call + 1].data(), frames[call].data(), frames[call + 2].data(), shape.pitch,
                        nullptr, shape.dst_pitch, shape.row_size, shape.height};
    for (auto& run : runs) {
      FilterState& state = run->filter.state;
      if (reset && call > 0) {
        clear_map(state.map_write, static_cast<int32_t>(std::max<size_t>(1, run->filter.map_a.size())));
        state.field_parity = parity;
      }
      run->dst.fill([](int32_t, int32_t) { return dst_sentinel; });
      run->copies.calls.clear();
      FrameSet set = base;
      set.dst = run->dst.data();
      (run->table.*kernel.form)(state, set, run->copies, *run->workspace);
      if (!state.map_a || run->filter.map_a.empty()) continue;
      state.map_write[0] = call;  // the driver's tag
    }
    const Run& ref = *runs.front();
    for (size_t i = 1; i < runs.size(); ++i) {
      const Run& fast = *runs[i];
      const std::string difference = first_difference(ref, fast);
      if (!difference.empty()) {
        ADD_FAILURE() << where(fast.isa, call) << ": " << difference;
        return false;
      }
      if (relative(ref.copies.calls, ref.dst.data(), base.src) != relative(fast.copies.calls, fast.dst.data(), base.src)) {
        ADD_FAILURE() << where(fast.isa, call) << ": block copies differ";
        return false;
      }
      // Ordinary input takes the fast path, every sample of it.
      const KernelCallReport& report = fast.workspace->last_call;
      const bool ordinary = shape.pitch % 2 == 0 && (!kernel.isse || settings.spat_depth <= 15);
      if (ordinary && (!report.fast || report.samples_by_rules != 0)) {
        ADD_FAILURE() << where(fast.isa, call) << ": fell back to the rules (fast " << report.fast << ", "
                      << report.samples_by_rules << " samples)";
        return false;
      }
    }
  }
  return true;
}

class FastKernels : public ::testing::TestWithParam<KernelUnderTest> {};

TEST_P(FastKernels, EqualTheReferenceOnRandomClips) {
  const KernelUnderTest& kernel = GetParam();
  const uint64_t seed = run_seed() ^ (std::hash<std::string>{}(kernel.name) * 0x9E3779B97F4A7C15ull);
  Random clips(seed);
  const int count = 300;
  for (int clip = 0; clip < count; ++clip) {
    const uint64_t clip_seed = static_cast<uint64_t>(clips.between(0, 1 << 30)) << 20 | static_cast<uint64_t>(clip);
    if (!check_clip(kernel, clip_seed, clip, clip == 0)) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Kernels, FastKernels, ::testing::ValuesIn(kernels),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FastKernels, EveryInstructionSetHasAllFourForms) {
  for (InstructionSet isa : supported_instruction_sets()) {
    const KernelTable table = kernel_table(isa);
    EXPECT_EQ(table.isa, isa);
    for (const KernelUnderTest& k : kernels) EXPECT_NE(table.*k.form, nullptr) << name_of(isa) << " " << k.name;
  }
}

}  // namespace
}  // namespace brisen::test

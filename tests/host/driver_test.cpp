// Frame requests through the loaded plug-in: which frames are copies, when the
// match history is kept, and what a cleaned clip looks like.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "host/brisen_filter.h"
#include "tests/support/fake_frame.h"
#include "tests/support/plugin_fixture.h"

namespace {

// Built once per interface version, against that version's library.
using Api = frameserver::ApiFor<BRISEN_HOST_API>;
using frameserver::CpuReport;
using testing_support::make_clip;
using Host = testing_support::PluginHost<Api>;
using PClip = Api::PClip;

const brisen::FilterState& state_of(const PClip& filter) {
  return static_cast<brisen::BrisenFilter*>(filter.get())->state();
}

// Luma noise with bright and dark specks; chroma a pattern of its own.
uint8_t dusty(int frame, int line, int byte) {
  const uint32_t h = static_cast<uint32_t>(frame * 7919 + line * 104729 + byte * 1299709) * 2654435761u;
  if (byte % 2) return static_cast<uint8_t>(64 + (line + byte / 2) % 128);
  if ((h >> 8) % 97 == 0) return (h >> 20) % 2 ? 250 : 5;
  return static_cast<uint8_t>(100 + (line + frame) % 8 + (h >> 24) % 6);
}

bool same_bytes(const avs::PVideoFrame& a, const avs::PVideoFrame& b, bool luma = true, bool chroma = true) {
  if (a->GetRowSize() != b->GetRowSize() || a->GetHeight() != b->GetHeight()) return false;
  for (int y = 0; y < a->GetHeight(); ++y) {
    for (int x = 0; x < a->GetRowSize(); ++x) {
      if ((x % 2 ? !chroma : !luma)) continue;
      if (a->GetReadPtr()[y * a->GetPitch() + x] != b->GetReadPtr()[y * b->GetPitch() + x]) return false;
    }
  }
  return true;
}

struct Filtered {
  Host host;
  testing_support::TestClip clip;
  PClip filter;

  Filtered(CpuReport report, int width, int height, int frames, testing_support::Painter paint,
           Host::Named args = {})
      : host(report), clip(make_clip(width, height, frames, paint)), filter(host.brisen(host.source(clip), args)) {}

  avs::PVideoFrame get(int n) { return filter->GetFrame(n, &host.env()); }
  avs::PVideoFrame input(int n) { return clip.source->frame(n); }
  // The map read by the latest cleaning pass is empty exactly when that pass followed a sequence reset.
  bool last_pass_reset() const { return state_of(filter).map_read[0] == -1; }
};

class Driver : public ::testing::TestWithParam<CpuReport> {};

TEST_P(Driver, SequentialRequestsKeepTheHistory) {
  Filtered f(GetParam(), 128, 64, 8, dusty);
  std::vector<bool> resets;
  for (int n : {1, 2, 3}) {
    f.get(n);
    resets.push_back(f.last_pass_reset());
    EXPECT_EQ(state_of(f.filter).map_write[0], n);
  }
  EXPECT_EQ(resets, (std::vector<bool>{true, false, false}));
}

TEST_P(Driver, AnyOtherRequestResets) {
  Filtered f(GetParam(), 128, 64, 8, dusty);
  for (int n : {5, 3, 3}) {
    f.get(n);
    EXPECT_TRUE(f.last_pass_reset()) << "frame " << n;
  }
}

TEST_P(Driver, FirstAndLastFramesAreCopiesAndLeaveTheHistory) {
  Filtered f(GetParam(), 128, 64, 6, dusty);
  f.get(1);
  const int32_t* write_before = state_of(f.filter).map_write;
  EXPECT_TRUE(same_bytes(f.get(0), f.input(0)));
  EXPECT_TRUE(same_bytes(f.get(5), f.input(5)));
  EXPECT_EQ(state_of(f.filter).map_write, write_before);
  EXPECT_EQ(state_of(f.filter).map_write[0], 1);
  f.get(2);
  EXPECT_FALSE(f.last_pass_reset());
}

TEST_P(Driver, ShortClipsComeOutUnchanged) {
  for (int frames : {1, 2}) {
    Filtered f(GetParam(), 128, 64, frames, dusty);
    for (int n = 0; n < frames; ++n) EXPECT_TRUE(same_bytes(f.get(n), f.input(n))) << frames << " frames";
  }
}

TEST_P(Driver, ARequestAfterAResetAlwaysGivesTheSameBytes) {
  Filtered f(GetParam(), 160, 96, 10, dusty);
  const avs::PVideoFrame first = f.get(4);
  f.get(5);
  f.get(8);
  EXPECT_TRUE(same_bytes(f.get(4), first));
}

TEST_P(Driver, NoisyClipIsCleanedInLumaOnly) {
  Filtered f(GetParam(), 160, 96, 6, dusty);
  long changed = 0;
  for (int n = 0; n < 6; ++n) {
    const avs::PVideoFrame out = f.get(n);
    EXPECT_TRUE(same_bytes(out, f.input(n), false, true)) << "chroma of frame " << n;
    if (n == 0 || n == 5) {
      EXPECT_TRUE(same_bytes(out, f.input(n))) << "frame " << n;
    }
    const avs::PVideoFrame in = f.input(n);
    for (int y = 0; y < 96; ++y) {
      for (int x = 0; x < 320; x += 2) {
        changed += out->GetReadPtr()[y * out->GetPitch() + x] != in->GetReadPtr()[y * in->GetPitch() + x];
      }
    }
  }
  EXPECT_GT(changed, 0);
}

TEST_P(Driver, FlatFramesComeOutUnchanged) {
  Filtered f(GetParam(), 160, 96, 5, [](int frame, int, int byte) { return uint8_t(byte % 2 ? 90 : 30 + frame); });
  for (int n = 0; n < 5; ++n) EXPECT_TRUE(same_bytes(f.get(n), f.input(n))) << "frame " << n;
}

TEST_P(Driver, EveryReferenceIsReleased) {
  {
    Filtered f(GetParam(), 128, 64, 5, dusty);
    for (int n : {0, 1, 2, 4, 3, -3, 9}) f.get(n);
  }
  EXPECT_EQ(frameserver::live_counts().frames, 0);
  EXPECT_EQ(frameserver::live_counts().clips, 0);
}

// Frame 4 of this clip has another pitch than frame 0.
class OddPitchSource final : public frameserver::FrameSource {
 public:
  avs::PVideoFrame frame(int n) override {
    const int pitch = n == 4 ? 320 : 256;
    avs::PVideoFrame f = testing_support::FakeFrame::make(pitch, 256, 64);
    for (int i = 0; i < pitch * 64; ++i) f->GetWritePtr()[i] = static_cast<uint8_t>(dusty(n, i / pitch, i % pitch));
    return f;
  }
};

TEST_P(Driver, FramesOfAnotherGeometryAreCopiedAndLeaveTheState) {
  Host host(GetParam());
  frameserver::ClipFormat format;
  format.width = 128;
  format.height = 64;
  format.num_frames = 7;
  auto source = std::make_shared<OddPitchSource>();
  const PClip filter = host.brisen(PClip(new frameserver::SourceClip<Api>(source, format)));
  filter->GetFrame(1, &host.env());
  const brisen::FilterState before = state_of(filter);
  for (int n : {4, 3, 5}) {  // frame 4 itself, and the frames whose neighbour it is
    const avs::PVideoFrame out = filter->GetFrame(n, &host.env());
    const avs::PVideoFrame in = source->frame(n);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 256; ++x) {
        ASSERT_EQ(out->GetReadPtr()[y * out->GetPitch() + x], in->GetReadPtr()[y * in->GetPitch() + x]);
      }
    }
    EXPECT_EQ(state_of(filter).map_write, before.map_write);
    EXPECT_EQ(state_of(filter).map_write[0], 1);
    EXPECT_EQ(state_of(filter).field_parity, before.field_parity);
  }
}

// Which lines of a cleaned frame differ from the input: bit 0 for even lines, bit 1 for odd.
int changed_line_parities(const avs::PVideoFrame& out, const avs::PVideoFrame& in) {
  int parities = 0;
  for (int y = 0; y < in->GetHeight(); ++y) {
    for (int x = 0; x < in->GetRowSize(); ++x) {
      if (out->GetReadPtr()[y * out->GetPitch() + x] != in->GetReadPtr()[y * in->GetPitch() + x]) parities |= 1 << (y % 2);
    }
  }
  return parities;
}

TEST_P(Driver, FieldMethodsCleanTheFieldOfTheFrameNumberInAnyRequestOrder) {
  const int frames = 10;
  std::vector<std::vector<int>> orders{{1, 2, 3, 4, 5, 6, 7, 8}, {8, 7, 6, 5, 4, 3, 2, 1}, {}};
  orders[2] = orders[0];
  std::shuffle(orders[2].begin(), orders[2].end(), std::mt19937(7));
  orders[2].insert(orders[2].end(), {3, 4, 4, 5});
  for (int method : {1, 2, 3, 5, -2}) {
    for (int motion_depth : {1, 2}) {
      for (const auto& order : orders) {
        Filtered f(GetParam(), 256, 96, frames, dusty, {{"method", method}, {"motion_depth", motion_depth}});
        for (int n : order) {
          // Methods 1 and 3 clean the even lines of odd frames and the odd lines of even frames; 2 the reverse.
          const bool odd_lines = (n % 2 == 0) != ((method & 3) == 2);
          const int parities = changed_line_parities(f.get(n), f.input(n));
          EXPECT_EQ(parities, odd_lines ? 2 : 1)
              << "method " << method << ", motion_depth " << motion_depth << ", frame " << n;
        }
      }
    }
  }
}

TEST_P(Driver, MethodsWithLowBitsZeroCleanWholeFrames) {
  for (int method : {0, 4, -4}) {
    Filtered f(GetParam(), 256, 96, 6, dusty, {{"method", method}});
    EXPECT_EQ(changed_line_parities(f.get(2), f.input(2)), 3) << "method " << method;
  }
}

INSTANTIATE_TEST_SUITE_P(BothHosts, Driver, ::testing::Values(CpuReport::IntegerSse, CpuReport::None),
                         [](const auto& info) { return info.param == CpuReport::None ? "portable" : "isse"; });

}  // namespace

// The plug-in as a host sees it: loaded with dlopen, reached through script
// calls, its filter inspected through our own declaration of its layout.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include "host/brisen_filter.h"
#include "tests/support/fake_frame.h"
#include "tests/support/plugin_fixture.h"

namespace {

// Built once per interface version, against that version's library.
using Api = frameserver::ApiFor<BRISEN_HOST_API>;
using frameserver::CpuReport;
using frameserver::ScriptError;
using testing_support::flat;
using testing_support::make_clip;
using Host = testing_support::PluginHost<Api>;
using AVSValue = Api::AVSValue;
using PClip = Api::PClip;

const brisen::FilterState& state_of(const PClip& filter) {
  // The object comes from the library built from the same declaration.
  return static_cast<brisen::BrisenFilter*>(filter.get())->state();
}

TEST(Registration, EntryPointRegistersBrisenOnce) {
  Host host;
  EXPECT_EQ(host.description(), "Brisen: slightly cleans movies");
  EXPECT_EQ(host.env().add_function_calls(), 1);
  EXPECT_EQ(host.env().signature_of("Brisen"),
            "c[temp_precision]i[motion_depth]i[method]i[spat_precision]i[spat_depth]i[threshold]i");
}

TEST(Registration, LibraryExportsOnlyTheEntryPointOfItsVersion) {
  frameserver::PluginLibrary library(testing_support::plugin_path<Api>());
  EXPECT_EQ(library.interface_version(), Api::version);
  const bool is25 = Api::version == 25;
  EXPECT_EQ(library.symbol("AvisynthPluginInit2") != nullptr, is25);
  EXPECT_EQ(library.symbol("AvisynthPluginInit") != nullptr, !is25);
  EXPECT_EQ(library.symbol("create_filter"), nullptr);
}

TEST(Creation, DefaultsApplyToArgumentsNotGiven) {
  Host host;
  const PClip filter = host.brisen(host.source(make_clip(64, 48, 3, flat)));
  const brisen::FilterState& s = state_of(filter);
  EXPECT_EQ(s.temp_precision, 20);
  EXPECT_EQ(s.motion_depth, 5);
  EXPECT_EQ(s.method, 0);
  EXPECT_EQ(s.spat_precision, 3);
  EXPECT_EQ(s.spat_depth, 5);
  EXPECT_EQ(s.threshold, 255);
}

TEST(Creation, NamedAndPositionalArgumentsReachTheirParameters) {
  Host host;
  const PClip clip = host.source(make_clip(64, 48, 3, flat));
  const PClip named = host.brisen(clip, {{"motion_depth", 3}, {"THRESHOLD", -7}});
  EXPECT_EQ(state_of(named).motion_depth, 3);
  EXPECT_EQ(state_of(named).threshold, -7);
  EXPECT_EQ(state_of(named).temp_precision, 20);

  const PClip positional =
      host.env().invoke("Brisen", {AVSValue(clip), 1, 2, 3, 4, 5, 6}).AsClip();
  const brisen::FilterState& s = state_of(positional);
  EXPECT_EQ((std::vector<int>{s.temp_precision, s.motion_depth, s.method, s.spat_precision, s.spat_depth,
                              s.threshold}),
            (std::vector<int>{1, 2, 3, 4, 5, 6}));

  EXPECT_THROW(host.brisen(clip, {{"motion", 3}}), ScriptError);
  EXPECT_THROW(host.env().invoke("Brisen", {AVSValue(clip), 1}, {{"temp_precision", 2}}), ScriptError);
}

struct CheckCase {
  const char* what;
  Host::Named args;
  frameserver::PixelFormat pixel;
  const char* message;  // null: accepted
};

class Checks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(Checks, FirstFailingCheckRaisesItsMessage) {
  const CheckCase& c = GetParam();
  Host host;
  const PClip clip = host.source(make_clip(64, 48, 3, flat, c.pixel));
  if (!c.message) {
    EXPECT_NO_THROW(host.brisen(clip, c.args));
    return;
  }
  try {
    host.brisen(clip, c.args);
    FAIL() << "accepted";
  } catch (const ScriptError& e) {
    EXPECT_STREQ(e.what(), c.message);
  }
}

using frameserver::PixelFormat;
INSTANTIATE_TEST_SUITE_P(
    Creation, Checks,
    ::testing::Values(
        CheckCase{"temp_precision_negative", {{"temp_precision", -1}}, PixelFormat::YUY2,
                  "Brisen: temporal_precision must be >= 0"},
        CheckCase{"temp_precision_zero", {{"temp_precision", 0}}, PixelFormat::YUY2, nullptr},
        CheckCase{"motion_depth_negative", {{"motion_depth", -1}}, PixelFormat::YUY2,
                  "Brisen: motion_depth must be >= 0"},
        CheckCase{"motion_depth_zero", {{"motion_depth", 0}}, PixelFormat::YUY2, nullptr},
        CheckCase{"motion_depth_ten", {{"motion_depth", 10}}, PixelFormat::YUY2, nullptr},
        CheckCase{"motion_depth_eleven", {{"motion_depth", 11}}, PixelFormat::YUY2,
                  "Brisen: motion_depth must be <= 10"},
        CheckCase{"spat_precision_negative", {{"spat_precision", -1}}, PixelFormat::YUY2,
                  "Brisen: spat_precision must be >= 0"},
        CheckCase{"spat_depth_negative", {{"spat_depth", -1}}, PixelFormat::YUY2,
                  "Brisen: spat_depth must be >= 0"},
        CheckCase{"any_method_and_threshold",
                  {{"method", -2}, {"threshold", -100000}, {"spat_depth", 100000}, {"temp_precision", 1 << 30}},
                  PixelFormat::YUY2, nullptr},
        CheckCase{"temp_precision_checked_before_motion_depth",
                  {{"temp_precision", -5}, {"motion_depth", 99}}, PixelFormat::YUY2,
                  "Brisen: temporal_precision must be >= 0"},
        CheckCase{"values_checked_before_format", {{"spat_depth", -1}}, PixelFormat::YV12,
                  "Brisen: spat_depth must be >= 0"},
        CheckCase{"planar_refused", {}, PixelFormat::YV12, "Brisen: Clip must be in YUY2 format"},
        CheckCase{"rgb24_refused", {}, PixelFormat::BGR24, "Brisen: Clip must be in YUY2 format"},
        CheckCase{"rgb32_refused", {}, PixelFormat::BGR32, "Brisen: Clip must be in YUY2 format"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Lifetime, ReferencesAfterSuccessErrorAndRelease) {
  const long clips_before = frameserver::live_counts().clips;
  {
    Host host;
    const PClip clip = host.source(make_clip(64, 48, 3, flat));
    ASSERT_EQ(clip->RefCount(), 1);
    {
      const PClip filter = host.brisen(clip);
      EXPECT_EQ(clip->RefCount(), 2);    // held by the filter's child
      EXPECT_EQ(filter->RefCount(), 1);  // held by this handle alone
    }
    EXPECT_EQ(clip->RefCount(), 1);  // dropping the filter released its child
    EXPECT_THROW(host.brisen(clip, {{"motion_depth", 11}}), ScriptError);
    EXPECT_EQ(clip->RefCount(), 1);
  }
  EXPECT_EQ(frameserver::live_counts().clips, clips_before);
  EXPECT_EQ(frameserver::live_counts().frames, 0);
}

// A source whose frame 0 claims a geometry too large to address.
class HugeFrameSource final : public frameserver::FrameSource {
 public:
  avs::PVideoFrame frame(int) override { return testing_support::FakeFrame::make(1 << 16, 128, 1 << 16, 64); }
};

// A source whose frames cannot be read.
class FailingSource final : public frameserver::FrameSource {
 public:
  avs::PVideoFrame frame(int) override { throw frameserver::HostError("disk on fire"); }
};

TEST(Lifetime, ErrorsFromTheConstructorReleaseTheInputClip) {
  Host host;
  frameserver::ClipFormat format;
  format.width = 64;
  format.height = 48;
  format.num_frames = 2;
  for (auto source : {std::shared_ptr<frameserver::FrameSource>(new HugeFrameSource),
                      std::shared_ptr<frameserver::FrameSource>(new FailingSource)}) {
    const PClip real = PClip(new frameserver::SourceClip<Api>(source, format));
    try {
      host.brisen(real);
      FAIL() << "accepted";
    } catch (const ScriptError& e) {
      EXPECT_STREQ(e.what(), "Brisen: Could not allocate memory");
    } catch (const frameserver::HostError& e) {
      EXPECT_STREQ(e.what(), "disk on fire");
    }
    EXPECT_EQ(real->RefCount(), 1);
  }
}

TEST(FilterState, MapsAreSizedFromFrameZeroAndStartEmpty) {
  Host host;
  frameserver::ClipFormat format;
  format.width = 20;
  format.height = 20;
  format.num_frames = 1;
  struct Pitch48 final : frameserver::FrameSource {
    avs::PVideoFrame frame(int) override { return testing_support::FakeFrame::make(48, 40, 20); }
  };
  const PClip filter = host.brisen(PClip(new frameserver::SourceClip<Api>(std::make_shared<Pitch48>(), format)));
  const brisen::FilterState& s = state_of(filter);
  EXPECT_EQ(s.frame_pitch, 48);
  EXPECT_EQ(s.frame_row_size, 40);
  EXPECT_EQ(s.frame_height, 20);
  EXPECT_EQ(s.frame_bytes, 960);
  EXPECT_EQ(s.center_offset, 50);
  EXPECT_EQ(s.window_span, 11);
  EXPECT_EQ(s.window_offset, 250);
  ASSERT_EQ(s.map_entries(), 480);
  for (int i = 0; i < 480; ++i) ASSERT_EQ(s.map_a[i], -1) << "entry " << i;
  EXPECT_EQ(s.map_write, s.map_a);
  EXPECT_EQ(s.map_read, s.map_b);
  EXPECT_EQ(s.field_offset, 0);
}

TEST(FilterState, MotionDepthZeroHasASingleCandidateWindow) {
  Host host;
  const PClip filter = host.brisen(host.source(make_clip(64, 48, 3, flat)), {{"motion_depth", 0}});
  EXPECT_EQ(state_of(filter).window_span, 1);
  EXPECT_EQ(state_of(filter).window_offset, 0);
}

TEST(FilterState, ConstructionFetchesFrameZeroOnce) {
  Host host;
  frameserver::SourceClip<Api>* raw = nullptr;
  const PClip clip = host.source(make_clip(64, 48, 5, flat), &raw);
  const PClip filter = host.brisen(clip);
  EXPECT_EQ(raw->requests(), std::vector<int>{0});
}

TEST(FilterState, UseIsseFollowsTheHostsReport) {
  for (auto [report, expected] : {std::pair{CpuReport::IntegerSse, true}, std::pair{CpuReport::None, false}}) {
    Host host(report);
    const PClip filter = host.brisen(host.source(make_clip(64, 48, 3, flat)));
    EXPECT_EQ(state_of(filter).use_isse, expected);
  }
}

template <class Clip>
constexpr bool has_cache_hints = requires(Clip& c) { c.SetCacheHints(0, 0); };

TEST(FilterState, InheritedOperationsAnswerAsTheBaseDoes) {
  Host host;
  const PClip filter = host.brisen(host.source(make_clip(64, 48, 3, flat)));
  EXPECT_EQ(filter->GetVersion(), Api::version == 25 ? 2 : 1);
  EXPECT_EQ(filter->GetVideoInfo().num_frames, 3);
  EXPECT_TRUE(filter->GetVideoInfo().IsYUY2());
  EXPECT_FALSE(filter->GetParity(1));
  // The older interface's clip has six operations, without cache hints, and a one-byte pixel type.
  EXPECT_EQ(has_cache_hints<Api::IClip>, Api::version == 25);
  EXPECT_EQ(sizeof(Api::VideoInfo::pixel_type), Api::version == 25 ? 4u : 1u);
}

}  // namespace

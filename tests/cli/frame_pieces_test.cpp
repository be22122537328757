// The pieces between frames and files: YUY2 conversion, the snapshot picture,
// the progress and summary lines, and the made-up demo clip.
#include <gtest/gtest.h>

#include <png.h>

#include <cmath>
#include <random>

#include "cli/demo_clip.h"
#include "cli/progress.h"
#include "cli/snapshot_png.h"
#include "cli/yuy2_convert.h"

namespace {

using brisen_cli::PlanarFrame;

PlanarFrame random_frame(int w, int h, unsigned seed) {
  PlanarFrame f(w, h);
  std::mt19937 rng(seed);
  for (auto& b : f.data) b = static_cast<std::uint8_t>(rng());
  return f;
}

TEST(Yuy2Convert, InterleavesLumaAndChromaAsY0UY1V) {
  PlanarFrame f(4, 2);
  const std::uint8_t y[] = {1, 2, 3, 4, 5, 6, 7, 8};
  const std::uint8_t u[] = {10, 11, 12, 13};
  const std::uint8_t v[] = {20, 21, 22, 23};
  std::copy(std::begin(y), std::end(y), f.y());
  std::copy(std::begin(u), std::end(u), f.u());
  std::copy(std::begin(v), std::end(v), f.v());
  const int pitch = 12;  // wider than the 8-byte rows: padding stays untouched
  std::vector<std::uint8_t> yuy2(pitch * 2, 0xEE);
  brisen_cli::planar_to_yuy2(f, yuy2.data(), pitch);
  const std::vector<std::uint8_t> expected = {1, 10, 2, 20, 3, 11, 4, 21, 0xEE, 0xEE, 0xEE, 0xEE,
                                              5, 12, 6, 22, 7, 13, 8, 23, 0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(yuy2, expected);
}

TEST(Yuy2Convert, RoundTripKeepsEveryByte) {
  for (auto [w, h] : {std::pair{2, 1}, std::pair{6, 5}, std::pair{64, 33}}) {
    const PlanarFrame f = random_frame(w, h, static_cast<unsigned>(w * 100 + h));
    const int pitch = 2 * w + 64;
    std::vector<std::uint8_t> yuy2(static_cast<std::size_t>(pitch) * h);
    brisen_cli::planar_to_yuy2(f, yuy2.data(), pitch);
    PlanarFrame back(w, h);
    brisen_cli::yuy2_to_planar(yuy2.data(), pitch, back);
    EXPECT_EQ(back.data, f.data) << w << "x" << h;
  }
}

TEST(Snapshot, PanelsShowBeforeAfterAndChanges) {
  PlanarFrame before(4, 2);
  std::fill(before.data.begin(), before.data.end(), 128);
  std::fill(before.y(), before.y() + before.luma_size(), 100);
  PlanarFrame after = before;
  after.y()[1] = 40;   // darker
  after.y()[6] = 160;  // brighter
  after.y()[7] = 102;  // a touch brighter
  const brisen_cli::RgbImage image = brisen_cli::compose_comparison(before, after);
  ASSERT_EQ(image.width, 12);
  ASSERT_EQ(image.height, 2);
  auto px = [&](int x, int y) {
    const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 3];
    return std::vector<int>{p[0], p[1], p[2]};
  };
  // Grey input: luma 100 in studio range is about 98 in RGB.
  EXPECT_EQ(px(0, 0), (std::vector<int>{98, 98, 98}));
  EXPECT_EQ(px(4 + 1, 0), (std::vector<int>{28, 28, 28}));
  // Large changes in full colour, small ones faintly, none in grey.
  EXPECT_EQ(px(8 + 1, 0), (std::vector<int>{255, 40, 40}));
  EXPECT_EQ(px(8 + 2, 1), (std::vector<int>{40, 140, 255}));
  const std::vector<int> faint = px(8 + 3, 1);
  const std::vector<int> same = px(8 + 0, 0);
  EXPECT_EQ(same, (std::vector<int>{69, 69, 69}));
  EXPECT_LT(faint[0], faint[2]);
  EXPECT_LT(faint[2], 140);
}

TEST(Snapshot, EncodesAPngThatDecodesToTheSameImage) {
  const PlanarFrame a = random_frame(10, 6, 1);
  const PlanarFrame b = random_frame(10, 6, 2);
  const brisen_cli::RgbImage image = brisen_cli::compose_comparison(a, b);
  const std::vector<std::uint8_t> png_bytes = brisen_cli::encode_png(image);
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&png, png_bytes.data(), png_bytes.size())) << png.message;
  EXPECT_EQ(png.width, 30u);
  EXPECT_EQ(png.height, 6u);
  png.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> decoded(PNG_IMAGE_SIZE(png));
  ASSERT_TRUE(png_image_finish_read(&png, nullptr, decoded.data(), 0, nullptr)) << png.message;
  EXPECT_EQ(decoded, image.pixels);
}

TEST(Progress, LinesSayWhatIsDoneHowFastAndWhatIsLeft) {
  struct Case {
    std::int64_t done;
    std::optional<std::int64_t> total;
    double seconds;
    const char* expected;
  };
  const Case cases[] = {
      {120, 500, 5.0, "frame 120/500 (24%), 24.0 fps, 0:16 left"},
      {120, std::nullopt, 5.0, "frame 120, 24.0 fps"},
      {0, 500, 0.0, "frame 0/500 (0%)"},
      {10, 100000, 10.0, "frame 10/100000 (0%), 1.0 fps, 27:46:30 left"},
  };
  for (const Case& c : cases) EXPECT_EQ(brisen_cli::format_progress(c.done, c.total, c.seconds), c.expected);
  EXPECT_EQ(brisen_cli::format_summary(500, 20.0, 1234, 500ULL * 320 * 240),
            "500 frames in 20.0 s (25.0 fps), 1234 luma samples changed (0.003%)");
  EXPECT_EQ(brisen_cli::format_summary(1, 0.0, 0, 0), "1 frame in 0.0 s, 0 luma samples changed");
}

TEST(DemoClip, SpecksLastOneFrameAndStayWhereTheFilterCleans) {
  const int w = 96;
  const int h = 64;
  const int frames = 6;
  const int margin = 16;
  const brisen_cli::DemoClip clip = brisen_cli::make_demo_clip(w, h, frames, margin, 7);
  ASSERT_EQ(clip.original.size(), 6u);
  ASSERT_FALSE(clip.specks.empty());
  for (const brisen_cli::Speck& s : clip.specks) {
    EXPECT_GE(s.frame, 1);
    EXPECT_LE(s.frame, frames - 2);
    EXPECT_GE(s.x, margin);
    EXPECT_GE(s.y, margin);
    EXPECT_LE(s.x + s.width, w - margin);
    EXPECT_LE(s.y + s.height, h - margin);
  }
  // Only specks differ from the original, and only in luma.
  for (int f = 0; f < frames; ++f) {
    const PlanarFrame& o = clip.original[f];
    const PlanarFrame& d = clip.dusty[f];
    EXPECT_TRUE(std::equal(o.u(), o.u() + 2 * o.chroma_size(), d.u()));
    std::size_t differing = 0;
    for (std::size_t i = 0; i < o.luma_size(); ++i) differing += o.y()[i] != d.y()[i];
    if (f == 0 || f == frames - 1) {
      EXPECT_EQ(differing, 0u);
    } else {
      EXPECT_GT(differing, 0u);
    }
  }
  // The same seed gives the same clip.
  EXPECT_EQ(brisen_cli::make_demo_clip(w, h, frames, margin, 7).dusty[2].data, clip.dusty[2].data);
}

TEST(DemoClip, MeasuresTellPerfectCleaningFromNone) {
  const brisen_cli::DemoClip clip = brisen_cli::make_demo_clip(96, 64, 5, 16, 3);
  const int specks = static_cast<int>(clip.specks.size());
  EXPECT_EQ(brisen_cli::count_removed_specks(clip, clip.original), specks);
  EXPECT_EQ(brisen_cli::count_removed_specks(clip, clip.dusty), 0);
  EXPECT_TRUE(std::isinf(brisen_cli::luma_psnr(clip.original, clip.original)));
  const double dusty = brisen_cli::luma_psnr(clip.original, clip.dusty);
  EXPECT_GT(dusty, 20.0);
  EXPECT_LT(dusty, 60.0);
  // One sample off by 255 in a 2x1 clip: MSE 255^2 / 2, PSNR 10 log10(2).
  std::vector<PlanarFrame> a{PlanarFrame(2, 1)};
  std::vector<PlanarFrame> b = a;
  b[0].y()[0] = 255;
  EXPECT_NEAR(brisen_cli::luma_psnr(a, b), 10 * std::log10(2.0), 1e-9);
}

}  // namespace

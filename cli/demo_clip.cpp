#include "cli/demo_clip.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace brisen_cli {

namespace {

// A small generator of our own, so the clip is the same on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint32_t next() {
    state_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
  double unit() { return next() / 4294967296.0; }
  // Roughly normal, from the sum of four uniforms; mean 0, deviation 1.
  double normal() { return (unit() + unit() + unit() + unit() - 2.0) * std::sqrt(3.0); }

 private:
  std::uint64_t state_;
};

std::uint8_t to_byte(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// Smooth noise: random values on a lattice, interpolated.
class ValueNoise {
 public:
  ValueNoise(int cells_x, int cells_y, double cell, Random& random)
      : cells_x_(cells_x + 2), cells_y_(cells_y + 2), cell_(cell), values_(cells_x_ * cells_y_) {
    for (double& v : values_) v = random.unit();
  }
  double at(double x, double y) const {
    const double fx = x / cell_;
    const double fy = y / cell_;
    const int ix = std::clamp(static_cast<int>(fx), 0, cells_x_ - 2);
    const int iy = std::clamp(static_cast<int>(fy), 0, cells_y_ - 2);
    const double tx = smooth(fx - ix);
    const double ty = smooth(fy - iy);
    const double top = lerp(value(ix, iy), value(ix + 1, iy), tx);
    const double bottom = lerp(value(ix, iy + 1), value(ix + 1, iy + 1), tx);
    return lerp(top, bottom, ty);
  }

 private:
  static double smooth(double t) { return std::clamp(t, 0.0, 1.0) * std::clamp(t, 0.0, 1.0) * (3 - 2 * std::clamp(t, 0.0, 1.0)); }
  static double lerp(double a, double b, double t) { return a + (b - a) * t; }
  double value(int x, int y) const { return values_[static_cast<std::size_t>(y) * cells_x_ + x]; }

  int cells_x_;
  int cells_y_;
  double cell_;
  std::vector<double> values_;
};

// The scene without grain: luma and chroma of one pixel. The background is
// bricks seen through uneven light; the disc is a coarser stone texture.
struct Scene {
  Scene(int width, int height, int frames, Random& random)
      : pan_width(width + frames + 8),
        coarse(pan_width / 24 + 1, height / 24 + 1, 24, random),
        fine(pan_width / 5 + 1, height / 5 + 1, 5, random),
        stone(64, 64, 6, random),
        frames_(frames),
        width_(width),
        height_(height) {}

  // Background point (x, y) of the wide panorama: bricks with soft mortar
  // joints, as a lens renders them, under uneven light.
  void background(int x, int y, double& luma, double& u, double& v) const {
    const double brick_h = 18;
    const double brick_w = 40;
    const int row = static_cast<int>(y / brick_h);
    const double shifted = x + (row % 2) * brick_w / 2;
    const double dy = std::fmod(y + 0.5, brick_h) - 0.5;
    const double dx = std::fmod(shifted + 0.5, brick_w) - 0.5;
    const double to_joint = std::min({std::abs(dy), std::abs(brick_h - dy), std::abs(dx), std::abs(brick_w - dx)});
    const double joint = std::exp(-to_joint * to_joint / 2.0);
    const double light = 0.55 + 0.45 * coarse.at(x, y);
    const double grit = fine.at(x, y) - 0.5;
    luma = (60 + 110 * light + 30 * grit) * (1 - 0.5 * joint);
    u = 118 + 10 * coarse.at(y, x * 0.5);
    v = 140 + 8 * light - 12 * joint;
  }

  void pixel(int frame, int x, int y, double& luma, double& u, double& v) const {
    // The camera pans one sample per frame; the disc moves 3 right, 1 down.
    background(x + frame, y, luma, u, v);
    const double cx = width_ * 0.2 + 3.0 * frame;
    const double cy = height_ * 0.3 + 1.0 * frame;
    const double r = std::min(width_, height_) * 0.22;
    const double dx = x - cx;
    const double dy = y - cy;
    if (dx * dx + dy * dy < r * r) {
      const double s = stone.at(std::fmod(dx + 192, 384.0), std::fmod(dy + 192, 384.0));
      luma = 90 + 100 * s + 20 * (dy / r);
      u = 128 - 12 * s;
      v = 122;
    }
  }

  int pan_width;
  ValueNoise coarse;
  ValueNoise fine;
  ValueNoise stone;

 private:
  int frames_;
  int width_;
  int height_;
};

}  // namespace

DemoClip make_demo_clip(int width, int height, int frames, int margin, std::uint32_t seed) {
  if (width < 2 * margin + 4 || height < 2 * margin + 4 || width % 2 != 0 || frames < 1)
    throw std::invalid_argument("demo clip too small");
  Random random(seed);
  Scene scene(width, height, frames, random);
  DemoClip clip;
  for (int f = 0; f < frames; ++f) {
    PlanarFrame frame(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        double luma = 0;
        double u = 0;
        double v = 0;
        scene.pixel(f, x, y, luma, u, v);
        frame.y()[static_cast<std::size_t>(y) * width + x] = to_byte(luma + 1.0 * random.normal());
        if (x % 2 == 0) {
          const std::size_t c = static_cast<std::size_t>(y) * frame.chroma_width() + x / 2;
          frame.u()[c] = to_byte(u);
          frame.v()[c] = to_byte(v);
        }
      }
    }
    clip.original.push_back(std::move(frame));
  }
  clip.dusty = clip.original;
  const int per_frame = std::max(1, width * height / 2500);
  for (int f = 1; f + 1 < frames; ++f) {
    for (int i = 0; i < per_frame; ++i) {
      Speck s{f, margin + random.below(width - 2 * margin - 2), margin + random.below(height - 2 * margin - 2), 1, 1};
      const bool bright = random.below(2) == 0;
      const double strength = 60 + random.below(70);
      PlanarFrame& frame = clip.dusty[static_cast<std::size_t>(f)];
      for (int y = s.y; y < s.y + s.height; ++y)
        for (int x = s.x; x < s.x + s.width; ++x) {
          std::uint8_t& sample = frame.y()[static_cast<std::size_t>(y) * width + x];
          sample = to_byte(sample + (bright ? strength : -strength));
        }
      clip.specks.push_back(s);
    }
  }
  return clip;
}

double luma_psnr(const std::vector<PlanarFrame>& reference, const std::vector<PlanarFrame>& test) {
  if (reference.size() != test.size()) throw std::invalid_argument("clips differ in length");
  double squared = 0;
  double samples = 0;
  for (std::size_t f = 0; f < reference.size(); ++f) {
    const std::size_t n = reference[f].luma_size();
    for (std::size_t i = 0; i < n; ++i) {
      const double d = static_cast<double>(reference[f].y()[i]) - test[f].y()[i];
      squared += d * d;
    }
    samples += static_cast<double>(n);
  }
  if (squared == 0) return std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(255.0 * 255.0 * samples / squared);
}

int count_removed_specks(const DemoClip& clip, const std::vector<PlanarFrame>& cleaned) {
  int removed = 0;
  for (const Speck& s : clip.specks) {
    const auto f = static_cast<std::size_t>(s.frame);
    const int width = clip.original[f].width;
    bool gone = true;
    for (int y = s.y; y < s.y + s.height; ++y)
      for (int x = s.x; x < s.x + s.width; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * width + x;
        const int truth = clip.original[f].y()[i];
        const int before = std::abs(clip.dusty[f].y()[i] - truth);
        const int after = std::abs(cleaned[f].y()[i] - truth);
        if (2 * after > before) gone = false;
      }
    removed += gone;
  }
  return removed;
}

}  // namespace brisen_cli

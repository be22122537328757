// Random clips for checking the fast kernels against the reference forms:
// frame geometry, settings and contents drawn from one seeded generator, so
// that a failing case can be replayed from its seed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "tests/kernels/frame_buffer.h"
#include "tests/kernels/kernel_harness.h"

namespace brisen::test {

class Random {
 public:
  explicit Random(uint64_t seed) : engine_(seed) {}
  int32_t between(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(engine_); }
  bool chance(int32_t percent) { return between(1, 100) <= percent; }
  template <typename T>
  T pick(std::initializer_list<T> values) {
    return *(values.begin() + between(0, static_cast<int32_t>(values.size()) - 1));
  }

 private:
  std::mt19937_64 engine_;
};

enum class Content { noise, flat_with_impulses, gradient, moving_texture, extremes };

struct ClipShape {
  int32_t row_size;
  int32_t height;
  int32_t pitch;
  int32_t dst_pitch;
};

// Settings across their whole ranges, weighted towards the values that make
// real decisions: small precisions, moderate depths.
inline Settings random_settings(Random& r, int32_t max_motion_depth) {
  Settings s;
  s.motion_depth = r.chance(70) ? r.between(0, std::min(6, max_motion_depth)) : r.between(0, max_motion_depth);
  s.temp_precision = r.pick<int32_t>({r.between(0, 40), r.between(0, 40), r.between(-5, 0),
                                      r.between(200, 300), r.between(0, 2100), 3000, 20});
  s.spat_precision = r.pick<int32_t>({r.between(0, 10), r.between(0, 10), r.between(-3, 0), r.between(250, 600), 3});
  s.spat_depth = r.pick<int32_t>({r.between(0, 6), r.between(0, 16), r.between(0, 40), 5, r.between(100, 2000)});
  s.threshold = r.pick<int32_t>({r.between(-3, 300), 255, r.between(0, 20), 0});
  return s;
}

// One luma value of a content kind at (x, y) of frame `frame` (x in samples).
class ContentSource {
 public:
  ContentSource(Random& r, Content kind) : kind_(kind), seed_(static_cast<uint32_t>(r.between(0, 1 << 30))) {
    flat_ = static_cast<uint8_t>(r.between(0, 255));
    gx_ = r.between(-4, 4);
    gy_ = r.between(-4, 4);
    noise_ = r.pick<int32_t>({0, 0, 2, 6});
    for (int i = 0; i < 64; ++i) motion_.push_back({r.between(-3, 3), r.between(-3, 3)});
  }

  uint8_t luma(int32_t frame, int32_t x, int32_t y) const {
    const uint8_t jitter = hashed_byte(seed_ + 7 * static_cast<uint32_t>(frame), x, y);
    switch (kind_) {
      case Content::noise: return jitter;
      case Content::flat_with_impulses:
        return jitter < 8 ? hashed_byte(seed_ + 1, x + frame, y) : flat_;
      case Content::gradient:
        return clamp(flat_ + gx_ * x / 3 + gy_ * y / 2 + frame + spread(jitter));
      case Content::moving_texture: {
        int32_t sx = 0;
        int32_t sy = 0;
        for (int32_t f = 0; f < frame; ++f) {
          sx += motion_[f % motion_.size()].first;
          sy += motion_[f % motion_.size()].second;
        }
        const uint8_t base = hashed_byte(seed_, x + sx, y + sy);
        return clamp(base / 2 + 60 + spread(jitter));
      }
      case Content::extremes: return (jitter & 1) ? 255 : 0;
    }
    return 0;
  }

 private:
  static uint8_t clamp(int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }
  int32_t spread(uint8_t jitter) const { return noise_ == 0 ? 0 : jitter % (2 * noise_ + 1) - noise_; }

  Content kind_;
  uint32_t seed_;
  uint8_t flat_;
  int32_t gx_, gy_, noise_;
  std::vector<std::pair<int32_t, int32_t>> motion_;
};

// Frame `index` of a clip into `frame`: luma from the source, chroma and the
// padding between row size and pitch random.
inline void fill_frame(FrameBuffer& frame, const ContentSource& source, int32_t index, uint32_t seed) {
  for (int32_t y = 0; y < frame.height(); ++y) {
    for (int32_t x = 0; x < frame.pitch(); ++x) {
      const bool visible = x < frame.row_size();
      frame.at(x, y) = visible && x % 2 == 0 ? source.luma(index, x / 2, y) : hashed_byte(seed + index, x, y);
    }
  }
}

}  // namespace brisen::test

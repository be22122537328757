// What kernel tests share: a filter state with its two maps sized as the
// filter sizes them, the four frames of a pass with guard bytes, frame
// contents, and the table of kernels.
#pragma once

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "kernels/filter_state.h"
#include "kernels/frame_sequence.h"
#include "kernels/reference_kernels.h"
#include "tests/kernels/frame_buffer.h"
#include "tests/support/hashed_bits.h"
#include "tests/kernels/recording_block_copy.h"

namespace brisen::test {

struct Settings {
  int32_t temp_precision = 20;
  int32_t motion_depth = 5;
  int32_t spat_precision = 3;
  int32_t spat_depth = 5;
  int32_t threshold = 255;
};

// Marker left in map_b so that a missing reset shows.
inline constexpr int32_t stale_entry = 0x5A5A5A5A;

// A filter state built as the filter builds it from frame 0 of `pitch` and
// `height`: derived values, map_a all -1 as map_write, map_b not yet reset.
class TestFilter {
 public:
  TestFilter(int32_t row_size, int32_t height, int32_t pitch, const Settings& s = {})
      : map_a(static_cast<size_t>(std::max(0, pitch * height / 2)), -1),
        map_b(map_a.size(), stale_entry) {
    state.frame_row_size = row_size;
    state.frame_height = height;
    state.frame_pitch = pitch;
    apply(s);
    state.field_parity = 0;
    state.field_offset = 0;
    state.map_a = map_a.data();
    state.map_b = map_b.data();
    state.map_write = state.map_a;
    state.map_read = state.map_b;
  }
  TestFilter(const TestFilter&) = delete;

  void apply(const Settings& s) {
    state.temp_precision = s.temp_precision;
    state.motion_depth = s.motion_depth;
    state.spat_precision = s.spat_precision;
    state.spat_depth = s.spat_depth;
    state.threshold = s.threshold;
    set_frame_geometry(state, state.frame_pitch, state.frame_row_size, state.frame_height);
  }

  TestFilter& operator=(const TestFilter&) = delete;

  FilterState state;
  std::vector<int32_t> map_a;
  std::vector<int32_t> map_b;
};

inline constexpr uint8_t dst_sentinel = 0xEE;

// src, prev, next and a dst prefilled (padding included) with dst_sentinel.
// Buffers without guards (guard_size 0) let an address sanitizer see every
// access outside a frame.
struct KernelFrames {
  KernelFrames(int32_t row_size, int32_t height, int32_t pitch, int32_t dst_pitch = 0,
               int32_t guard_size = FrameBuffer::default_guard_size)
      : src(row_size, height, pitch, 0, 0xA5, guard_size),
        prev(row_size, height, pitch, 0, 0xA5, guard_size),
        next(row_size, height, pitch, 0, 0xA5, guard_size),
        dst(row_size, height, dst_pitch > 0 ? dst_pitch : pitch, dst_sentinel, 0xA5, guard_size) {
    dst.fill([](int32_t, int32_t) { return dst_sentinel; });
  }

  FrameSet set() {
    return FrameSet{src.data(), prev.data(), next.data(), src.pitch(), dst.data(), dst.pitch(), src.row_size(),
                    src.height()};
  }

  // dst holds src's visible bytes and nothing was written outside them.
  bool dst_copies_src_only() const {
    return dst.visible() == src.visible() && dst.padding_is(dst_sentinel) && dst.guards_intact();
  }

  FrameBuffer src;
  FrameBuffer prev;
  FrameBuffer next;
  FrameBuffer dst;
};

// Deterministic pseudo-random byte for (seed, byte, line).
inline uint8_t hashed_byte(uint32_t seed, int32_t x, int32_t y) {
  return static_cast<uint8_t>(testing_support::hashed(seed, x, y));
}

// Luma 20 .. 219 with no structure, so that a neighbourhood matches nothing
// but itself; chroma random.
inline void fill_texture(FrameBuffer& frame, uint32_t seed) {
  frame.fill([&](int32_t x, int32_t y) {
    const uint8_t b = hashed_byte(seed, x, y);
    return x % 2 == 0 ? 20 + b % 200 : b;
  });
}

// Every byte random, 0 .. 255.
inline void fill_noise(FrameBuffer& frame, uint32_t seed) {
  frame.fill([&](int32_t x, int32_t y) { return hashed_byte(seed, x, y); });
}

// The samples a pass visited, as positions c in src. Valid after a pass over
// frames where src, prev and next hold the same texture and spat_precision is
// 0: every visited sample then records its own top-left t = c - pitch - 2 as
// the match of t (top-left 0 and 1 have no entry and do not show).
inline std::set<int64_t> visited_samples(const FilterState& state, int32_t pitch) {
  std::set<int64_t> visited;
  for (int64_t i = 1; i < state.map_entries(); ++i) {
    const int32_t entry = state.map_write[i];
    if (entry == 2 * i) visited.insert(entry + pitch + 2);
  }
  return visited;
}

// Entries that are neither empty nor a visited sample's own top-left.
inline int64_t foreign_entries(const FilterState& state) {
  int64_t count = 0;
  for (int64_t i = 1; i < state.map_entries(); ++i) {
    if (state.map_write[i] != -1 && state.map_write[i] != 2 * i) ++count;
  }
  return count;
}

using KernelFn = void (*)(FilterState&, const FrameSet&, const BlockCopy&);

struct KernelInfo {
  std::string name;
  KernelFn run;
  bool isse;
  bool field;
};

inline std::vector<KernelInfo> reference_kernel_table() {
  return {{"frame_isse", &reference::clean_frame_isse, true, false},
          {"field_isse", &reference::clean_field_isse, true, true},
          {"frame_plain", &reference::clean_frame_plain, false, false},
          {"field_plain", &reference::clean_field_plain, false, true}};
}

}  // namespace brisen::test

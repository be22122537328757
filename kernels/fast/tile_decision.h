// The per-sample decision of the cleaning rules for a whole tile at once, from
// its search results and the matched values the kernel looked up (see
// TileMatches). A template over the lane operations V of tile_search.h, plus:
// below (unsigned a < b, exact over all of T), mand, mor, mandn (a and not b)
// on masks, avg_down ((a + b) / 2 rounded down) and halve (a / 2).
#pragma once

#include <algorithm>
#include <bit>
#include <cstring>
#include <cstdint>

#include "kernels/fast/search_jobs.h"

namespace brisen::fast {

// Included by the translation unit of every instruction set, each built with
// its own target flags: these templates over the lane type alone get internal
// linkage, so that the linker cannot hand one set's copy to another.
namespace {

// Lane l of line k of a tile, at position c: where the previous frame's map
// has an entry (as read_match_entry takes it), the prev match is the centre
// of that neighbourhood; else the search's. Next matches are the search's.
// Values come from the luma plane; only a map entry not written by these
// kernels can point at chroma.
template <typename T>
[[gnu::always_inline]] inline void look_up_lane(const LookupJob& job, TileMatches<T>& m, int k, int l, int64_t c) {
  const int64_t t = c - (job.pitch + 2);
  const int64_t index = t >> 1;
  const bool indexed = (t >= 0) & (index >= 1) & (index < job.map_entries);
  const int64_t entry = job.map_read[indexed ? index : 0];
  const bool known = indexed & (entry >= 0) & (entry + job.pitch + 2 < job.frame_end);
  // Selected by mask, reading in the frame either way: which one is taken
  // does not predict.
  const int64_t at = c ^ ((c ^ (entry + job.pitch + 2)) & -int64_t{known});
  const T entered = (at & 1) != 0 ? job.prev_frame[at] : job.prev_plane[at >> 1];
  m.known[k][l] = known;
  m.prev_value[k][l] = known ? entered : m.prev_value[k][l];
}

template <typename T>
void look_up_matches(const LookupJob& job, TileMatches<T>& m) {
  for (int k = 0; k < job.lines; ++k) {
    const int64_t c0 = job.first + k * job.line_distance;
    for (int l = 0; l < job.lanes; ++l) look_up_lane(job, m, k, l, c0 + 2 * int64_t{l});
  }
}

// The next matches the decisions record into the map, in the order the rules
// visit the samples (blocks of 16 lanes, line by line, left to right): a later
// entry wins.
template <typename T>
void record_matches(const LookupJob& job, const TileMatches<T>& m) {
  constexpr int block = 16;
  for (int g = 0; g < job.lanes; g += block) {
    for (int k = 0; k < job.lines; ++k) {
      const int64_t t0 = job.first + k * job.line_distance - (job.pitch + 2);
      for (int l = g; l < g + block && l < job.lanes; ++l) {
        const int64_t t = t0 + 2 * int64_t{l};
        const int64_t matched = t + job.offsets[m.next_index[k][l]];
        const bool recordable = (matched >= 0) & ((matched >> 1) >= 1) & ((matched >> 1) < job.map_entries);
        if (m.record[k][l] != 0 && recordable) job.map_write[matched >> 1] = static_cast<int32_t>(t);
      }
    }
  }
}

template <typename T>
void match_entries(const LookupJob& job, const TileMatches<T>& m, int32_t* entries, int64_t stride) {
  for (int k = 0; k < job.lines; ++k) {
    const int64_t t0 = job.first + k * job.line_distance - (job.pitch + 2);
    for (int l = 0; l < job.lanes; ++l) {
      const int64_t matched = t0 + 2 * int64_t{l} + job.offsets[m.next_index[k][l]];
      const bool recordable = (matched >= 0) & ((matched >> 1) >= 1) & ((matched >> 1) < job.map_entries);
      entries[k * stride + l] = m.record[k][l] != 0 && recordable ? static_cast<int32_t>(matched >> 1) : -1;
    }
  }
}

[[maybe_unused]] inline void replay_entries(const int32_t* entries, int32_t count, int64_t t0, int32_t* map_write) {
  for (int32_t k = 0; k < count; ++k) {
    if (entries[k] >= 0) map_write[entries[k]] = static_cast<int32_t>(t0 + 2 * int64_t{k});
  }
}

// One line's decided luma, each with src's chroma byte beside it: a pair of
// bytes as one word, and restrict parameters (which a non-inlined function
// keeps), so that the loop vectorizes.
template <typename T>
[[gnu::noinline]] void write_luma(const uint8_t* __restrict src, uint8_t* __restrict dst, const T* __restrict value,
                                  int lanes) {
  constexpr int luma_shift = std::endian::native == std::endian::little ? 0 : 8;
  constexpr uint16_t chroma = static_cast<uint16_t>(0xFF00 >> luma_shift);
  for (int l = 0; l < lanes; ++l) {
    uint16_t pair;
    std::memcpy(&pair, src + 2 * l, 2);
    pair = static_cast<uint16_t>((pair & chroma) | (static_cast<uint8_t>(value[l]) << luma_shift));
    std::memcpy(dst + 2 * l, &pair, 2);
  }
}

}  // namespace

template <class V>
void decide_tile(const DecisionJob& job, TileMatches<typename V::T>& m) {
  using vec = typename V::vec;
  using mask = typename V::mask;
  // Measures compare with a precision clamped to the lane range: real
  // measures stay far below the top of 16-bit lanes, and 8-bit lanes run only
  // with precisions of at most 255, where a saturated measure fails as it
  // should.
  const auto clamp = [](int32_t v) { return V::set1(std::clamp<int32_t>(v, 0, V::max_value)); };
  const vec spat = clamp(job.spat_precision);
  const vec temp = clamp(job.temp_precision);
  // |mean - x| <= threshold for luma values: below threshold + 1, or always
  // from 255 on.
  const vec limit = clamp(job.threshold < 0 ? 0 : std::min(job.threshold, 254) + 1);
  const vec zero = V::set1(0);
  const mask never = V::below(zero, zero);
  const mask always = job.threshold >= 255 ? V::eq(zero, zero) : never;
  const auto within = [&](vec mean, vec x) { return V::mor(V::below(V::absdiff(mean, x), limit), always); };
  const auto extreme = [](vec x, vec a, vec b) {
    return V::mor(V::mand(V::below(x, a), V::below(x, b)), V::mand(V::below(a, x), V::below(b, x)));
  };
  const vec top = V::set1(V::max_value);
  for (int k = 0; k < job.lines; ++k) {
    const vec x = V::load(job.src + int64_t{k} * job.line_step * job.stride);

    // Without the spatial rule its results were not searched: left unread.
    vec spatial_mean = zero;
    mask spatial_done = never;
    if (job.spat_precision > 0) {
      const vec above = V::load_t(m.above_value[k]);
      const vec below = V::load_t(m.below_value[k]);
      spatial_mean = V::avg_down(above, below);
      const mask spatial_good =
          V::mand(V::below(V::load_t(m.above_measure[k]), spat), V::below(V::load_t(m.below_measure[k]), spat));
      spatial_done = V::mand(V::mand(spatial_good, extreme(x, above, below)), within(spatial_mean, x));
    }

    const vec a = V::load_t(m.prev_value[k]);
    const vec b = V::load_t(m.next_value[k]);
    const vec temporal_mean = job.summed_halves ? V::adds(V::halve(a), V::halve(b)) : V::avg_down(a, b);
    const mask next_good = V::below(V::load_t(m.next_measure[k]), temp);
    const mask prev_good = V::mor(V::below(zero, V::load_t(m.known[k])), V::below(V::load_t(m.prev_measure[k]), temp));
    const mask temporal_done = V::mand(V::mand(V::mand(next_good, prev_good), extreme(x, a, b)), within(temporal_mean, x));

    V::store_t(m.value[k], V::select(spatial_done, spatial_mean, V::select(temporal_done, temporal_mean, x)));
    write_luma(job.out.src + k * job.out.src_line, job.out.dst + k * job.out.dst_line, m.value[k], job.out.lanes);
    V::store_t(m.record[k], V::select(V::mandn(next_good, spatial_done), top, zero));
  }
}

}  // namespace brisen::fast

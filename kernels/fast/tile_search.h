// The searches of the cleaning rules for a whole tile of samples at once,
// displacement by displacement, written once over a set of lane operations `V`
// that each instruction set supplies (see portable_lanes.h, kernels/x86/).
//
// Everything here is a template over V, so each instruction set's build stays
// in its own translation unit and the linker never mixes them.
//
// Exactness: each search keeps, per sample, the first strictly lowest measure
// in the rules' visiting order (min, then "unchanged" keeps the old index).
// With V::T = uint8_t, sums saturate at 255; a saturated measure compares as
// "not below" every precision of at most 255, and every unsaturated measure is
// exact, so the first minimum among measures below the precision is exact.
#pragma once

#include <cstdint>
#include <cstring>

#include "kernels/fast/search_jobs.h"

namespace brisen::fast {

// V provides: T, vec, mask, lanes, max_value, load(const uint8_t*) (lanes
// bytes, widened to T), load_t / store_t (lanes of T), set1, absdiff, adds
// (saturating), min, bor, and the comparisons eq and gt giving a mask for
// select(mask, if_set, if_clear).

// Lanes whose own window leaves out a displacement of reach `reach`: a mask
// where V has masked stores (inside / keep_lower), else a vector of max_value
// that no measure or'ed with it can beat.
template <class V>
[[gnu::always_inline]] inline auto outside_lanes(typename V::vec reach, typename V::vec lane_radius) {
  if constexpr (requires { V::inside(reach, lane_radius); }) {
    return V::inside(reach, lane_radius);
  } else {
    return V::select(V::gt(reach, lane_radius), V::set1(V::max_value), V::set1(0));
  }
}

// The best measure, the centre value of its candidate and (unless `index` is
// null) its displacement code, where `measure` is strictly lower.
template <class V, class Outside>
[[gnu::always_inline]] inline void keep_lower(typename V::T* best, typename V::T* index, typename V::T* value,
                                              typename V::vec measure, Outside outside, typename V::vec order,
                                              typename V::vec centre) {
  if constexpr (requires { V::keep_lower(best, index, value, measure, outside, order, centre); }) {
    V::keep_lower(best, index, value, measure, outside, order, centre);
  } else {
    const typename V::vec old = V::load_t(best);
    const typename V::vec lowest = V::min(old, V::bor(measure, outside));
    V::store_t(best, lowest);
    const auto kept = V::eq(lowest, old);
    if (index != nullptr) V::store_t(index, V::select(kept, V::load_t(index), order));
    V::store_t(value, V::select(kept, V::load_t(value), centre));
  }
}

// Adds the measures of prev and next at one displacement into the bests of
// every cleaned line; `p` and `n` are their planes already moved by the
// displacement. A measure is the 3 x 3 sum of absolute differences without the
// centre: per line the sums (left + right) and (left + centre + right), added
// down over three lines.
template <class V, int Step, class Outside>
[[gnu::always_inline]] inline void search_displacement(const uint8_t* s, const uint8_t* p, const uint8_t* n,
                                                       int64_t stride, int64_t side, int lines, Outside outside,
                                                       typename V::vec order, TileMatches<typename V::T>& out) {
  using vec = typename V::vec;
  struct Sums {
    vec full, sides, centre;
  };
  const auto sums = [&](int64_t r, Sums& ps, Sums& ns) {
    const uint8_t* sr = s + r * stride;
    const vec sl = V::load(sr - side);
    const vec sc = V::load(sr);
    const vec sr1 = V::load(sr + side);
    const auto line_sums = [&](const uint8_t* fr, Sums& out) {
      const vec left = V::absdiff(sl, V::load(fr - side));
      const vec right = V::absdiff(sr1, V::load(fr + side));
      out.centre = V::load(fr);
      out.sides = V::adds(left, right);
      // Every 16 lanes are 16 neighbouring samples, in a plane or staged.
      if constexpr (requires { V::middle(left, right); }) {
        out.full = V::adds(out.sides, V::middle(left, right));
      } else {
        out.full = V::adds(out.sides, V::absdiff(sc, out.centre));
      }
    };
    line_sums(p + r * stride, ps);
    line_sums(n + r * stride, ns);
  };
  const auto update = [&](typename V::T* best, typename V::T* index, typename V::T* value, vec measure,
                          vec centre) { keep_lower<V>(best, index, value, measure, outside, order, centre); };
  Sums p_above, p_middle, p_below, n_above, n_middle, n_below;
  sums(-1, p_above, n_above);
  sums(0, p_middle, n_middle);
  const int last = (lines - 1) * Step;
  for (int y = 0; y <= last; ++y) {
    sums(y + 1, p_below, n_below);
    if (Step == 1 || y % Step == 0) {
      const int k = y / Step;
      // Prev matches are used by their values only.
      update(out.prev_measure[k], nullptr, out.prev_value[k],
             V::adds(V::adds(p_above.full, p_middle.sides), p_below.full), p_middle.centre);
      update(out.next_measure[k], out.next_index[k], out.next_value[k],
             V::adds(V::adds(n_above.full, n_middle.sides), n_below.full), n_middle.centre);
    }
    p_above = p_middle;
    p_middle = p_below;
    n_above = n_middle;
    n_middle = n_below;
  }
}

// Best spatial matches on the lines above and below every cleaned line:
// candidates k = -depth .. depth, left to right; keeps the matched sample.
template <class V>
inline void search_spatial(const uint8_t* s, int64_t stride, int lines, int line_step, int depth,
                           typename V::T (*best)[max_tile_lanes], typename V::T (*value)[max_tile_lanes],
                           int64_t side) {
  using vec = typename V::vec;
  const vec top = V::set1(V::max_value);
  for (int k = 0; k < lines; ++k) {
    const uint8_t* row = s + int64_t{k} * line_step * stride;
    const vec left = V::load(row - 1);
    const vec right = V::load(row + 1);
    const uint8_t* other = row + side;
    vec lowest = top;
    vec matched = V::set1(0);
    for (int d = -depth; d <= depth; ++d) {
      const uint8_t* q = other + d;
      const vec measure = V::adds(V::absdiff(left, V::load(q - 1)), V::absdiff(right, V::load(q + 1)));
      const vec next_lowest = V::min(lowest, measure);
      matched = V::select(V::eq(next_lowest, lowest), matched, V::load(q));
      lowest = next_lowest;
    }
    V::store_t(best[k], lowest);
    V::store_t(value[k], matched);
  }
}

// Temporal searches of a tile over its window (none when job.radius < 0),
// then its spatial searches (none when job.spat_depth < 0).
template <class V>
void search_tile(const TileJob& job, TileMatches<typename V::T>& out) {
  using vec = typename V::vec;
  using Code = DisplacementCode<typename V::T>;
  const int r = job.radius;
  if (r >= 0) {
    // A lane no candidate improves on keeps displacement 0, which stays
    // inside the frame for the look-up that follows.
    const vec top = V::set1(V::max_value);
    const vec still = V::set1(Code::of(0, 0));
    const vec zero = V::set1(0);
    for (int k = 0; k < job.lines; ++k) {
      V::store_t(out.prev_measure[k], top);
      V::store_t(out.prev_value[k], zero);
      V::store_t(out.next_measure[k], top);
      V::store_t(out.next_index[k], still);
      V::store_t(out.next_value[k], zero);
    }
  }
  const vec lane_radius = V::load(job.lane_radius);
  for (int dy = -r; dy <= r; ++dy) {
    for (int dx = -r; dx <= r; ++dx) {
      const int reach = (dy < 0 ? -dy : dy) > (dx < 0 ? -dx : dx) ? (dy < 0 ? -dy : dy) : (dx < 0 ? -dx : dx);
      const auto outside = outside_lanes<V>(V::set1(reach), lane_radius);
      const vec ord = V::set1(Code::of(dy, dx));
      const int64_t shift = dy * job.stride + dx * job.side;
      if (job.line_step == 1) {
        search_displacement<V, 1>(job.src, job.prev + shift, job.next + shift, job.stride, job.side, job.lines,
                                  outside, ord, out);
      } else {
        search_displacement<V, 2>(job.src, job.prev + shift, job.next + shift, job.stride, job.side, job.lines,
                                  outside, ord, out);
      }
    }
  }
  if (job.spat_depth >= 0) {
    search_spatial<V>(job.src, job.stride, job.lines, job.line_step, job.spat_depth, out.above_measure,
                      out.above_value, -job.stride);
    search_spatial<V>(job.src, job.stride, job.lines, job.line_step, job.spat_depth, out.below_measure,
                      out.below_value, job.stride);
  }
}

// Full-window search about one sample, lanes over dx, lines over dy; the
// first minimum in visiting order (dy, then dx) wins.
template <class V>
PresearchMatch presearch_frame(const uint8_t* s, const uint8_t* f, int64_t stride, int r) {
  using T = typename V::T;
  using vec = typename V::vec;
  const int64_t offsets[8] = {-stride - 1, -stride, -stride + 1, -1, 1, stride - 1, stride, stride + 1};
  vec centre_values[8];
  for (int o = 0; o < 8; ++o) centre_values[o] = V::set1(s[offsets[o]]);
  PresearchMatch best{1 << 30, 0, 0};
  T measures[max_tile_lanes];
  T lines[max_tile_lanes];
  for (int dx0 = -r; dx0 <= r; dx0 += V::lanes) {
    vec lowest = V::set1(V::max_value);
    vec line = V::set1(0);
    for (int dy = -r; dy <= r; ++dy) {
      const uint8_t* base = f + dy * stride + dx0;
      vec measure = V::absdiff(centre_values[0], V::load(base + offsets[0]));
      for (int o = 1; o < 8; ++o) measure = V::adds(measure, V::absdiff(centre_values[o], V::load(base + offsets[o])));
      const vec next_lowest = V::min(lowest, measure);
      line = V::select(V::eq(next_lowest, lowest), line, V::set1(dy + r));
      lowest = next_lowest;
    }
    V::store_t(measures, lowest);
    V::store_t(lines, line);
    for (int i = 0; i < V::lanes && dx0 + i <= r; ++i) {
      const int m = measures[i];
      const int dy = lines[i] - r;
      if (m < best.measure || (m == best.measure && dy < best.dy)) best = {m, dy, dx0 + i};
    }
  }
  return best;
}

// Full-window searches about samples 16 apart on one line, as many at once
// as groups of 16 lanes fit in V: group g holds the candidates dx = -r .. r
// of sample g, so that one load serves every group. Windows wider than 16
// samples go one sample at a time.
template <class V>
void presearch_frame_groups(const uint8_t* s, const uint8_t* f, int64_t stride, int r, int samples,
                            PresearchMatches* found, PresearchMatch PresearchMatches::*frame) {
  using T = typename V::T;
  using vec = typename V::vec;
  constexpr int group = 16;
  constexpr int groups = V::lanes / group;
  static_assert(groups * group == V::lanes);
  const int64_t offsets[8] = {-stride - 1, -stride, -stride + 1, -1, 1, stride - 1, stride, stride + 1};
  for (int b0 = 0; b0 < samples; b0 += groups) {
    const int n = samples - b0 < groups ? samples - b0 : groups;
    uint8_t centre_bytes[8][V::lanes];
    vec centre_values[8];
    for (int o = 0; o < 8; ++o) {
      for (int g = 0; g < groups; ++g) {
        std::memset(centre_bytes[o] + g * group, g < n ? s[(b0 + g) * group + offsets[o]] : 0, group);
      }
      centre_values[o] = V::load(centre_bytes[o]);
    }
    vec lowest = V::set1(V::max_value);
    vec line = V::set1(0);
    const uint8_t* base = f + b0 * group - r;
    for (int dy = -r; dy <= r; ++dy) {
      const uint8_t* at = base + dy * stride;
      vec measure = V::absdiff(centre_values[0], V::load(at + offsets[0]));
      for (int o = 1; o < 8; ++o) measure = V::adds(measure, V::absdiff(centre_values[o], V::load(at + offsets[o])));
      const vec next_lowest = V::min(lowest, measure);
      line = V::select(V::eq(next_lowest, lowest), line, V::set1(dy + r));
      lowest = next_lowest;
    }
    T measures[V::lanes];
    T lines[V::lanes];
    V::store_t(measures, lowest);
    V::store_t(lines, line);
    for (int g = 0; g < n; ++g) {
      // The first minimum in visiting order is the least (measure, line,
      // sample) key; taken without branches, which would not predict.
      uint64_t least = UINT64_MAX;
      for (int i = 0; i <= 2 * r; ++i) {
        const uint64_t key = uint64_t{measures[g * group + i]} << 16 | uint64_t{lines[g * group + i]} << 8 |
                             static_cast<uint64_t>(i);
        least = key < least ? key : least;
      }
      found[b0 + g].*frame = {static_cast<int32_t>(least >> 16), static_cast<int32_t>((least >> 8) & 0xFF) - r,
                              static_cast<int32_t>(least & 0xFF) - r};
    }
  }
}

template <class V>
void presearch(const PresearchJob& job, PresearchMatches* found) {
  if (2 * job.radius + 1 <= 16) {
    presearch_frame_groups<V>(job.src, job.prev, job.stride, job.radius, job.blocks, found, &PresearchMatches::prev);
    presearch_frame_groups<V>(job.src, job.next, job.stride, job.radius, job.blocks, found, &PresearchMatches::next);
    return;
  }
  for (int b = 0; b < job.blocks; ++b) {
    found[b] = {presearch_frame<V>(job.src + 16 * b, job.prev + 16 * b, job.stride, job.radius),
                presearch_frame<V>(job.src + 16 * b, job.next + 16 * b, job.stride, job.radius)};
  }
}

// Lanes of V twice over: the 16-bit searches keep the tile width of the
// 8-bit ones.
template <class H>
struct LanePair {
  using T = typename H::T;
  struct vec {
    typename H::vec lo, hi;
  };
  struct mask {
    typename H::mask lo, hi;
  };
  static constexpr int lanes = 2 * H::lanes;
  static constexpr T max_value = H::max_value;
  static vec load(const uint8_t* p) { return {H::load(p), H::load(p + H::lanes)}; }
  static vec load_t(const T* p) { return {H::load_t(p), H::load_t(p + H::lanes)}; }
  static void store_t(T* p, vec v) {
    H::store_t(p, v.lo);
    H::store_t(p + H::lanes, v.hi);
  }
  static vec set1(int v) { return {H::set1(v), H::set1(v)}; }
  static vec absdiff(vec a, vec b) { return {H::absdiff(a.lo, b.lo), H::absdiff(a.hi, b.hi)}; }
  static vec adds(vec a, vec b) { return {H::adds(a.lo, b.lo), H::adds(a.hi, b.hi)}; }
  static vec min(vec a, vec b) { return {H::min(a.lo, b.lo), H::min(a.hi, b.hi)}; }
  static mask eq(vec a, vec b) { return {H::eq(a.lo, b.lo), H::eq(a.hi, b.hi)}; }
  static mask gt(vec a, vec b) { return {H::gt(a.lo, b.lo), H::gt(a.hi, b.hi)}; }
  static vec select(mask m, vec a, vec b) { return {H::select(m.lo, a.lo, b.lo), H::select(m.hi, a.hi, b.hi)}; }
  static vec bor(vec a, vec b) { return {H::bor(a.lo, b.lo), H::bor(a.hi, b.hi)}; }
  static mask below(vec a, vec b) { return {H::below(a.lo, b.lo), H::below(a.hi, b.hi)}; }
  static mask mand(mask a, mask b) { return {H::mand(a.lo, b.lo), H::mand(a.hi, b.hi)}; }
  static mask mor(mask a, mask b) { return {H::mor(a.lo, b.lo), H::mor(a.hi, b.hi)}; }
  static mask mandn(mask a, mask b) { return {H::mandn(a.lo, b.lo), H::mandn(a.hi, b.hi)}; }
  static vec avg_down(vec a, vec b) { return {H::avg_down(a.lo, b.lo), H::avg_down(a.hi, b.hi)}; }
  static vec middle(vec left, vec right)
    requires requires { H::middle(left.lo, right.lo); }
  {
    return {H::middle(left.lo, right.lo), H::middle(left.hi, right.hi)};
  }
  static vec halve(vec a) { return {H::halve(a.lo), H::halve(a.hi)}; }
  static auto inside(vec reach, vec lane_radius)
    requires requires { H::inside(reach.lo, lane_radius.lo); }
  {
    struct Pair {
      decltype(H::inside(reach.lo, lane_radius.lo)) lo, hi;
    };
    return Pair{H::inside(reach.lo, lane_radius.lo), H::inside(reach.hi, lane_radius.hi)};
  }
  template <class Pair>
  static void keep_lower(T* best, T* index, T* value, vec measure, Pair inside, vec order, vec centre)
    requires requires { H::keep_lower(best, index, value, measure.lo, inside.lo, order.lo, centre.lo); }
  {
    H::keep_lower(best, index, value, measure.lo, inside.lo, order.lo, centre.lo);
    H::keep_lower(best + H::lanes, index == nullptr ? nullptr : index + H::lanes, value + H::lanes, measure.hi,
                  inside.hi, order.hi, centre.hi);
  }
};

// Even bytes of a frame, plainly; instruction sets may do better.
template <class Unused>
void extract_luma_plain(const uint8_t* frame, int64_t bytes, uint8_t* plane) {
  for (int64_t i = 0; i < bytes / 2; ++i) plane[i] = frame[2 * i];
}

}  // namespace brisen::fast

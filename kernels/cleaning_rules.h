// The decision every kernel takes for one luma sample: keep it, or replace it
// by the mean of two matches, first from the lines above and below (spatial),
// else from the previous and the next frame (temporal). Written sample by
// sample on purpose: this is the definition faster forms are checked against.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "kernels/filter_state.h"

namespace brisen {

// Starting best measure of every search. No measure reaches it (spatial at
// most 2 * 255, temporal at most 8 * 255), so the first candidate always wins.
inline constexpr int32_t no_match = 2295;

// The registration accepts motion_depth 0 to 10; every bound on what the
// searches read rests on that. Kernels output a copy of src for any other value.
inline constexpr int32_t max_motion_depth = 10;
inline bool motion_depth_in_range(int32_t motion_depth) {
  return motion_depth >= 0 && motion_depth <= max_motion_depth;
}

enum class TemporalMean {
  halved_sum,     // (a + b) / 2 rounded down
  summed_halves,  // a / 2 + b / 2, each rounded down: one less when both are odd
};

// What one cleaning pass needs to decide its samples. Positions are byte
// offsets counted with `pitch` in src, prev and next alike.
struct CleaningPass {
  const uint8_t* src;
  const uint8_t* prev;
  const uint8_t* next;
  int64_t pitch;
  int64_t frame_end;  // pitch * height: positions from here on are outside the frames
  int32_t temp_precision;
  int32_t spat_precision;
  int32_t spat_depth;
  int32_t threshold;
  const int32_t* map_read;
  int32_t* map_write;
  int64_t map_entries;
  TemporalMean temporal_mean;
};

// Call after the maps have been swapped: it takes the current map roles.
inline CleaningPass make_cleaning_pass(const FilterState& state, const FrameSet& frames, TemporalMean mean) {
  return CleaningPass{frames.src,
                      frames.prev,
                      frames.next,
                      frames.src_pitch,
                      int64_t{frames.src_pitch} * frames.height,
                      state.temp_precision,
                      state.spat_precision,
                      state.spat_depth,
                      state.threshold,
                      state.map_read,
                      state.map_write,
                      state.map_entries(),
                      mean};
}

struct Match {
  int64_t position;  // matched sample (spatial) or neighbourhood top-left (temporal); -1 for none
  int32_t measure;
};

// Spatial measure of candidate c2 for the sample at c: only the two horizontal
// neighbours are compared, never the samples themselves.
inline int32_t spatial_measure(const uint8_t* src, int64_t c, int64_t c2) {
  return std::abs(src[c - 2] - src[c2 - 2]) + std::abs(src[c + 2] - src[c2 + 2]);
}

// Temporal measure between the src neighbourhood with top-left t and the one of
// `frame` with top-left t2: eight samples, the centre left out.
inline int32_t temporal_measure(const uint8_t* src, const uint8_t* frame, int64_t pitch, int64_t t, int64_t t2) {
  const int64_t offsets[8] = {0, 2, 4, pitch, pitch + 4, 2 * pitch, 2 * pitch + 2, 2 * pitch + 4};
  int32_t sum = 0;
  for (const int64_t o : offsets) sum += std::abs(src[t + o] - frame[t2 + o]);
  return sum;
}

inline int64_t floor_half(int64_t v) { return v >= 0 ? v / 2 : -((1 - v) / 2); }
inline int64_t ceil_half(int64_t v) { return -floor_half(-v); }

// Best match for the sample at c on the line `line_step` away (-pitch above,
// +pitch below): candidates at k = -spat_depth .. +spat_depth samples, left to
// right, first strictly lowest measure wins. Candidates are plain offsets (a
// large spat_depth runs on into the neighbouring line); one whose samples
// c2 - 2, c2, c2 + 2 would lie outside the frames is no candidate. The loop
// bounds are exactly that range, so a huge spat_depth costs no more than the
// frame holds.
inline Match best_spatial_match(const CleaningPass& pass, int64_t c, int64_t line_step) {
  const int64_t straight = c + line_step;  // k = 0
  const int64_t k_first = std::max<int64_t>(-int64_t{pass.spat_depth}, ceil_half(2 - straight));
  const int64_t k_last = std::min<int64_t>(pass.spat_depth, floor_half(pass.frame_end - 3 - straight));
  Match best{-1, no_match};
  for (int64_t k = k_first; k <= k_last; ++k) {
    const int64_t candidate = straight + 2 * k;
    const int32_t measure = spatial_measure(pass.src, c, candidate);
    if (measure < best.measure) best = {candidate, measure};
  }
  return best;
}

struct WindowMatches {
  Match prev;
  Match next;
};

// Searches the window of `radius` about top-left t: displacements dy, dx from
// -radius to +radius (lines, samples), line by line from the top, left to
// right. prev and next keep separate bests; the first strictly lowest wins.
// prev is measured only when `search_prev` is set.
inline WindowMatches search_window(const CleaningPass& pass, int64_t t, int32_t radius, bool search_prev) {
  WindowMatches best{{-1, no_match}, {-1, no_match}};
  for (int32_t dy = -radius; dy <= radius; ++dy) {
    for (int32_t dx = -radius; dx <= radius; ++dx) {
      const int64_t candidate = t + dy * pass.pitch + 2 * dx;
      if (search_prev) {
        const int32_t measure = temporal_measure(pass.src, pass.prev, pass.pitch, t, candidate);
        if (measure < best.prev.measure) best.prev = {candidate, measure};
      }
      const int32_t measure = temporal_measure(pass.src, pass.next, pass.pitch, t, candidate);
      if (measure < best.next.measure) best.next = {candidate, measure};
    }
  }
  return best;
}

// The previous frame's match for top-left t, recorded by the previous pass.
// Top-left 0 or 1 has no entry (index 0 is the frame tag). An entry whose
// centre would lie outside the frames cannot come from a pass over frames of
// this geometry; it is taken for no entry rather than read.
inline bool read_match_entry(const CleaningPass& pass, int64_t t, Match& match) {
  const int64_t index = t >> 1;
  if (t < 0 || index < 1 || index >= pass.map_entries) return false;
  const int32_t entry = pass.map_read[index];
  if (entry == -1) return false;
  if (entry < 0 || entry + pass.pitch + 2 >= pass.frame_end) return false;
  match = {entry, 0};
  return true;
}

// Records that the src neighbourhood with top-left t matched the next
// frame's neighbourhood with top-left `matched`; a later record wins.
inline void record_match_entry(const CleaningPass& pass, int64_t matched, int64_t t) {
  const int64_t index = matched >> 1;
  if (matched < 0 || index < 1 || index >= pass.map_entries) return;
  pass.map_write[index] = static_cast<int32_t>(t);
}

inline bool strict_extreme(int32_t x, int32_t a, int32_t b) { return (x < a && x < b) || (x > a && x > b); }

inline int32_t temporal_mean(TemporalMean kind, int32_t a, int32_t b) {
  return kind == TemporalMean::halved_sum ? (a + b) / 2 : a / 2 + b / 2;
}

// Decides the luma sample at position c of src and writes it with its chroma
// byte to out[0] and out[1]; `radius` is the temporal search radius. Reads
// src, prev, next and map_read; may write one entry of map_write.
inline void clean_sample(const CleaningPass& pass, int64_t c, uint8_t* out, int32_t radius) {
  const int32_t x = pass.src[c];
  out[0] = pass.src[c];
  out[1] = pass.src[c + 1];

  const Match above = best_spatial_match(pass, c, -pass.pitch);
  const Match below = best_spatial_match(pass, c, pass.pitch);
  if (above.position >= 0 && below.position >= 0 && above.measure < pass.spat_precision &&
      below.measure < pass.spat_precision) {
    const int32_t a = pass.src[above.position];
    const int32_t b = pass.src[below.position];
    const int32_t mean = (a + b) / 2;
    if (strict_extreme(x, a, b) && std::abs(mean - x) <= pass.threshold) {
      out[0] = static_cast<uint8_t>(mean);
      return;  // spatially cleaned: no temporal search, no match entry
    }
  }

  const int64_t t = c - (pass.pitch + 2);
  Match prev_match{-1, no_match};
  const bool known = read_match_entry(pass, t, prev_match);
  const WindowMatches found = search_window(pass, t, radius, !known);
  if (!known) prev_match = found.prev;
  const Match next_match = found.next;

  if (next_match.measure < pass.temp_precision) record_match_entry(pass, next_match.position, t);

  if (prev_match.measure < pass.temp_precision && next_match.measure < pass.temp_precision) {
    const int32_t a = pass.prev[prev_match.position + pass.pitch + 2];
    const int32_t b = pass.next[next_match.position + pass.pitch + 2];
    const int32_t mean = temporal_mean(pass.temporal_mean, a, b);
    if (strict_extreme(x, a, b) && std::abs(mean - x) <= pass.threshold) out[0] = static_cast<uint8_t>(mean);
  }
}

}  // namespace brisen

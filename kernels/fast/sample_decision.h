// The per-sample decision of the cleaning rules, taken from the results of the
// tile searches instead of searching sample by sample. Include only from
// translation units built for the baseline instruction set.
#pragma once

#include <cstdint>

#include "kernels/cleaning_rules.h"
#include "kernels/fast/search_jobs.h"

namespace brisen::fast {

struct DecisionContext {
  CleaningPass pass;
  bool spatial;  // spatial rule possible at all: spat_precision > 0 and spat_depth >= 0
};

// A search index back to the displacement it stands for, in bytes.
inline int64_t displacement_of(int index, int radius, int64_t pitch) {
  const int side = 2 * radius + 1;
  return int64_t{index / side - radius} * pitch + 2 * (index % side - radius);
}

// Decides the sample at position c (line k, lane `lane` of the tile, searched
// with window `radius`) and writes its luma byte to *out when it changes.
// Returns the map index of the match entry to record, or -1.
template <typename T>
inline int64_t decide_sample(const DecisionContext& cx, const TileMatches<T>& m, int k, int lane, int radius,
                             int64_t c, uint8_t* out) {
  const CleaningPass& p = cx.pass;
  const int32_t x = p.src[c];
  if (cx.spatial && m.above_measure[k][lane] < p.spat_precision && m.below_measure[k][lane] < p.spat_precision) {
    const int32_t a = m.above_value[k][lane];
    const int32_t b = m.below_value[k][lane];
    const int32_t mean = (a + b) / 2;
    if (strict_extreme(x, a, b) && std::abs(mean - x) <= p.threshold) {
      *out = static_cast<uint8_t>(mean);
      return -1;
    }
  }
  const int32_t next_measure = m.next_measure[k][lane];
  if (next_measure >= p.temp_precision) return -1;  // no entry, and the temporal rule fails

  const int64_t t = c - (p.pitch + 2);
  const int64_t matched = t + displacement_of(m.next_index[k][lane], radius, p.pitch);
  const int64_t record = matched >= 0 && (matched >> 1) >= 1 && (matched >> 1) < p.map_entries ? matched >> 1 : -1;

  Match known{-1, no_match};
  int32_t a;
  if (read_match_entry(p, t, known)) {
    a = p.prev[known.position + p.pitch + 2];
  } else {
    if (m.prev_measure[k][lane] >= p.temp_precision) return record;
    a = p.prev[c + displacement_of(m.prev_index[k][lane], radius, p.pitch)];
  }
  const int32_t b = p.next[matched + p.pitch + 2];
  const int32_t mean = temporal_mean(p.temporal_mean, a, b);
  if (strict_extreme(x, a, b) && std::abs(mean - x) <= p.threshold) *out = static_cast<uint8_t>(mean);
  return record;
}

}  // namespace brisen::fast

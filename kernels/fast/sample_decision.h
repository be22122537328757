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
  const DisplacementTable* displacements;
};

// Offsets of the windows up to `max_radius` for frames of `pitch`.
inline void fill_displacements(DisplacementTable& table, int64_t pitch, int max_radius) {
  for (int r = 0; r <= max_radius && r <= DisplacementTable::max_radius; ++r) {
    int index = 0;
    for (int dy = -r; dy <= r; ++dy) {
      for (int dx = -r; dx <= r; ++dx) table.offsets[r][index++] = static_cast<int32_t>(dy * pitch + 2 * dx);
    }
  }
}

// Decides the sample at position c (line k, lane `lane` of the tile, searched
// with window `radius`) and writes its luma byte to *out when it changes.
// Returns the map index of the match entry to record, or -1. Past the first
// tests the outcome is data-dependent and unpredictable, so it is computed
// without branches.
template <typename T>
[[gnu::always_inline]] inline int64_t decide_sample(const DecisionContext& cx, const TileMatches<T>& m, int k, int lane, int radius,
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
  if (m.next_measure[k][lane] >= p.temp_precision) return -1;  // no entry, and the temporal rule fails

  const int32_t* offsets = cx.displacements->offsets[radius];
  const int64_t t = c - (p.pitch + 2);
  const int64_t matched = t + offsets[m.next_index[k][lane]];
  const bool recordable = (matched >= 0) & ((matched >> 1) >= 1) & ((matched >> 1) < p.map_entries);

  // The previous frame's match: a map entry (as read_match_entry takes it),
  // else the searched one.
  const int64_t index = t >> 1;
  const bool indexed = (t >= 0) & (index >= 1) & (index < p.map_entries);
  const int64_t entry = p.map_read[indexed ? index : 0];
  const bool known = indexed & (entry >= 0) & (entry + p.pitch + 2 < p.frame_end);
  const bool prev_good = known | (m.prev_measure[k][lane] < p.temp_precision);
  const int32_t a = p.prev[known ? entry + p.pitch + 2 : c + offsets[m.prev_index[k][lane]]];
  const int32_t b = p.next[matched + p.pitch + 2];
  const int32_t mean = temporal_mean(p.temporal_mean, a, b);
  const bool extreme = ((x < a) & (x < b)) | ((x > a) & (x > b));
  const bool replace = prev_good & extreme & (std::abs(mean - x) <= p.threshold);
  *out = static_cast<uint8_t>(replace ? mean : x);
  return recordable ? matched >> 1 : -1;
}

}  // namespace brisen::fast

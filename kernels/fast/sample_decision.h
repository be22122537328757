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

// The matched centres of line k of a tile, lanes 0 .. lanes - 1 from the
// sample at position c0, searched with window `radius`: prev from the previous
// frame's map entry when there is one (as read_match_entry takes it), else
// from the search; next from the search. Every lane is looked up, used or not:
// the searched displacements stay inside the frames. Values come from the luma
// planes; only a map entry not written by these kernels can point at chroma.
template <typename T>
[[gnu::always_inline]] inline void look_up_matches(const DecisionContext& cx, const uint8_t* prev_plane,
                                                   const uint8_t* next_plane, TileMatches<T>& m, int k, int lanes,
                                                   int radius, int64_t c0) {
  const CleaningPass& p = cx.pass;
  const int32_t* offsets = cx.displacements->offsets[radius];
  for (int l = 0; l < lanes; ++l) {
    const int64_t c = c0 + 2 * int64_t{l};
    const int64_t t = c - (p.pitch + 2);
    const int64_t index = t >> 1;
    const bool indexed = (t >= 0) & (index >= 1) & (index < p.map_entries);
    const int64_t entry = p.map_read[indexed ? index : 0];
    const bool known = indexed & (entry >= 0) & (entry + p.pitch + 2 < p.frame_end);
    // Selected by mask: which one is taken does not predict.
    const int64_t searched = c + offsets[m.prev_index[k][l]];
    const int64_t at = searched ^ ((searched ^ (entry + p.pitch + 2)) & -int64_t{known});
    m.known[k][l] = known;
    m.prev_value[k][l] = (at & 1) != 0 ? p.prev[at] : prev_plane[at >> 1];
    m.next_value[k][l] = next_plane[(c + offsets[m.next_index[k][l]]) >> 1];
  }
}

// Map index of the next match of the sample at c (line k, lane `lane`) when
// the decision records it and the rules can, else -1.
template <typename T>
[[gnu::always_inline]] inline int64_t recorded_entry(const DecisionContext& cx, const TileMatches<T>& m, int k,
                                                     int lane, int radius, int64_t c) {
  const CleaningPass& p = cx.pass;
  const int64_t matched = c - (p.pitch + 2) + cx.displacements->offsets[radius][m.next_index[k][lane]];
  const bool recordable = (matched >= 0) & ((matched >> 1) >= 1) & ((matched >> 1) < p.map_entries);
  return m.record[k][lane] != 0 && recordable ? matched >> 1 : -1;
}

inline DecisionJob decision_job(const DecisionContext& cx, const uint8_t* src, int64_t stride, int lines,
                                int line_step) {
  const CleaningPass& p = cx.pass;
  return DecisionJob{src,
                     stride,
                     lines,
                     line_step,
                     cx.spatial ? p.spat_precision : 0,
                     p.temp_precision,
                     p.threshold,
                     p.temporal_mean == TemporalMean::summed_halves};
}

}  // namespace brisen::fast

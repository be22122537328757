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

// Offsets of every displacement code for frames of `pitch`.
template <typename T>
void fill_codes(int32_t* offsets, int64_t pitch) {
  using Code = DisplacementCode<T>;
  for (int code = 0; code < Code::count; ++code) {
    offsets[code] = static_cast<int32_t>(Code::dy(code) * pitch + 2 * Code::dx(code));
  }
}

inline void fill_displacements(DisplacementTable& table, int64_t pitch) {
  fill_codes<uint8_t>(table.byte_codes, pitch);
  fill_codes<uint16_t>(table.word_codes, pitch);
}

template <typename T>
LookupJob lookup_job(const DecisionContext& cx, const uint8_t* prev_plane, const uint8_t* next_plane, int64_t first,
                     int64_t line_distance, int lines, int lanes) {
  const CleaningPass& p = cx.pass;
  return LookupJob{p.map_read,
                   p.map_entries,
                   p.pitch,
                   p.frame_end,
                   p.prev,
                   prev_plane,
                   next_plane,
                   cx.displacements->offsets<T>(),
                   DisplacementCode<T>::shift,
                   DisplacementCode<T>::bias,
                   first,
                   line_distance,
                   lines,
                   lanes,
                   p.map_write};
}

// The entry points of one lane type: 8-bit lanes, or 16-bit ones.
template <typename T>
void search_with(const SearchPrimitives& simd, const TileJob& job, TileMatches<T>& out) {
  if constexpr (sizeof(T) == 1) {
    simd.search_tile8(job, out);
  } else {
    simd.search_tile16(job, out);
  }
}

// A searched tile's matched centres looked up, then its samples decided.
template <typename T>
void look_up_and_decide(const SearchPrimitives& simd, const LookupJob& lookup, const DecisionJob& decision,
                        TileMatches<T>& m) {
  if constexpr (sizeof(T) == 1) {
    simd.look_up8(lookup, m);
    simd.decide_tile8(decision, m);
  } else {
    simd.look_up16(lookup, m);
    simd.decide_tile16(decision, m);
  }
}

inline DecisionJob decision_job(const DecisionContext& cx, const uint8_t* src, int64_t stride, int lines,
                                int line_step, const LumaOutput& out) {
  const CleaningPass& p = cx.pass;
  return DecisionJob{src,
                     stride,
                     lines,
                     line_step,
                     cx.spatial ? p.spat_precision : 0,
                     p.temp_precision,
                     p.threshold,
                     p.temporal_mean == TemporalMean::summed_halves,
                     out};
}

}  // namespace brisen::fast

#include "kernels/fast/plain_kernels.h"

#include <algorithm>
#include <cstring>

#include "kernels/cleaning_rules.h"
#include "kernels/fast/fast_path.h"
#include "kernels/fast/sample_decision.h"
#include "kernels/fast/search_primitives.h"
#include "kernels/field_selection.h"
#include "kernels/frame_copies.h"
#include "kernels/kernel_workspace.h"
#include "kernels/match_maps.h"
#include "kernels/plain_lines.h"
#include "kernels/reference_kernels.h"

namespace brisen::fast {
namespace {

struct PlainCall {
  const FrameSet& frames;
  const SearchPrimitives& simd;
  LumaPlanes& planes;
  PlainScratch& scratch;
  DecisionContext cx;
  PlainGeometry geometry;
  int32_t motion_depth;
  int32_t line_step;
};

// Up to 16 cleaned lines from line y0 on: searched tile by tile across the
// lines, decided, and then their match entries recorded line by line, left
// to right, as the rules visit the samples.
template <typename T>
void clean_strip(const PlainCall& call, TileMatches<T>& matches, int32_t y0, int32_t lines) {
  const FrameSet& f = call.frames;
  const int64_t p = f.src_pitch;
  const int64_t d = f.dst_pitch;
  const int32_t w = call.geometry.samples;
  const int32_t margin = call.geometry.margin;
  const int64_t records_stride = int64_t{call.scratch.samples_per_line} + 1;
  int32_t* const records = call.scratch.records.get();

  for (int k = 0; k < lines; ++k) {
    const int64_t y = y0 + int64_t{k} * call.line_step;
    std::memcpy(f.dst + y * d, f.src + y * p, static_cast<size_t>(f.row_size));
  }

  TileJob job{};
  job.stride = p / 2;
  job.side = 1;
  job.lines = lines;
  job.line_step = call.line_step;
  job.radius = call.motion_depth;
  std::fill(std::begin(job.lane_radius), std::end(job.lane_radius), static_cast<uint8_t>(call.motion_depth));
  job.spat_depth = call.cx.spatial ? call.cx.pass.spat_depth : -1;

  for (int32_t x0 = margin; x0 < w - margin; x0 += call.simd.lanes) {
    const int64_t first = y0 * p + 2 * int64_t{x0};
    job.src = call.planes.src() + first / 2;
    job.prev = call.planes.prev() + first / 2;
    job.next = call.planes.next() + first / 2;
    search_with(call.simd, job, matches);
    const int valid = std::min(call.simd.lanes, w - margin - x0);
    const LookupJob lookup = lookup_job<T>(call.cx, call.planes.prev(), call.planes.next(), first,
                                           int64_t{call.line_step} * p, lines, valid);
    const LumaOutput out{f.src + first, call.line_step * p, f.dst + y0 * d + 2 * int64_t{x0}, call.line_step * d,
                         valid};
    const DecisionJob decision = decision_job(call.cx, job.src, job.stride, lines, call.line_step, out);
    look_up_and_decide(call.simd, lookup, decision, matches);
    if constexpr (sizeof(T) == 1) {
      call.simd.match_entries8(lookup, matches, records + x0, records_stride);
    } else {
      call.simd.match_entries16(lookup, matches, records + x0, records_stride);
    }
  }

  for (int k = 0; k < lines; ++k) {
    const int64_t line = (y0 + int64_t{k} * call.line_step) * p;
    const int64_t t0 = line + 2 * int64_t{margin} - (p + 2);
    call.simd.replay_entries(records + k * records_stride + margin, w - 2 * margin, t0, call.cx.pass.map_write);
  }
}

void clean_plain(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy, KernelWorkspace& workspace,
                 const SearchPrimitives& simd, bool field) {
  workspace.last_call = {};
  if (!fast_path_applies(state, frames, workspace)) {
    (field ? reference::clean_field_plain : reference::clean_frame_plain)(state, frames, block_copy);
    return;
  }
  workspace.last_call.fast = true;
  swap_and_reset_maps(state);
  const int32_t f = field ? select_field(state, frames) : 0;
  const PlainGeometry geometry = plain_geometry(state, frames);
  if (!geometry.fits) {
    copy_whole_frame(frames, block_copy);
    return;
  }
  const int32_t md = state.motion_depth;
  const int32_t h = frames.height;
  const int32_t step = field ? 2 : 1;
  const int32_t lines = field ? (h - 2 * md - 2) / 2 : h - 2 * md - 2;
  const int32_t first_line = md + 1 + f;
  const int32_t bottom = field ? md + 1 + 2 * lines : h - md - 1;

  copy_plain_stripe(frames, block_copy, 0, md + 1);
  if (lines > 0) {
    extract_planes(simd, frames, workspace.planes);
    const CleaningPass pass = make_cleaning_pass(state, frames, TemporalMean::summed_halves);
    fill_displacements(workspace.plain.displacements, frames.src_pitch);
    const DecisionContext cx{pass, state.spat_precision > 0 && state.spat_depth >= 0, &workspace.plain.displacements};
    const PlainCall call{frames, simd, workspace.planes, workspace.plain, cx, geometry, md, step};
    const bool bytes = byte_lanes_suffice(state);
    for (int32_t s = 0; s < lines; s += max_tile_lines) {
      const int32_t count = std::min(max_tile_lines, lines - s);
      if (bytes) {
        clean_strip(call, workspace.plain.matches8, first_line + s * step, count);
      } else {
        clean_strip(call, workspace.plain.matches16, first_line + s * step, count);
      }
    }
  }
  copy_plain_stripe(frames, block_copy, bottom, md + 1);

  if (!field) {
    copy_src_area(frames, 2 * geometry.samples, frames.row_size, md + 1, h - md - 1);
    return;
  }
  for (int32_t j = 0; j < lines; ++j) {
    const int32_t y = md + 1 + f + 2 * j;
    copy_src_area(frames, 2 * geometry.samples, frames.row_size, y, y + 1);
    copy_src_area(frames, 0, frames.row_size, y + 1 - 2 * f, y + 2 - 2 * f);
  }
  copy_src_area(frames, 0, frames.row_size, bottom + md + 1, h);
}

template <InstructionSet isa>
void frame_kernel(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy, KernelWorkspace& workspace) {
  clean_plain(state, frames, block_copy, workspace, search_primitives(isa), false);
}

template <InstructionSet isa>
void field_kernel(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy, KernelWorkspace& workspace) {
  clean_plain(state, frames, block_copy, workspace, search_primitives(isa), true);
}

}  // namespace

Kernel plain_frame_kernel(InstructionSet isa) {
  switch (isa) {
    case InstructionSet::sse2: return &frame_kernel<InstructionSet::sse2>;
    case InstructionSet::avx2: return &frame_kernel<InstructionSet::avx2>;
    case InstructionSet::avx512: return &frame_kernel<InstructionSet::avx512>;
    default: return &frame_kernel<InstructionSet::portable>;
  }
}

Kernel plain_field_kernel(InstructionSet isa) {
  switch (isa) {
    case InstructionSet::sse2: return &field_kernel<InstructionSet::sse2>;
    case InstructionSet::avx2: return &field_kernel<InstructionSet::avx2>;
    case InstructionSet::avx512: return &field_kernel<InstructionSet::avx512>;
    default: return &field_kernel<InstructionSet::portable>;
  }
}

}  // namespace brisen::fast

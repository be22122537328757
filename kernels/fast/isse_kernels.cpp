#include "kernels/fast/isse_kernels.h"

#include <algorithm>
#include <cstring>

#include "kernels/cleaning_rules.h"
#include "kernels/fast/fast_path.h"
#include "kernels/fast/sample_decision.h"
#include "kernels/fast/search_primitives.h"
#include "kernels/field_selection.h"
#include "kernels/frame_copies.h"
#include "kernels/isse_blocks.h"
#include "kernels/kernel_workspace.h"
#include "kernels/match_maps.h"
#include "kernels/reference_kernels.h"
#include "kernels/window_narrowing.h"

namespace brisen::fast {
namespace {

// Blocks side by side share one tile: as many as the vector lanes hold.
constexpr int block_samples = 16;

struct IsseCall {
  const FrameSet& frames;
  const SearchPrimitives& simd;
  LumaPlanes& planes;
  DecisionContext cx;
  int32_t motion_depth;
  int32_t field;      // 0, or 1 for the field one line lower
  int32_t lines;      // cleaned lines per block
  int32_t line_step;  // between them
  KernelCallReport& report;
};

// The block pre-search and window narrowing at the sample c0.
template <typename T>
int32_t block_radius(const IsseCall& call, int64_t c0) {
  const int64_t pitch = call.frames.src_pitch;
  const int64_t i = c0 / 2;
  const PresearchJob job{call.planes.src() + i, call.planes.prev() + i, call.planes.next() + i, pitch / 2,
                         call.motion_depth};
  const PresearchMatches found = sizeof(T) == 1 ? call.simd.presearch8(job) : call.simd.presearch16(job);
  const int32_t precision = call.cx.pass.temp_precision;
  if (found.prev.measure >= precision || found.next.measure >= precision) return call.motion_depth;
  return narrowed_radius(static_cast<int32_t>(found.prev.dy * pitch + 2 * found.prev.dx),
                         static_cast<int32_t>(found.next.dy * pitch + 2 * found.next.dx),
                         static_cast<int32_t>(pitch));
}

// The map entries the decisions of these blocks will read and write lie on
// 16 lines, each far from the last; fetching them while the tile is searched
// keeps the decisions from waiting on memory.
void prefetch_map_lines(const IsseCall& call, int64_t first, int32_t count) {
  const CleaningPass& pass = call.cx.pass;
  const int64_t p = call.frames.src_pitch;
  for (int k = 0; k < call.lines; ++k) {
    const int64_t index = (first + int64_t{k} * call.line_step * p - (p + 2)) >> 1;
    if (index < 0 || index + 16 * count > pass.map_entries) continue;
    for (int64_t i = 0; i < 16 * count; i += 16) {
      __builtin_prefetch(pass.map_read + index + i);
      __builtin_prefetch(pass.map_write + index + i, 1);
    }
  }
}

// Blocks j0 .. j0 + count - 1 of block row i: pre-searches, one tile search
// over the widest of their windows, then the samples decided and recorded
// block by block, line by line, left to right, as the rules visit them.
template <typename T>
void clean_blocks(const IsseCall& call, TileMatches<T>& matches, int32_t i, int32_t j0, int32_t count) {
  const FrameSet& f = call.frames;
  const int64_t p = f.src_pitch;
  const int64_t d = f.dst_pitch;
  const int64_t top = 16 * int64_t{i} + call.field;
  const int64_t first = top * p + 32 * int64_t{j0};

  int32_t radius[max_tile_lanes / block_samples];
  int32_t tile_radius = 0;
  for (int g = 0; g < count; ++g) {
    radius[g] = block_radius<T>(call, (top + 8) * p + 32 * int64_t{j0 + g} + 16);
    tile_radius = std::max(tile_radius, radius[g]);
  }
  for (int k = 0; k < call.lines; ++k) {
    const int64_t y = top + int64_t{k} * call.line_step;
    std::memcpy(f.dst + y * d + 32 * j0, f.src + y * p + 32 * j0, 32 * static_cast<size_t>(count));
  }
  prefetch_map_lines(call, first, count);

  // The searches stay inside the frame for windows up to motion_depth + 1
  // and spatial candidates that do not leave the frame buffer; else the rules
  // decide sample by sample.
  const CleaningPass& pass = call.cx.pass;
  const int64_t last = (top + int64_t{call.lines - 1} * call.line_step) * p + 32 * int64_t{j0 + count} - 2;
  const int64_t reach = p + 2 * int64_t{pass.spat_depth} + 2;
  const bool spatial_inside = !call.cx.spatial || (first - reach >= 0 && last + reach <= pass.frame_end - 1);
  const bool searchable = spatial_inside && tile_radius <= call.motion_depth + 1;

  if (searchable) {
    TileJob job{};
    const int64_t at = first / 2;
    job.src = call.planes.src() + at;
    job.prev = call.planes.prev() + at;
    job.next = call.planes.next() + at;
    job.stride = p / 2;
    job.lines = call.lines;
    job.line_step = call.line_step;
    job.radius = tile_radius;
    for (int l = 0; l < max_tile_lanes; ++l) {
      job.lane_radius[l] = static_cast<uint8_t>(l / block_samples < count ? radius[l / block_samples] : 0);
    }
    job.spat_depth = call.cx.spatial ? pass.spat_depth : -1;
    if constexpr (sizeof(T) == 1) {
      call.simd.search_tile8(job, matches);
    } else {
      call.simd.search_tile16(job, matches);
    }
  }

  if (!searchable) {
    for (int g = 0; g < count; ++g) {
      for (int k = 0; k < call.lines; ++k) {
        const int64_t y = top + int64_t{k} * call.line_step;
        for (int l = g * block_samples; l < (g + 1) * block_samples; ++l) {
          const int64_t c = first + int64_t{k} * call.line_step * p + 2 * l;
          clean_sample(pass, c, f.dst + y * d + 32 * int64_t{j0} + 2 * l, radius[g]);
          ++call.report.samples_by_rules;
        }
      }
    }
    return;
  }

  const int lanes = block_samples * count;
  const LookupJob lookup =
      lookup_job<T>(call.cx, call.planes.prev(), call.planes.next(), first, int64_t{call.line_step} * p, call.lines, lanes);
  const DecisionJob decision = decision_job(call.cx, call.planes.src() + first / 2, p / 2, call.lines, call.line_step);
  if constexpr (sizeof(T) == 1) {
    call.simd.look_up8(lookup, matches);
    call.simd.decide_tile8(decision, matches);
  } else {
    call.simd.look_up16(lookup, matches);
    call.simd.decide_tile16(decision, matches);
  }
  for (int k = 0; k < call.lines; ++k) {
    uint8_t* out = f.dst + (top + int64_t{k} * call.line_step) * d + 32 * int64_t{j0};
    for (int l = 0; l < lanes; ++l) out[2 * l] = static_cast<uint8_t>(matches.value[k][l]);
  }
  if constexpr (sizeof(T) == 1) {
    call.simd.record8(lookup, matches);
  } else {
    call.simd.record16(lookup, matches);
  }
}

void clean_isse(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy, KernelWorkspace& workspace,
                const SearchPrimitives& simd, bool field) {
  workspace.last_call = {};
  if (!fast_path_applies(state, frames, workspace)) {
    (field ? reference::clean_field_isse : reference::clean_frame_isse)(state, frames, block_copy);
    return;
  }
  workspace.last_call.fast = true;
  swap_and_reset_maps(state);
  const int32_t f = field ? select_field(state, frames) : 0;
  if (!isse_border_fits(frames)) {
    copy_whole_frame(frames, block_copy);
    return;
  }
  const IsseGrid grid = isse_grid(frames.row_size, frames.height);
  copy_isse_top_and_sides(frames, block_copy);
  if (grid.has_blocks()) {
    extract_planes(simd, frames, workspace.planes);
    const CleaningPass pass = make_cleaning_pass(state, frames, TemporalMean::halved_sum);
    fill_displacements(workspace.isse.displacements, frames.src_pitch);
    const IsseCall call{frames,
                        simd,
                        workspace.planes,
                        {pass, state.spat_precision > 0 && state.spat_depth >= 0, &workspace.isse.displacements},
                        state.motion_depth,
                        f,
                        field ? 8 : 16,
                        field ? 2 : 1,
                        workspace.last_call};
    const bool bytes = byte_lanes_suffice(state);
    const int32_t per_tile = simd.lanes / block_samples;
    for (int32_t i = 1; i <= grid.block_rows; ++i) {
      for (int32_t j = 1; j <= grid.block_cols; j += per_tile) {
        const int32_t count = std::min(per_tile, grid.block_cols - j + 1);
        if (bytes) {
          clean_blocks(call, workspace.isse.matches8, i, j, count);
        } else {
          clean_blocks(call, workspace.isse.matches16, i, j, count);
        }
      }
    }
  }
  copy_isse_bottom(frames, block_copy, grid);
  copy_isse_uncovered(frames, grid);
  if (field) {
    for (int32_t y = 16 + 1 - f; y < grid.bottom_line; y += 2) copy_src_area(frames, 32, grid.blocks_end_byte(), y, y + 1);
  }
}

template <InstructionSet isa>
void frame_kernel(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy, KernelWorkspace& workspace) {
  clean_isse(state, frames, block_copy, workspace, search_primitives(isa), false);
}

template <InstructionSet isa>
void field_kernel(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy, KernelWorkspace& workspace) {
  clean_isse(state, frames, block_copy, workspace, search_primitives(isa), true);
}

}  // namespace

Kernel isse_frame_kernel(InstructionSet isa) {
  switch (isa) {
    case InstructionSet::sse2: return &frame_kernel<InstructionSet::sse2>;
    case InstructionSet::avx2: return &frame_kernel<InstructionSet::avx2>;
    case InstructionSet::avx512: return &frame_kernel<InstructionSet::avx512>;
    default: return &frame_kernel<InstructionSet::portable>;
  }
}

Kernel isse_field_kernel(InstructionSet isa) {
  switch (isa) {
    case InstructionSet::sse2: return &field_kernel<InstructionSet::sse2>;
    case InstructionSet::avx2: return &field_kernel<InstructionSet::avx2>;
    case InstructionSet::avx512: return &field_kernel<InstructionSet::avx512>;
    default: return &field_kernel<InstructionSet::portable>;
  }
}

}  // namespace brisen::fast

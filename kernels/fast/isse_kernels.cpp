#include "kernels/fast/isse_kernels.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "kernels/cleaning_rules.h"
#include "kernels/fast/block_groups.h"
#include "kernels/fast/block_staging.h"
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

// The pre-searches of the blocks of a row and the window narrowing: the
// radius of every block, by j - 1.
template <typename T>
void block_radii(const IsseCall& call, IsseScratch& scratch, int64_t top, int32_t block_cols) {
  const int64_t pitch = call.frames.src_pitch;
  const int64_t i = ((top + 8) * pitch + 32 + 16) / 2;
  const PresearchJob job{call.planes.src() + i, call.planes.prev() + i, call.planes.next() + i, pitch / 2,
                         call.motion_depth, block_cols};
  PresearchMatches* found = scratch.presearched.get();
  if constexpr (sizeof(T) == 1) {
    call.simd.presearch8(job, found);
  } else {
    call.simd.presearch16(job, found);
  }
  const int32_t precision = call.cx.pass.temp_precision;
  scratch.radius.resize(static_cast<size_t>(block_cols));
  for (int32_t b = 0; b < block_cols; ++b) {
    const PresearchMatches& m = found[b];
    scratch.radius[static_cast<size_t>(b)] =
        m.prev.measure >= precision || m.next.measure >= precision
            ? call.motion_depth
            : narrowed_radius(static_cast<int32_t>(m.prev.dy * pitch + 2 * m.prev.dx),
                              static_cast<int32_t>(m.next.dy * pitch + 2 * m.next.dx), static_cast<int32_t>(pitch));
  }
}

// The map entries the decisions of these blocks will read and write lie on
// 16 lines, each far from the last; fetching them while the tile before is
// decided keeps the decisions from waiting on memory.
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

// Position of the first sample of block j (1-based) of the row whose first
// cleaned line is `top`.
int64_t block_first(const IsseCall& call, int64_t top, int32_t j) {
  return top * call.frames.src_pitch + 32 * int64_t{j};
}

// Whether the tile of blocks j0 .. j0 + count - 1 can be searched by lanes:
// the spatial candidates stay inside the frame buffer (they always do unless
// spat_depth is beyond any frame).
bool spatial_inside(const IsseCall& call, int64_t top, int32_t j0, int32_t count) {
  const CleaningPass& pass = call.cx.pass;
  const int64_t p = call.frames.src_pitch;
  const int64_t first = block_first(call, top, j0);
  const int64_t last = (top + int64_t{call.lines - 1} * call.line_step) * p + 32 * int64_t{j0 + count} - 2;
  const int64_t reach = p + 2 * int64_t{pass.spat_depth} + 2;
  return !call.cx.spatial || (first - reach >= 0 && last + reach <= pass.frame_end - 1);
}

// One block's temporal search results, from lane `from_lane` of `from` to
// lane `to_lane` of `to` (tile results, or those kept by block).
template <class From, class To>
void copy_temporal(const From& from, int from_lane, To& to, int to_lane, int lines) {
  for (int k = 0; k < lines; ++k) {
    std::copy_n(from.prev_measure[k] + from_lane, block_samples, to.prev_measure[k] + to_lane);
    std::copy_n(from.prev_value[k] + from_lane, block_samples, to.prev_value[k] + to_lane);
    std::copy_n(from.next_measure[k] + from_lane, block_samples, to.next_measure[k] + to_lane);
    std::copy_n(from.next_index[k] + from_lane, block_samples, to.next_index[k] + to_lane);
    std::copy_n(from.next_value[k] + from_lane, block_samples, to.next_value[k] + to_lane);
  }
}

// The temporal searches of one group of blocks of the row, kept by block.
template <typename T>
void search_group(const IsseCall& call, IsseScratch& scratch, int64_t top, const BlockGroup& group) {
  const int64_t stride = call.frames.src_pitch / 2;
  const int32_t* blocks = scratch.order.data() + group.first;
  TileJob job{};
  job.lines = call.lines;
  job.line_step = call.line_step;
  job.spat_depth = -1;
  job.radius = 0;
  for (int g = 0; g < group.count; ++g) {
    const int32_t r = scratch.radius[static_cast<size_t>(blocks[g])];
    job.radius = std::max(job.radius, r);
    std::fill_n(job.lane_radius + g * block_samples, block_samples, static_cast<uint8_t>(r));
  }
  if (group.neighbours) {
    const int64_t at = block_first(call, top, blocks[0] + 1) / 2;
    job.src = call.planes.src() + at;
    job.prev = call.planes.prev() + at;
    job.next = call.planes.next() + at;
    job.stride = stride;
    job.side = 1;
  } else {
    int64_t first[max_tile_lanes / block_samples];
    for (int g = 0; g < group.count; ++g) first[g] = 16 * int64_t{blocks[g] + 1};
    BlockStaging& staging = *scratch.staging;
    stage_blocks(staging, call.planes.src() + top * stride, call.planes.prev() + top * stride,
                 call.planes.next() + top * stride, stride, first, group.count, call.simd.lanes, job.radius,
                 (call.lines - 1) * call.line_step);
    job.src = staging.src + BlockStaging::origin(0);
    job.prev = staging.prev + BlockStaging::origin(job.radius);
    job.next = staging.next + BlockStaging::origin(job.radius);
    job.stride = BlockStaging::row;
    job.side = BlockStaging::side;
  }
  TileMatches<T>& found = scratch.lanes<T>().searched;
  search_with(call.simd, job, found);
  for (int g = 0; g < group.count; ++g) {
    copy_temporal(found, g * block_samples, scratch.lanes<T>().temporal[blocks[g]], 0, call.lines);
  }
}

// Blocks j0 .. j0 + count - 1 of the row, whose temporal searches are done:
// spatial searches, then the samples decided and recorded block by block,
// line by line, left to right, as the rules visit them.
template <typename T>
void decide_blocks(const IsseCall& call, IsseScratch& scratch, int64_t top, int32_t j0, int32_t count) {
  const FrameSet& f = call.frames;
  const CleaningPass& pass = call.cx.pass;
  const int64_t p = f.src_pitch;
  const int64_t d = f.dst_pitch;
  const int64_t first = block_first(call, top, j0);
  if (scratch.radius[static_cast<size_t>(j0 - 1)] < 0) {
    for (int k = 0; k < call.lines; ++k) {
      const int64_t y = top + int64_t{k} * call.line_step;
      std::memcpy(f.dst + y * d + 32 * j0, f.src + y * p + 32 * j0, 32 * static_cast<size_t>(count));
    }
    for (int g = 0; g < count; ++g) {
      const int32_t r = -1 - scratch.radius[static_cast<size_t>(j0 - 1 + g)];
      for (int k = 0; k < call.lines; ++k) {
        const int64_t y = top + int64_t{k} * call.line_step;
        for (int l = g * block_samples; l < (g + 1) * block_samples; ++l) {
          const int64_t c = first + int64_t{k} * call.line_step * p + 2 * l;
          clean_sample(pass, c, f.dst + y * d + 32 * int64_t{j0} + 2 * l, r);
          ++call.report.samples_by_rules;
        }
      }
    }
    return;
  }

  TileMatches<T>& matches = scratch.lanes<T>().matches;
  for (int g = 0; g < count; ++g) {
    copy_temporal(scratch.lanes<T>().temporal[j0 - 1 + g], 0, matches, g * block_samples, call.lines);
  }
  if (call.cx.spatial) {
    TileJob job{};
    job.src = call.planes.src() + first / 2;
    job.stride = p / 2;
    job.side = 1;
    job.lines = call.lines;
    job.line_step = call.line_step;
    job.radius = -1;
    job.spat_depth = pass.spat_depth;
    search_with(call.simd, job, matches);
  }

  const int lanes = block_samples * count;
  const LookupJob lookup = lookup_job<T>(call.cx, call.planes.prev(), call.planes.next(), first,
                                         int64_t{call.line_step} * p, call.lines, lanes);
  const LumaOutput out{f.src + first, call.line_step * p, f.dst + top * d + 32 * int64_t{j0}, call.line_step * d,
                       lanes};
  const DecisionJob decision =
      decision_job(call.cx, call.planes.src() + first / 2, p / 2, call.lines, call.line_step, out);
  look_up_and_decide(call.simd, lookup, decision, matches);
  if constexpr (sizeof(T) == 1) {
    call.simd.record8(lookup, matches);
  } else {
    call.simd.record16(lookup, matches);
  }
}

// Block row i: every block's pre-search, the temporal searches of the blocks
// grouped by radius, then tile by tile (as many blocks as the lanes hold) the
// decisions in the rules' visiting order. Tiles that cannot be searched by
// lanes are decided sample by sample by the rules.
template <typename T>
void clean_block_row(const IsseCall& call, IsseScratch& scratch, int32_t i, int32_t block_cols) {
  const int64_t top = 16 * int64_t{i} + call.field;
  const int32_t per_tile = call.simd.lanes / block_samples;
  block_radii<T>(call, scratch, top, block_cols);
  std::vector<int32_t>& radius = scratch.radius;  // by block, j - 1
  // The searches stay inside the frame for windows up to motion_depth + 1;
  // blocks of tiles left to the rules carry -1 - radius.
  for (int32_t j = 1; j <= block_cols; j += per_tile) {
    const auto at = radius.begin() + (j - 1);
    const auto end = at + std::min(per_tile, block_cols - j + 1);
    const bool windows_inside = std::all_of(at, end, [&](int32_t r) { return r <= call.motion_depth + 1; });
    if (windows_inside && spatial_inside(call, top, j, static_cast<int32_t>(end - at))) continue;
    std::transform(at, end, at, [](int32_t r) { return -1 - r; });
  }
  group_blocks(scratch.radius.data(), block_cols, per_tile, scratch.order, scratch.groups);
  for (const BlockGroup& group : scratch.groups) search_group<T>(call, scratch, top, group);
  prefetch_map_lines(call, block_first(call, top, 1), std::min(per_tile, block_cols));
  for (int32_t j = 1; j <= block_cols; j += per_tile) {
    const int32_t next = j + per_tile;
    if (next <= block_cols) {
      prefetch_map_lines(call, block_first(call, top, next), std::min(per_tile, block_cols - next + 1));
    }
    decide_blocks<T>(call, scratch, top, j, std::min(per_tile, block_cols - j + 1));
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
    for (int32_t i = 1; i <= grid.block_rows; ++i) {
      if (bytes) {
        clean_block_row<uint8_t>(call, workspace.isse, i, grid.block_cols);
      } else {
        clean_block_row<uint16_t>(call, workspace.isse, i, grid.block_cols);
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

// What the vector searches of one tile take and give. A tile is a run of
// `lanes` neighbouring luma samples on each of up to 16 lines; the searches work
// on luma planes (one byte per sample, sample c of a frame at index c / 2), so
// that every plain position offset of the rules carries over as offset / 2.
#pragma once

#include <cstdint>

namespace brisen::fast {

inline constexpr int max_tile_lanes = 64;
inline constexpr int max_tile_lines = 16;

// Search results of a tile, [line][lane]. Lane type T is uint8_t when every
// precision is at most 255 and every window has at most 255 displacements
// (measures then saturate at 255, which changes no comparison with a
// precision), otherwise uint16_t. Indices are displacement codes (see
// DisplacementCode): the same displacement has the same index in every window.
template <typename T>
struct TileMatches {
  T prev_measure[max_tile_lines][max_tile_lanes];
  T next_measure[max_tile_lines][max_tile_lanes];
  T next_index[max_tile_lines][max_tile_lanes];
  T above_measure[max_tile_lines][max_tile_lanes];
  T above_value[max_tile_lines][max_tile_lanes];
  T below_measure[max_tile_lines][max_tile_lanes];
  T below_value[max_tile_lines][max_tile_lanes];
  // The matched centres: the searches', then where the previous frame's map
  // gives the prev match (known), its centre.
  T prev_value[max_tile_lines][max_tile_lanes];
  T next_value[max_tile_lines][max_tile_lanes];
  T known[max_tile_lines][max_tile_lanes];  // nonzero or 0
  // The decision: luma of every sample, and whether its next match is to be
  // recorded (nonzero or 0).
  T value[max_tile_lines][max_tile_lanes];
  T record[max_tile_lines][max_tile_lanes];
};

struct TileJob {
  const uint8_t* src;  // planes at the tile's first sample
  const uint8_t* prev;
  const uint8_t* next;
  int64_t stride;  // plane samples per frame line
  // From a sample to its right-hand neighbour in the temporal searches: 1 in
  // a plane; blocks gathered from apart keep one copy of their lines per
  // horizontal shift (see BlockStaging), `side` apart.
  int64_t side;
  int32_t lines;
  int32_t line_step;  // 1, or 2 for a field
  int32_t radius;     // window of the tile; < 0: no temporal search
  // Lanes search only displacements within their own radius (blocks with a
  // narrower window sharing a tile).
  uint8_t lane_radius[max_tile_lanes];
  int32_t spat_depth;  // < 0: no spatial search (which needs side 1)
};

// Where a tile's decided luma goes: `lanes` samples of each cleaned line,
// each beside the chroma byte that follows it in src.
struct LumaOutput {
  const uint8_t* src;  // src frame at the tile's first sample
  int64_t src_line;    // bytes from one cleaned line to the next
  uint8_t* dst;
  int64_t dst_line;
  int32_t lanes;
};

struct DecisionJob {
  const uint8_t* src;  // src plane at the tile's first sample
  int64_t stride;
  int32_t lines;
  int32_t line_step;
  int32_t spat_precision;  // 0 when the spatial rule cannot apply (and was not searched)
  int32_t temp_precision;
  int32_t threshold;
  bool summed_halves;  // temporal mean a / 2 + b / 2, else (a + b) / 2
  LumaOutput out;
};

// The matched centres of a tile's samples (see look_up_matches).
struct LookupJob {
  const int32_t* map_read;
  int64_t map_entries;
  int64_t pitch;
  int64_t frame_end;
  const uint8_t* prev_frame;
  const uint8_t* prev_plane;  // luma planes at index 0
  const uint8_t* next_plane;
  const int32_t* offsets;  // byte offsets of the displacements, by code
  int32_t code_shift;      // DisplacementCode<T> of the tile's lanes
  int32_t code_bias;
  int64_t first;           // position of lane 0 on the first line
  int64_t line_distance;   // positions from one tile line to the next
  int32_t lines;
  int32_t lanes;
  int32_t* map_write;  // where record_matches writes
};

// A displacement of dy lines and dx samples as a search index of lane type T:
// (dy + bias) << shift | (dx + bias). Byte lanes hold windows up to radius 7
// (they serve motion_depth up to 6), 16-bit lanes up to radius 15.
template <typename T>
struct DisplacementCode {
  static constexpr int shift = sizeof(T) == 1 ? 4 : 5;
  static constexpr int bias = (1 << (shift - 1)) - 1;
  static constexpr int count = 1 << (2 * shift);
  static constexpr int of(int dy, int dx) { return ((dy + bias) << shift) + dx + bias; }
  static constexpr int dy(int code) { return (code >> shift) - bias; }
  static constexpr int dx(int code) { return (code & ((1 << shift) - 1)) - bias; }
};

// Byte offsets dy * pitch + 2 * dx of every displacement code, for each lane type.
struct DisplacementTable {
  static constexpr int max_radius = 11;
  int32_t byte_codes[DisplacementCode<uint8_t>::count];
  int32_t word_codes[DisplacementCode<uint16_t>::count];
  template <typename T>
  const int32_t* offsets() const {
    if constexpr (sizeof(T) == 1) {
      return byte_codes;
    } else {
      return word_codes;
    }
  }
};

// Best match of one frame in a full window about one sample.
struct PresearchMatch {
  int32_t measure;
  int32_t dy;
  int32_t dx;
};

// Pre-searches of `blocks` samples on one line, 16 samples apart.
struct PresearchJob {
  const uint8_t* src;  // planes at the first sample
  const uint8_t* prev;
  const uint8_t* next;
  int64_t stride;
  int32_t radius;
  int32_t blocks;
};

struct PresearchMatches {
  PresearchMatch prev;
  PresearchMatch next;
};

// The vector parts of the fast kernels, one set per instruction set.
struct SearchPrimitives {
  int lanes;  // tile width
  // Luma bytes (even bytes) of `bytes` bytes of a frame into a plane.
  void (*extract_luma)(const uint8_t* frame, int64_t bytes, uint8_t* plane);
  void (*search_tile8)(const TileJob& job, TileMatches<uint8_t>& out);
  void (*search_tile16)(const TileJob& job, TileMatches<uint16_t>& out);
  void (*presearch8)(const PresearchJob& job, PresearchMatches* found);  // one per block
  void (*presearch16)(const PresearchJob& job, PresearchMatches* found);
  void (*look_up8)(const LookupJob& job, TileMatches<uint8_t>& m);
  void (*look_up16)(const LookupJob& job, TileMatches<uint16_t>& m);
  void (*record8)(const LookupJob& job, const TileMatches<uint8_t>& m);
  void (*record16)(const LookupJob& job, const TileMatches<uint16_t>& m);
  // Map index of each decided sample's next match, or -1 where nothing is
  // recorded: rows of `entries` for the tile's lines, `stride` apart.
  void (*match_entries8)(const LookupJob& job, const TileMatches<uint8_t>& m, int32_t* entries, int64_t stride);
  void (*match_entries16)(const LookupJob& job, const TileMatches<uint16_t>& m, int32_t* entries, int64_t stride);
  // Records `count` samples of one line, in order: sample k with top-left
  // t0 + 2k at its entry, unless that is -1.
  void (*replay_entries)(const int32_t* entries, int32_t count, int64_t t0, int32_t* map_write);
  void (*decide_tile8)(const DecisionJob& job, TileMatches<uint8_t>& m);
  void (*decide_tile16)(const DecisionJob& job, TileMatches<uint16_t>& m);
};

}  // namespace brisen::fast

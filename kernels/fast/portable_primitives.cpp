#include "kernels/fast/portable_lanes.h"
#include "kernels/fast/search_primitives.h"
#include "kernels/fast/tile_decision.h"
#include "kernels/fast/tile_search.h"

namespace brisen::fast {
namespace {

using Lanes8 = PortableLanes<uint8_t, 16>;
using Lanes16 = LanePair<PortableLanes<uint16_t, 8>>;  // 16 lanes as two of 16 bytes

}  // namespace

const SearchPrimitives portable_primitives{16,
                                           &extract_luma_plain<Lanes8>,
                                           &search_tile<Lanes8>,
                                           &search_tile<Lanes16>,
                                           &presearch<Lanes8>,
                                           &presearch<Lanes16>,
                                           &look_up_matches<uint8_t>,
                                           &look_up_matches<uint16_t>,
                                           &record_matches<uint8_t>,
                                           &record_matches<uint16_t>,
                                           &match_entries<uint8_t>,
                                           &match_entries<uint16_t>,
                                           &replay_entries,
                                           &decide_tile<Lanes8>,
                                           &decide_tile<Lanes16>};

}  // namespace brisen::fast

// Which blocks of a block row share a tile search. A tile searches every lane
// over the widest window among its blocks, so blocks are put together by
// radius: full tiles of neighbours with one radius search in place, the
// others are sorted by radius and gathered (see block_staging.h) unless they
// happen to be neighbours.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace brisen::fast {

struct BlockGroup {
  int32_t first;  // index of its first block in `blocks` order
  int32_t count;
  bool neighbours;  // blocks b, b + 1, ...: searched in the planes
};

// radius[b] of every block of the row, or < 0 for a block decided without
// a tile search. Fills `order` with block indices (capacity for all blocks
// reserved: nothing is allocated) and `groups` with runs of at most `size`
// consecutive entries of it.
inline void group_blocks(const int32_t* radius, int32_t blocks, int32_t size, std::vector<int32_t>& order,
                         std::vector<BlockGroup>& groups) {
  order.clear();
  groups.clear();
  for (int32_t b = 0; b < blocks;) {
    int32_t run = 0;
    while (run < size && b + run < blocks && radius[b + run] >= 0 && radius[b + run] == radius[b]) ++run;
    if (run == size) {
      groups.push_back({static_cast<int32_t>(order.size()), run, true});
      for (int32_t k = 0; k < run; ++k) order.push_back(b + k);
      b += run;
    } else {
      ++b;
    }
  }
  const auto runs_end = static_cast<int32_t>(order.size());
  for (int32_t b = 0, q = 0; b < blocks; ++b) {
    if (q < runs_end && order[static_cast<size_t>(q)] == b) {
      ++q;
    } else if (radius[b] >= 0) {
      order.push_back(b);
    }
  }
  std::sort(order.begin() + runs_end, order.end(),
            [&](int32_t x, int32_t y) { return radius[x] != radius[y] ? radius[x] < radius[y] : x < y; });
  const auto total = static_cast<int32_t>(order.size());
  for (int32_t k = runs_end; k < total; k += size) {
    const int32_t count = std::min(total - k, size);
    bool neighbours = true;
    for (int32_t g = 1; g < count; ++g) {
      neighbours = neighbours && order[static_cast<size_t>(k + g)] == order[static_cast<size_t>(k)] + g;
    }
    groups.push_back({k, count, neighbours});
  }
}

}  // namespace brisen::fast

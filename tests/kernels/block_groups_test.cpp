// How the blocks of a row are put together for the tile searches: every block
// with a radius searched exactly once, runs of neighbours in place, the others
// gathered by radius.
#include "kernels/fast/block_groups.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace brisen::fast {
namespace {

struct GroupCase {
  std::string name;
  std::vector<int32_t> radius;
  int32_t size;
  // Each group as "blocks, n" (n: neighbours searched in the planes) or "blocks, s" (staged).
  std::vector<std::string> groups;
};

std::string describe(const std::vector<int32_t>& order, const BlockGroup& group) {
  std::string s;
  for (int32_t k = group.first; k < group.first + group.count; ++k) s += std::to_string(order[k]) + " ";
  return s + (group.neighbours ? "n" : "s");
}

class GroupBlocks : public testing::TestWithParam<GroupCase> {};

TEST_P(GroupBlocks, SearchesEveryBlockOnceAndGathersByRadius) {
  const GroupCase& c = GetParam();
  std::vector<int32_t> order;
  std::vector<BlockGroup> groups;
  order.reserve(c.radius.size());
  group_blocks(c.radius.data(), static_cast<int32_t>(c.radius.size()), c.size, order, groups);

  std::vector<std::string> got;
  std::multiset<int32_t> searched;
  for (const BlockGroup& g : groups) {
    got.push_back(describe(order, g));
    EXPECT_LE(g.count, c.size);
    for (int32_t k = g.first; k < g.first + g.count; ++k) searched.insert(order[k]);
  }
  EXPECT_EQ(got, c.groups);
  std::multiset<int32_t> expected;
  for (int32_t b = 0; b < static_cast<int32_t>(c.radius.size()); ++b) {
    if (c.radius[b] >= 0) expected.insert(b);
  }
  EXPECT_EQ(searched, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GroupBlocks,
    testing::Values(GroupCase{"one_radius", {1, 1, 1, 1, 1, 1, 1, 1}, 4, {"0 1 2 3 n", "4 5 6 7 n"}},
                    GroupCase{"short_run_at_the_end", {1, 1, 1, 1, 2, 2}, 4, {"0 1 2 3 n", "4 5 n"}},
                    GroupCase{"mixed_gathered_by_radius",
                              {6, 1, 6, 1, 1, 6, 1, 6},
                              4,
                              {"1 3 4 6 s", "0 2 5 7 s"}},
                    GroupCase{"run_then_odd_ones", {1, 1, 1, 1, 6, 1, 6, 1, 1}, 4, {"0 1 2 3 n", "5 7 8 4 s", "6 n"}},
                    GroupCase{"left_to_the_rules", {-2, 1, 1, 1, 1, -1}, 4, {"1 2 3 4 n"}},
                    GroupCase{"nothing_to_search", {-1, -3}, 4, {}},
                    GroupCase{"one_block_a_tile", {3, 1, -1, 2}, 1, {"0 n", "1 n", "3 n"}},
                    GroupCase{"empty_row", {}, 4, {}}),
    [](const testing::TestParamInfo<GroupCase>& info) { return info.param.name; });

}  // namespace
}  // namespace brisen::fast

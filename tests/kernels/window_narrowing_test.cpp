#include "kernels/window_narrowing.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace brisen {
namespace {

int32_t displacement(int32_t dy, int32_t dx, int32_t pitch) { return dy * pitch + 2 * dx; }

// The radius of a full-window displacement, stated by cases of its direction.
int32_t radius_by_direction(int32_t dy, int32_t dx) {
  const bool same_sign_or_straight = dx == 0 || (dx > 0) == (dy > 0);
  if (dy == 0) return std::abs(dx);
  if (std::abs(dy) == 1) return same_sign_or_straight ? 1 : std::abs(dx);
  return same_sign_or_straight ? std::abs(dy) : std::abs(dy) - 1;
}

TEST(WindowNarrowing, EveryFullWindowDisplacementFollowsItsDirection) {
  for (int32_t pitch : {96, 128, 704, 1440, 4096}) {
    for (int32_t dy = -10; dy <= 10; ++dy) {
      for (int32_t dx = -10; dx <= 10; ++dx) {
        const int32_t radius = displacement_radius(displacement(dy, dx, pitch), pitch);
        ASSERT_EQ(radius, radius_by_direction(dy, dx)) << "pitch " << pitch << " dy " << dy << " dx " << dx;
        ASSERT_LE(radius, 10);
      }
    }
  }
}

TEST(WindowNarrowing, WorkedExamplesAtPitch128) {
  EXPECT_EQ(displacement(1, -3, 128), 122);
  EXPECT_EQ(displacement_radius(122, 128), 3);  // q 0, h 122 -> 6 -> 3
  EXPECT_EQ(displacement(-2, -1, 128), -258);
  EXPECT_EQ(displacement_radius(-258, 128), 2);  // q 2, h 256 -> -128 -> -64
  EXPECT_EQ(narrowed_radius(122, -258, 128), 4);
}

TEST(WindowNarrowing, NegativeRemainderStaysNegativeWhenHalved) {
  // d = P - 1: q 0, h P - 1 -> 1 -> 0; d = P + 2: q 1, h P + 1 -> -1 -> -1,
  // which a logical shift would turn into a huge radius.
  EXPECT_EQ(displacement_radius(127, 128), 0);
  EXPECT_EQ(displacement_radius(130, 128), 1);
}

struct BlockCase {
  int32_t prev_dy, prev_dx, next_dy, next_dx;
  int32_t radius;
};

TEST(WindowNarrowing, BlockRadiusIsTheLargerOnePlusOne) {
  const BlockCase cases[] = {
      {0, 0, 0, 0, 1},    // both matches still: a 3 x 3 window
      {1, 4, -2, -1, 3},  // radii 1 and 2; the (1, 4) match falls outside
      {2, -3, 0, 0, 2},   // radii 1 and 0
      {10, 0, 0, 0, 11},  // one past the full window
      {0, -10, 0, 7, 11},
  };
  for (int32_t pitch : {128, 704}) {
    for (const BlockCase& k : cases) {
      EXPECT_EQ(narrowed_radius(displacement(k.prev_dy, k.prev_dx, pitch), displacement(k.next_dy, k.next_dx, pitch),
                                pitch),
                k.radius)
          << "pitch " << pitch << " prev (" << k.prev_dy << ", " << k.prev_dx << ") next (" << k.next_dy << ", "
          << k.next_dx << ")";
    }
  }
}

}  // namespace
}  // namespace brisen

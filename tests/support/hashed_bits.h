// Deterministic pseudo-random bits for test content, the same on every run.
#pragma once

#include <cstdint>

namespace testing_support {

inline uint32_t hashed(uint32_t seed, int64_t a, int64_t b) {
  uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(a) * 0x85EBCA77u ^ static_cast<uint32_t>(b) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

}  // namespace testing_support

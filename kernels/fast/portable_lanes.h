// Lane operations on the compiler's generic vectors (the vector extension of
// GCC and Clang), which it lowers to whatever vector instructions the target
// has, or to plain loops where it has none. Include from one translation unit
// only: the structs live in an anonymous namespace.
#pragma once

#include <cstdint>
#include <cstring>

namespace brisen::fast {
namespace {

template <typename Lane, int N>
struct PortableLanes {
  using T = Lane;
  static constexpr int lanes = N;
  static constexpr T max_value = static_cast<T>(~T{0});
  using vec [[gnu::vector_size(N * sizeof(T))]] = T;
  using mask = vec;  // lanes all ones or zero

  static vec load(const uint8_t* p) {
    using bytes [[gnu::vector_size(N)]] = uint8_t;
    bytes b;
    std::memcpy(&b, p, sizeof b);
    if constexpr (sizeof(T) == 1) {
      return b;
    } else {
      return __builtin_convertvector(b, vec);
    }
  }
  static vec load_t(const T* p) {
    vec r;
    std::memcpy(&r, p, sizeof r);
    return r;
  }
  static void store_t(T* p, vec a) { std::memcpy(p, &a, sizeof a); }
  static vec set1(int value) { return vec{} + static_cast<T>(value); }
  static vec absdiff(vec a, vec b) { return (a > b ? a : b) - (a > b ? b : a); }
  static vec adds(vec a, vec b) {
    const vec sum = a + b;
    return sum | reinterpret_cast<vec>(sum < a);  // wrapped lanes: all ones
  }
  static vec min(vec a, vec b) { return a < b ? a : b; }
  static mask eq(vec a, vec b) { return reinterpret_cast<mask>(a == b); }
  static mask gt(vec a, vec b) { return reinterpret_cast<mask>(a > b); }
  static vec select(mask m, vec a, vec b) { return (m & a) | (~m & b); }
  static vec bor(vec a, vec b) { return a | b; }
  static mask below(vec a, vec b) { return reinterpret_cast<mask>(a < b); }
  static mask mand(mask a, mask b) { return a & b; }
  static mask mor(mask a, mask b) { return a | b; }
  static mask mandn(mask a, mask b) { return a & ~b; }
  static vec avg_down(vec a, vec b) { return (a >> 1) + (b >> 1) + (a & b & 1); }
  static vec halve(vec a) { return a >> 1; }
};

}  // namespace
}  // namespace brisen::fast

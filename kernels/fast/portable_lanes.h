// Lane operations in plain C++ over small arrays, which the compiler turns into
// whatever vector instructions the target has. Include from one translation
// unit only: the structs live in an anonymous namespace.
#pragma once

#include <cstdint>

namespace brisen::fast {
namespace {

template <typename Lane, int N>
struct PortableLanes {
  using T = Lane;
  static constexpr int lanes = N;
  static constexpr T max_value = static_cast<T>(~T{0});
  struct vec {
    T v[N];
  };
  using mask = vec;

  static vec load(const uint8_t* p) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = p[i];
    return r;
  }
  static vec load_t(const T* p) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = p[i];
    return r;
  }
  static void store_t(T* p, const vec& a) {
    for (int i = 0; i < N; ++i) p[i] = a.v[i];
  }
  static vec set1(int value) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = static_cast<T>(value);
    return r;
  }
  static vec absdiff(const vec& a, const vec& b) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = static_cast<T>(a.v[i] > b.v[i] ? a.v[i] - b.v[i] : b.v[i] - a.v[i]);
    return r;
  }
  static vec adds(const vec& a, const vec& b) {
    vec r;
    for (int i = 0; i < N; ++i) {
      const unsigned sum = unsigned{a.v[i]} + unsigned{b.v[i]};
      r.v[i] = static_cast<T>(sum > max_value ? max_value : sum);
    }
    return r;
  }
  static vec min(const vec& a, const vec& b) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = a.v[i] < b.v[i] ? a.v[i] : b.v[i];
    return r;
  }
  static mask eq(const vec& a, const vec& b) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = a.v[i] == b.v[i] ? max_value : T{0};
    return r;
  }
  static mask gt(const vec& a, const vec& b) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = a.v[i] > b.v[i] ? max_value : T{0};
    return r;
  }
  static vec select(const mask& m, const vec& a, const vec& b) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = static_cast<T>((m.v[i] & a.v[i]) | (~m.v[i] & b.v[i]));
    return r;
  }
  static vec bor(const vec& a, const vec& b) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = static_cast<T>(a.v[i] | b.v[i]);
    return r;
  }
  static mask below(const vec& a, const vec& b) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = a.v[i] < b.v[i] ? max_value : T{0};
    return r;
  }
  static mask mand(const mask& a, const mask& b) { return bitwise(a, b, [](T x, T y) { return x & y; }); }
  static mask mor(const mask& a, const mask& b) { return bitwise(a, b, [](T x, T y) { return x | y; }); }
  static mask mandn(const mask& a, const mask& b) { return bitwise(a, b, [](T x, T y) { return x & ~y; }); }
  static vec avg_down(const vec& a, const vec& b) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = static_cast<T>((unsigned{a.v[i]} + unsigned{b.v[i]}) / 2);
    return r;
  }
  static vec halve(const vec& a) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = static_cast<T>(a.v[i] / 2);
    return r;
  }

 private:
  template <class F>
  static vec bitwise(const vec& a, const vec& b, F f) {
    vec r;
    for (int i = 0; i < N; ++i) r.v[i] = static_cast<T>(f(a.v[i], b.v[i]));
    return r;
  }
};

}  // namespace
}  // namespace brisen::fast

// Search primitives for the x86-64 baseline.
#if defined(__x86_64__)
#include <emmintrin.h>

#include "kernels/fast/search_primitives.h"
#include "kernels/fast/tile_decision.h"
#include "kernels/fast/tile_search.h"

namespace brisen::fast {
namespace {

struct Sse2Bytes {
  using T = uint8_t;
  using vec = __m128i;
  using mask = __m128i;
  static constexpr int lanes = 16;
  static constexpr T max_value = 0xFF;
  static vec load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static vec load_t(const T* p) { return load(p); }
  static void store_t(T* p, vec a) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a); }
  static vec set1(int v) { return _mm_set1_epi8(static_cast<char>(v)); }
  static vec absdiff(vec a, vec b) { return _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a)); }
  static vec adds(vec a, vec b) { return _mm_adds_epu8(a, b); }
  static vec min(vec a, vec b) { return _mm_min_epu8(a, b); }
  static mask eq(vec a, vec b) { return _mm_cmpeq_epi8(a, b); }
  static mask gt(vec a, vec b) { return _mm_cmpgt_epi8(a, b); }  // small values only
  static vec select(mask m, vec a, vec b) { return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b)); }
  static vec bor(vec a, vec b) { return _mm_or_si128(a, b); }
  static mask below(vec a, vec b) {
    const vec bias = set1(0x80);
    return _mm_cmplt_epi8(_mm_xor_si128(a, bias), _mm_xor_si128(b, bias));
  }
  static mask mand(mask a, mask b) { return _mm_and_si128(a, b); }
  static mask mor(mask a, mask b) { return _mm_or_si128(a, b); }
  static mask mandn(mask a, mask b) { return _mm_andnot_si128(b, a); }
  static vec avg_down(vec a, vec b) { return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), set1(1))); }
  static vec halve(vec a) { return _mm_and_si128(_mm_srli_epi16(a, 1), set1(0x7F)); }
};

// 16-bit lanes kept below 0x8000, so that the signed minimum serves.
struct Sse2Words {
  using T = uint16_t;
  using vec = __m128i;
  using mask = __m128i;
  static constexpr int lanes = 8;
  static constexpr T max_value = 0x7FFF;
  static vec load(const uint8_t* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
  }
  static vec load_t(const T* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static void store_t(T* p, vec a) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a); }
  static vec set1(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
  static vec absdiff(vec a, vec b) { return _mm_or_si128(_mm_subs_epu16(a, b), _mm_subs_epu16(b, a)); }
  static vec adds(vec a, vec b) { return _mm_adds_epu16(a, b); }
  static vec min(vec a, vec b) { return _mm_min_epi16(a, b); }
  static mask eq(vec a, vec b) { return _mm_cmpeq_epi16(a, b); }
  static mask gt(vec a, vec b) { return _mm_cmpgt_epi16(a, b); }
  static vec select(mask m, vec a, vec b) { return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b)); }
  static vec bor(vec a, vec b) { return _mm_or_si128(a, b); }
  static mask below(vec a, vec b) { return _mm_cmplt_epi16(a, b); }
  static mask mand(mask a, mask b) { return _mm_and_si128(a, b); }
  static mask mor(mask a, mask b) { return _mm_or_si128(a, b); }
  static mask mandn(mask a, mask b) { return _mm_andnot_si128(b, a); }
  static vec avg_down(vec a, vec b) {
    return _mm_sub_epi16(_mm_avg_epu16(a, b), _mm_and_si128(_mm_xor_si128(a, b), set1(1)));
  }
  static vec halve(vec a) { return _mm_srli_epi16(a, 1); }
};

void extract_luma(const uint8_t* frame, int64_t bytes, uint8_t* plane) {
  const int64_t samples = bytes / 2;
  const __m128i low = _mm_set1_epi16(0x00FF);
  int64_t i = 0;
  for (; i + 16 <= samples; i += 16) {
    const __m128i a = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(frame + 2 * i)), low);
    const __m128i b = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(frame + 2 * i + 16)), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(plane + i), _mm_packus_epi16(a, b));
  }
  for (; i < samples; ++i) plane[i] = frame[2 * i];
}

using Words = LanePair<Sse2Words>;

}  // namespace

const SearchPrimitives sse2_primitives{16, &extract_luma, &search_tile<Sse2Bytes>, &search_tile<Words>,
                                       &presearch<Sse2Bytes>, &presearch<Words>,
                                       &look_up_matches<uint8_t>, &look_up_matches<uint16_t>,
                                       &record_matches<uint8_t>, &record_matches<uint16_t>,
                                       &match_entries<uint8_t>, &match_entries<uint16_t>, &replay_entries,
                                       &decide_tile<Sse2Bytes>, &decide_tile<Words>};

}  // namespace brisen::fast

#endif

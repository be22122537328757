// Search primitives for AVX-512 BW; this file alone is built with -mavx512bw.
#if defined(__x86_64__)
#include <immintrin.h>

#include "kernels/fast/search_primitives.h"
#include "kernels/fast/tile_decision.h"
#include "kernels/fast/tile_search.h"

namespace brisen::fast {
namespace {

struct Avx512Bytes {
  using T = uint8_t;
  using vec = __m512i;
  using mask = __mmask64;
  static constexpr int lanes = 64;
  static constexpr T max_value = 0xFF;
  static vec load(const uint8_t* p) { return _mm512_loadu_si512(p); }
  static vec load_t(const T* p) { return load(p); }
  static void store_t(T* p, vec a) { _mm512_storeu_si512(p, a); }
  static vec set1(int v) { return _mm512_set1_epi8(static_cast<char>(v)); }
  static vec absdiff(vec a, vec b) { return _mm512_sub_epi8(_mm512_max_epu8(a, b), _mm512_min_epu8(a, b)); }
  static vec adds(vec a, vec b) { return _mm512_adds_epu8(a, b); }
  static vec min(vec a, vec b) { return _mm512_min_epu8(a, b); }
  static mask eq(vec a, vec b) { return _mm512_cmpeq_epi8_mask(a, b); }
  static mask gt(vec a, vec b) { return _mm512_cmpgt_epu8_mask(a, b); }
  static vec select(mask m, vec a, vec b) { return _mm512_mask_blend_epi8(m, b, a); }
  static vec bor(vec a, vec b) { return _mm512_or_si512(a, b); }
  static mask below(vec a, vec b) { return _mm512_cmplt_epu8_mask(a, b); }
  static mask mand(mask a, mask b) { return a & b; }
  static mask mor(mask a, mask b) { return a | b; }
  static mask mandn(mask a, mask b) { return a & ~b; }
  static vec avg_down(vec a, vec b) {
    return _mm512_sub_epi8(_mm512_avg_epu8(a, b), _mm512_and_si512(_mm512_xor_si512(a, b), set1(1)));
  }
  static vec halve(vec a) { return _mm512_and_si512(_mm512_srli_epi16(a, 1), set1(0x7F)); }
  // Masked stores keep the best measures: no blend, no reload of the index.
  static mask inside(vec reach, vec lane_radius) { return _mm512_cmple_epu8_mask(reach, lane_radius); }
  static void keep_lower(T* best, T* index, vec measure, mask inside, vec order) {
    const mask lower = _mm512_mask_cmplt_epu8_mask(inside, measure, load_t(best));
    _mm512_mask_storeu_epi8(best, lower, measure);
    _mm512_mask_storeu_epi8(index, lower, order);
  }
};

struct Avx512Words {
  using T = uint16_t;
  using vec = __m512i;
  using mask = __mmask32;
  static constexpr int lanes = 32;
  static constexpr T max_value = 0xFFFF;
  static vec load(const uint8_t* p) {
    return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
  }
  static vec load_t(const T* p) { return _mm512_loadu_si512(p); }
  static void store_t(T* p, vec a) { _mm512_storeu_si512(p, a); }
  static vec set1(int v) { return _mm512_set1_epi16(static_cast<short>(v)); }
  static vec absdiff(vec a, vec b) { return _mm512_sub_epi16(_mm512_max_epu16(a, b), _mm512_min_epu16(a, b)); }
  static vec adds(vec a, vec b) { return _mm512_adds_epu16(a, b); }
  static vec min(vec a, vec b) { return _mm512_min_epu16(a, b); }
  static mask eq(vec a, vec b) { return _mm512_cmpeq_epi16_mask(a, b); }
  static mask gt(vec a, vec b) { return _mm512_cmpgt_epu16_mask(a, b); }
  static vec select(mask m, vec a, vec b) { return _mm512_mask_blend_epi16(m, b, a); }
  static vec bor(vec a, vec b) { return _mm512_or_si512(a, b); }
  static mask below(vec a, vec b) { return _mm512_cmplt_epu16_mask(a, b); }
  static mask mand(mask a, mask b) { return a & b; }
  static mask mor(mask a, mask b) { return a | b; }
  static mask mandn(mask a, mask b) { return a & ~b; }
  static vec avg_down(vec a, vec b) {
    return _mm512_sub_epi16(_mm512_avg_epu16(a, b), _mm512_and_si512(_mm512_xor_si512(a, b), set1(1)));
  }
  static vec halve(vec a) { return _mm512_srli_epi16(a, 1); }
  // Masked stores keep the best measures: no blend, no reload of the index.
  static mask inside(vec reach, vec lane_radius) { return _mm512_cmple_epu16_mask(reach, lane_radius); }
  static void keep_lower(T* best, T* index, vec measure, mask inside, vec order) {
    const mask lower = _mm512_mask_cmplt_epu16_mask(inside, measure, load_t(best));
    _mm512_mask_storeu_epi16(best, lower, measure);
    _mm512_mask_storeu_epi16(index, lower, order);
  }
};

void extract_luma(const uint8_t* frame, int64_t bytes, uint8_t* plane) {
  const int64_t samples = bytes / 2;
  const __m512i low = _mm512_set1_epi16(0x00FF);
  const __m512i order = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);
  int64_t i = 0;
  for (; i + 64 <= samples; i += 64) {
    const __m512i a = _mm512_and_si512(_mm512_loadu_si512(frame + 2 * i), low);
    const __m512i b = _mm512_and_si512(_mm512_loadu_si512(frame + 2 * i + 64), low);
    _mm512_storeu_si512(plane + i, _mm512_maskz_permutexvar_epi64(0xFF, order, _mm512_packus_epi16(a, b)));
  }
  for (; i < samples; ++i) plane[i] = frame[2 * i];
}

using Words = LanePair<Avx512Words>;

}  // namespace

const SearchPrimitives avx512_primitives{64, &extract_luma, &search_tile<Avx512Bytes>, &search_tile<Words>,
                                         &presearch<Avx512Bytes>, &presearch<Words>,
                                       &decide_tile<Avx512Bytes>, &decide_tile<Words>};

}  // namespace brisen::fast

#endif

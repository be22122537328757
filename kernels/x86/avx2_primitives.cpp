// Search primitives for AVX2; this file alone is built with -mavx2.
#if defined(__x86_64__)
#include <immintrin.h>

#include "kernels/fast/search_primitives.h"
#include "kernels/fast/tile_decision.h"
#include "kernels/fast/tile_search.h"

namespace brisen::fast {
namespace {

struct Avx2Bytes {
  using T = uint8_t;
  using vec = __m256i;
  using mask = __m256i;
  static constexpr int lanes = 32;
  static constexpr T max_value = 0xFF;
  static vec load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  static vec load_t(const T* p) { return load(p); }
  static void store_t(T* p, vec a) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a); }
  static vec set1(int v) { return _mm256_set1_epi8(static_cast<char>(v)); }
  static vec absdiff(vec a, vec b) { return _mm256_or_si256(_mm256_subs_epu8(a, b), _mm256_subs_epu8(b, a)); }
  // Lanes one sample right of `left`, from it and `right` (one sample right
  // of them), where every 128 bits hold neighbouring samples.
  static vec middle(vec left, vec right) { return _mm256_alignr_epi8(_mm256_bsrli_epi128(right, 14), left, 1); }
  static vec adds(vec a, vec b) { return _mm256_adds_epu8(a, b); }
  static vec min(vec a, vec b) { return _mm256_min_epu8(a, b); }
  static mask eq(vec a, vec b) { return _mm256_cmpeq_epi8(a, b); }
  static mask gt(vec a, vec b) { return _mm256_cmpgt_epi8(a, b); }  // small values only
  static vec select(mask m, vec a, vec b) { return _mm256_blendv_epi8(b, a, m); }
  static vec bor(vec a, vec b) { return _mm256_or_si256(a, b); }
  static mask below(vec a, vec b) {
    const vec bias = set1(0x80);
    return _mm256_cmpgt_epi8(_mm256_xor_si256(b, bias), _mm256_xor_si256(a, bias));
  }
  static mask mand(mask a, mask b) { return _mm256_and_si256(a, b); }
  static mask mor(mask a, mask b) { return _mm256_or_si256(a, b); }
  static mask mandn(mask a, mask b) { return _mm256_andnot_si256(b, a); }
  static vec avg_down(vec a, vec b) {
    return _mm256_sub_epi8(_mm256_avg_epu8(a, b), _mm256_and_si256(_mm256_xor_si256(a, b), set1(1)));
  }
  static vec halve(vec a) { return _mm256_and_si256(_mm256_srli_epi16(a, 1), set1(0x7F)); }
};

struct Avx2Words {
  using T = uint16_t;
  using vec = __m256i;
  using mask = __m256i;
  static constexpr int lanes = 16;
  static constexpr T max_value = 0xFFFF;
  static vec load(const uint8_t* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  }
  static vec load_t(const T* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  static void store_t(T* p, vec a) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a); }
  static vec set1(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
  static vec absdiff(vec a, vec b) { return _mm256_or_si256(_mm256_subs_epu16(a, b), _mm256_subs_epu16(b, a)); }
  // Lanes one sample right of `left`, from it and `right` (one sample right
  // of them), where every 128 bits hold neighbouring samples.
  static vec middle(vec left, vec right) { return _mm256_alignr_epi8(_mm256_bsrli_epi128(right, 12), left, 2); }
  static vec adds(vec a, vec b) { return _mm256_adds_epu16(a, b); }
  static vec min(vec a, vec b) { return _mm256_min_epu16(a, b); }
  static mask eq(vec a, vec b) { return _mm256_cmpeq_epi16(a, b); }
  static mask gt(vec a, vec b) { return _mm256_cmpgt_epi16(a, b); }
  static vec select(mask m, vec a, vec b) { return _mm256_blendv_epi8(b, a, m); }
  static vec bor(vec a, vec b) { return _mm256_or_si256(a, b); }
  static mask below(vec a, vec b) {
    const vec bias = set1(0x8000);
    return _mm256_cmpgt_epi16(_mm256_xor_si256(b, bias), _mm256_xor_si256(a, bias));
  }
  static mask mand(mask a, mask b) { return _mm256_and_si256(a, b); }
  static mask mor(mask a, mask b) { return _mm256_or_si256(a, b); }
  static mask mandn(mask a, mask b) { return _mm256_andnot_si256(b, a); }
  static vec avg_down(vec a, vec b) {
    return _mm256_sub_epi16(_mm256_avg_epu16(a, b), _mm256_and_si256(_mm256_xor_si256(a, b), set1(1)));
  }
  static vec halve(vec a) { return _mm256_srli_epi16(a, 1); }
};

void extract_luma(const uint8_t* frame, int64_t bytes, uint8_t* plane) {
  const int64_t samples = bytes / 2;
  const __m256i low = _mm256_set1_epi16(0x00FF);
  int64_t i = 0;
  for (; i + 32 <= samples; i += 32) {
    const __m256i a = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(frame + 2 * i)), low);
    const __m256i b =
        _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(frame + 2 * i + 32)), low);
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(plane + i), packed);
  }
  for (; i < samples; ++i) plane[i] = frame[2 * i];
}

using Words = LanePair<Avx2Words>;

}  // namespace

const SearchPrimitives avx2_primitives{32, &extract_luma, &search_tile<Avx2Bytes>, &search_tile<Words>,
                                       &presearch<Avx2Bytes>, &presearch<Words>,
                                       &look_up_matches<uint8_t>, &look_up_matches<uint16_t>,
                                       &record_matches<uint8_t>, &record_matches<uint16_t>,
                                       &match_entries<uint8_t>, &match_entries<uint16_t>, &replay_entries,
                                       &decide_tile<Avx2Bytes>, &decide_tile<Words>};

}  // namespace brisen::fast

#endif

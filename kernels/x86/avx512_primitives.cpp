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
  // Lanes one sample right of `left`, from it and `right` (one sample right
  // of them), where every 128 bits hold neighbouring samples.
  static vec middle(vec left, vec right) { return _mm512_alignr_epi8(_mm512_bsrli_epi128(right, 14), left, 1); }
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
  static void keep_lower(T* best, T* index, T* value, vec measure, mask inside, vec order, vec centre) {
    const mask lower = _mm512_mask_cmplt_epu8_mask(inside, measure, load_t(best));
    _mm512_mask_storeu_epi8(best, lower, measure);
    if (index != nullptr) _mm512_mask_storeu_epi8(index, lower, order);
    _mm512_mask_storeu_epi8(value, lower, centre);
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
  // Lanes one sample right of `left`, from it and `right` (one sample right
  // of them), where every 128 bits hold neighbouring samples.
  static vec middle(vec left, vec right) { return _mm512_alignr_epi8(_mm512_bsrli_epi128(right, 12), left, 2); }
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
  static void keep_lower(T* best, T* index, T* value, vec measure, mask inside, vec order, vec centre) {
    const mask lower = _mm512_mask_cmplt_epu16_mask(inside, measure, load_t(best));
    _mm512_mask_storeu_epi16(best, lower, measure);
    if (index != nullptr) _mm512_mask_storeu_epi16(index, lower, order);
    _mm512_mask_storeu_epi16(value, lower, centre);
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

// All 16 lanes: the masked forms of these intrinsics name their source lanes,
// where the plain ones leave g++ 12 warning about undefined ones.
constexpr __mmask16 all = 0xFFFF;

// Lanes of index type T widened to 32 bits, 16 at a time.
template <typename T>
__m512i widen(const T* p) {
  if constexpr (sizeof(T) == 1) {
    return _mm512_maskz_cvtepu8_epi32(all, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  } else {
    return _mm512_maskz_cvtepu16_epi32(all, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
  }
}

template <typename T>
void narrow_store(T* p, __m512i v) {
  if constexpr (sizeof(T) == 1) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm512_maskz_cvtepi32_epi8(all, v));
  } else {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm512_maskz_cvtepi32_epi16(all, v));
  }
}

// Byte offsets of 16 displacement codes: (code >> shift) * pitch + 2 * (code & low) - bias * (pitch + 2).
struct WindowOffsets {
  __m128i shift;
  __m512i low, pitch, corner;
  explicit WindowOffsets(const LookupJob& job)
      : shift(_mm_cvtsi32_si128(job.code_shift)),
        low(_mm512_set1_epi32((1 << job.code_shift) - 1)),
        pitch(_mm512_set1_epi32(static_cast<int32_t>(job.pitch))),
        corner(_mm512_set1_epi32(static_cast<int32_t>(job.code_bias * (job.pitch + 2)))) {}
  __m512i operator()(__m512i code) const {
    const __m512i dy = _mm512_maskz_srl_epi32(all, code, shift);
    const __m512i dx = _mm512_maskz_and_epi32(all, code, low);
    return _mm512_sub_epi32(_mm512_add_epi32(_mm512_mullo_epi32(dy, pitch), _mm512_add_epi32(dx, dx)), corner);
  }
};

// look_up_matches 16 lanes at a time where all of them have a map index;
// lanes the gather cannot take (no index, a map entry at an odd position) go
// one by one.
template <typename T>
void look_up(const LookupJob& job, TileMatches<T>& m) {
  if (job.frame_end >= (int64_t{1} << 30)) {
    look_up_matches(job, m);
    return;
  }
  const __m512i centre_offset = _mm512_set1_epi32(static_cast<int32_t>(job.pitch + 2));
  const __m512i entry_end = _mm512_set1_epi32(static_cast<int32_t>(job.frame_end - (job.pitch + 2)));
  const __m512i zero = _mm512_setzero_si512();
  const __m512i one = _mm512_set1_epi32(1);
  for (int k = 0; k < job.lines; ++k) {
    const int64_t c0 = job.first + k * job.line_distance;
    int l = 0;
    for (; l + 16 <= job.lanes; l += 16) {
      const int64_t c = c0 + 2 * int64_t{l};
      const int64_t t = c - (job.pitch + 2);
      if (t < 2 || (t >> 1) + 15 >= job.map_entries) {
        for (int i = l; i < l + 16; ++i) look_up_lane(job, m, k, i, c0 + 2 * int64_t{i});
        continue;
      }
      const __m512i entry = _mm512_loadu_si512(job.map_read + (t >> 1));
      const __mmask16 known = _mm512_cmpge_epi32_mask(entry, zero) & _mm512_cmplt_epi32_mask(entry, entry_end);
      const __m512i at = _mm512_maskz_add_epi32(known, entry, centre_offset);
      if (_mm512_test_epi32_mask(at, one) != 0) {
        for (int i = l; i < l + 16; ++i) look_up_lane(job, m, k, i, c0 + 2 * int64_t{i});
        continue;
      }
      // Each plane byte gathered as the top byte of the four ending there
      // (the planes have guard bytes before them).
      const __m512i words = _mm512_mask_i32gather_epi32(zero, known, _mm512_sub_epi32(_mm512_maskz_srai_epi32(all, at, 1),
                                                                                     _mm512_set1_epi32(3)),
                                                        job.prev_plane, 1);
      const __m512i entered = _mm512_maskz_srli_epi32(all, words, 24);
      narrow_store(m.prev_value[k] + l, _mm512_mask_blend_epi32(known, widen(m.prev_value[k] + l), entered));
      narrow_store(m.known[k] + l, _mm512_maskz_mov_epi32(known, one));
    }
    for (; l < job.lanes; ++l) look_up_lane(job, m, k, l, c0 + 2 * int64_t{l});
  }
}

// record_matches 16 lanes at a time: a scatter writes its lanes in order, so
// of two lanes naming one entry the later one wins, as the rules have it.
template <typename T>
void record(const LookupJob& job, const TileMatches<T>& m) {
  if (job.frame_end >= (int64_t{1} << 30) || job.map_entries >= (int64_t{1} << 30) || job.lanes % 16 != 0) {
    record_matches(job, m);
    return;
  }
  const __m512i steps = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
  const __m512i one = _mm512_set1_epi32(1);
  const __m512i entries = _mm512_set1_epi32(static_cast<int32_t>(job.map_entries));
  const __m512i iota = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const WindowOffsets offset(job);
  for (int g = 0; g < job.lanes; g += 16) {
    for (int k = 0; k < job.lines; ++k) {
      const int64_t t = job.first + k * job.line_distance - (job.pitch + 2) + 2 * int64_t{g};
      const __m512i entry = _mm512_add_epi32(_mm512_set1_epi32(static_cast<int32_t>(t)), steps);
      const __m512i matched = _mm512_add_epi32(entry, offset(widen(m.next_index[k] + g)));
      const __m512i index = _mm512_maskz_srai_epi32(all, matched, 1);
      const __m512i wanted = widen(m.record[k] + g);
      const __mmask16 write = _mm512_test_epi32_mask(wanted, wanted) & _mm512_cmpgt_epi32_mask(matched, one) &
                              _mm512_cmplt_epi32_mask(index, entries);
      // One displacement for all 16 lanes (common where the picture is
      // still): the entries are neighbours, one store.
      const auto index0 = static_cast<int32_t>((t + job.offsets[m.next_index[k][g]]) >> 1);
      if (write == all && _mm512_cmpneq_epi32_mask(index, _mm512_add_epi32(_mm512_set1_epi32(index0), iota)) == 0) {
        _mm512_storeu_si512(job.map_write + index0, entry);
      } else {
        _mm512_mask_i32scatter_epi32(job.map_write, write, index, entry, 4);
      }
    }
  }
}

// match_entries 16 lanes at a time.
template <typename T>
void entries(const LookupJob& job, const TileMatches<T>& m, int32_t* out, int64_t stride) {
  if (job.frame_end >= (int64_t{1} << 30) || job.map_entries >= (int64_t{1} << 30)) {
    match_entries(job, m, out, stride);
    return;
  }
  const __m512i steps = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
  const __m512i one = _mm512_set1_epi32(1);
  const __m512i none = _mm512_set1_epi32(-1);
  const __m512i entry_count = _mm512_set1_epi32(static_cast<int32_t>(job.map_entries));
  const WindowOffsets offset(job);
  for (int k = 0; k < job.lines; ++k) {
    const int64_t t0 = job.first + k * job.line_distance - (job.pitch + 2);
    for (int l = 0; l < job.lanes; l += 16) {
      const __mmask16 lanes = job.lanes - l >= 16 ? all : static_cast<__mmask16>((1u << (job.lanes - l)) - 1);
      const __m512i entry = _mm512_add_epi32(_mm512_set1_epi32(static_cast<int32_t>(t0 + 2 * l)), steps);
      const __m512i matched = _mm512_add_epi32(entry, offset(widen(m.next_index[k] + l)));
      const __m512i index = _mm512_maskz_srai_epi32(all, matched, 1);
      const __m512i wanted = widen(m.record[k] + l);
      const __mmask16 write = _mm512_test_epi32_mask(wanted, wanted) & _mm512_cmpgt_epi32_mask(matched, one) &
                              _mm512_cmplt_epi32_mask(index, entry_count);
      _mm512_mask_storeu_epi32(out + k * stride + l, lanes, _mm512_mask_blend_epi32(write, none, index));
    }
  }
}

// replay_entries 16 at a time: a scatter writes its lanes in order.
void replay(const int32_t* entries, int32_t count, int64_t t0, int32_t* map_write) {
  const __m512i steps = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
  const __m512i iota = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m512i zero = _mm512_setzero_si512();
  for (int32_t k = 0; k < count; k += 16) {
    const __mmask16 lanes = count - k >= 16 ? all : static_cast<__mmask16>((1u << (count - k)) - 1);
    const __m512i index = _mm512_maskz_loadu_epi32(lanes, entries + k);
    const __mmask16 write = _mm512_mask_cmpge_epi32_mask(lanes, index, zero);
    const __m512i top_left = _mm512_add_epi32(_mm512_set1_epi32(static_cast<int32_t>(t0 + 2 * int64_t{k})), steps);
    if (write == all && _mm512_cmpneq_epi32_mask(index, _mm512_add_epi32(_mm512_set1_epi32(entries[k]), iota)) == 0) {
      _mm512_storeu_si512(map_write + entries[k], top_left);  // neighbouring entries, as in record
    } else {
      _mm512_mask_i32scatter_epi32(map_write, write, index, top_left, 4);
    }
  }
}

using Words = LanePair<Avx512Words>;

}  // namespace

const SearchPrimitives avx512_primitives{64, &extract_luma, &search_tile<Avx512Bytes>, &search_tile<Words>,
                                         &presearch<Avx512Bytes>, &presearch<Words>,
                                       &look_up<uint8_t>, &look_up<uint16_t>,
                                         &record<uint8_t>, &record<uint16_t>,
                                         &entries<uint8_t>, &entries<uint16_t>, &replay,
                                         &decide_tile<Avx512Bytes>, &decide_tile<Words>};

}  // namespace brisen::fast

#endif

#include "bench/pass_record.h"

#include <algorithm>
#include <cstring>

namespace brisen_bench {
namespace {

template <typename T>
std::optional<std::size_t> first_unequal(const std::vector<T>& a, const std::vector<T>& b) {
  const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (ia == a.end() && ib == b.end()) return std::nullopt;
  return static_cast<std::size_t>(ia - a.begin());
}

std::string map_difference(const char* role, const std::vector<std::int32_t>& expected,
                           const std::vector<std::int32_t>& got, std::size_t i) {
  return std::string(role) + " entry " + std::to_string(i) + " is " + std::to_string(got[i]) + ", reference " +
         std::to_string(expected[i]);
}

}  // namespace

PassRecord record_pass(const brisen::FilterState& state, const std::uint8_t* dst, int dst_pitch) {
  PassRecord r;
  const auto row = static_cast<std::size_t>(state.frame_row_size);
  r.output.resize(row * static_cast<std::size_t>(state.frame_height));
  for (int y = 0; y < state.frame_height; ++y) {
    std::memcpy(r.output.data() + y * row, dst + static_cast<std::ptrdiff_t>(y) * dst_pitch, row);
  }
  const auto entries = static_cast<std::size_t>(state.map_entries() > 0 ? state.map_entries() : 1);
  r.map_write.assign(state.map_write, state.map_write + entries);
  r.map_read.assign(state.map_read, state.map_read + entries);
  r.field_parity = state.field_parity;
  r.field_offset = state.field_offset;
  return r;
}

std::optional<std::string> first_difference(const PassRecord& expected, const PassRecord& got, int row_size) {
  if (const auto i = first_unequal(expected.output, got.output)) {
    return "output byte " + std::to_string(*i % row_size) + " of line " + std::to_string(*i / row_size) + " is " +
           std::to_string(got.output[*i]) + ", reference " + std::to_string(expected.output[*i]);
  }
  if (const auto i = first_unequal(expected.map_write, got.map_write)) {
    return map_difference("map_write", expected.map_write, got.map_write, *i);
  }
  if (const auto i = first_unequal(expected.map_read, got.map_read)) {
    return map_difference("map_read", expected.map_read, got.map_read, *i);
  }
  if (expected.field_parity != got.field_parity || expected.field_offset != got.field_offset) {
    return "field selector is (" + std::to_string(got.field_parity) + ", " + std::to_string(got.field_offset) +
           "), reference (" + std::to_string(expected.field_parity) + ", " + std::to_string(expected.field_offset) +
           ")";
  }
  return std::nullopt;
}

}  // namespace brisen_bench

// Everything a cleaning pass leaves behind: the output bytes, both maps by
// their roles and the field selector. The fast forms must leave exactly what
// the reference form left.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kernels/filter_state.h"

namespace brisen_bench {

struct PassRecord {
  std::vector<std::uint8_t> output;  // row_size bytes of each line
  std::vector<std::int32_t> map_write;
  std::vector<std::int32_t> map_read;
  std::int32_t field_parity = 0;
  std::int32_t field_offset = 0;
};

PassRecord record_pass(const brisen::FilterState& state, const std::uint8_t* dst, int dst_pitch);

// The first difference of `got` from `expected`, in words; nothing when equal.
std::optional<std::string> first_difference(const PassRecord& expected, const PassRecord& got, int row_size);

}  // namespace brisen_bench

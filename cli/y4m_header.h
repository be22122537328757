// The stream header of a YUV4MPEG2 file, kept as the tags that describe the
// video so that a cleaned copy can carry them unchanged.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brisen_cli {

struct Y4mHeader {
  int width = 0;
  int height = 0;
  // Tag values as they appeared (without the tag letter), absent when the
  // input had none.
  std::optional<std::string> frame_rate;   // F, "num:den"
  std::optional<std::string> interlacing;  // I, one of p t b m ?
  std::optional<std::string> aspect;       // A, "num:den"
  std::string colour_space = "422";        // C, as written to the output
  std::vector<std::string> extensions;     // X tags, without the X

  // The header line with its trailing newline.
  std::string to_line() const;
};

// Largest accepted width and height: beyond anything real footage has, small
// enough that every size the filter computes fits in 32 bits.
inline constexpr int kMaxDimension = 16384;

}  // namespace brisen_cli

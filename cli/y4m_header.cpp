#include "cli/y4m_header.h"

namespace brisen_cli {

std::string Y4mHeader::to_line() const {
  std::string line = "YUV4MPEG2 W" + std::to_string(width) + " H" + std::to_string(height);
  if (frame_rate) line += " F" + *frame_rate;
  if (interlacing) line += " I" + *interlacing;
  if (aspect) line += " A" + *aspect;
  line += " C" + colour_space;
  for (const std::string& x : extensions) line += " X" + x;
  line += '\n';
  return line;
}

}  // namespace brisen_cli

#include "cli/y4m_writer.h"

#include <stdexcept>

namespace brisen_cli {

Y4mWriter::Y4mWriter(OutputStream& out, const Y4mHeader& header)
    : out_(out), width_(header.width), height_(header.height) {
  Y4mHeader written = header;
  written.colour_space = "422";
  out_.write(written.to_line());
}

void Y4mWriter::write_frame(const PlanarFrame& frame) {
  if (frame.width != width_ || frame.height != height_)
    throw std::logic_error("frame size differs from the stream header");
  out_.write("FRAME\n");
  out_.write(frame.data.data(), frame.data.size());
}

}  // namespace brisen_cli

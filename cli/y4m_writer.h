// Writes a YUV4MPEG2 stream of 8-bit 4:2:2 frames.
#pragma once

#include "cli/output_stream.h"
#include "cli/planar_frame.h"
#include "cli/y4m_header.h"

namespace brisen_cli {

class Y4mWriter {
 public:
  // Writes the stream header at once.
  Y4mWriter(OutputStream& out, const Y4mHeader& header);
  // `frame` must have the header's size.
  void write_frame(const PlanarFrame& frame);

 private:
  OutputStream& out_;
  int width_;
  int height_;
};

}  // namespace brisen_cli

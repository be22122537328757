// Reads a YUV4MPEG2 stream of 8-bit 4:2:2 video frame by frame, checking
// everything it reads. Errors are IoError with a message that names the
// stream, what is wrong and the frame (counted from 0).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/input_stream.h"
#include "cli/planar_frame.h"
#include "cli/y4m_header.h"

namespace brisen_cli {

class Y4mReader {
 public:
  // Reads and checks the stream header.
  explicit Y4mReader(InputStream& in);

  const Y4mHeader& header() const { return header_; }
  InputStream& stream() { return in_; }
  std::size_t frame_payload_bytes() const { return PlanarFrame::bytes_for(header_.width, header_.height); }

  // Reads the next frame into `frame` (resized as needed); false at the clean
  // end of the stream.
  bool read_frame(PlanarFrame& frame);
  // Number of the next frame read_frame will return.
  int next_frame() const { return next_frame_; }

  // Seekable streams only: checks every remaining frame header and payload
  // length without reading the payloads, and returns each frame's offset (of
  // its FRAME line). Reading goes on from where it was.
  std::vector<std::int64_t> index_frames();
  // Seekable streams only: continue reading at frame `n`, found at `offset`.
  void seek_to_frame(int n, std::int64_t offset);

 private:
  // Reads the FRAME line of frame `next_frame_`; false at the end of stream.
  bool read_frame_line();
  std::string where() const;

  InputStream& in_;
  Y4mHeader header_;
  int next_frame_ = 0;
};

}  // namespace brisen_cli

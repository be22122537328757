// A clip's format as the frame server knows it, independent of the interface
// version it is later described in.
#pragma once

namespace frameserver {

enum class PixelFormat { YUY2, YV12, BGR24, BGR32 };

struct ClipFormat {
  int width = 0;
  int height = 0;
  unsigned fps_numerator = 25;
  unsigned fps_denominator = 1;
  int num_frames = 0;
  PixelFormat pixel = PixelFormat::YUY2;
};

// Bytes in one row of a frame of this format (the first plane for planar ones).
int row_size_of(const ClipFormat& format);

}  // namespace frameserver

// Frame buffers of the frame server, and the counts that show nothing leaks.
#pragma once

#include "host/interface/video_frame.h"

namespace frameserver {

// A new frame nothing else holds. Its pitch is the row size rounded up to 64
// bytes, its buffer is 64-byte aligned and every byte of it starts at zero, so
// no output can depend on memory that was never written.
avs::PVideoFrame allocate_frame(int row_size, int height);

// Copies `height` rows of `row_size` bytes between two pitched buffers.
void copy_rows(avs::BYTE* dst, int dst_pitch, const avs::BYTE* src, int src_pitch, int row_size,
               int height);

// Live objects of the whole process, for tests that prove every reference is
// released.
struct LiveCounts {
  long frames;
  long buffers;
  long clips;
};
LiveCounts live_counts();

// Source clips report their creation and destruction here.
void note_clip_created();
void note_clip_destroyed();

}  // namespace frameserver

// A frame that claims any geometry over a small buffer, for tests of what the
// filter makes of frames our allocator would never produce.
#pragma once

#include <vector>

#include "host/interface/video_frame.h"

namespace testing_support {

class FakeFrame final : public avs::VideoFrame {
 public:
  static avs::PVideoFrame make(int pitch, int row_size, int height, int bytes = 0) {
    auto* buffer = new Buffer(bytes > 0 ? bytes : pitch * height);
    return avs::PVideoFrame(new FakeFrame(buffer, pitch, row_size, height));
  }

 private:
  class Buffer final : public avs::VideoFrameBuffer {
   public:
    explicit Buffer(int size) : VideoFrameBuffer(new avs::BYTE[size](), size) {}
    ~Buffer() override { delete[] GetWritePtr(); }
  };
  FakeFrame(avs::VideoFrameBuffer* b, int pitch, int row_size, int height)
      : VideoFrame(b, 0, pitch, row_size, height) {}
};

}  // namespace testing_support

// Small YUY2 clips for tests, built in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "frameserver/clip_format.h"
#include "frameserver/frames.h"
#include "frameserver/memory_source.h"

namespace testing_support {

// Byte value at (frame, line, byte offset in the line).
using Painter = std::function<uint8_t(int frame, int line, int byte)>;

inline avs::PVideoFrame paint_frame(int row_size, int height, int frame, const Painter& paint) {
  avs::PVideoFrame f = frameserver::allocate_frame(row_size, height);
  uint8_t* p = f->GetWritePtr();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < row_size; ++x) p[y * f->GetPitch() + x] = paint(frame, y, x);
  }
  return f;
}

struct TestClip {
  frameserver::ClipFormat format;
  std::shared_ptr<frameserver::MemorySource> source;
};

inline TestClip make_clip(int width, int height, int frames, const Painter& paint,
                          frameserver::PixelFormat pixel = frameserver::PixelFormat::YUY2) {
  frameserver::ClipFormat format;
  format.width = width;
  format.height = height;
  format.num_frames = frames;
  format.pixel = pixel;
  std::vector<avs::PVideoFrame> list;
  for (int i = 0; i < frames; ++i) list.push_back(paint_frame(frameserver::row_size_of(format), height, i, paint));
  return {format, std::make_shared<frameserver::MemorySource>(std::move(list))};
}

inline uint8_t flat(int, int, int) { return 128; }

}  // namespace testing_support

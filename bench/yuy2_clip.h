// A clip held in memory as YUY2 frames, the way the frame server hands them to
// the filter: every frame shares one pitch, the row size rounded up to 64.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace brisen_bench {

struct FreeDeleter {
  void operator()(std::uint8_t* p) const { std::free(p); }
};
using FrameBuffer = std::unique_ptr<std::uint8_t[], FreeDeleter>;

// Zeroed and 64-byte aligned.
FrameBuffer allocate_frame(int pitch, int height);

struct Yuy2Clip {
  std::string description;
  int width = 0;  // pixels; the row size is 2 * width bytes
  int height = 0;
  int pitch = 0;
  std::vector<FrameBuffer> frames;

  int row_size() const { return 2 * width; }
  std::int64_t luma_samples() const { return static_cast<std::int64_t>(width) * height; }
};

int pitch_for(int width);

// Reads at most `max_frames` frames of an 8-bit 4:2:2 Y4M file. Throws the
// reader's errors.
Yuy2Clip load_y4m_clip(const std::string& path, int max_frames);

}  // namespace brisen_bench

#include "frameserver/frames.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "frameserver/errors.h"

namespace frameserver {
namespace {

long g_frames = 0;
long g_buffers = 0;
long g_clips = 0;

constexpr int kAlignment = 64;

class HeapBuffer final : public avs::VideoFrameBuffer {
 public:
  static HeapBuffer* create(int size) {
    void* data = std::aligned_alloc(kAlignment, static_cast<size_t>(size));
    if (!data) throw std::bad_alloc();
    std::memset(data, 0, static_cast<size_t>(size));
    return new HeapBuffer(static_cast<avs::BYTE*>(data), size);
  }

 private:
  HeapBuffer(avs::BYTE* data, int size) : VideoFrameBuffer(data, size) { ++g_buffers; }
  ~HeapBuffer() override {
    std::free(GetWritePtr());
    --g_buffers;
  }
};

class HeapFrame final : public avs::VideoFrame {
 public:
  HeapFrame(avs::VideoFrameBuffer* vfb, int pitch, int row_size, int height)
      : VideoFrame(vfb, 0, pitch, row_size, height) {
    ++g_frames;
  }

 private:
  ~HeapFrame() override { --g_frames; }
};

}  // namespace

avs::PVideoFrame allocate_frame(int row_size, int height) {
  if (row_size <= 0 || height <= 0) throw HostError("cannot make a frame of " + std::to_string(row_size) + " bytes by " + std::to_string(height) + " lines");
  const long long pitch = (static_cast<long long>(row_size) + kAlignment - 1) / kAlignment * kAlignment;
  const long long size = pitch * height;
  if (size > 0x7fffffffLL) throw std::bad_alloc();
  // The buffer's first reference is taken by the frame, so a failure between
  // the two allocations must free the buffer by hand.
  HeapBuffer* buffer = HeapBuffer::create(static_cast<int>(size));
  buffer->AddRef();
  avs::PVideoFrame frame;
  try {
    frame = new HeapFrame(buffer, static_cast<int>(pitch), row_size, height);
  } catch (...) {
    buffer->Release();
    throw;
  }
  buffer->Release();
  return frame;
}

void copy_rows(avs::BYTE* dst, int dst_pitch, const avs::BYTE* src, int src_pitch, int row_size,
               int height) {
  if (row_size <= 0) return;
  for (int y = 0; y < height; ++y) {
    std::memcpy(dst + static_cast<ptrdiff_t>(y) * dst_pitch, src + static_cast<ptrdiff_t>(y) * src_pitch,
                static_cast<size_t>(row_size));
  }
}

LiveCounts live_counts() { return {g_frames, g_buffers, g_clips}; }
void note_clip_created() { ++g_clips; }
void note_clip_destroyed() { --g_clips; }

}  // namespace frameserver

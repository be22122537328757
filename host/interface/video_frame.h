// Frames of the host's plug-in interface. Both interface versions share this
// layout; everything here is inline, so a plug-in links against nothing of the
// host and reaches the host's own code only through virtual destructors.
#pragma once

#include <cstdint>

namespace avs {

using BYTE = unsigned char;

enum { CPUF_INTEGER_SSE = 0x08 };
enum { FRAME_ALIGN = 16 };

class VideoFrameBuffer {
 public:
  BYTE* GetWritePtr() { return data_; }
  const BYTE* GetReadPtr() const { return data_; }
  int GetDataSize() const { return data_size_; }
  int RefCount() const { return refcount_; }

  void AddRef() { ++refcount_; }
  void Release() {
    if (--refcount_ == 0) delete this;
  }

 protected:
  VideoFrameBuffer(BYTE* data, int data_size) : data_(data), data_size_(data_size) {}
  virtual ~VideoFrameBuffer() = default;

 private:
  BYTE* data_;
  int data_size_;
  int refcount_ = 0;
};

class VideoFrame {
 public:
  int GetPitch() const { return pitch_; }
  int GetRowSize() const { return row_size_; }
  int GetHeight() const { return height_; }
  const BYTE* GetReadPtr() const { return vfb_->GetReadPtr() + offset_; }
  // Null while anything else holds this frame or its buffer: writing would
  // change a frame that someone else still sees.
  BYTE* GetWritePtr() const {
    return (refcount_ == 1 && vfb_->RefCount() == 1) ? vfb_->GetWritePtr() + offset_ : nullptr;
  }
  int RefCount() const { return refcount_; }

  void AddRef() { ++refcount_; }
  void Release() {
    if (--refcount_ == 0) delete this;
  }

 protected:
  VideoFrame(VideoFrameBuffer* vfb, int offset, int pitch, int row_size, int height)
      : vfb_(vfb), offset_(offset), pitch_(pitch), row_size_(row_size), height_(height) {
    vfb_->AddRef();
  }
  virtual ~VideoFrame() { vfb_->Release(); }

 private:
  int refcount_ = 0;
  VideoFrameBuffer* vfb_;
  int offset_;
  int pitch_;
  int row_size_;
  int height_;
};

class PVideoFrame {
 public:
  PVideoFrame() = default;
  PVideoFrame(VideoFrame* p) : p_(p) { acquire(); }  // NOLINT: handles convert implicitly
  PVideoFrame(const PVideoFrame& other) : p_(other.p_) { acquire(); }
  PVideoFrame(PVideoFrame&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  PVideoFrame& operator=(const PVideoFrame& other) {
    if (other.p_) other.p_->AddRef();
    release();
    p_ = other.p_;
    return *this;
  }
  PVideoFrame& operator=(PVideoFrame&& other) noexcept {
    if (this != &other) {
      release();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }
  ~PVideoFrame() { release(); }

  VideoFrame* operator->() const { return p_; }
  VideoFrame* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  void acquire() {
    if (p_) p_->AddRef();
  }
  void release() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

  VideoFrame* p_ = nullptr;
};

}  // namespace avs

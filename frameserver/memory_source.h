// Frames held in memory: the source of tests and of generated clips.
#pragma once

#include <vector>

#include "frameserver/frame_source.h"

namespace frameserver {

class MemorySource final : public FrameSource {
 public:
  explicit MemorySource(std::vector<avs::PVideoFrame> frames) : frames_(std::move(frames)) {}
  avs::PVideoFrame frame(int n) override { return frames_.at(static_cast<size_t>(n)); }
  int size() const { return static_cast<int>(frames_.size()); }

 private:
  std::vector<avs::PVideoFrame> frames_;
};

}  // namespace frameserver

// A clip whose frames come from a FrameSource. Requests outside the clip are
// answered with its nearest frame, as filters ask for neighbours without range
// checks.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "frameserver/clip_base.h"
#include "frameserver/frame_source.h"
#include "frameserver/frames.h"

namespace frameserver {

template <class Api>
class SourceClip final : public ClipBase<Api> {
 public:
  SourceClip(std::shared_ptr<FrameSource> source, const ClipFormat& format)
      : source_(std::move(source)), vi_(to_video_info<Api>(format)) {
    note_clip_created();
  }
  ~SourceClip() override { note_clip_destroyed(); }

  avs::PVideoFrame GetFrame(int n, typename Api::IScriptEnvironment*) override {
    requests_.push_back(n);
    const int last = std::max(vi_.num_frames - 1, 0);
    return source_->frame(std::clamp(n, 0, last));
  }
  const typename Api::VideoInfo& GetVideoInfo() override { return vi_; }

  // Every frame number asked for, in order, before clamping.
  const std::vector<int>& requests() const { return requests_; }

 private:
  std::shared_ptr<FrameSource> source_;
  typename Api::VideoInfo vi_;
  std::vector<int> requests_;
};

}  // namespace frameserver

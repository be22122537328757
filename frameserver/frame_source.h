// Where a source clip gets its frames: from memory, from a file, from a pipe.
#pragma once

#include "host/interface/video_frame.h"

namespace frameserver {

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Frame n, with 0 <= n < the clip's frame count (the clip clamps requests
  // outside that range to the nearest frame). Throws HostError on failure.
  virtual avs::PVideoFrame frame(int n) = 0;
};

}  // namespace frameserver

// The filter's input clip, read from a YUV4MPEG2 stream as the frames are
// asked for. Only the last few frames are kept, so memory stays bounded on
// streams of any length; frames must be asked for in roughly increasing order
// (the filter asks for n - 1, n and n + 1). With an index of the frame offsets
// (a regular file) the count is known from the start and skipping forward
// seeks; on a pipe skipped frames are read and dropped and the count becomes
// known when the stream ends. The frames' pixels come from a Y4mReadAhead;
// the frames themselves stay on the thread that asks for them.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "cli/y4m_read_ahead.h"
#include "frameserver/frame_source.h"

namespace brisen_cli {

class Y4mFrameSource : public frameserver::FrameSource {
 public:
  static constexpr std::size_t kWindow = 4;

  // `index` holds the offset of every frame, or nothing for a stream whose
  // length is unknown.
  Y4mFrameSource(Y4mReadAhead& frames, std::optional<std::vector<std::int64_t>> index);

  // Throws frameserver::HostError for a frame already dropped or past the end;
  // errors of the stream itself pass as IoError.
  avs::PVideoFrame frame(int n) override;

  // Whether frame n exists, reading up to it when the count is not yet known.
  bool has_frame(int n);
  std::optional<int> frame_count() const { return count_; }

 private:
  bool read_next();
  void keep(int n, avs::PVideoFrame frame);

  Y4mReadAhead& frames_;
  std::optional<std::vector<std::int64_t>> index_;
  std::optional<int> count_;
  struct Entry {
    int n;
    avs::PVideoFrame frame;
  };
  std::deque<Entry> window_;
  avs::PVideoFrame spare_;  // a dropped frame nobody else holds, for reuse
};

}  // namespace brisen_cli

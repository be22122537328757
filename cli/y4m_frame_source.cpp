#include "cli/y4m_frame_source.h"

#include <string>
#include <utility>

#include "frameserver/errors.h"
#include "frameserver/frames.h"

namespace brisen_cli {

Y4mFrameSource::Y4mFrameSource(Y4mReadAhead& frames, std::optional<std::vector<std::int64_t>> index)
    : frames_(frames), index_(std::move(index)) {
  if (index_) count_ = static_cast<int>(index_->size());
}

bool Y4mFrameSource::read_next() {
  if (count_ && frames_.next_frame() >= *count_) return false;
  const int n = frames_.next_frame();
  const std::optional<std::vector<std::uint8_t>> yuy2 = frames_.next();
  if (!yuy2) {
    count_ = n;
    return false;
  }
  const int row_size = 2 * frames_.width();
  avs::PVideoFrame frame;
  if (spare_ && spare_->RefCount() == 1) frame = std::move(spare_);
  spare_ = avs::PVideoFrame();
  if (!frame) frame = frameserver::allocate_frame(row_size, frames_.height());
  frameserver::copy_rows(frame->GetWritePtr(), frame->GetPitch(), yuy2->data(), row_size, row_size,
                         frames_.height());
  keep(n, std::move(frame));
  return true;
}

void Y4mFrameSource::keep(int n, avs::PVideoFrame frame) {
  window_.push_back(Entry{n, std::move(frame)});
  while (window_.size() > kWindow) {
    if (window_.front().frame->RefCount() == 1) spare_ = std::move(window_.front().frame);
    window_.pop_front();
  }
}

bool Y4mFrameSource::has_frame(int n) {
  if (n < 0) return false;
  if (count_) return n < *count_;
  while (frames_.next_frame() <= n)
    if (!read_next()) return false;
  return true;
}

avs::PVideoFrame Y4mFrameSource::frame(int n) {
  for (const Entry& e : window_)
    if (e.n == n) return e.frame;
  if (n < 0 || (count_ && n >= *count_))
    throw frameserver::HostError("frame " + std::to_string(n) + " is outside the input");
  if (n < frames_.next_frame())
    throw frameserver::HostError("frame " + std::to_string(n) +
                                 " of the input was asked for after it was dropped; "
                                 "the input is read once, in order");
  // Far ahead in an indexed file: seek, keeping room for the frames just before n.
  const int first_kept = n - static_cast<int>(kWindow) + 1;
  if (index_ && first_kept > frames_.next_frame()) {
    window_.clear();
    frames_.seek_to_frame(first_kept, (*index_)[static_cast<std::size_t>(first_kept)]);
  }
  while (frames_.next_frame() <= n)
    if (!read_next())
      throw frameserver::HostError("frame " + std::to_string(n) + " is past the end of the input");
  return window_.back().frame;
}

}  // namespace brisen_cli

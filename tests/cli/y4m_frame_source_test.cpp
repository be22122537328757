// The filter's input clip over a stream: frames asked for as the filter asks
// (n - 1, n, n + 1), memory bounded by a few frames, the end of a pipe found
// by reading ahead.
#include <gtest/gtest.h>

#include <unistd.h>

#include <thread>

#include "cli/input_stream.h"
#include "cli/y4m_frame_source.h"
#include "cli/y4m_reader.h"
#include "frameserver/errors.h"
#include "frameserver/frames.h"
#include "tests/cli/y4m_samples.h"

namespace {

using brisen_cli::InputStream;
using brisen_cli::Y4mFrameSource;
using brisen_cli::Y4mReader;

constexpr int kW = 16;
constexpr int kH = 6;

// Luma sample 0 of each frame's payload differs from frame to frame.
int first_luma(const avs::PVideoFrame& f) { return f->GetReadPtr()[0]; }
int expected_first_luma(int n) { return static_cast<std::uint8_t>(cli_test::frame_payload(kW, kH, n)[0]); }

class FrameSourceTest : public testing::TestWithParam<bool> {
 protected:
  // The clip behind a pipe (unknown length) or in a file (indexed).
  void open(int frames) {
    bytes_ = cli_test::make_y4m(kW, kH, frames);
    if (GetParam()) {
      int fds[2];
      ASSERT_EQ(::pipe(fds), 0);
      writer_ = std::thread([fd = fds[1], this] {
        std::size_t done = 0;
        while (done < bytes_.size()) {
          ssize_t put = ::write(fd, bytes_.data() + done, bytes_.size() - done);
          if (put <= 0) break;
          done += static_cast<std::size_t>(put);
        }
        ::close(fd);
      });
      read_fd_ = fds[0];
      in_.emplace(read_fd_, "pipe", false);
    } else {
      cli_test::write_file(dir_ / "in.y4m", bytes_);
      in_.emplace(InputStream::open(dir_ / "in.y4m"));
    }
    reader_.emplace(*in_);
    std::optional<std::vector<std::int64_t>> index;
    if (in_->seekable()) index = reader_->index_frames();
    frames_.emplace(*reader_);
    source_.emplace(*frames_, std::move(index));
  }
  void TearDown() override {
    source_.reset();
    frames_.reset();
    reader_.reset();
    in_.reset();
    if (read_fd_ >= 0) ::close(read_fd_);
    if (writer_.joinable()) writer_.join();
  }
  bool is_pipe() const { return GetParam(); }

  cli_test::ScratchDir dir_;
  std::string bytes_;
  int read_fd_ = -1;
  std::thread writer_;
  std::optional<InputStream> in_;
  std::optional<Y4mReader> reader_;
  std::optional<brisen_cli::Y4mReadAhead> frames_;
  std::optional<Y4mFrameSource> source_;
};

TEST_P(FrameSourceTest, FilterOrderOfRequestsKeepsMemoryBounded) {
  const int frames = 40;
  open(frames);
  const long live_before = frameserver::live_counts().frames;
  EXPECT_EQ(source_->frame_count().has_value(), !is_pipe());
  for (int n = 0; n < frames; ++n) {
    ASSERT_TRUE(source_->has_frame(n));
    const bool last = !source_->has_frame(n + 1);
    EXPECT_EQ(last, n == frames - 1);
    EXPECT_EQ(first_luma(source_->frame(n)), expected_first_luma(n)) << n;
    if (n > 0) {
      EXPECT_EQ(first_luma(source_->frame(n - 1)), expected_first_luma(n - 1)) << n;
    }
    if (!last) {
      EXPECT_EQ(first_luma(source_->frame(n + 1)), expected_first_luma(n + 1)) << n;
    }
    EXPECT_LE(frameserver::live_counts().frames - live_before, static_cast<long>(Y4mFrameSource::kWindow) + 1);
  }
  EXPECT_EQ(source_->frame_count(), frames);
  EXPECT_FALSE(source_->has_frame(frames));
}

TEST_P(FrameSourceTest, DroppedAndMissingFramesAreHostErrors) {
  open(12);
  source_->frame(0);
  source_->frame(10);
  EXPECT_EQ(first_luma(source_->frame(7)), expected_first_luma(7));  // still kept
  EXPECT_THROW(source_->frame(2), frameserver::HostError);
  EXPECT_THROW(source_->frame(12), frameserver::HostError);
  EXPECT_EQ(first_luma(source_->frame(11)), expected_first_luma(11));
}

TEST_P(FrameSourceTest, FramesAreKeptWhileSomeoneHoldsThem) {
  open(10);
  const avs::PVideoFrame held = source_->frame(1);
  for (int n = 2; n < 10; ++n) source_->frame(n);
  // Frame 1 left the window but its pixels were not reused for later frames.
  EXPECT_EQ(first_luma(held), expected_first_luma(1));
}

INSTANTIATE_TEST_SUITE_P(PipeAndFile, FrameSourceTest, testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Pipe" : "File"; });

}  // namespace

// Reads a YUV4MPEG2 stream on a thread of its own, a few frames ahead of use,
// and hands each frame over as YUY2 rows of 2 * width bytes without padding,
// so reading and converting overlap the cleaning. While that thread runs, the
// reader and its stream are its own; everything else here belongs to the
// thread that owns this object, but for abandon().
#pragma once

#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "cli/bounded_queue.h"
#include "cli/read_interrupt.h"
#include "cli/y4m_reader.h"

namespace brisen_cli {

class Y4mReadAhead {
 public:
  static constexpr std::size_t kDepth = 3;

  // Reading starts with the first call of next().
  explicit Y4mReadAhead(Y4mReader& reader);
  Y4mReadAhead(const Y4mReadAhead&) = delete;
  Y4mReadAhead& operator=(const Y4mReadAhead&) = delete;
  ~Y4mReadAhead();

  int width() const { return width_; }
  int height() const { return height_; }
  // Number of the frame next() returns.
  int next_frame() const { return next_frame_; }

  // The next frame; nothing at the clean end of the stream. An error of the
  // stream is thrown here, by the call that asks for the frame it concerns.
  std::optional<std::vector<std::uint8_t>> next();
  // Seekable streams only: go on at frame `n`, found at `offset`.
  void seek_to_frame(int n, std::int64_t offset);

  // From any thread: stops reading for good; next() throws `reason`.
  void abandon(std::exception_ptr reason);

 private:
  struct Item {
    std::vector<std::uint8_t> yuy2;
    std::exception_ptr error;
  };

  void start();
  void stop();
  void read_frames();

  Y4mReader& reader_;
  int width_;
  int height_;
  int next_frame_;
  std::exception_ptr failure_;  // the stream's error, once next() has thrown it
  ReadInterrupt interrupt_;
  BoundedQueue<Item> queue_{kDepth};
  std::mutex abandon_mutex_;
  std::exception_ptr abandoned_for_;
  std::thread thread_;
};

}  // namespace brisen_cli

// Writes the cleaned frames of a YUV4MPEG2 stream on a thread of its own, so
// converting and writing overlap the cleaning of the frames after them.
// Frames come as YUY2 rows of 2 * width bytes without padding. The output
// stream is the writing thread's from construction until finish().
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

#include "cli/bounded_queue.h"
#include "cli/output_stream.h"
#include "cli/planar_frame.h"
#include "cli/y4m_header.h"
#include "cli/y4m_writer.h"

namespace brisen_cli {

class Y4mWriteBehind {
 public:
  static constexpr std::size_t kDepth = 3;

  // Writes the stream header. `on_failure` is called on the writing thread
  // with the error that stopped it, at once, so the caller can stop feeding it.
  Y4mWriteBehind(OutputStream& out, const Y4mHeader& header,
                 std::function<void(std::exception_ptr)> on_failure);
  Y4mWriteBehind(const Y4mWriteBehind&) = delete;
  Y4mWriteBehind& operator=(const Y4mWriteBehind&) = delete;
  // Frames not written yet are dropped.
  ~Y4mWriteBehind();

  // Queues a frame; throws the error that stopped writing, if any did.
  void write(std::vector<std::uint8_t> yuy2);
  // Waits until every queued frame is written (the stream is not flushed);
  // throws the error that stopped writing, if any did.
  void finish();

 private:
  void write_frames();

  Y4mWriter writer_;
  PlanarFrame planar_;
  std::function<void(std::exception_ptr)> on_failure_;
  BoundedQueue<std::vector<std::uint8_t>> queue_{kDepth};
  std::exception_ptr failure_;  // set by the writing thread before it closes the queue
  std::thread thread_;
};

}  // namespace brisen_cli

#include "cli/y4m_write_behind.h"

#include <stdexcept>
#include <utility>

#include "cli/worker_thread.h"
#include "cli/yuy2_convert.h"

namespace brisen_cli {

Y4mWriteBehind::Y4mWriteBehind(OutputStream& out, const Y4mHeader& header,
                               std::function<void(std::exception_ptr)> on_failure)
    : writer_(out, header), planar_(header.width, header.height), on_failure_(std::move(on_failure)) {
  thread_ = start_worker([this] { write_frames(); });
}

Y4mWriteBehind::~Y4mWriteBehind() {
  if (!thread_.joinable()) return;
  queue_.cancel();
  thread_.join();
}

void Y4mWriteBehind::write_frames() {
  try {
    while (std::optional<std::vector<std::uint8_t>> yuy2 = queue_.pop()) {
      yuy2_to_planar(yuy2->data(), 2 * planar_.width, planar_);
      writer_.write_frame(planar_);
    }
  } catch (...) {
    failure_ = std::current_exception();
    queue_.cancel();
    if (on_failure_) on_failure_(failure_);
  }
}

void Y4mWriteBehind::write(std::vector<std::uint8_t> yuy2) {
  if (queue_.push(std::move(yuy2))) return;
  finish();
  throw std::logic_error("a frame was written after the output was finished");
}

void Y4mWriteBehind::finish() {
  if (thread_.joinable()) {
    queue_.close();
    thread_.join();
  }
  if (failure_) std::rethrow_exception(failure_);
}

}  // namespace brisen_cli

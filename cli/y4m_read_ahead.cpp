#include "cli/y4m_read_ahead.h"

#include <utility>

#include "cli/planar_frame.h"
#include "cli/worker_thread.h"
#include "cli/yuy2_convert.h"

namespace brisen_cli {

Y4mReadAhead::Y4mReadAhead(Y4mReader& reader)
    : reader_(reader),
      width_(reader.header().width),
      height_(reader.header().height),
      next_frame_(reader.next_frame()) {
  reader_.stream().watch(&interrupt_);
}

Y4mReadAhead::~Y4mReadAhead() {
  stop();
  reader_.stream().watch(nullptr);
}

void Y4mReadAhead::start() {
  {
    // Under the lock, so an abandon() cannot slip in between and be undone.
    std::lock_guard lock(abandon_mutex_);
    if (abandoned_for_) std::rethrow_exception(abandoned_for_);
    queue_.reopen();
    interrupt_.clear();
  }
  thread_ = start_worker([this] { read_frames(); });
}

void Y4mReadAhead::stop() {
  if (!thread_.joinable()) return;
  queue_.cancel();
  interrupt_.raise();
  thread_.join();
}

void Y4mReadAhead::read_frames() {
  PlanarFrame planar;
  try {
    while (reader_.read_frame(planar)) {
      std::vector<std::uint8_t> yuy2(planar.data.size());
      planar_to_yuy2(planar, yuy2.data(), 2 * planar.width);
      if (!queue_.push(Item{std::move(yuy2), nullptr})) return;
    }
  } catch (const ReadInterrupted&) {
    return;
  } catch (...) {
    queue_.push(Item{{}, std::current_exception()});
  }
  queue_.close();
}

std::optional<std::vector<std::uint8_t>> Y4mReadAhead::next() {
  if (failure_) std::rethrow_exception(failure_);
  if (!thread_.joinable()) start();
  std::optional<Item> item = queue_.pop();
  if (!item) {
    std::lock_guard lock(abandon_mutex_);
    if (abandoned_for_) std::rethrow_exception(abandoned_for_);
    return std::nullopt;
  }
  if (item->error) {
    failure_ = item->error;
    std::rethrow_exception(failure_);
  }
  ++next_frame_;
  return std::move(item->yuy2);
}

void Y4mReadAhead::seek_to_frame(int n, std::int64_t offset) {
  stop();
  reader_.seek_to_frame(n, offset);
  next_frame_ = n;
  failure_ = nullptr;
}

void Y4mReadAhead::abandon(std::exception_ptr reason) {
  std::lock_guard lock(abandon_mutex_);
  abandoned_for_ = std::move(reason);
  queue_.cancel();
  interrupt_.raise();
}

}  // namespace brisen_cli

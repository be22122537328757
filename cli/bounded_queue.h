// Hands items from one thread to another, holding at most a fixed number, so
// a producer that runs ahead waits instead of filling memory.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace brisen_cli {

template <typename T>
class BoundedQueue {
 public:
  explicit BoundedQueue(std::size_t capacity) : capacity_(capacity) {}
  BoundedQueue(const BoundedQueue&) = delete;
  BoundedQueue& operator=(const BoundedQueue&) = delete;

  // Waits for room; false (and the item dropped) once the queue is closed.
  bool push(T item) {
    {
      std::unique_lock lock(mutex_);
      has_room_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
      if (closed_) return false;
      items_.push_back(std::move(item));
    }
    has_item_.notify_one();
    return true;
  }

  // Waits for an item; nothing once the queue is closed and empty.
  std::optional<T> pop() {
    std::optional<T> item;
    {
      std::unique_lock lock(mutex_);
      has_item_.wait(lock, [&] { return closed_ || !items_.empty(); });
      if (items_.empty()) return std::nullopt;
      item.emplace(std::move(items_.front()));
      items_.pop_front();
    }
    has_room_.notify_one();
    return item;
  }

  // Nothing more goes in; what is queued can still be taken.
  void close() {
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
    }
    has_item_.notify_all();
    has_room_.notify_all();
  }

  // Closes and drops what is queued.
  void cancel() {
    std::deque<T> dropped;
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
      dropped.swap(items_);
    }
    has_item_.notify_all();
    has_room_.notify_all();
  }

  // Open again and empty, for a new producer.
  void reopen() {
    std::deque<T> dropped;
    std::lock_guard lock(mutex_);
    closed_ = false;
    dropped.swap(items_);
  }

 private:
  const std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable has_item_;
  std::condition_variable has_room_;
  std::deque<T> items_;
  bool closed_ = false;
};

}  // namespace brisen_cli

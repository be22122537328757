// An array with guard zones on both sides: the guards hold a known value so
// that stray writes show, and under AddressSanitizer they are poisoned so that
// a stray read stops the program where it happens.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define BRISEN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRISEN_ASAN 1
#endif
#endif

#ifdef BRISEN_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace hardening {

template <typename T>
class GuardedArray {
 public:
  // 256 bytes on each side; a multiple of ASan's 8-byte granule, so the data
  // starts on one and the front guard is poisoned to its last byte.
  static constexpr std::size_t guard_elements = 256 / sizeof(T);

  GuardedArray(std::size_t size, T fill, T guard)
      : size_(size), guard_(guard), storage_(size + 2 * guard_elements, guard) {
    std::fill(data(), data() + size_, fill);
    poison(true);
  }
  ~GuardedArray() { poison(false); }
  GuardedArray(const GuardedArray&) = delete;
  GuardedArray& operator=(const GuardedArray&) = delete;

  T* data() { return storage_.data() + guard_elements; }
  const T* data() const { return storage_.data() + guard_elements; }
  std::size_t size() const { return size_; }

  bool guards_intact() const {
    const_cast<GuardedArray*>(this)->poison(false);
    const auto is_guard = [&](T v) { return v == guard_; };
    const bool intact = std::all_of(storage_.begin(), storage_.begin() + guard_elements, is_guard) &&
                        std::all_of(storage_.end() - guard_elements, storage_.end(), is_guard);
    const_cast<GuardedArray*>(this)->poison(true);
    return intact;
  }

 private:
  void poison([[maybe_unused]] bool on) {
#ifdef BRISEN_ASAN
    const std::size_t bytes = guard_elements * sizeof(T);
    if (on) {
      ASAN_POISON_MEMORY_REGION(storage_.data(), bytes);
      ASAN_POISON_MEMORY_REGION(data() + size_, bytes);
    } else {
      ASAN_UNPOISON_MEMORY_REGION(storage_.data(), bytes);
      ASAN_UNPOISON_MEMORY_REGION(data() + size_, bytes);
    }
#endif
  }

  std::size_t size_;
  T guard_;
  std::vector<T> storage_;
};

}  // namespace hardening

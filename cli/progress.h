// The progress line on standard error while frames are cleaned, and the
// summary line at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace brisen_cli {

// "frame 120/500 (24%), 24.3 fps, 0:16 left"; without a total the share and
// the time left are left out.
std::string format_progress(std::int64_t done, std::optional<std::int64_t> total, double seconds);

// "500 frames in 20.5 s (24.4 fps), 1234 luma samples changed (0.012%)"
std::string format_summary(std::int64_t frames, double seconds, std::uint64_t changed,
                           std::uint64_t luma_samples);

class Progress {
 public:
  // Draws nothing unless `enabled`.
  Progress(bool enabled, std::FILE* out);
  // Redraws at most a few times a second.
  void update(std::int64_t done, std::optional<std::int64_t> total);
  // Removes the progress line.
  void finish();
  double elapsed_seconds() const;

 private:
  bool enabled_;
  std::FILE* out_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_draw_;
  bool drawn_ = false;
};

}  // namespace brisen_cli

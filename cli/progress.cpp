#include "cli/progress.h"

#include <cmath>

namespace brisen_cli {

namespace {

std::string fixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

std::string clock_time(double seconds) {
  long s = std::lround(seconds);
  char buf[64];
  if (s >= 3600)
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
  return buf;
}

}  // namespace

std::string format_progress(std::int64_t done, std::optional<std::int64_t> total, double seconds) {
  std::string line = "frame " + std::to_string(done);
  if (total) {
    line += '/';  // appending in two steps keeps g++ 12 from a false -Wrestrict at -O3
    line += std::to_string(*total);
    if (*total > 0) line += " (" + std::to_string(done * 100 / *total) + "%)";
  }
  if (seconds > 0 && done > 0) {
    const double fps = static_cast<double>(done) / seconds;
    line += ", " + fixed(fps, 1) + " fps";
    if (total && *total >= done) line += ", " + clock_time(static_cast<double>(*total - done) / fps) + " left";
  }
  return line;
}

std::string format_summary(std::int64_t frames, double seconds, std::uint64_t changed,
                           std::uint64_t luma_samples) {
  std::string line = std::to_string(frames) + (frames == 1 ? " frame" : " frames") + " in " +
                     fixed(seconds, 1) + " s";
  if (seconds > 0) line += " (" + fixed(static_cast<double>(frames) / seconds, 1) + " fps)";
  line += ", " + std::to_string(changed) + " luma samples changed";
  if (luma_samples > 0)
    line += " (" + fixed(100.0 * static_cast<double>(changed) / static_cast<double>(luma_samples), 3) + "%)";
  return line;
}

Progress::Progress(bool enabled, std::FILE* out)
    : enabled_(enabled), out_(out), start_(std::chrono::steady_clock::now()), last_draw_(start_) {}

double Progress::elapsed_seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Progress::update(std::int64_t done, std::optional<std::int64_t> total) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - last_draw_ < std::chrono::milliseconds(250)) return;
  last_draw_ = now;
  drawn_ = true;
  // \33[K clears what a longer earlier line left behind.
  std::fprintf(out_, "\r%s\33[K", format_progress(done, total, elapsed_seconds()).c_str());
  std::fflush(out_);
}

void Progress::finish() {
  if (!enabled_ || !drawn_) return;
  std::fprintf(out_, "\r\33[K");
  std::fflush(out_);
  drawn_ = false;
}

}  // namespace brisen_cli

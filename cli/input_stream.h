// Buffered reading from a file descriptor, with seeking when the descriptor is
// a regular file. Read errors become IoError naming the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/read_interrupt.h"

namespace brisen_cli {

class InputStream {
 public:
  // Opens `path` for reading; "-" is standard input.
  static InputStream open(const std::string& path);
  InputStream(int fd, std::string name, bool owns_fd);
  InputStream(InputStream&& other) noexcept;
  InputStream& operator=(InputStream&&) = delete;
  ~InputStream();

  const std::string& name() const { return name_; }
  bool seekable() const { return seekable_; }
  // Size of the underlying regular file; 0 when not seekable.
  std::int64_t file_size() const { return file_size_; }
  // Offset of the next byte to be read, counted from where reading started.
  std::int64_t position() const { return position_; }

  // Reads up to `n` bytes; fewer only at the end of the stream.
  std::size_t read(std::uint8_t* dst, std::size_t n);
  // The bytes up to the next '\n' (not included). Nothing when the stream ends
  // before any byte; `terminated` tells whether the '\n' was found. Stops after
  // `max_length` bytes without one.
  struct Line {
    std::string text;
    bool terminated = false;
  };
  std::optional<Line> read_line(std::size_t max_length);
  // Seekable streams only.
  void seek(std::int64_t offset);
  // While `interrupt` is given, a read that waits for data (from anything but
  // a regular file) throws ReadInterrupted once it is raised.
  void watch(const ReadInterrupt* interrupt) { interrupt_ = interrupt; }

 private:
  bool fill();
  void wait_for_data();

  int fd_;
  std::string name_;
  bool owns_fd_;
  bool seekable_ = false;
  std::int64_t file_size_ = 0;
  std::int64_t position_ = 0;
  std::int64_t base_ = 0;  // file offset where reading started
  std::vector<std::uint8_t> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  const ReadInterrupt* interrupt_ = nullptr;
};

}  // namespace brisen_cli

// Buffered writing to a file descriptor. Write errors (a full disk, a reader
// that went away) become IoError naming the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brisen_cli {

class OutputStream {
 public:
  OutputStream(int fd, std::string name);
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;

  const std::string& name() const { return name_; }
  void write(const std::uint8_t* data, std::size_t n);
  void write(const std::string& text);
  void flush();

 private:
  void write_through(const std::uint8_t* data, std::size_t n);

  int fd_;
  std::string name_;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace brisen_cli

#include "cli/output_stream.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "cli/cli_errors.h"

namespace brisen_cli {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

OutputStream::OutputStream(int fd, std::string name) : fd_(fd), name_(std::move(name)) {
  buffer_.reserve(kBufferSize);
}

void OutputStream::write_through(const std::uint8_t* data, std::size_t n) {
  while (n > 0) {
    ssize_t put = ::write(fd_, data, n);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw IoError("cannot write " + name_ + ": " + std::strerror(errno));
    }
    data += put;
    n -= static_cast<std::size_t>(put);
  }
}

void OutputStream::write(const std::uint8_t* data, std::size_t n) {
  if (buffer_.size() + n > kBufferSize) flush();
  if (n >= kBufferSize) {
    write_through(data, n);
    return;
  }
  buffer_.insert(buffer_.end(), data, data + n);
}

void OutputStream::write(const std::string& text) {
  write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void OutputStream::flush() {
  if (buffer_.empty()) return;
  write_through(buffer_.data(), buffer_.size());
  buffer_.clear();
}

}  // namespace brisen_cli

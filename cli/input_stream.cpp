#include "cli/input_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "cli/cli_errors.h"

namespace brisen_cli {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

InputStream InputStream::open(const std::string& path) {
  if (path == "-") return InputStream(STDIN_FILENO, "standard input", false);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw IoError("cannot open " + path + ": " + std::strerror(errno));
  return InputStream(fd, path, true);
}

InputStream::InputStream(int fd, std::string name, bool owns_fd)
    : fd_(fd), name_(std::move(name)), owns_fd_(owns_fd), buffer_(kBufferSize) {
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    if (owns_fd_) ::close(fd_);
    owns_fd_ = false;
    throw IoError(name_ + " is a directory");
  }
  if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
    off_t here = ::lseek(fd_, 0, SEEK_CUR);
    if (here >= 0) {
      seekable_ = true;
      file_size_ = st.st_size - here;
      base_ = here;
    }
  }
}

InputStream::InputStream(InputStream&& other) noexcept
    : fd_(other.fd_),
      name_(std::move(other.name_)),
      owns_fd_(std::exchange(other.owns_fd_, false)),
      seekable_(other.seekable_),
      file_size_(other.file_size_),
      position_(other.position_),
      base_(other.base_),
      buffer_(std::move(other.buffer_)),
      begin_(other.begin_),
      end_(other.end_),
      interrupt_(other.interrupt_) {}

InputStream::~InputStream() {
  if (owns_fd_) ::close(fd_);
}

void InputStream::wait_for_data() {
  if (!interrupt_ || seekable_) return;
  pollfd watched[2] = {{fd_, POLLIN, 0}, {interrupt_->fd(), POLLIN, 0}};
  while (::poll(watched, 2, -1) < 0) {
    if (errno != EINTR) throw IoError("cannot read " + name_ + ": " + std::strerror(errno));
  }
  if (watched[1].revents != 0) throw ReadInterrupted();
  // Data, the end or an error: read() tells which.
}

bool InputStream::fill() {
  begin_ = 0;
  end_ = 0;
  for (;;) {
    wait_for_data();
    ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
    if (got > 0) {
      end_ = static_cast<std::size_t>(got);
      return true;
    }
    if (got == 0) return false;
    if (errno == EINTR) continue;
    throw IoError("cannot read " + name_ + ": " + std::strerror(errno));
  }
}

std::size_t InputStream::read(std::uint8_t* dst, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    if (begin_ < end_) {
      std::size_t take = std::min(n - done, end_ - begin_);
      std::memcpy(dst + done, buffer_.data() + begin_, take);
      begin_ += take;
      done += take;
      continue;
    }
    // Large payloads go straight to their destination.
    if (n - done >= buffer_.size()) {
      wait_for_data();
      ssize_t got = ::read(fd_, dst + done, n - done);
      if (got > 0) {
        done += static_cast<std::size_t>(got);
        continue;
      }
      if (got == 0) break;
      if (errno == EINTR) continue;
      throw IoError("cannot read " + name_ + ": " + std::strerror(errno));
    }
    if (!fill()) break;
  }
  position_ += static_cast<std::int64_t>(done);
  return done;
}

std::optional<InputStream::Line> InputStream::read_line(std::size_t max_length) {
  Line line;
  bool any = false;
  while (line.text.size() < max_length) {
    if (begin_ == end_ && !fill()) break;
    any = true;
    const std::uint8_t* start = buffer_.data() + begin_;
    std::size_t avail = std::min(end_ - begin_, max_length - line.text.size());
    const void* nl = std::memchr(start, '\n', avail);
    std::size_t take = nl ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nl) - start) : avail;
    line.text.append(reinterpret_cast<const char*>(start), take);
    begin_ += take;
    position_ += static_cast<std::int64_t>(take);
    if (nl) {
      ++begin_;
      ++position_;
      line.terminated = true;
      break;
    }
  }
  if (!any) return std::nullopt;
  return line;
}

void InputStream::seek(std::int64_t offset) {
  if (!seekable_) throw IoError("cannot seek in " + name_);
  if (::lseek(fd_, static_cast<off_t>(base_ + offset), SEEK_SET) < 0)
    throw IoError("cannot seek in " + name_ + ": " + std::strerror(errno));
  begin_ = end_ = 0;
  position_ = offset;
}

}  // namespace brisen_cli

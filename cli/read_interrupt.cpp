#include "cli/read_interrupt.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "cli/cli_errors.h"

namespace brisen_cli {

ReadInterrupt::ReadInterrupt() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (fd_ < 0) throw IoError(std::string("cannot create an event descriptor: ") + std::strerror(errno));
}

ReadInterrupt::~ReadInterrupt() { ::close(fd_); }

void ReadInterrupt::raise() noexcept {
  const std::uint64_t one = 1;
  // Fails only when the counter is full, that is when it is raised already.
  [[maybe_unused]] const ssize_t put = ::write(fd_, &one, sizeof one);
}

void ReadInterrupt::clear() noexcept {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t got = ::read(fd_, &count, sizeof count);
}

}  // namespace brisen_cli

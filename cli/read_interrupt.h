// Ends another thread's wait for input. A stream that watches a ReadInterrupt
// (InputStream::watch) stops waiting for data once it is raised and throws
// ReadInterrupted; a pipe whose writer stalls can then no longer hold up the
// end of a run.
#pragma once

#include <exception>

namespace brisen_cli {

class ReadInterrupted : public std::exception {
 public:
  const char* what() const noexcept override { return "reading was interrupted"; }
};

class ReadInterrupt {
 public:
  ReadInterrupt();  // throws IoError
  ReadInterrupt(const ReadInterrupt&) = delete;
  ReadInterrupt& operator=(const ReadInterrupt&) = delete;
  ~ReadInterrupt();

  // From any thread.
  void raise() noexcept;
  void clear() noexcept;
  // Readable while raised.
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace brisen_cli

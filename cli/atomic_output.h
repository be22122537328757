// An output file that appears only when everything was written: data goes to
// a temporary file beside the target, which is renamed over it on commit and
// removed on failure, on destruction without commit, and on SIGINT, SIGTERM or
// SIGHUP. An existing file at the target stays untouched until the commit.
// "-" is standard output; a target that exists and is not a regular file (a
// FIFO, /dev/null) is written in place, since it cannot be replaced.
#pragma once

#include <string>

namespace brisen_cli {

class AtomicOutput {
 public:
  explicit AtomicOutput(const std::string& path);
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;
  ~AtomicOutput();

  int fd() const { return fd_; }
  // For messages: the target path, or "standard output".
  const std::string& name() const { return name_; }
  // Makes the file appear at its path. Throws IoError.
  void commit();

 private:
  void discard() noexcept;

  std::string name_;
  std::string target_;
  std::string temp_;  // empty when written in place
  int fd_ = -1;
  bool owns_fd_ = false;
  int slot_ = -1;
  bool done_ = false;
};

// Installs the signal handlers that remove uncommitted temporary files.
void remove_temporaries_on_signals();

}  // namespace brisen_cli

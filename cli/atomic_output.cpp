#include "cli/atomic_output.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "cli/cli_errors.h"

namespace brisen_cli {

namespace {

// Paths the signal handler removes; a slot is live while its flag is set.
constexpr int kSlots = 8;
char g_paths[kSlots][PATH_MAX];
volatile sig_atomic_t g_live[kSlots];

int claim_slot(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    if (!g_live[i]) {
      std::memcpy(g_paths[i], path.c_str(), path.size() + 1);
      g_live[i] = 1;
      return i;
    }
  }
  return -1;
}

void release_slot(int slot) {
  if (slot >= 0) g_live[slot] = 0;
}

extern "C" void remove_and_die(int sig) {
  for (int i = 0; i < kSlots; ++i)
    if (g_live[i]) ::unlink(g_paths[i]);
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

std::string directory_of(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string base_of(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t default_mode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void remove_temporaries_on_signals() {
  struct sigaction action {};
  action.sa_handler = remove_and_die;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

AtomicOutput::AtomicOutput(const std::string& path) : target_(path) {
  if (path == "-") {
    name_ = "standard output";
    fd_ = STDOUT_FILENO;
    return;
  }
  name_ = path;
  if (path.empty() || path.back() == '/') throw IoError("cannot write '" + path + "': not a file name");
  struct stat st {};
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) throw IoError("cannot write " + path + ": it is a directory");
  if (exists && !S_ISREG(st.st_mode)) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) throw IoError("cannot open " + path + ": " + std::strerror(errno));
    owns_fd_ = true;
    return;
  }
  std::string pattern = directory_of(path) + "/." + base_of(path) + ".brisen-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  // Signals wait until the file is registered, so none can orphan it.
  sigset_t fatal;
  sigset_t before;
  sigemptyset(&fatal);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&fatal, sig);
  ::sigprocmask(SIG_BLOCK, &fatal, &before);
  fd_ = ::mkostemp(buf.data(), O_CLOEXEC);
  int err = errno;
  if (fd_ >= 0) slot_ = claim_slot(buf.data());
  ::sigprocmask(SIG_SETMASK, &before, nullptr);
  if (fd_ < 0) throw IoError("cannot create a file beside " + path + ": " + std::strerror(err));
  temp_ = buf.data();
  owns_fd_ = true;
  ::fchmod(fd_, exists ? (st.st_mode & 07777) : default_mode());
}

AtomicOutput::~AtomicOutput() {
  if (!done_) discard();
}

void AtomicOutput::discard() noexcept {
  if (owns_fd_ && fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  release_slot(slot_);
  slot_ = -1;
  done_ = true;
}

void AtomicOutput::commit() {
  if (done_) return;
  if (!temp_.empty()) {
    if (::fsync(fd_) != 0) {
      std::string why = std::strerror(errno);
      discard();
      throw IoError("cannot write " + name_ + ": " + why);
    }
  }
  if (owns_fd_ && ::close(fd_) != 0) {
    std::string why = std::strerror(errno);
    fd_ = -1;
    discard();
    throw IoError("cannot write " + name_ + ": " + why);
  }
  fd_ = -1;
  if (!temp_.empty() && ::rename(temp_.c_str(), target_.c_str()) != 0) {
    std::string why = std::strerror(errno);
    discard();
    throw IoError("cannot create " + name_ + ": " + why);
  }
  release_slot(slot_);
  slot_ = -1;
  done_ = true;
}

}  // namespace brisen_cli

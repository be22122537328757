// Runs the built brisen command as a child process: its standard input fed from
// a string or a generator through a pipe, its standard output drained, and
// what it did collected, its peak memory included.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace hardening {

struct ChildResult {
  int exit_status = -1;  // when it exited
  int signal = 0;        // when a signal ended it
  std::string err;
  std::uint64_t out_bytes = 0;
  std::string out_head;  // the first bytes of standard output
  long max_rss_kb = 0;
};

// Writes pieces of standard input until it returns an empty string.
using InputFeed = std::function<std::string()>;

class Child {
 public:
  // `feed` null: standard input is /dev/null. `stdout_path` empty: standard
  // output is a pipe that is read to the end (or closed at once when
  // `close_stdout`).
  Child(const std::vector<std::string>& args, InputFeed feed, bool close_stdout = false) {
    ::signal(SIGPIPE, SIG_IGN);
    int in[2];
    int out[2];
    int err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (feed) {
      posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    } else {
      posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned != 0) throw std::runtime_error("cannot start " + args[0]);

    feeder_ = std::thread([fd = in[1], feed = std::move(feed), this] {
      while (feed && !stop_) {
        const std::string piece = feed();
        if (piece.empty()) break;
        if (!write_all(fd, piece)) break;
      }
      ::close(fd);
    });
    if (close_stdout) {
      ::close(out[0]);
    } else {
      out_reader_ = std::thread([fd = out[0], this] {
        char buf[1 << 16];
        for (ssize_t got; (got = ::read(fd, buf, sizeof buf)) != 0;) {
          if (got < 0 && errno == EINTR) continue;
          if (got < 0) break;
          if (result_.out_head.size() < 4096) result_.out_head.append(buf, static_cast<std::size_t>(got));
          result_.out_bytes += static_cast<std::uint64_t>(got);
        }
        ::close(fd);
      });
    }
    err_reader_ = std::thread([fd = err[0], this] {
      char buf[4096];
      for (ssize_t got; (got = ::read(fd, buf, sizeof buf)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        result_.err.append(buf, static_cast<std::size_t>(got));
      }
      ::close(fd);
    });
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (!waited_) {
      ::kill(pid_, SIGKILL);
      wait();
    }
  }

  void signal(int sig) { ::kill(pid_, sig); }

  ChildResult wait() {
    int status = 0;
    rusage usage{};
    while (::wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    waited_ = true;
    stop_ = true;
    if (feeder_.joinable()) feeder_.join();
    if (out_reader_.joinable()) out_reader_.join();
    if (err_reader_.joinable()) err_reader_.join();
    if (WIFEXITED(status)) result_.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result_.signal = WTERMSIG(status);
    result_.max_rss_kb = usage.ru_maxrss;
    return result_;
  }

 private:
  static bool write_all(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;  // the child stopped reading
      done += static_cast<std::size_t>(put);
    }
    return true;
  }

  pid_t pid_ = 0;
  bool waited_ = false;
  std::atomic<bool> stop_{false};
  ChildResult result_;
  std::thread feeder_;
  std::thread out_reader_;
  std::thread err_reader_;
};

// A feed that hands out `bytes` once.
inline InputFeed bytes_once(std::string bytes) {
  return [bytes = std::move(bytes), sent = false]() mutable {
    if (sent) return std::string();
    sent = true;
    return bytes;
  };
}

}  // namespace hardening

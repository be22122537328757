// Threads that help the main one. They never take SIGINT, SIGTERM or SIGHUP:
// the main thread does, so the handler that removes temporary files never runs
// while the main thread has those signals held off to register a new file.
#pragma once

#include <signal.h>

#include <thread>
#include <utility>

namespace brisen_cli {

template <typename Body>
std::thread start_worker(Body&& body) {
  sigset_t fatal;
  sigset_t before;
  sigemptyset(&fatal);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&fatal, sig);
  ::pthread_sigmask(SIG_BLOCK, &fatal, &before);
  struct RestoreMask {
    const sigset_t& mask;
    ~RestoreMask() { ::pthread_sigmask(SIG_SETMASK, &mask, nullptr); }
  } restore{before};
  return std::thread(std::forward<Body>(body));  // the new thread inherits the mask
}

}  // namespace brisen_cli

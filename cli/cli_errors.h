// Failures of the command, sorted by the exit status they earn: a UsageError
// is the caller's mistake (exit 2), an IoError is trouble with the input, the
// output or the plug-in (exit 1).
#pragma once

#include <stdexcept>

namespace brisen_cli {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The filter refused its arguments; its message is shown exactly as it came.
class FilterRefusal : public UsageError {
 public:
  using UsageError::UsageError;
};

inline constexpr int kExitOk = 0;
inline constexpr int kExitIo = 1;
inline constexpr int kExitUsage = 2;

}  // namespace brisen_cli

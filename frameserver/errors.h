// Errors of the frame server. ScriptError carries a plug-in's message exactly
// as it was raised; HostError is the server's own trouble (loading, calls).
#pragma once

#include <stdexcept>
#include <string>

namespace frameserver {

class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class HostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace frameserver

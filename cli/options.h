// The command line of brisen, parsed and checked. Only the syntax is checked
// here; the filter's own argument checks happen when it is created.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frameserver/session.h"

namespace brisen_cli {

struct FrameRange {
  int first = 0;
  std::optional<int> last;  // inclusive; none means to the end
};

struct SnapshotRequest {
  int frame = 0;
  std::string path;
};

struct Options {
  enum class Command { Clean, Demo, ShowText };
  Command command = Command::Clean;
  std::string text;  // for ShowText: help or version, printed to standard output

  std::string input;
  std::string output;
  // The filter options that were given, named as the script's parameters, in
  // the order of its signature.
  std::vector<frameserver::IntArg> filter_args;
  frameserver::CpuReport cpu = frameserver::CpuReport::Auto;
  std::optional<FrameRange> frames;
  std::optional<SnapshotRequest> snapshot;
  std::optional<std::string> plugin;
  bool quiet = false;
  std::string demo_dir = "brisen-demo";
};

// Throws UsageError with a message for the user.
Options parse_options(int argc, const char* const* argv);

// A whole decimal number within 32-bit signed range ("+7", "-12"); nothing else.
std::optional<int> parse_int32(const std::string& text);
// "A:B" or "A:" with 0 <= A <= B. Throws UsageError.
FrameRange parse_frame_range(const std::string& text);

}  // namespace brisen_cli

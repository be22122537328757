// Parameter signatures of script functions, such as "c[temp_precision]i":
// a type letter per parameter, a bracketed name before it for the optional
// named ones.
#pragma once

#include <string>
#include <vector>

namespace frameserver {

struct Parameter {
  std::string name;  // empty for a positional-only parameter
  char type;         // 'c' clip, 'i' integer, 's' string, ...
};

// Throws HostError for a signature it cannot read.
std::vector<Parameter> parse_signature(const std::string& signature);

}  // namespace frameserver

// Where the plug-in installed with the command lives.
#pragma once

#include <string>
#include <vector>

namespace brisen_cli {

// The places looked at, in order, for an executable in `exe_dir`: the
// installed layout (<prefix>/bin next to <prefix>/lib/brisen) first, then the
// build tree (<build>/cli next to <build>/host).
std::vector<std::string> plugin_candidates(const std::string& exe_dir);

// The first candidate that exists, for the running executable. Throws IoError
// naming the places looked at when there is none.
std::string default_plugin_path();

}  // namespace brisen_cli

// Runs the built brisen command through the shell and collects what it did.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/cli/y4m_samples.h"

namespace cli_test {

inline const std::string kBrisen = BRISEN_EXE;
inline const std::string kPlugin = BRISEN_PLUGIN;

inline std::string quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct Result {
  int status = -1;  // exit status; 128 + signal when killed
  std::string out;
  std::string err;
};

// Runs `command` with bash in `dir`; "brisen" in it stands for the built
// command, given the built plug-in unless `own_plugin_option`.
inline Result run_in(const ScratchDir& dir, const std::string& command, bool own_plugin_option = false) {
  std::string expanded;
  const std::string brisen = quoted(kBrisen) + (own_plugin_option ? "" : " --plugin " + quoted(kPlugin));
  for (std::size_t i = 0; i < command.size();) {
    if (command.compare(i, 7, "brisen ") == 0 && (i == 0 || command[i - 1] == ' ' || command[i - 1] == '|')) {
      expanded += brisen + " ";
      i += 7;
    } else {
      expanded += command[i++];
    }
  }
  const std::string full = "cd " + quoted(dir.path()) + " && set -o pipefail && (" + expanded + ") > " +
                           quoted(dir / ".stdout") + " 2> " + quoted(dir / ".stderr");
  const int raw = std::system(("bash -c " + quoted(full)).c_str());
  Result r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  r.out = read_file(dir / ".stdout");
  r.err = read_file(dir / ".stderr");
  ::unlink((dir / ".stdout").c_str());
  ::unlink((dir / ".stderr").c_str());
  return r;
}

// The frames of a YUV4MPEG2 stream written by brisen (plain FRAME lines).
inline std::vector<std::string> y4m_frames(const std::string& bytes, std::string* header = nullptr) {
  std::vector<std::string> frames;
  const std::size_t eol = bytes.find('\n');
  if (eol == std::string::npos) return frames;
  if (header) *header = bytes.substr(0, eol);
  int w = 0;
  int h = 0;
  std::sscanf(bytes.c_str(), "YUV4MPEG2 W%d H%d", &w, &h);
  const std::size_t payload = static_cast<std::size_t>(w) * h * 2;
  for (std::size_t pos = eol + 1; pos + 6 + payload <= bytes.size(); pos += 6 + payload) {
    if (bytes.compare(pos, 6, "FRAME\n") != 0) break;
    frames.push_back(bytes.substr(pos + 6, payload));
  }
  return frames;
}

}  // namespace cli_test

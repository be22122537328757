#include "cli/plugin_path.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "cli/cli_errors.h"

namespace brisen_cli {

std::vector<std::string> plugin_candidates(const std::string& exe_dir) {
  return {exe_dir + "/../lib/brisen/libbrisen.so", exe_dir + "/../host/libbrisen.so"};
}

std::string default_plugin_path() {
  char exe[PATH_MAX];
  ssize_t len = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (len <= 0)
    throw IoError(std::string("cannot find the executable's own path to locate the plug-in (") +
                  std::strerror(errno) + "); give it with --plugin PATH");
  std::string path(exe, static_cast<std::size_t>(len));
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
  std::string looked;
  for (const std::string& candidate : plugin_candidates(dir)) {
    if (::access(candidate.c_str(), R_OK) == 0) return candidate;
    looked += (looked.empty() ? "" : ", ") + candidate;
  }
  throw IoError("cannot find the plug-in (looked at " + looked + "); give it with --plugin PATH");
}

}  // namespace brisen_cli

// brisen: cleans YUV4MPEG2 video with the Brisen plug-in.
#include <signal.h>

#include <cstdio>
#include <exception>
#include <new>

#include "cli/atomic_output.h"
#include "cli/clean_command.h"
#include "cli/cli_errors.h"
#include "cli/demo_command.h"
#include "cli/options.h"
#include "frameserver/errors.h"

using namespace brisen_cli;

int main(int argc, char** argv) {
  // A reader that goes away shows up as a write error (EPIPE), so the
  // temporary output is removed on the way out.
  ::signal(SIGPIPE, SIG_IGN);
  remove_temporaries_on_signals();
  try {
    const Options options = parse_options(argc, argv);
    switch (options.command) {
      case Options::Command::ShowText:
        std::fputs(options.text.c_str(), stdout);
        return std::fflush(stdout) == 0 ? kExitOk : kExitIo;
      case Options::Command::Demo:
        run_demo(options);
        return kExitOk;
      case Options::Command::Clean:
        run_clean(options);
        return kExitOk;
    }
  } catch (const FilterRefusal& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return kExitUsage;
  } catch (const UsageError& e) {
    std::fprintf(stderr, "brisen: %s\nTry 'brisen --help' for more information.\n", e.what());
    return kExitUsage;
  } catch (const IoError& e) {
    std::fprintf(stderr, "brisen: %s\n", e.what());
    return kExitIo;
  } catch (const frameserver::ScriptError& e) {
    std::fprintf(stderr, "brisen: %s\n", e.what());
    return kExitIo;
  } catch (const frameserver::HostError& e) {
    std::fprintf(stderr, "brisen: %s\n", e.what());
    return kExitIo;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "brisen: out of memory\n");
    return kExitIo;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "brisen: %s\n", e.what());
    return kExitIo;
  }
  return kExitIo;
}

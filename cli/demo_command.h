// `brisen demo [DIR]`: cleans a made-up dusty clip with the default settings
// and shows what it did.
#pragma once

#include "cli/options.h"

namespace brisen_cli {

void run_demo(const Options& options);

}  // namespace brisen_cli

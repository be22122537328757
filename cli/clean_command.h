// `brisen [OPTIONS] INPUT OUTPUT`: cleans a YUV4MPEG2 stream with the plug-in.
#pragma once

#include "cli/options.h"

namespace brisen_cli {

// Throws UsageError, FilterRefusal, IoError or the frame server's errors.
void run_clean(const Options& options);

}  // namespace brisen_cli

#pragma once

#include "host/api.h"

namespace brisen {

inline constexpr const char* kFunctionName = "Brisen";
inline constexpr const char* kSignature =
    "c[temp_precision]i[motion_depth]i[method]i[spat_precision]i[spat_depth]i[threshold]i";
inline constexpr const char* kDescription = "Brisen: slightly cleans movies";

// The script function: reads and checks the arguments and builds the filter.
AVSValue create_filter(AVSValue args, void* user_data, IScriptEnvironment* env);

}  // namespace brisen

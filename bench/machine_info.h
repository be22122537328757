// What the table was measured on.
#pragma once

#include <string>

namespace brisen_bench {

// The processor's model name, or "unknown processor".
std::string processor_model();
// The instruction sets the kernel table offers here, lowest first.
std::string instruction_sets();

}  // namespace brisen_bench

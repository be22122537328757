// Fast forms of the integer-SSE kernels, per instruction set.
#pragma once

#include "kernels/kernel_table.h"

namespace brisen::fast {

// The fast clean_frame_isse / clean_field_isse for `isa` (portable or above).
Kernel isse_frame_kernel(InstructionSet isa);
Kernel isse_field_kernel(InstructionSet isa);

}  // namespace brisen::fast

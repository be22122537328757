// Fast forms of the portable kernels, per instruction set.
#pragma once

#include "kernels/kernel_table.h"

namespace brisen::fast {

// The fast clean_frame_plain / clean_field_plain for `isa` (portable or above).
Kernel plain_frame_kernel(InstructionSet isa);
Kernel plain_field_kernel(InstructionSet isa);

}  // namespace brisen::fast

#include "kernels/fast/plain_kernels.h"

#include "kernels/reference_table.h"

namespace brisen::fast {

// Until the fast forms exist, every instruction set runs the reference form.
Kernel plain_frame_kernel(InstructionSet) { return reference::without_workspace<reference::clean_frame_plain>; }
Kernel plain_field_kernel(InstructionSet) { return reference::without_workspace<reference::clean_field_plain>; }

}  // namespace brisen::fast

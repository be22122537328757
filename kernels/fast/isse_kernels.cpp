#include "kernels/fast/isse_kernels.h"

#include "kernels/reference_table.h"

namespace brisen::fast {

// Until the fast forms exist, every instruction set runs the reference form.
Kernel isse_frame_kernel(InstructionSet) { return reference::without_workspace<reference::clean_frame_isse>; }
Kernel isse_field_kernel(InstructionSet) { return reference::without_workspace<reference::clean_field_isse>; }

}  // namespace brisen::fast

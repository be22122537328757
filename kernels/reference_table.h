// The reference forms with the signature of the kernel table.
#pragma once

#include "kernels/kernel_table.h"
#include "kernels/reference_kernels.h"

namespace brisen::reference {

template <void (*Form)(FilterState&, const FrameSet&, const BlockCopy&)>
void without_workspace(FilterState& state, const FrameSet& frames, const BlockCopy& block_copy, KernelWorkspace&) {
  Form(state, frames, block_copy);
}

}  // namespace brisen::reference

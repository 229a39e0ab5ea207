// The instruction set below the processor class: the vector kernels are SSE2 (every x86-64
// processor); their AVX2 twins run only where the processor and the system support AVX2.
#pragma once

#include "jpeg/jcodec_cpu.h"  // jpeg_force_sse2, jpeg_avx2_available

namespace jcodec {

// True when the AVX2 twins may run: checked once per process, false while forced off.
bool vector_use_avx2();
// The vector classes' kernel_leave: clears the upper vector halves after AVX2 work.
void vector_kernel_leave();

}  // namespace jcodec

// The instruction set below the processor class: the vector kernels are SSE2 (every x86-64
// processor); their AVX2 twins run only where the processor and the system support AVX2.
#pragma once

namespace jcodec {

// True when the AVX2 twins may run: checked once per process, false while forced off.
bool vector_avx2();

}  // namespace jcodec

// Tests and benchmarks: true keeps the SSE2 members even on an AVX2 processor. Takes effect for
// kernel tables filled afterwards (JpegCodecInit).
void jpeg_force_sse2(bool on);

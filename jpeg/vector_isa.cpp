// Instruction-set choice below the processor class: SSE2 always, the AVX2 members only where the
// processor and the system support AVX2. Checked once per process.
#include <atomic>

#include "jpeg/vector_isa.h"

namespace jcodec {
void vector_clear_upper_avx2();  // vector_avx2.cpp
}

namespace {

std::atomic<bool> g_force_sse2{false};

bool avx2_present() {
#if defined(__x86_64__) || defined(__i386__)
  // covers the operating system's support for the upper register halves as well
  static const bool present = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return present;
#else
  return false;
#endif
}

}  // namespace

void jpeg_force_sse2(bool on) { g_force_sse2.store(on); }
bool jpeg_avx2_available() { return avx2_present(); }

namespace jcodec {

bool vector_use_avx2() { return avx2_present() && !g_force_sse2.load(std::memory_order_relaxed); }

void vector_kernel_leave() {
  if (avx2_present()) vector_clear_upper_avx2();
}

}  // namespace jcodec

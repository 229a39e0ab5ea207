#include "jpeg/vector_isa.h"

#include <atomic>

namespace {

std::atomic<bool> g_force_sse2{false};

bool cpu_has_avx2() {
#if defined(__x86_64__) || defined(__i386__)
  // covers the operating system's support for the upper register halves as well
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
#else
  return false;
#endif
}

}  // namespace

namespace jcodec {

bool vector_avx2() { return !g_force_sse2.load(std::memory_order_relaxed) && cpu_has_avx2(); }

}  // namespace jcodec

void jpeg_force_sse2(bool on) { g_force_sse2.store(on, std::memory_order_relaxed); }

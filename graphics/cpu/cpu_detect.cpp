// The processor test behind the MMX flag.
#include "graphics/cpu/cpu.h"

uint32_t cpu_mmx_flag = 0;

namespace {
CpuQueryFn query_fn = nullptr;

#if defined(__x86_64__) || defined(__i386__)
void cpuid(uint32_t leaf, uint32_t& a, uint32_t& d) {
  uint32_t b = 0, c = 0;
  __asm__ volatile("cpuid" : "=a"(a), "=b"(b), "=c"(c), "=d"(d) : "a"(leaf), "c"(0));
  (void)b;
  (void)c;
}
#endif
}  // namespace

CpuQuery cpu_query_processor() {
  CpuQuery q;
#if defined(__x86_64__) || defined(__i386__)
  // Every 64-bit x86 processor has CPUID, so the ID bit is taken as toggling.
  q.id_bit_toggles = true;
  uint32_t d = 0;
  cpuid(0, q.highest_leaf, d);
  if (q.highest_leaf != 0) {
    uint32_t a = 0;
    cpuid(1, a, q.leaf1_edx);
  }
#endif
  return q;
}

void cpu_set_query(CpuQueryFn query) { query_fn = query; }

int cpu_has_mmx(const CpuQuery& query) {
  if (!query.id_bit_toggles) return 0;
  if (query.highest_leaf == 0) return 0;
  return (query.leaf1_edx >> 23) & 1u ? 1 : 0;
}

int cpu_detect_mmx() {
  const CpuQuery q = query_fn ? query_fn() : cpu_query_processor();
  cpu_mmx_flag = static_cast<uint32_t>(cpu_has_mmx(q)) & 0xFFu;
  return 0;
}

void cpu_info_update() {}

void cpu_info_free() {}

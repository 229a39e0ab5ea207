// Processor detection for the MMX drawing routines.
#pragma once
#include <cstdint>

// 1 when the processor has MMX; read by DRAW and by SYSTEM's speed line.
extern uint32_t cpu_mmx_flag;

// What the processor test asks of the processor.
struct CpuQuery {
  bool id_bit_toggles = false;  // the EFLAGS ID bit can be flipped (CPUID exists)
  uint32_t highest_leaf = 0;    // EAX of CPUID leaf 0
  uint32_t leaf1_edx = 0;       // EDX of CPUID leaf 1
};
using CpuQueryFn = CpuQuery (*)();

// The real processor: the ID bit always toggles on a 64-bit processor; CPUID is read.
CpuQuery cpu_query_processor();
// Tests only: the query cpu_detect_mmx uses (null: the real processor).
void cpu_set_query(CpuQueryFn query);

// 1 when CPUID exists, its highest leaf is not 0 and EDX bit 23 of leaf 1 is set; else 0.
int cpu_has_mmx(const CpuQuery& query);
int cpu_detect_mmx();  // sets cpu_mmx_flag; result 0
void cpu_info_update();
void cpu_info_free();

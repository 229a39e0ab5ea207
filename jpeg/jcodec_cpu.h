// Processor class of the kernel selection, exposed for tests and diagnostics.
#pragma once
#include <cstdint>

#include "jpeg/jcodec_state.h"

// One CPUID query: regs = eax, ebx, ecx, edx of the leaf.
using JpegCpuidFn = void (*)(uint32_t leaf, uint32_t regs[4]);

// Fills a processor record from CPUID leaves 0 and 1 (vendor, brand, type, family, model,
// stepping, feature flags); a highest leaf of 0 leaves the numbers 0.
void jpeg_fill_processor_record(JpegProcessorRecord* rec, JpegCpuidFn cpuid);
// The class table: an override of 0 to 6 is trusted, anything else falls back to the record.
int32_t jpeg_classify_processor(const JpegProcessorRecord& rec, int32_t override_value);
// This machine's record, filled once.
const JpegProcessorRecord& jpeg_processor_record();

// Replaces the registry that init binds (null: no registry, as with advapi32 absent). Process-
// wide; tests only. jpeg_clear_registry_override() returns to the platform's registry.
void jpeg_set_registry_override(plat::IRegistry* reg);
void jpeg_clear_registry_override();
// Tests, benchmarks and fuzzers: every later JpegCodecInit selects processor class cls, through
// an override registry whose only value is USECPU = cls.
void jpeg_pin_class(uint32_t cls);

// Instruction set of the vector kernels: AVX2 where the processor has it (checked once), unless
// forced to the SSE2 members. Tests and benchmarks only.
void jpeg_force_sse2(bool on);
bool jpeg_avx2_available();

// Test accessor: the name of the kernel held in entry `slot` of a kernel table ("fdct_fast",
// "fdct_fast_v64", ...; a forwarding entry is named after the kernel it calls), or null when the
// entry holds something this list does not name.
const char* jpeg_slot_kernel_name(const JPEG_DISPATCH_TABLE* t, int32_t slot);

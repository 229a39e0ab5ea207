// The processor test over a fake processor, and the real one.
#include <gtest/gtest.h>

#include "graphics/cpu/cpu.h"

namespace {

CpuQuery fake;
CpuQuery fake_query() { return fake; }

TEST(CpuDetect, MmxNeedsCpuidALeafAndBit23) {
  struct Case {
    CpuQuery query;
    int mmx;
  };
  const Case cases[] = {
      {{false, 1, 1u << 23}, 0},        // no ID bit: no CPUID at all
      {{true, 0, 1u << 23}, 0},         // highest leaf 0
      {{true, 1, ~(1u << 23)}, 0},      // MMX bit clear
      {{true, 1, 1u << 23}, 1},
      {{true, 0x16, 0x178BFBFF}, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cpu_has_mmx(c.query), c.mmx);
    fake = c.query;
    cpu_set_query(fake_query);
    EXPECT_EQ(cpu_detect_mmx(), 0);
    EXPECT_EQ(cpu_mmx_flag, static_cast<uint32_t>(c.mmx));
  }
  cpu_set_query(nullptr);
}

TEST(CpuDetect, EverySixtyFourBitProcessorHasMmx) {
  const CpuQuery q = cpu_query_processor();
  EXPECT_TRUE(q.id_bit_toggles);
  EXPECT_GT(q.highest_leaf, 0u);
  cpu_detect_mmx();
  EXPECT_EQ(cpu_mmx_flag, 1u);
}

}  // namespace

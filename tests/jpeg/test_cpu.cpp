// Processor class: the record from CPUID, the class table, the registry override and records
// on two threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "jpeg/internal.h"
#include "jpeg/jcodec_cpu.h"
#include "jpeg/vector_pixels.h"
#include "plat/platform.h"
#include "tests/jpeg/jpeg_test_util.h"

namespace {

// A processor described by vendor, family and feature flags.
struct FakeCpu {
  static uint32_t family, features, max_leaf;
  static void cpuid(uint32_t leaf, uint32_t r[4]) {
    if (leaf == 0) {
      r[0] = max_leaf;
      std::memcpy(&r[1], "Genu", 4);
      std::memcpy(&r[3], "ineI", 4);
      std::memcpy(&r[2], "ntel", 4);
    } else {
      r[0] = (family << 8) | (2u << 4) | 3u | (1u << 12);
      r[1] = 0x0105;
      r[2] = 0;
      r[3] = features;
    }
  }
};
uint32_t FakeCpu::family, FakeCpu::features, FakeCpu::max_leaf;

constexpr uint32_t kMmx = 1u << 23, kSse = 1u << 25, kSse2 = 1u << 26;

TEST(JpegCpuClass, RecordAndClassTable) {
  struct Case {
    uint32_t family, features;
    int override_value;
    int expected;
  };
  const Case cases[] = {
      {5, 0, -1, 1},          {5, kMmx, -1, 3},        {6, 0, -1, 2},         {6, kMmx, -1, 4},
      {6, kMmx | kSse, -1, 5}, {6, kSse, -1, 2},       {15, kSse2, -1, 6},    {15, kMmx | kSse, -1, 0},
      {4, kMmx, -1, 0},       {6, kMmx | kSse, 0, 0},  {5, 0, 6, 6},          {6, kMmx | kSse, 7, 5},
  };
  for (const Case& c : cases) {
    FakeCpu::family = c.family;
    FakeCpu::features = c.features;
    FakeCpu::max_leaf = 1;
    JpegProcessorRecord rec{};
    jpeg_fill_processor_record(&rec, FakeCpu::cpuid);
    EXPECT_EQ(rec.family, int(c.family));
    EXPECT_EQ(rec.model, 2);
    EXPECT_EQ(rec.stepping, 3);
    EXPECT_EQ(rec.type, 1);
    EXPECT_EQ(rec.brand, 5);
    EXPECT_STREQ(rec.vendor, "GenuineIntel");
    EXPECT_EQ(jpeg_classify_processor(rec, c.override_value), c.expected)
        << "family " << c.family << " features " << c.features << " override " << c.override_value;
  }
  // a highest leaf of 0: vendor only, numbers 0
  FakeCpu::max_leaf = 0;
  JpegProcessorRecord rec{};
  jpeg_fill_processor_record(&rec, FakeCpu::cpuid);
  EXPECT_EQ(rec.family, 0);
  EXPECT_EQ(rec.features, 0u);
}

class UseCpuRegistry : public plat::IRegistry {
 public:
  std::optional<uint32_t> value;
  std::optional<std::string> readString(plat::Hive, std::string_view, std::string_view) override { return {}; }
  std::optional<uint32_t> readDword(plat::Hive h, std::string_view key, std::string_view name) override {
    if (h == plat::Hive::LocalMachine && key == "Software\\Vorn\\JCodec" && name == "USECPU") return value;
    return {};
  }
  bool keyExists(plat::Hive, std::string_view) override { return true; }
};

// Restores the tests' class-0 registry afterwards.
class JpegCpuClassRegistry : public ::testing::Test {
 protected:
  // Later tests run pinned to class 0; the pin must outlive the fixture, which the codec keeps
  // pointing at.
  void TearDown() override { jpeg_set_registry_override(&pin()); }
  static UseCpuRegistry& pin() {
    static UseCpuRegistry r = [] {
      UseCpuRegistry v;
      v.value = 0;
      return v;
    }();
    return r;
  }
};

TEST_F(JpegCpuClassRegistry, OverrideThroughTheRegistry) {
  const int detected = jpeg_classify_processor(jpeg_processor_record(), -1);
  UseCpuRegistry reg;
  struct Case {
    std::optional<uint32_t> value;
    bool registry;
    int expected;
  };
  const Case cases[] = {{0u, true, 0}, {6u, true, 6}, {7u, true, detected}, {uint32_t(-1), true, detected},
                        {std::nullopt, true, detected}, {0u, false, detected}};
  for (const Case& c : cases) {
    reg.value = c.value;
    jpeg_set_registry_override(c.registry ? &reg : nullptr);
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    EXPECT_EQ(p.state.processor_class, c.expected);
    EXPECT_EQ(p.state.table->advapi32_module, c.registry ? static_cast<plat::IRegistry*>(&reg) : nullptr);
    EXPECT_EQ(JpegCodecFree(&p), 0);
  }
}

TEST(JpegCpuClass, RecordsOnTwoThreadsDoNotDisturbEachOther) {
  jpegref::EncodeOpts o;
  jt::Bytes jpeg = jt::encode(37, 29, o);
  jt::Decoded ref = jt::decode(jpeg);
  ASSERT_EQ(ref.rc, 0);
  std::atomic<int> bad{0};
  auto worker = [&] {
    for (int i = 0; i < 50; ++i) {
      JPEG_IMAGE_PROPS a{}, b{};
      if (JpegCodecInit(&a) || JpegCodecInit(&b)) ++bad;
      std::vector<uint8_t> da(37 * 29 * 3), db(37 * 29 * 3);
      for (auto* p : {&a, &b}) {
        p->jpg_bytes = jpeg.data();
        p->jpg_size_bytes = int32_t(jpeg.size());
        p->dib_width = 37;
        p->dib_height = 29;
      }
      a.dib_bytes = da.data();
      b.dib_bytes = db.data();
      if (JpegCodecRead(&a, 3) != 0) ++bad;
      if ((i & 1) ? JpegCodecFree(&a) : JpegCodecFree(&b)) ++bad;  // freed in either order
      if (JpegCodecRead((i & 1) ? &b : &a, 3) != 0) ++bad;
      if ((i & 1) ? JpegCodecFree(&b) : JpegCodecFree(&a)) ++bad;
      jt::Image expect = ref.img;
      for (size_t k = 0; k < da.size(); k += 3) std::swap(expect.px[k], expect.px[k + 2]);
      if (da != expect.px) ++bad;
    }
  };
  std::thread t1(worker), t2(worker);
  t1.join();
  t2.join();
  EXPECT_EQ(bad.load(), 0);
}


// The table of each class against the class map: the slots the vector classes replace hold the
// forwarding entry of the named kernel; every other slot holds what the generic table holds,
// apart from the colour slots, which hold what the vector pixel installer puts there.
TEST_F(JpegCpuClassRegistry, SlotMapPerClass) {
  struct Row {
    int slot;
    const char* generic;
    const char* cls[4];  // classes 3, 4, 5, 6
  };
  const Row rows[] = {
      {6, "kernel_leave_generic", {"vector_kernel_leave", "vector_kernel_leave", "vector_kernel_leave", "vector_kernel_leave"}},
      {7, "fdct_fast", {"fdct_fast_v64", "fdct_fast_v64", "fdct_fast_v64", "fdct_fast_v64"}},
      {8, "fdct_accurate", {"fdct_accurate_v64", "fdct_accurate_v64", "fdct_accurate_v64x", "fdct_accurate_v128"}},
      {9, "idct_fast_8x8", {"idct_fast_8x8_v64", "idct_fast_8x8_v64", "idct_fast_8x8_v64", "idct_fast_8x8_v64"}},
      {13, "idct_accurate_8x8",
       {"idct_accurate_8x8_v64", "idct_accurate_8x8_v64", "idct_accurate_8x8_v64x", "idct_accurate_8x8_v128"}},
      {22, "jpeg_output_init",
       {"jpeg_output_init_v64", "jpeg_output_init_v64", "jpeg_output_init_v64", "jpeg_output_init_v64"}},
      {23, "jpeg_output_bytes", {"output_bytes_v64", "output_bytes_v64", "output_bytes_v64", "output_bytes_v64"}},
      {60, "encode_block", {"encode_block_v64", "encode_block_v64", "encode_block_v64x", "encode_block_v64"}},
      {61, "decode_block", {"decode_block_v64a", "decode_block_v64", "decode_block_v64", "decode_block_v64"}},
      {62, "decode_block_dc_only",
       {"decode_block_dc_only_v64", "decode_block_dc_only_v64", "decode_block_dc_only_v64", "decode_block_dc_only_v64"}},
      {63, "quantize_fast", {"quantize_fast_v64", "quantize_fast_v64", "quantize_fast_v64", "quantize_fast_v64"}},
      {64, "quantize_accurate",
       {"quantize_accurate_v64", "quantize_accurate_v64", "quantize_accurate_v64s", "quantize_accurate_v128"}},
      {65, "quantize_fast", {"quantize_fast_v64", "quantize_fast_v64", "quantize_fast_v64", "quantize_fast_v64"}},
      {67, "dequantize_accurate",
       {"dequantize_accurate_v64", "dequantize_accurate_v64", "dequantize_accurate_v64", "dequantize_accurate_v128"}},
  };
  // slots that keep the generic kernel in every class
  const std::pair<int, const char*> generic_everywhere[] = {
      {10, "idct_fast_4x4"},     {11, "idct_fast_2x2"},     {12, "idct_fast_1x1"},
      {14, "idct_accurate_4x4"}, {15, "idct_accurate_2x2"}, {16, "idct_accurate_1x1"},
      {66, "dequantize_fast"},   {68, "dequantize_fast"}};
  constexpr int kSlots = int(sizeof(JPEG_DISPATCH_TABLE) / sizeof(void*));
  UseCpuRegistry reg;
  jpeg_set_registry_override(&reg);
  for (int cls = 0; cls <= 7; ++cls) {
    SCOPED_TRACE(cls);
    reg.value = uint32_t(cls);
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    const JPEG_DISPATCH_TABLE* t = p.state.table;
    const bool vec = cls >= 3 && cls <= 6;
    EXPECT_EQ(p.state.processor_class, cls == 7 ? jpeg_classify_processor(jpeg_processor_record(), -1) : cls);
    if (cls == 7) {
      EXPECT_EQ(JpegCodecFree(&p), 0);
      continue;  // detection: whatever this machine is
    }
    JPEG_DISPATCH_TABLE ref{};
    jcodec::JpegInitKernelsGeneric(&ref);
    install_vector_pixel_kernels(&ref, cls);
    bool named[kSlots] = {};
    for (const Row& r : rows) {
      const char* name = jpeg_slot_kernel_name(t, r.slot);
      ASSERT_NE(name, nullptr) << "slot " << r.slot;
      EXPECT_STREQ(name, vec ? r.cls[cls - 3] : r.generic) << "slot " << r.slot;
      named[r.slot] = true;
    }
    for (const auto& [slot, name] : generic_everywhere) {
      const char* got = jpeg_slot_kernel_name(t, slot);
      ASSERT_NE(got, nullptr) << "slot " << slot;
      EXPECT_STREQ(got, name) << "slot " << slot;
      named[slot] = true;
    }
    for (int slot = 6; slot < kSlots; ++slot) {
      if (named[slot]) continue;
      void *got = nullptr, *want = nullptr;
      std::memcpy(&got, reinterpret_cast<const char*>(t) + slot * sizeof(void*), sizeof got);
      std::memcpy(&want, reinterpret_cast<const char*>(&ref) + slot * sizeof(void*), sizeof want);
      EXPECT_EQ(got, want) << "slot " << slot;
    }
    EXPECT_EQ(JpegCodecFree(&p), 0);
  }
}

TEST_F(JpegCpuClassRegistry, VectorClassesDecodeAlike) {
  jpegref::EncodeOpts o;
  o.quality = 90;
  const jt::Bytes jpeg = jt::encode(37, 29, o);
  UseCpuRegistry reg;
  jpeg_set_registry_override(&reg);
  jt::Image first;
  for (int cls = 3; cls <= 6; ++cls) {
    reg.value = uint32_t(cls);
    jt::Decoded d = jt::decode(jpeg);
    ASSERT_EQ(d.rc, 0) << cls;
    if (cls == 3)
      first = d.img;
    else
      EXPECT_TRUE(d.img.px == first.px) << cls;
  }
}

int g_leaves = 0;
void count_leave() { ++g_leaves; }

TEST_F(JpegCpuClassRegistry, KernelLeaveRunsAfterTheBlockPasses) {
  jpegref::EncodeOpts o;
  const jt::Bytes jpeg = jt::encode(37, 29, o);
  UseCpuRegistry reg;
  reg.value = 6;
  jpeg_set_registry_override(&reg);
  JPEG_IMAGE_PROPS p{};
  ASSERT_EQ(JpegCodecInit(&p), 0);
  p.state.table->kernel_leave = count_leave;
  std::vector<uint8_t> dib(37 * 29 * 3);
  p.jpg_bytes = const_cast<uint8_t*>(jpeg.data());
  p.jpg_size_bytes = int32_t(jpeg.size());
  p.dib_width = 37;
  p.dib_height = 29;
  p.dib_bytes = dib.data();
  g_leaves = 0;
  ASSERT_EQ(JpegCodecRead(&p, 3), 0);
  EXPECT_GE(g_leaves, 1);
  EXPECT_EQ(JpegCodecFree(&p), 0);
}


// The instruction set below the class: the SSE2 members when forced, the AVX2 twin where the
// processor has AVX2; the same results either way (the twins' own tests compare them).
TEST_F(JpegCpuClassRegistry, ForcedSse2KeepsTheSse2Members) {
  UseCpuRegistry reg;
  reg.value = 6;
  jpeg_set_registry_override(&reg);
  void* slot[2] = {};
  for (int forced = 0; forced < 2; ++forced) {
    jpeg_force_sse2(forced == 1);
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    slot[forced] = reinterpret_cast<void*>(p.state.table->idct_accurate_8x8);
    EXPECT_STREQ(jpeg_slot_kernel_name(p.state.table, 13), "idct_accurate_8x8_v128");
    EXPECT_EQ(JpegCodecFree(&p), 0);
  }
  jpeg_force_sse2(false);
  if (!jpeg_avx2_available()) GTEST_SKIP() << "no AVX2 on this processor";
  EXPECT_NE(slot[0], slot[1]);
}

}  // namespace

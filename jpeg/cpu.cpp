// Processor class and kernel selection: the registry override "USECPU", the CPUID record and
// the table initialisers of the classes.
#include <atomic>
#include <cstring>
#include <mutex>

#include "jpeg/internal.h"
#include "jpeg/jcodec_cpu.h"
#include "jpeg/vector_kernels.h"
#include "jpeg/vector_pixels.h"
#include "plat/platform.h"

namespace {

void cpuid_native(uint32_t leaf, uint32_t regs[4]) {
#if defined(__x86_64__) || defined(__i386__)
  uint32_t a, b, c, d;
  __asm__ volatile("cpuid" : "=a"(a), "=b"(b), "=c"(c), "=d"(d) : "a"(leaf), "c"(0u));
  regs[0] = a, regs[1] = b, regs[2] = c, regs[3] = d;
#else
  (void)leaf;
  regs[0] = regs[1] = regs[2] = regs[3] = 0;
#endif
}

std::once_flag g_record_once;
JpegProcessorRecord g_record;

std::atomic<bool> g_registry_overridden{false};
std::atomic<plat::IRegistry*> g_registry_override{nullptr};

constexpr const char* kKey = "Software\\Vorn\\JCodec";

int32_t reg_open(plat::IRegistry* reg, const char* key, const char** handle) {
  if (!reg || !key) return 2;
  *handle = key;
  return 0;
}
int32_t reg_query(plat::IRegistry* reg, const char* handle, const char* value, int32_t* out) {
  if (!reg || !handle) return 2;
  std::optional<uint32_t> v = reg->readDword(plat::Hive::LocalMachine, handle, value);
  if (!v) return 2;
  *out = static_cast<int32_t>(*v);
  return 0;
}
int32_t reg_close(const char*) { return 0; }

plat::IRegistry* bound_registry() {
  if (g_registry_overridden.load()) return g_registry_override.load();
  return plat::installed() ? &plat::get().registry() : nullptr;
}

}  // namespace

void jpeg_fill_processor_record(JpegProcessorRecord* rec, JpegCpuidFn cpuid) {
  *rec = JpegProcessorRecord{};
  for (int i = 0; i < 12; ++i) rec->vendor[i] = ' ';
  rec->vendor[12] = 0;
  uint32_t r[4] = {};
  cpuid(0, r);
  const uint32_t words[3] = {r[1], r[3], r[2]};
  for (int w = 0; w < 3; ++w)
    for (int i = 0; i < 4; ++i) rec->vendor[w * 4 + i] = static_cast<char>((words[w] >> (8 * i)) & 0xFF);
  if (r[0] == 0) return;
  cpuid(1, r);
  rec->brand = static_cast<int32_t>(r[1] & 0xFF);
  rec->type = static_cast<int32_t>((r[0] >> 12) & 3);
  rec->family = static_cast<int32_t>((r[0] >> 8) & 15);
  rec->model = static_cast<int32_t>((r[0] >> 4) & 15);
  rec->stepping = static_cast<int32_t>(r[0] & 15);
  rec->features = r[3];
}

int32_t jpeg_classify_processor(const JpegProcessorRecord& rec, int32_t override_value) {
  if (override_value >= 0 && override_value <= 6) return override_value;
  const bool mmx = rec.features & (1u << 23), sse = rec.features & (1u << 25), sse2 = rec.features & (1u << 26);
  switch (rec.family) {
    case 5: return mmx ? 3 : 1;
    case 6: return mmx && !sse ? 4 : (mmx && sse ? 5 : 2);
    case 15: return sse2 ? 6 : 0;
    default: return 0;
  }
}

const JpegProcessorRecord& jpeg_processor_record() {
  std::call_once(g_record_once, [] { jpeg_fill_processor_record(&g_record, cpuid_native); });
  return g_record;
}

void jpeg_set_registry_override(plat::IRegistry* reg) {
  g_registry_override.store(reg);
  g_registry_overridden.store(true);
}

void jpeg_clear_registry_override() {
  g_registry_overridden.store(false);
  g_registry_override.store(nullptr);
}

namespace jcodec {

int32_t JpegReadCpuOverride(JPEG_DISPATCH_TABLE* t) {
  if (!t->reg_open || !t->reg_query || !t->reg_close) return -1;
  const char* handle = nullptr;
  int32_t result = -1;
  if (t->reg_open(t->advapi32_module, kKey, &handle) == 0) {
    t->reg_query(t->advapi32_module, handle, "USECPU", &result);
    t->reg_close(handle);
  }
  return result;
}

int32_t JpegDetectProcessorClass(JPEG_DISPATCH_TABLE* t) {
  return jpeg_classify_processor(jpeg_processor_record(), JpegReadCpuOverride(t));
}

void JpegInitKernelsGeneric(JPEG_DISPATCH_TABLE* t) {
  t->kernel_leave = kernel_leave_generic;
  t->fdct_fast = fdct_fast;
  t->fdct_accurate = fdct_accurate;
  t->idct_fast_8x8 = idct_fast_8x8;
  t->idct_fast_4x4 = idct_fast_4x4;
  t->idct_fast_2x2 = idct_fast_2x2;
  t->idct_fast_1x1 = idct_fast_1x1;
  t->idct_accurate_8x8 = idct_accurate_8x8;
  t->idct_accurate_4x4 = idct_accurate_4x4;
  t->idct_accurate_2x2 = idct_accurate_2x2;
  t->idct_accurate_1x1 = idct_accurate_1x1;
  t->jpeg_output_init = jpeg_output_init;
  t->jpeg_output_bytes = jpeg_output_bytes;
  install_encode_kernels(t);
  install_output_kernels(t);
  t->encode_block = encode_block;
  t->decode_block = decode_block;
  t->decode_block_dc_only = decode_block_dc_only;
  t->quantize_fast = quantize_fast;
  t->quantize_accurate = quantize_accurate;
  t->quantize_current = quantize_fast;
  t->dequantize_fast = dequantize_fast;
  t->dequantize_accurate = dequantize_accurate;
  t->dequantize_current = dequantize_fast;
}

namespace {

// Forwarding entries: the slot's arguments passed on unchanged; a direct call the compiler turns
// into a jump.
template <void (*K)(int16_t*)>
void fwd_block(int16_t* b) {
  K(b);
}
template <void (*K)(int16_t*, const int16_t*)>
void fwd_quant(int16_t* b, const int16_t* t) {
  K(b, t);
}
template <JpegEncodeBlockFn K>
int32_t fwd_encode(JpegOutput* out, const JpegHuffEncode* dc, const JpegHuffEncode* ac, int32_t* last_dc,
                   const int16_t* block) {
  return K(out, dc, ac, last_dc, block);
}
template <JpegDecodeBlockFn K>
int32_t fwd_decode(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac, int32_t* last_dc,
                   int16_t* block) {
  return K(in, dc, ac, last_dc, block);
}
template <JpegOutputInitFn K>
int32_t fwd_output_init(JpegOutput* out, uint8_t* buffer, size_t size) {
  return K(out, buffer, size);
}
template <JpegOutputBytesFn K>
int32_t fwd_output_bytes(const uint8_t* bytes, size_t count, JpegOutput* out) {
  return K(bytes, count, out);
}

// The slots every vector class fills alike; the class initialisers then set their own members.
void install_vector_common(JPEG_DISPATCH_TABLE* t) {
  JpegInitKernelsGeneric(t);
  t->kernel_leave = vector_kernel_leave;
  t->fdct_fast = fwd_block<fdct_fast_v64>;
  t->fdct_accurate = fwd_block<fdct_accurate_v64>;
  t->idct_fast_8x8 = fwd_block<idct_fast_8x8_v64>;
  t->idct_accurate_8x8 = fwd_block<idct_accurate_8x8_v64>;
  t->quantize_fast = fwd_quant<quantize_fast_v64>;
  t->quantize_accurate = fwd_quant<quantize_accurate_v64>;
  t->dequantize_accurate = fwd_quant<dequantize_accurate_v64>;
  t->jpeg_output_init = fwd_output_init<jpeg_output_init_v64>;
  t->jpeg_output_bytes = fwd_output_bytes<output_bytes_v64>;
  t->encode_block = fwd_encode<encode_block_v64>;
  t->decode_block = fwd_decode<decode_block_v64>;
  t->decode_block_dc_only = fwd_decode<decode_block_dc_only_v64>;
}

// The run-time current slots start from their source slots.
void copy_current_slots(JPEG_DISPATCH_TABLE* t) {
  t->quantize_current = t->quantize_fast;
  t->dequantize_current = t->dequantize_fast;
}

struct KernelName {
  const void* fn;
  const char* name;
};

template <class F>
const void* addr(F f) {
  return reinterpret_cast<const void*>(f);
}

const KernelName kKernelNames[] = {
    {addr(kernel_leave_generic), "kernel_leave_generic"},
    {addr(vector_kernel_leave), "vector_kernel_leave"},
    {addr(fdct_fast), "fdct_fast"},
    {addr(fdct_accurate), "fdct_accurate"},
    {addr(idct_fast_8x8), "idct_fast_8x8"},
    {addr(idct_fast_4x4), "idct_fast_4x4"},
    {addr(idct_fast_2x2), "idct_fast_2x2"},
    {addr(idct_fast_1x1), "idct_fast_1x1"},
    {addr(idct_accurate_8x8), "idct_accurate_8x8"},
    {addr(idct_accurate_4x4), "idct_accurate_4x4"},
    {addr(idct_accurate_2x2), "idct_accurate_2x2"},
    {addr(idct_accurate_1x1), "idct_accurate_1x1"},
    {addr(jpeg_output_init), "jpeg_output_init"},
    {addr(jpeg_output_bytes), "jpeg_output_bytes"},
    {addr(encode_block), "encode_block"},
    {addr(decode_block), "decode_block"},
    {addr(decode_block_dc_only), "decode_block_dc_only"},
    {addr(quantize_fast), "quantize_fast"},
    {addr(quantize_accurate), "quantize_accurate"},
    {addr(dequantize_fast), "dequantize_fast"},
    {addr(dequantize_accurate), "dequantize_accurate"},
    {addr(fwd_block<fdct_fast_v64>), "fdct_fast_v64"},
    {addr(fwd_block<fdct_accurate_v64>), "fdct_accurate_v64"},
    {addr(fwd_block<fdct_accurate_v64x>), "fdct_accurate_v64x"},
    {addr(fwd_block<fdct_accurate_v128>), "fdct_accurate_v128"},
    {addr(fwd_block<idct_fast_8x8_v64>), "idct_fast_8x8_v64"},
    {addr(fwd_block<idct_accurate_8x8_v64>), "idct_accurate_8x8_v64"},
    {addr(fwd_block<idct_accurate_8x8_v64x>), "idct_accurate_8x8_v64x"},
    {addr(fwd_block<idct_accurate_8x8_v128>), "idct_accurate_8x8_v128"},
    {addr(fwd_block<idct_accurate_8x8_v128_avx2>), "idct_accurate_8x8_v128"},
    {addr(fwd_quant<quantize_fast_v64>), "quantize_fast_v64"},
    {addr(fwd_quant<quantize_accurate_v64>), "quantize_accurate_v64"},
    {addr(fwd_quant<quantize_accurate_v64s>), "quantize_accurate_v64s"},
    {addr(fwd_quant<quantize_accurate_v128>), "quantize_accurate_v128"},
    {addr(fwd_quant<dequantize_accurate_v64>), "dequantize_accurate_v64"},
    {addr(fwd_quant<dequantize_accurate_v128>), "dequantize_accurate_v128"},
    {addr(fwd_output_init<jpeg_output_init_v64>), "jpeg_output_init_v64"},
    {addr(fwd_output_bytes<output_bytes_v64>), "output_bytes_v64"},
    {addr(fwd_encode<encode_block_v64>), "encode_block_v64"},
    {addr(fwd_encode<encode_block_v64x>), "encode_block_v64x"},
    {addr(fwd_decode<decode_block_v64a>), "decode_block_v64a"},
    {addr(fwd_decode<decode_block_v64>), "decode_block_v64"},
    {addr(fwd_decode<decode_block_dc_only_v64>), "decode_block_dc_only_v64"},
};

}  // namespace

// Classes 3 and 4 differ only in decode_block; class 5 has its own accurate transforms, encoder
// and accurate quantiser; class 6 the 128-bit accurate transforms, quantiser and dequantiser.
void JpegInitKernelsClass3(JPEG_DISPATCH_TABLE* t) {
  install_vector_common(t);
  t->decode_block = fwd_decode<decode_block_v64a>;
  install_vector_pixel_kernels(t, 3);
  copy_current_slots(t);
}

void JpegInitKernelsClass4(JPEG_DISPATCH_TABLE* t) {
  install_vector_common(t);
  install_vector_pixel_kernels(t, 4);
  copy_current_slots(t);
}

void JpegInitKernelsClass5(JPEG_DISPATCH_TABLE* t) {
  install_vector_common(t);
  t->fdct_accurate = fwd_block<fdct_accurate_v64x>;
  t->idct_accurate_8x8 = fwd_block<idct_accurate_8x8_v64x>;
  t->quantize_accurate = fwd_quant<quantize_accurate_v64s>;
  t->encode_block = fwd_encode<encode_block_v64x>;
  install_vector_pixel_kernels(t, 5);
  copy_current_slots(t);
}

void JpegInitKernelsClass6(JPEG_DISPATCH_TABLE* t) {
  install_vector_common(t);
  t->fdct_accurate = fwd_block<fdct_accurate_v128>;
  // the AVX2 twin where the processor has it (same results)
  t->idct_accurate_8x8 =
      vector_use_avx2() ? fwd_block<idct_accurate_8x8_v128_avx2> : fwd_block<idct_accurate_8x8_v128>;
  t->quantize_accurate = fwd_quant<quantize_accurate_v128>;
  t->dequantize_accurate = fwd_quant<dequantize_accurate_v128>;
  install_vector_pixel_kernels(t, 6);
  copy_current_slots(t);
}

JpegQuantFn vector_dequant_idct_of(const JPEG_DISPATCH_TABLE* t) {
  if (t->dequantize_current != fwd_quant<dequantize_accurate_v128>) return nullptr;
  if (t->idct_current_8x8 == fwd_block<idct_accurate_8x8_v128>) return idct_accurate_8x8_dequant_v128;
  if (t->idct_current_8x8 == fwd_block<idct_accurate_8x8_v128_avx2>) return idct_accurate_8x8_dequant_v128_avx2;
  return nullptr;
}

int32_t JpegSelectKernels(JPEG_DISPATCH_TABLE* t) {
  // user32 has no stand-in here: word 1 stays null
  t->user32_module = nullptr;
  plat::IRegistry* reg = bound_registry();
  t->advapi32_module = reg;
  t->reg_open = reg ? reg_open : nullptr;
  t->reg_query = reg ? reg_query : nullptr;
  t->reg_close = reg ? reg_close : nullptr;
  switch (JpegDetectProcessorClass(t)) {
    case 3: JpegInitKernelsClass3(t); break;
    case 4: JpegInitKernelsClass4(t); break;
    case 5: JpegInitKernelsClass5(t); break;
    case 6: JpegInitKernelsClass6(t); break;
    default: JpegInitKernelsGeneric(t); break;
  }
  return 1;
}

// Releases only this record's bindings.
void JpegReleaseBindings(JPEG_DISPATCH_TABLE* t) {
  t->user32_module = nullptr;
  t->advapi32_module = nullptr;
  t->reg_open = nullptr;
  t->reg_query = nullptr;
  t->reg_close = nullptr;
}

}  // namespace jcodec

const char* jpeg_slot_kernel_name(const JPEG_DISPATCH_TABLE* t, int32_t slot) {
  if (slot < 0 || slot >= static_cast<int32_t>(sizeof(JPEG_DISPATCH_TABLE) / sizeof(void*))) return nullptr;
  const void* fn = nullptr;
  std::memcpy(&fn, reinterpret_cast<const char*>(t) + slot * sizeof(void*), sizeof fn);
  for (const jcodec::KernelName& k : jcodec::kKernelNames)
    if (k.fn == fn) return k.name;
  return nullptr;
}

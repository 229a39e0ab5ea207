// Internal interfaces shared by the codec's source files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "jpeg/jcodec.h"

namespace jcodec {

// ---- memory -------------------------------------------------------------------------------------

// Upper bound for one image's allocations; larger requests are refused with -5.
#ifdef VELDRA_FUZZ_CAP
constexpr size_t kMemoryCap = size_t(64) << 20;
#else
constexpr size_t kMemoryCap = size_t(1) << 30;
#endif

void* alloc(size_t size, size_t align = 16);  // null on failure or above the cap
void release(void* p);
template <class T>
T* alloc_array(size_t count, size_t align = alignof(T) < 16 ? 16 : alignof(T)) {
  if (count == 0 || count > kMemoryCap / sizeof(T)) return nullptr;
  return static_cast<T*>(alloc(count * sizeof(T), align));
}
template <class T>
void release_ptr(T*& p) {
  release(p);
  p = nullptr;
}

// ---- tables -------------------------------------------------------------------------------------

extern const uint8_t kZigzag[80];  // zigzag index -> natural index, 16 extra entries of 63
extern const uint8_t (&kStdLumaQuant)[64];    // K.1, zigzag order
extern const uint8_t (&kStdChromaQuant)[64];  // K.2, zigzag order
extern const uint8_t kDcLumaBits[16], kDcLumaVals[12];      // K.3
extern const uint8_t kDcChromaBits[16], kDcChromaVals[12];  // K.4
extern const uint8_t kAcLumaBits[16], kAcLumaVals[162];     // K.5
extern const uint8_t kAcChromaBits[16], kAcChromaVals[162]; // K.6
extern const int32_t kFastRecipK[64];  // fast forward-quantisation constants, zigzag order
extern const double (&kAanScale)[64];     // s(u)s(v)/8 rounded to six places, zigzag order

int32_t build_decode_table(const uint8_t counts[16], const uint8_t* values, int32_t tclass, int32_t number,
                           JpegHuffDecode* t);
int32_t build_encode_table(const uint8_t counts[16], const uint8_t* values, JpegHuffEncode* t);
void scale_quant_table(int32_t quality, const uint8_t base[64], int16_t out[64]);
int32_t read_dqt(JPEG_PROPERTIES* st, const uint8_t* data, size_t len);
int32_t read_dht(JPEG_PROPERTIES* st, const uint8_t* data, size_t len);
int32_t install_caller_read_tables(JPEG_PROPERTIES* st);
int32_t install_default_tables(JPEG_PROPERTIES* st);
int32_t prepare_encoder_tables(JPEG_PROPERTIES* st, JpegOutput* out, int16_t recip[4][80]);
int32_t write_dqt(JpegOutput* out, const JPEG_DISPATCH_TABLE* t, int32_t precision, int32_t number,
                  const int16_t values[64]);
int32_t write_dht(JpegOutput* out, const JPEG_DISPATCH_TABLE* t, const uint8_t counts[16], const uint8_t* values,
                  int32_t tclass, int32_t number);

// ---- transforms (generic kernels) ---------------------------------------------------------------

void kernel_leave_generic();
void fdct_fast(int16_t* b);
void fdct_accurate(int16_t* b);
void idct_fast_8x8(int16_t* b);
void idct_fast_4x4(int16_t* b);
void idct_fast_2x2(int16_t* b);
void idct_fast_1x1(int16_t* b);
void idct_accurate_8x8(int16_t* b);
void idct_accurate_8x8_dequant(int16_t* b, const int16_t* q);  // dequantise_accurate, then idct_accurate_8x8
void idct_accurate_4x4(int16_t* b);
void idct_accurate_2x2(int16_t* b);
void idct_accurate_4x4_dequant(int16_t* b, const int16_t* q);  // dequantise_accurate, then idct_accurate_4x4
void idct_accurate_2x2_dequant(int16_t* b, const int16_t* q);  // dequantise_accurate, then idct_accurate_2x2
void idct_accurate_1x1(int16_t* b);
void quantize_fast(int16_t* b, const int16_t* t);
void quantize_accurate(int16_t* b, const int16_t* t);
void dequantize_fast(int16_t* b, const int16_t* t);
void dequantize_accurate(int16_t* b, const int16_t* t);
// Table preparations: zigzag steps in, natural order out (80 entries, the last 16 zero).
void prepare_fast_encoder(const int16_t zz[64], int16_t out[80]);
void prepare_accurate_encoder(const int16_t zz[64], int16_t out[80]);
bool prepare_fast_idct(const int16_t zz[64], int16_t out[80]);  // false: a multiplier passed 32767
void prepare_plain(const int16_t zz[64], int16_t out[80]);

// ---- entropy ------------------------------------------------------------------------------------

int32_t decode_block(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac, int32_t* last_dc,
                     int16_t* block);
int32_t decode_block_dc_only(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac,
                             int32_t* last_dc, int16_t* block);
int32_t decode_dc_first(JpegStream* in, const JpegHuffDecode* dc, int16_t* coef, int32_t* last_dc, int32_t al);
int32_t decode_dc_refine(JpegStream* in, int16_t* coef, int32_t al);
int32_t decode_ac_first(JpegStream* in, int16_t* block, const JpegHuffDecode* ac, int32_t ss, int32_t se,
                        int32_t al);
int32_t decode_ac_refine(JpegStream* in, int16_t* block, const JpegHuffDecode* ac, int32_t ss, int32_t se,
                         int32_t al);
int32_t decode_symbol(JpegStream* in, const JpegHuffDecode* t, int32_t* sym);
int32_t fill_bits(JpegStream* in, int32_t want);

int32_t jpeg_output_init(JpegOutput* out, uint8_t* buffer, size_t size);
int32_t jpeg_output_bytes(const uint8_t* bytes, size_t count, JpegOutput* out);
int32_t put_bits(JpegOutput* out, uint32_t value, int32_t count);
int32_t finish_output(JpegOutput* out, const JPEG_DISPATCH_TABLE* t);
int32_t encode_block(JpegOutput* out, const JpegHuffEncode* dc, const JpegHuffEncode* ac, int32_t* last_dc,
                     const int16_t* block);
// Progressive encoding: statistics twins count into freq (257 entries per table).
void count_dc_first(const int16_t* block, int32_t* last_dc, int32_t al, uint32_t* dc_freq);
int32_t encode_dc_progressive(JpegOutput* out, const JpegHuffEncode* dc, const int16_t* block, int32_t* last_dc,
                              int32_t al);
int32_t encode_dc_refine(JpegOutput* out, const int16_t* block, int32_t al);
struct AcRefineState {
  int32_t eob_run;
  int32_t be;  // correction bits pending
  uint8_t bits[1000];
};
void count_eob_run(int32_t* eob_run, uint32_t* ac_freq);
int32_t emit_eob_run(JpegOutput* out, const JpegHuffEncode* ac, int32_t* eob_run);
int32_t emit_zrl(JpegOutput* out, const JpegHuffEncode* ac);
int32_t emit_correction_bits(JpegOutput* out, const uint8_t* bits, int32_t count);
void count_ac_first(const int16_t* block, int32_t ss, int32_t se, int32_t al, int32_t* eob_run, uint32_t* ac_freq);
int32_t encode_ac_first(JpegOutput* out, const JpegHuffEncode* ac, const int16_t* block, int32_t ss, int32_t se,
                        int32_t al, int32_t* eob_run);
void count_ac_refine(const int16_t* block, int32_t ss, int32_t se, int32_t al, AcRefineState* rs,
                     uint32_t* ac_freq);
int32_t encode_ac_refine(JpegOutput* out, const JpegHuffEncode* ac, const int16_t* block, int32_t ss, int32_t se,
                         int32_t al, AcRefineState* rs);
int32_t flush_ac_refine(JpegOutput* out, const JpegHuffEncode* ac, AcRefineState* rs);
int32_t build_optimal_huffman(const uint32_t freq_in[257], uint8_t bits[16], uint8_t huffval[256]);

// ---- input stream -------------------------------------------------------------------------------

void stream_reset(JPEG_PROPERTIES* st);
int32_t stream_refill(JpegStream* s);
// Takes n bytes; *out points into the buffer (valid until the next take).
int32_t stream_take(JpegStream* s, size_t n, const uint8_t** out);
// Takes n bytes that may cross the file buffer; *owned is set when a block was allocated.
int32_t stream_take_block(JpegStream* s, size_t n, const uint8_t** out, uint8_t** owned);
int32_t stream_u16(JpegStream* s, int32_t* v);
int32_t stream_skip(JpegStream* s, size_t n);
int32_t stream_find_marker(JpegStream* s);
int32_t stream_next_marker(JpegStream* s, int32_t* code);  // 256 at the end of file input
int64_t stream_position(const JpegStream* s);  // input offset of the next unread byte
int32_t stream_seek(JpegStream* s, int64_t pos);  // memory offset, or file position + refill
const JpegFileOps* file_ops_of(const JPEG_PROPERTIES* st);

// ---- parser and driver --------------------------------------------------------------------------

int32_t parse(JPEG_PROPERTIES* st);
void compute_switches(JPEG_PROPERTIES* st);
int32_t select_mcu_routine(JPEG_PROPERTIES* st);
int32_t decode_scan(JPEG_PROPERTIES* st, int32_t* marker);
int32_t finish_image(JPEG_PROPERTIES* st);  // EOI / end of input: final passes
void free_frame_buffers(JPEG_PROPERTIES* st);
void free_scan(JPEG_PROPERTIES* st);
int32_t scale_of_mode(int32_t mode);
bool image_mode(int32_t mode);
bool header_mode(int32_t mode);  // 0, 1, 4, 5, 20, 21

// ---- MCU output ---------------------------------------------------------------------------------

bool rect_empty(const JpegRect& r);
void rect_intersect(JpegRect* out, const JpegRect& a, const JpegRect& b);
bool rect_equal(const JpegRect& a, const JpegRect& b);
bool rect_differ(const JpegRect& a, const JpegRect& b);
void rect_offset(JpegRect* out, const JpegRect& r, int32_t x, int32_t y);
// Clips an MCU of w x h output pixels at (col, row) against the region, the DIB and the image.
// 0 with the first DIB byte and the clip; -8 when nothing of the MCU is written.
int32_t roi_clip_mcu(const JPEG_PROPERTIES* st, int32_t w, int32_t h, int32_t col, int32_t row, uint8_t** first,
                     JpegRect* clip);

void install_output_kernels(JPEG_DISPATCH_TABLE* t);
// Fixed-layout routines by fast path code (1..19; 0 = grey), null when the code has none.
JpegMcuFn fixed_routine(int32_t code);
int32_t out_mcu_gray(JPEG_PROPERTIES* st, int32_t col, int32_t row);
int32_t out_mcu_generic(JPEG_PROPERTIES* st, int32_t col, int32_t row);
int32_t out_mcu_upsample_convert(JPEG_PROPERTIES* st, int32_t col, int32_t row);
int32_t out_mcu_upsample_any(JPEG_PROPERTIES* st, int32_t col, int32_t row);
// Scaled MCUs, and the MCUs of one-component scans: out_scaled_mcu writes each with
// write_scaled_plain, or with write_scaled_and_convert (convert_scaled_in_place over what was
// written) when the routine converts colour. The general writer repeats each sample over the
// pixels it covers at any scale, so the up-sampling writers are the plain one; smoothing goes
// through the component planes (out_mcu_store_planes).
int32_t out_scaled_mcu(JPEG_PROPERTIES* st, int32_t col, int32_t row);
int32_t write_scaled_plain(JPEG_PROPERTIES* st, int32_t col, int32_t row);
int32_t write_scaled_and_convert(JPEG_PROPERTIES* st, int32_t col, int32_t row);
inline constexpr JpegMcuFn write_scaled_any = write_scaled_plain;
inline constexpr JpegMcuFn write_scaled_upsampled = write_scaled_plain;

using McuPart = JpegMcuPart;
// Writes the listed components' samples covering the output pixels [x0, x0 + w) x [y0, y0 + h)
// (image coordinates at the scale), clipped to what reaches the DIB; converts the area in place
// when asked. -8 when nothing of it is visible.
int32_t write_mcu_general(JPEG_PROPERTIES* st, int32_t x0, int32_t y0, int32_t w, int32_t h, const McuPart* parts,
                          int32_t nparts, bool convert);
// Whole, unclipped MCUs of the common layouts into B,G,R / R,G,B / R,G,B,255 with the in-place
// arithmetic; false (nothing written) for anything else.
bool write_whole_converted(JPEG_PROPERTIES* st, const JpegRect& clip, int32_t x0, int32_t y0, int32_t w, int32_t h,
                           const McuPart* parts, int32_t nparts);
// Y, Cb, Cr to R, G, B as the in-place passes and the general writers compute it (its green term
// differs from the fixed kernels' by the rounding of the shifted sum):
//   R = sat(Y + ((359 Cr - 45813) >> 8)), G = sat(Y + ((34806 - 88 Cb - 183 Cr) >> 8)),
//   B = sat(Y + ((454 Cb - 57937) >> 8)).
// Written with c = Cr - 128, d = Cb - 128 and the multiples of 256 taken out of the shifted sums,
// the same values come from 16-bit arithmetic, which vectorises eight lanes wide.
inline uint8_t sat8(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }
inline void ycc_to_rgb(int16_t y, int16_t cb, int16_t cr, uint8_t* r, uint8_t* g, uint8_t* b) {
  const int16_t c = static_cast<int16_t>(cr - 128), d = static_cast<int16_t>(cb - 128);
  *r = sat8(static_cast<int16_t>(y + c + static_cast<int16_t>(static_cast<int16_t>(103 * c + 139) >> 8)));
  *g = sat8(static_cast<int16_t>(y - c + static_cast<int16_t>(static_cast<int16_t>(73 * c - 88 * d + 118) >> 8)));
  *b = sat8(static_cast<int16_t>(y + d + static_cast<int16_t>(static_cast<int16_t>(198 * d + 175) >> 8)));
}
// Pixel (x, y) of the DIB, in image coordinates.
inline uint8_t* pixel_at(const JPEG_PROPERTIES* st, int32_t x, int32_t y) {
  return st->dib_origin + static_cast<ptrdiff_t>(y - st->origin_y) * st->dib_line_bytes +
         static_cast<ptrdiff_t>(x - st->origin_x) * st->pixel_bytes;
}
// n pixels of p bytes from R, G and B rows: red at byte ri, blue at byte 2 - ri, 255 in the
// fourth byte when quad. Three- and four-byte pixels go out as one four-byte store each (a
// three-byte one overlapping the next pixel; the row's last pixel by bytes).
inline void store_rgb_row(uint8_t* __restrict o, const uint8_t* rs, const uint8_t* gs, const uint8_t* bs, int32_t n,
                          int32_t ri, int32_t p, bool quad) {
  const int32_t bi = 2 - ri;
  int32_t k = 0;
  if (p == 3) {
    for (; k < n - 1; ++k, o += 3) {
      const uint32_t v = uint32_t(rs[k]) << (8 * ri) | uint32_t(gs[k]) << 8 | uint32_t(bs[k]) << (8 * bi);
      std::memcpy(o, &v, sizeof v);
    }
  } else if (p == 4 && quad) {
    for (; k < n; ++k, o += 4) {
      const uint32_t v = uint32_t(rs[k]) << (8 * ri) | uint32_t(gs[k]) << 8 | uint32_t(bs[k]) << (8 * bi) | 0xFF000000u;
      std::memcpy(o, &v, sizeof v);
    }
  }
  for (; k < n; ++k, o += p) {
    o[ri] = rs[k];
    o[1] = gs[k];
    o[bi] = bs[k];
    if (quad) o[3] = 255;
  }
}
int32_t out_mcu_store_planes(JPEG_PROPERTIES* st, int32_t col, int32_t row);
void convert_scaled_in_place(JPEG_PROPERTIES* st, const JpegRect& clip);  // clip in image coordinates
void convert_dib_in_place(JPEG_PROPERTIES* st);
int32_t smooth_output(JPEG_PROPERTIES* st);  // smooth up-sampling pass from the component planes
size_t smooth_plane_samples(const JPEG_PROPERTIES* st);  // int16 samples of all planes at the scale

// ---- encoder ------------------------------------------------------------------------------------

// Slot kernels 25 to 39: one MCU of pixels (first pixel, line step) into level-shifted blocks.
void gray_to_block(const uint8_t* px, ptrdiff_t step, int16_t* b);
void rgb_to_ycc_block(const uint8_t* px, ptrdiff_t step, int16_t* b);
void rgb_to_ycc_h2v1(const uint8_t* px, ptrdiff_t step, int16_t* b);
void rgb_to_ycc_h2v2(const uint8_t* px, ptrdiff_t step, int16_t* b);
void bgr_to_ycc_block(const uint8_t* px, ptrdiff_t step, int16_t* b);
void bgr_to_ycc_h2v1(const uint8_t* px, ptrdiff_t step, int16_t* b);
void bgr_to_ycc_h2v2(const uint8_t* px, ptrdiff_t step, int16_t* b);
void ycc_split_block(const uint8_t* px, ptrdiff_t step, int16_t* b);
void ycc_downsample_h2v1(const uint8_t* px, ptrdiff_t step, int16_t* b);
void ycc_downsample_h2v2(const uint8_t* px, ptrdiff_t step, int16_t* b);
void ycc422_split(const uint8_t* px, ptrdiff_t step, int16_t* b);
void quad_to_ycc4_block(const uint8_t* px, ptrdiff_t step, int16_t* b);
void quad_to_ycc4_h2v1(const uint8_t* px, ptrdiff_t step, int16_t* b);
void quad_to_ycc4_h2v2(const uint8_t* px, ptrdiff_t step, int16_t* b);
void split4_block(const uint8_t* px, ptrdiff_t step, int16_t* b);
void install_encode_kernels(JPEG_DISPATCH_TABLE* t);

// The pixel layout an edge twin reads, and its twin: the valid_w x valid_h pixels of an MCU of
// 8h x 8v converted one by one, the last valid column and row repeated, chroma averaged after
// conversion. Always generic, whatever the class.
enum class EncodeKind { Gray, Rgb, Bgr, Ycc, Ycc422, Quad, Split4 };
void encode_edge(EncodeKind kind, int32_t h, int32_t v, const uint8_t* px, ptrdiff_t step, int32_t valid_w,
                 int32_t valid_h, int16_t* blocks);

// Chooses encode_mcu_current and fast_path_code from the state's switches, counts and colours:
// 0, or -14 for a component count of 0 or above 255 with both switches on. A layout that no
// routine serves (and one component per scan) gets a routine that fails with -8.
int32_t select_encode_mcu(JPEG_PROPERTIES* st);
// The general routines, for any sampling: average then convert, average bytes, or copy.
int32_t encode_mcu_general(JPEG_PROPERTIES* st, int32_t col, int32_t row);
int32_t encode_mcu_refused(JPEG_PROPERTIES* st, int32_t col, int32_t row);

// The write road after the entry checks, the file open and the field copy: tables, switches,
// geometry, output reset, headers and scans. 0, 1 (interrupted) or an error.
int32_t encode_image(JPEG_PROPERTIES* st, int32_t mode);

// ---- processor class ------------------------------------------------------------------------------

int32_t JpegSelectKernels(JPEG_DISPATCH_TABLE* t);
int32_t JpegDetectProcessorClass(JPEG_DISPATCH_TABLE* t);
int32_t JpegReadCpuOverride(JPEG_DISPATCH_TABLE* t);
void JpegReleaseBindings(JPEG_DISPATCH_TABLE* t);
void JpegInitKernelsGeneric(JPEG_DISPATCH_TABLE* t);
void JpegInitKernelsClass3(JPEG_DISPATCH_TABLE* t);
void JpegInitKernelsClass4(JPEG_DISPATCH_TABLE* t);
void JpegInitKernelsClass5(JPEG_DISPATCH_TABLE* t);
void JpegInitKernelsClass6(JPEG_DISPATCH_TABLE* t);

}  // namespace jcodec

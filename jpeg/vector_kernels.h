// The vector kernels of processor classes 3 to 6: block transforms, quantisers and the Huffman
// coders. Each keeps the exact lane arithmetic of its family (mulhi = upper half of the 16 x 16
// product, 16-bit shifts that wrap, saturating adds where the flow says so), which is why the
// transforms differ from the generic ones by rounding.
#pragma once
#include <cstddef>
#include <cstdint>

#include "jpeg/jcodec_state.h"
#include "jpeg/vector_isa.h"

namespace jcodec {

// ---- block transforms and quantisers --------------------------------------------------------------

void fdct_fast_v64(int16_t* b);
void fdct_accurate_v64(int16_t* b);
void fdct_accurate_v64x(int16_t* b);
void fdct_accurate_v128(int16_t* b);
void idct_fast_8x8_v64(int16_t* b);
void idct_accurate_8x8_v64(int16_t* b);
void idct_accurate_8x8_v64x(int16_t* b);
void idct_accurate_8x8_v128(int16_t* b);
void quantize_fast_v64(int16_t* b, const int16_t* t);
void quantize_accurate_v64(int16_t* b, const int16_t* t);
void quantize_accurate_v64s(int16_t* b, const int16_t* t);
void quantize_accurate_v128(int16_t* b, const int16_t* t);
void dequantize_accurate_v64(int16_t* b, const int16_t* t);
void dequantize_accurate_v128(int16_t* b, const int16_t* t);

// Row coefficient tables of the accurate transforms: entry k of table r (rows r and 8 - r share
// one; r = 0 also serves row 4) is round(16384 x sqrt(2) x cos(k pi / 16) x s_r), s_0 = 1,
// s_r = sqrt(2) cos(r pi / 16). Index 0 holds the k = 4 value.
const int16_t (&vector_row_table(int32_t r))[8];
// The inverse row pass's operand pairs, [n 0..3][pair 0..1][half 0..1][8 lanes]: even
// coefficients (0, 2), (4, 6) and odd ones (1, 3), (5, 7), rows 4h..4h + 3 of each half.
const int16_t* vector_inverse_even_pairs();
const int16_t* vector_inverse_odd_pairs();
// The AVX2 twin of idct_accurate_8x8_v128 (both row halves in one register; same results). Only
// where vector_use_avx2() says so.
void idct_accurate_8x8_v128_avx2(int16_t* b);
// dequantize_accurate_v128 then idct_accurate_8x8_v128 (or its AVX2 twin) in one pass, for the
// decoder; same results as the two calls.
void idct_accurate_8x8_dequant_v128(int16_t* b, const int16_t* t);
void idct_accurate_8x8_dequant_v128_avx2(int16_t* b, const int16_t* t);
// The one-pass form of the table's current accurate dequantiser and 8x8 inverse DCT when they are
// class 6's pair, else null (the decoder then calls the two slots).
JpegQuantFn vector_dequant_idct_of(const JPEG_DISPATCH_TABLE* t);

// ---- Huffman coding ---------------------------------------------------------------------------------

// The coders keep up to 64 pending bits, left-aligned (the next bit out is bit 63); between calls
// the output record holds the generic form (fewer than 8 bits pending), so the generic emitters
// and the vector ones can share one stream.
struct JpegBitSink {
  uint64_t acc;
  int32_t pending;
  JpegOutput* out;
};
void bit_sink_open(JpegBitSink* s, JpegOutput* out);
int32_t bit_sink_close(JpegBitSink* s);  // whole bytes out, the rest back into the record

// One scan entry per non-zero AC coefficient in zigzag order: (zeros before it << 16) | value.
int32_t scan_block_v64(const int16_t* block, uint32_t* list);
// Up to 32 bits; 0, -28 (memory buffer: fewer than 4 bytes left as a group is due, or no room
// for a stuffed byte), or the file error of a flush.
int32_t put_bits_memory_v64(uint32_t code, int32_t length, JpegBitSink* s);
int32_t put_bits_file_v64(uint32_t code, int32_t length, JpegBitSink* s);
int32_t put_bits_v64x(uint32_t code, int32_t length, JpegBitSink* s);
int32_t output_flush_file(JpegOutput* out);  // 0 or -23
int32_t encode_block_v64(JpegOutput* out, const JpegHuffEncode* dc, const JpegHuffEncode* ac, int32_t* last_dc,
                         const int16_t* block);
int32_t encode_block_v64x(JpegOutput* out, const JpegHuffEncode* dc, const JpegHuffEncode* ac, int32_t* last_dc,
                          const int16_t* block);
int32_t output_bytes_v64(const uint8_t* bytes, size_t count, JpegOutput* out);
int32_t jpeg_output_init_v64(JpegOutput* out, uint8_t* buffer, size_t size);

int32_t input_refill_file(JpegStream* in);  // 0, or -11 at the end of the file
int32_t decode_block_v64a(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac, int32_t* last_dc,
                          int16_t* block);
int32_t decode_block_v64(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac, int32_t* last_dc,
                         int16_t* block);
int32_t decode_block_dc_only_v64(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac,
                                 int32_t* last_dc, int16_t* block);

}  // namespace jcodec

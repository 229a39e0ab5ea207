// The vector pixel kernels by name, for the class tables and for the tests that hold each
// member against its arithmetic. Encoder members: (first pixel, line step, MCU block buffer);
// decoder members: (MCU block buffer, first output byte, line step). Block buffers use the MCU
// layouts of the generic kernels of the same slots; every member handles one whole MCU.
#pragma once
#include <cstddef>
#include <cstdint>

namespace jcodec {

// ---- decoder side, SSE2 ----
void gray_block_to_gray_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_to_rgb_block_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_to_bgr_block_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v1_to_rgb_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v1_to_bgr_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v1_to_rgb_v64x(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v1_to_bgr_v64x(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v2_to_rgb_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v2_to_bgr_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_to_rgba_block_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v1_to_rgba_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v2_to_rgba_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v1_to_422_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc4_to_quad_block_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc4_to_quad_h2v1_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc4_to_quad_h2v2_v64(const int16_t* b, uint8_t* out, ptrdiff_t step);

// ---- decoder side, AVX2 twins (only after the processor check) ----
void ycc_h2v1_to_rgb_v64_avx2(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v1_to_bgr_v64_avx2(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v1_to_rgb_v64x_avx2(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v1_to_bgr_v64x_avx2(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v2_to_rgb_v64_avx2(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v2_to_bgr_v64_avx2(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v1_to_rgba_v64_avx2(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc_h2v2_to_rgba_v64_avx2(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc4_to_quad_h2v1_v64_avx2(const int16_t* b, uint8_t* out, ptrdiff_t step);
void ycc4_to_quad_h2v2_v64_avx2(const int16_t* b, uint8_t* out, ptrdiff_t step);

// ---- encoder side, SSE2 ----
void gray_to_block_v64(const uint8_t* px, ptrdiff_t step, int16_t* b);
void rgb_to_ycc_block_v64(const uint8_t* px, ptrdiff_t step, int16_t* b);
void bgr_to_ycc_block_v64(const uint8_t* px, ptrdiff_t step, int16_t* b);
void rgb_to_ycc_h2v1_v64(const uint8_t* px, ptrdiff_t step, int16_t* b);
void bgr_to_ycc_h2v1_v64(const uint8_t* px, ptrdiff_t step, int16_t* b);
void rgb_to_ycc_h2v2_v64(const uint8_t* px, ptrdiff_t step, int16_t* b);
void bgr_to_ycc_h2v2_v64(const uint8_t* px, ptrdiff_t step, int16_t* b);
void ycc422_split_v64(const uint8_t* px, ptrdiff_t step, int16_t* b);
void ycc422_split_v64x(const uint8_t* px, ptrdiff_t step, int16_t* b);
void quad_to_ycc4_block_v64(const uint8_t* px, ptrdiff_t step, int16_t* b);
void quad_to_ycc4_h2v1_v64(const uint8_t* px, ptrdiff_t step, int16_t* b);
void quad_to_ycc4_h2v2_v64(const uint8_t* px, ptrdiff_t step, int16_t* b);

}  // namespace jcodec

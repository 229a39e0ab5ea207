// The vector colour-conversion kernels of processor classes 3 to 6: the decoder's output slots
// and the encoder's MCU input slots that the class map gives to vector code.
#pragma once
#include <cstdint>

#include "jpeg/jcodec_state.h"

// Puts the vector pixel kernels of processor class cls (3 to 6) into their slots of t, over the
// generic ones that JpegInitKernelsGeneric installed; other classes change nothing. The slots
// get forwarding entries, each a direct call of one kernel member; the AVX2 twin is chosen
// here, once, where it exists and may run.
void install_vector_pixel_kernels(JPEG_DISPATCH_TABLE* t, int32_t cls);

// The member a slot's entry forwards to ("ycc_h2v1_to_rgb_v64x", ...), or null when the entry
// is not one of these forwarding entries. The name is the same for a member's AVX2 twin;
// vector_pixel_entry_is_avx2 tells them apart.
const char* vector_pixel_kernel_name(JpegEncodeInFn entry);
const char* vector_pixel_kernel_name(JpegOutKernelFn entry);
bool vector_pixel_entry_is_avx2(JpegEncodeInFn entry);
bool vector_pixel_entry_is_avx2(JpegOutKernelFn entry);

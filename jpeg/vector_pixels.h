// The vector colour-conversion kernels of processor classes 3 to 6: the decoder's output slots
// and the encoder's MCU input slots that the class map gives to vector code.
#pragma once
#include <cstdint>

struct JPEG_DISPATCH_TABLE;

// Puts the vector pixel kernels of processor class cls (3 to 6) into their slots of t, over the
// generic ones that JpegInitKernelsGeneric installed; other classes change nothing.
void install_vector_pixel_kernels(JPEG_DISPATCH_TABLE* t, int32_t cls);

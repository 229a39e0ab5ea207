// The members that use 256-bit registers; this file alone is compiled with AVX2 enabled, and
// nothing in it runs unless vector_use_avx2() said so.
#include <immintrin.h>

namespace jcodec {

void vector_clear_upper_avx2() { _mm256_zeroupper(); }

}  // namespace jcodec

// Shared by the JPEG benchmarks: the 800 x 600 page picture and the pinning of the codec to its
// generic kernels (processor class 0), so that figures do not move with the machine's class.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jpeg/jcodec_cpu.h"
#include "plat/platform.h"
#include "tools/jpegwriter/jpegref.h"

namespace bench_jpeg {


// Every later JpegCodecInit selects the kernels of processor class cls; sse2_only keeps the
// vector classes off their AVX2 members.
inline void pin_class(int cls, bool sse2_only = false) {
  jpeg_pin_class(uint32_t(cls));
  jpeg_force_sse2(sse2_only);
}

// Every later JpegCodecInit selects the generic kernels.
inline void pin_generic_kernels() { pin_class(0); }

// A q75 baseline picture of the deterministic test source, 4:2:0 unless h0/v0 say otherwise.
inline std::vector<uint8_t> page_picture(int w = 800, int h = 600, int h0 = 2, int v0 = 2) {
  jpegref::EncodeOpts o;
  o.h0 = h0;
  o.v0 = v0;
  return jpegref::encode(jpegref::make_source(w, h, 3), o);
}

}  // namespace bench_jpeg

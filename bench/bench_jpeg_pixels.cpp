// The codec's MCU pixel kernels, one MCU at a time over a buffer of 64 MCUs: each vector member
// (SSE2 and, where it has one, its AVX2 twin) beside the generic kernel of its slot, and the
// installed forwarding entry beside its member called directly. For profiling; no targets.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "jpeg/internal.h"
#include "jpeg/vector_isa.h"
#include "jpeg/vector_pixels.h"
#include "jpeg/vector_pixels_kernels.h"

namespace {

constexpr int kMcus = 64;

const JPEG_DISPATCH_TABLE& generic_table() {
  static const JPEG_DISPATCH_TABLE t = [] {
    JPEG_DISPATCH_TABLE g{};
    jcodec::JpegInitKernelsGeneric(&g);
    return g;
  }();
  return t;
}

// Class 6's table with the AVX2 twins where the processor has them.
const JPEG_DISPATCH_TABLE& class6_table() {
  static const JPEG_DISPATCH_TABLE t = [] {
    JPEG_DISPATCH_TABLE v = generic_table();
    install_vector_pixel_kernels(&v, 6);
    return v;
  }();
  return t;
}

// Samples 0..255 for kMcus MCUs of up to 12 blocks, and pixels for as many.
struct Data {
  std::vector<int16_t> samples = std::vector<int16_t>(size_t(kMcus) * 12 * 64);
  std::vector<uint8_t> pixels = std::vector<uint8_t>(size_t(kMcus) * 16 * 16 * 4);
  std::vector<int16_t> blocks = std::vector<int16_t>(12 * 64);
  Data() {
    std::mt19937 rng(142);
    for (int16_t& v : samples) v = int16_t(rng() & 255);
    for (uint8_t& v : pixels) v = uint8_t(rng());
  }
};
Data& data() {
  static Data d;
  return d;
}

void out_kernel(benchmark::State& state, JpegOutKernelFn fn, int hs, int vs, int bpp) {
  if (!fn) return state.SkipWithError("not available here");
  Data& d = data();
  std::vector<uint8_t> out(size_t(kMcus) * 16 * 16 * 4);
  const ptrdiff_t step = ptrdiff_t(hs) * 8 * bpp;
  for (auto _ : state) {
    for (int m = 0; m < kMcus; ++m)
      fn(d.samples.data() + size_t(m) * 12 * 64, out.data() + size_t(m) * step * vs * 8, step);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kMcus);  // items = MCUs
}

void in_kernel(benchmark::State& state, JpegEncodeInFn fn, int hs, int vs, int bpp) {
  if (!fn) return state.SkipWithError("generic encoder kernel not in this build");
  Data& d = data();
  const ptrdiff_t step = ptrdiff_t(hs) * 8 * bpp;
  for (auto _ : state) {
    for (int m = 0; m < kMcus; ++m) fn(d.pixels.data() + size_t(m) * step * vs * 8, step, d.blocks.data());
    benchmark::DoNotOptimize(d.blocks.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kMcus);
}

using T = JPEG_DISPATCH_TABLE;
struct OutRow {
  const char* name;
  JpegOutKernelFn T::*slot;
  JpegOutKernelFn sse2, avx2;
  int hs, vs, bpp;
};
struct InRow {
  const char* name;
  JpegEncodeInFn T::*slot;
  JpegEncodeInFn sse2;
  int hs, vs, bpp;
};

[[maybe_unused]] const bool registered = [] {
  const bool avx2 = jcodec::vector_avx2();
  const OutRow outs[] = {
      {"ycc_to_bgr_block", &T::ycc_to_bgr_block, jcodec::ycc_to_bgr_block_v64, nullptr, 1, 1, 3},
      {"ycc_h2v1_to_bgr", &T::ycc_h2v1_to_bgr, jcodec::ycc_h2v1_to_bgr_v64x, jcodec::ycc_h2v1_to_bgr_v64x_avx2, 2, 1, 3},
      {"ycc_h2v2_to_bgr", &T::ycc_h2v2_to_bgr, jcodec::ycc_h2v2_to_bgr_v64, jcodec::ycc_h2v2_to_bgr_v64_avx2, 2, 2, 3},
      {"ycc_h2v2_to_rgba", &T::ycc_h2v2_to_rgba, jcodec::ycc_h2v2_to_rgba_v64, jcodec::ycc_h2v2_to_rgba_v64_avx2, 2, 2, 4},
      {"ycc4_to_quad_h2v2", &T::ycc4_to_quad_h2v2, jcodec::ycc4_to_quad_h2v2_v64, jcodec::ycc4_to_quad_h2v2_v64_avx2, 2, 2, 4},
      {"ycc_h2v1_to_422", &T::ycc_h2v1_to_422, jcodec::ycc_h2v1_to_422_v64, nullptr, 2, 1, 2},
      {"gray_block_to_gray", &T::gray_block_to_gray, jcodec::gray_block_to_gray_v64, nullptr, 1, 1, 1},
  };
  for (const OutRow& r : outs) {
    const std::string n = std::string("out/") + r.name;
    benchmark::RegisterBenchmark((n + "/generic").c_str(), out_kernel, generic_table().*r.slot, r.hs, r.vs, r.bpp);
    benchmark::RegisterBenchmark((n + "/sse2").c_str(), out_kernel, r.sse2, r.hs, r.vs, r.bpp);
    if (r.avx2 && avx2) benchmark::RegisterBenchmark((n + "/avx2").c_str(), out_kernel, r.avx2, r.hs, r.vs, r.bpp);
    // the installed entry: the forwarding call on top of the member it chose
    benchmark::RegisterBenchmark((n + "/class6_entry").c_str(), out_kernel, class6_table().*r.slot, r.hs, r.vs, r.bpp);
  }
  const InRow ins[] = {
      {"rgb_to_ycc_block", &T::rgb_to_ycc_block, jcodec::rgb_to_ycc_block_v64, 1, 1, 3},
      {"bgr_to_ycc_h2v1", &T::bgr_to_ycc_h2v1, jcodec::bgr_to_ycc_h2v1_v64, 2, 1, 3},
      {"bgr_to_ycc_h2v2", &T::bgr_to_ycc_h2v2, jcodec::bgr_to_ycc_h2v2_v64, 2, 2, 3},
      {"quad_to_ycc4_h2v2", &T::quad_to_ycc4_h2v2, jcodec::quad_to_ycc4_h2v2_v64, 2, 2, 4},
      {"ycc422_split", &T::ycc422_split, jcodec::ycc422_split_v64x, 2, 1, 2},
  };
  for (const InRow& r : ins) {
    const std::string n = std::string("in/") + r.name;
    benchmark::RegisterBenchmark((n + "/generic").c_str(), in_kernel, generic_table().*r.slot, r.hs, r.vs, r.bpp);
    benchmark::RegisterBenchmark((n + "/sse2").c_str(), in_kernel, r.sse2, r.hs, r.vs, r.bpp);
  }
  return true;
}();

}  // namespace

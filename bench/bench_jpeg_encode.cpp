// Encode speed of the codec beside libjpeg-turbo's compressor in the same binary, on the 800 x 600
// test picture: baseline and progressive 4:2:0 at quality 75 from a B,G,R buffer into memory,
// accurate transforms. The codec runs pinned to processor class 0 and to class 6; libjpeg-turbo's
// SIMD is off unless VELDRA_BENCH_SIMD=1, as in the decode benchmark. Recorded without a target:
// the encoder serves the tools only.
#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "bench/bench_jpeg_common.h"
#include "bench/bench_ratio.h"
#include "jpeg/jcodec.h"

namespace {

using Bytes = std::vector<uint8_t>;


const Bytes& bgr_page() {
  static const Bytes b = [] {
    const jpegref::Image img = jpegref::make_source(800, 600, 3);
    Bytes out(img.px.size());
    for (size_t i = 0; i < out.size(); i += 3) {
      out[i] = img.px[i + 2];
      out[i + 1] = img.px[i + 1];
      out[i + 2] = img.px[i];
    }
    return out;
  }();
  return b;
}

void ours(benchmark::State& state, int cls, bool progressive) {
  bench_jpeg::pin_class(cls);
  Bytes px = bgr_page();
  Bytes out(2 << 20);
  JPEG_IMAGE_PROPS p{};
  if (JpegCodecInit(&p) != 0) return state.SkipWithError("init failed");
  p.dib_bytes = px.data();
  p.dib_width = p.jpg_width = 800;
  p.dib_height = p.jpg_height = 600;
  p.jpg_bytes = out.data();
  p.state.progressive_switch = progressive;
  size_t size = 0;
  for (auto _ : state) {
    p.jpg_size_bytes = int32_t(out.size());
    if (JpegCodecWrite(&p, 9) != 0) {
      state.SkipWithError("write failed");
      break;
    }
    size = size_t(p.jpg_size_bytes);
    benchmark::DoNotOptimize(out.data());
  }
  JpegCodecFree(&p);
  bench_jpeg::pin_generic_kernels();
  state.counters["bytes"] = double(size);
  state.counters["Mpx/s"] = benchmark::Counter(800.0 * 600, benchmark::Counter::kIsIterationInvariantRate);
}

struct ErrorMgr {
  jpeg_error_mgr pub;
  jmp_buf jump;
};
void on_error(j_common_ptr c) { longjmp(reinterpret_cast<ErrorMgr*>(c->err)->jump, 1); }

// The compression after set-up, away from setjmp's frame.
__attribute__((noinline)) void compress(jpeg_compress_struct* c, const Bytes& px) {
  jpeg_start_compress(c, TRUE);
  while (c->next_scanline < c->image_height) {
    JSAMPROW row = const_cast<uint8_t*>(&px[size_t(c->next_scanline) * 800 * 3]);
    jpeg_write_scanlines(c, &row, 1);
  }
  jpeg_finish_compress(c);
}

bool encode_libjpeg(const Bytes& px, bool progressive, size_t* size) {
  jpeg_compress_struct c{};
  ErrorMgr e{};
  c.err = jpeg_std_error(&e.pub);
  e.pub.error_exit = on_error;
  unsigned char* mem = nullptr;
  unsigned long mem_size = 0;
  if (setjmp(e.jump)) {
    jpeg_destroy_compress(&c);
    std::free(mem);
    return false;
  }
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &mem, &mem_size);
  c.image_width = 800;
  c.image_height = 600;
  c.input_components = 3;
  c.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 75, TRUE);
  c.dct_method = JDCT_ISLOW;
  if (progressive) jpeg_simple_progression(&c);
  compress(&c, px);
  jpeg_destroy_compress(&c);
  *size = mem_size;
  std::free(mem);
  return true;
}

void libjpeg(benchmark::State& state, bool progressive) {
  const Bytes& px = bgr_page();
  size_t size = 0;
  for (auto _ : state) {
    if (!encode_libjpeg(px, progressive, &size)) {
      state.SkipWithError("libjpeg failed");
      break;
    }
  }
  state.counters["bytes"] = double(size);
  state.counters["Mpx/s"] = benchmark::Counter(800.0 * 600, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

int main(int argc, char** argv) {
  const char* simd = std::getenv("VELDRA_BENCH_SIMD");
  if (!(simd && std::strcmp(simd, "1") == 0)) setenv("JSIMD_FORCENONE", "1", 1);
  bench_jpeg::pin_generic_kernels();
  std::vector<bench_ratio::Pair> pairs;
  for (const bool prog : {false, true}) {
    const std::string what = prog ? "progressive 4:2:0 800x600" : "baseline 4:2:0 800x600";
    for (const int cls : {0, 6}) {
      const std::string name = "ours class " + std::to_string(cls) + "/" + what;
      benchmark::RegisterBenchmark(name.c_str(), [cls, prog](benchmark::State& s) { ours(s, cls, prog); })
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
      pairs.push_back({name + "/real_time", "libjpeg/" + what + "/real_time", "speed over libjpeg-turbo, no target", true});
    }
    benchmark::RegisterBenchmark(("libjpeg/" + what).c_str(), [prog](benchmark::State& s) { libjpeg(s, prog); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  return bench_ratio::run(argc, argv, pairs);
}

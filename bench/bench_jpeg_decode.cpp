// Decode speed of the codec beside libjpeg-turbo in the same binary, on the same in-memory
// pictures. libjpeg-turbo is set to match the codec's defaults: plain up-sampling, the accurate
// integer transform, B,G,R output, memory source. Its SIMD is off unless VELDRA_BENCH_SIMD=1
// (it reads JSIMD_FORCENONE once per process). Prints one table with the ratio at the end.
#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "jpeg/internal.h"
#include "jpeg/jcodec_cpu.h"
#include "plat/platform.h"
#include "tools/jpegwriter/jpegref.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Picture {
  std::string name;
  Bytes jpeg;
  int w, h;
  int mode = 3;
  JpegRect roi{};
  int scale = 1;
};

std::vector<Picture>& pictures() {
  static std::vector<Picture> v = [] {
    std::vector<Picture> p;
    jpegref::Image img = jpegref::make_source(800, 600, 3);
    auto enc = [&](const char* n, auto f, const jpegref::Image& src) {
      jpegref::EncodeOpts o;
      f(o);
      p.push_back({n, jpegref::encode(src, o), src.w, src.h});
    };
    enc("baseline 4:2:0 800x600", [](auto& o) { o.h0 = 2, o.v0 = 2; }, img);
    enc("baseline 4:2:2 800x600", [](auto& o) { o.h0 = 2, o.v0 = 1; }, img);
    enc("baseline 4:4:4 800x600", [](auto& o) { o.h0 = 1, o.v0 = 1; }, img);
    enc("grey 800x600", [](auto& o) { o.grayscale = true; }, img);
    enc("progressive 4:2:0 800x600", [](auto& o) { o.progressive = true; }, img);
    enc("restart every MCU 800x600", [](auto& o) { o.restart_blocks = 1; }, img);
    Picture roi = p[0];
    roi.name = "mode 7 region 400x300";
    roi.mode = 7;
    roi.roi = JpegRect{200, 150, 600, 450};
    p.push_back(roi);
    for (int s : {2, 4, 8}) {
      Picture q = p[0];
      q.name = "scale 1/" + std::to_string(s);
      q.scale = s;
      q.mode = s == 2 ? 15 : s == 4 ? 17 : 19;
      p.push_back(q);
    }
    enc("baseline 4:2:0 2048x2048", [](auto& o) { o.h0 = 2, o.v0 = 2; }, jpegref::make_source(2048, 2048, 3));
    return p;
  }();
  return v;
}

void ours(benchmark::State& state, const Picture& pic) {
  const int ow = pic.roi.right ? pic.roi.right - pic.roi.left : (pic.w + pic.scale - 1) / pic.scale;
  const int oh = pic.roi.right ? pic.roi.bottom - pic.roi.top : (pic.h + pic.scale - 1) / pic.scale;
  std::vector<uint8_t> dib(size_t(ow) * oh * 3);
  for (auto _ : state) {
    JPEG_IMAGE_PROPS p{};
    JpegCodecInit(&p);
    p.jpg_bytes = const_cast<uint8_t*>(pic.jpeg.data());
    p.jpg_size_bytes = int32_t(pic.jpeg.size());
    JpegCodecRead(&p, 1);
    p.dib_bytes = dib.data();
    p.dib_width = ow;
    p.dib_height = oh;
    p.state.roi = pic.roi;
    int rc = JpegCodecRead(&p, pic.mode);
    if (rc != 0 && rc != 2) state.SkipWithError("decode failed");
    JpegCodecFree(&p);
    benchmark::DoNotOptimize(dib.data());
  }
  state.counters["Mpx/s"] = benchmark::Counter(double(ow) * oh, benchmark::Counter::kIsIterationInvariantRate);
}

struct Err {
  jpeg_error_mgr pub;
  jmp_buf jb;
};
void on_error(j_common_ptr c) { longjmp(reinterpret_cast<Err*>(c->err)->jb, 1); }

void libjpeg(benchmark::State& state, const Picture& pic) {
  const int ow = pic.roi.right ? pic.roi.right - pic.roi.left : (pic.w + pic.scale - 1) / pic.scale;
  const int oh = pic.roi.right ? pic.roi.bottom - pic.roi.top : (pic.h + pic.scale - 1) / pic.scale;
  std::vector<uint8_t> row(size_t(pic.w) * 3);
  std::vector<uint8_t> out(size_t(ow) * oh * 3);
  for (auto _ : state) {
    jpeg_decompress_struct d{};
    Err e{};
    d.err = jpeg_std_error(&e.pub);
    e.pub.error_exit = on_error;
    if (setjmp(e.jb)) {
      jpeg_destroy_decompress(&d);
      state.SkipWithError("libjpeg failed");
      break;
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, pic.jpeg.data(), static_cast<unsigned long>(pic.jpeg.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_EXT_BGR;
    d.do_fancy_upsampling = FALSE;
    d.dct_method = JDCT_ISLOW;
    d.scale_num = 1;
    d.scale_denom = static_cast<unsigned>(pic.scale);
    jpeg_start_decompress(&d);
    if (pic.roi.right) {
      // libjpeg's crop and skip
      JDIMENSION x = JDIMENSION(pic.roi.left), w = JDIMENSION(ow);
      jpeg_crop_scanline(&d, &x, &w);
      jpeg_skip_scanlines(&d, JDIMENSION(pic.roi.top));
      for (int y = 0; y < oh; ++y) {
        JSAMPROW r = row.data();
        jpeg_read_scanlines(&d, &r, 1);
      }
      jpeg_skip_scanlines(&d, d.output_height - d.output_scanline);
    } else {
      while (d.output_scanline < d.output_height) {
        JSAMPROW r = &out[size_t(d.output_scanline) * d.output_width * 3];
        jpeg_read_scanlines(&d, &r, 1);
      }
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["Mpx/s"] = benchmark::Counter(double(ow) * oh, benchmark::Counter::kIsIterationInvariantRate);
}

// Per-kernel figures for profiling.
void kernel_idct(benchmark::State& state) {
  alignas(32) int16_t b[64];
  for (int i = 0; i < 64; ++i) b[i] = int16_t((i * 37) % 200 - 100);
  for (auto _ : state) {
    alignas(32) int16_t c[64];
    std::memcpy(c, b, sizeof c);
    jcodec::idct_accurate_8x8(c);
    benchmark::DoNotOptimize(c);
  }
}

void kernel_bgr_h2v2(benchmark::State& state) {
  JPEG_DISPATCH_TABLE t{};
  jcodec::JpegInitKernelsGeneric(&t);
  std::vector<int16_t> blocks(6 * 64);
  for (size_t i = 0; i < blocks.size(); ++i) blocks[i] = int16_t(i * 7 % 256);
  std::vector<uint8_t> out(16 * 16 * 3);
  for (auto _ : state) {
    t.ycc_h2v2_to_bgr(blocks.data(), out.data(), 48);
    benchmark::DoNotOptimize(out.data());
  }
}

class TableReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, std::pair<double, double>> rates;  // ours, libjpeg
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      std::string n = r.benchmark_name();
      auto it = r.counters.find("Mpx/s");
      if (it == r.counters.end()) continue;
      if (n.rfind("ours/", 0) == 0) rates[n.substr(5)].first = it->second;
      if (n.rfind("libjpeg/", 0) == 0) rates[n.substr(8)].second = it->second;
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  const char* simd = std::getenv("VELDRA_BENCH_SIMD");
  const bool simd_on = simd && std::strcmp(simd, "1") == 0;
  if (!simd_on) setenv("JSIMD_FORCENONE", "1", 1);
  // the generic kernels: processor class 0
  struct Class0 : plat::IRegistry {
    std::optional<std::string> readString(plat::Hive, std::string_view, std::string_view) override { return {}; }
    std::optional<uint32_t> readDword(plat::Hive, std::string_view, std::string_view v) override {
      return v == "USECPU" ? std::optional<uint32_t>(0) : std::nullopt;
    }
    bool keyExists(plat::Hive, std::string_view) override { return true; }
  } reg;
  jpeg_set_registry_override(&reg);
  for (const Picture& p : pictures()) {
    benchmark::RegisterBenchmark(("ours/" + p.name).c_str(), [&p](benchmark::State& s) { ours(s, p); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("libjpeg/" + p.name).c_str(), [&p](benchmark::State& s) { libjpeg(s, p); })
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("kernel/idct_accurate_8x8", kernel_idct);
  benchmark::RegisterBenchmark("kernel/ycc_h2v2_to_bgr", kernel_bgr_h2v2);
  benchmark::Initialize(&argc, argv);
  TableReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  std::printf("\n%-32s %12s %12s %8s   (libjpeg-turbo SIMD %s)\n", "picture", "ours Mpx/s", "libjpeg", "ratio",
              simd_on ? "on" : "off");
  for (const auto& [name, r] : rep.rates)
    if (r.first > 0 && r.second > 0)
      std::printf("%-32s %12.1f %12.1f %7.2fx\n", name.c_str(), r.first / 1e6, r.second / 1e6, r.first / r.second);
  benchmark::Shutdown();
  return 0;
}

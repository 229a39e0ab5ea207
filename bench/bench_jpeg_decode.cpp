// Decode speed of the codec beside libjpeg-turbo in the same binary, on the same in-memory
// pictures. libjpeg-turbo is set to match the codec's defaults: plain up-sampling, the accurate
// integer transform, B,G,R output, memory source. The codec runs each picture in processor class
// 0 (generic kernels), class 6 with the SSE2 members and class 6 with the AVX2 twins (where the
// processor has AVX2). libjpeg-turbo reads its SIMD switch once per process: VELDRA_BENCH_SIMD
// unset or 0 sets JSIMD_FORCENONE, "sse2" JSIMD_FORCESSE2, 1 leaves its default; scripts/bench
// runs this three times and the last run prints one table of all (--table-out, --table-in).
// Then come the per-kernel figures: ns per block on the pictures' own data, for profiling.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "bench/bench_jpeg_common.h"
#include "jpeg/internal.h"
#include "jpeg/vector_kernels.h"

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

int out_width(const Picture& pic) {
  return pic.roi.right ? pic.roi.right - pic.roi.left : (pic.w + pic.scale - 1) / pic.scale;
}
int out_height(const Picture& pic) {
  return pic.roi.right ? pic.roi.bottom - pic.roi.top : (pic.h + pic.scale - 1) / pic.scale;
}

// One decode by the codec into dib (out_width x out_height x 3); false on failure.
bool decode_ours(const Picture& pic, uint8_t* dib) {
  JPEG_IMAGE_PROPS p{};
  JpegCodecInit(&p);
  p.jpg_bytes = const_cast<uint8_t*>(pic.jpeg.data());
  p.jpg_size_bytes = int32_t(pic.jpeg.size());
  JpegCodecRead(&p, 1);
  p.dib_bytes = dib;
  p.dib_width = out_width(pic);
  p.dib_height = out_height(pic);
  p.state.roi = pic.roi;
  const int rc = JpegCodecRead(&p, pic.mode);
  JpegCodecFree(&p);
  return rc == 0 || rc == 2;
}

// Codec columns: processor class and instruction set.
struct Variant {
  const char* column;
  int cls;
  bool sse2_only;
};
const Variant kVariants[] = {{"c0", 0, false}, {"c6 sse2", 6, true}, {"c6 avx2", 6, false}};

void ours(benchmark::State& state, const Picture& pic, const Variant& v) {
  bench_jpeg::pin_class(v.cls, v.sse2_only);
  const int ow = out_width(pic), oh = out_height(pic);
  std::vector<uint8_t> dib(size_t(ow) * oh * 3);
  for (auto _ : state) {
    if (!decode_ours(pic, dib.data())) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(dib.data());
  }
  state.counters["Mpx/s"] = benchmark::Counter(double(ow) * oh, benchmark::Counter::kIsIterationInvariantRate);
}

struct Err {
  jpeg_error_mgr pub;
  jmp_buf jb;
};
void on_error(j_common_ptr c) { longjmp(reinterpret_cast<Err*>(c->err)->jb, 1); }

// The work of one libjpeg-turbo decode after the header, away from setjmp's frame.
__attribute__((noinline)) void read_libjpeg(jpeg_decompress_struct* d, const Picture& pic, uint8_t* row,
                                            uint8_t* out) {
  const int ow = out_width(pic), oh = out_height(pic);
  jpeg_mem_src(d, pic.jpeg.data(), static_cast<unsigned long>(pic.jpeg.size()));
  jpeg_read_header(d, TRUE);
  d->out_color_space = JCS_EXT_BGR;
  d->do_fancy_upsampling = FALSE;
  d->dct_method = JDCT_ISLOW;
  d->scale_num = 1;
  d->scale_denom = static_cast<unsigned>(pic.scale);
  jpeg_start_decompress(d);
  if (pic.roi.right) {
    // libjpeg's crop and skip
    JDIMENSION x = JDIMENSION(pic.roi.left), w = JDIMENSION(ow);
    jpeg_crop_scanline(d, &x, &w);
    jpeg_skip_scanlines(d, JDIMENSION(pic.roi.top));
    for (int y = 0; y < oh; ++y) {
      JSAMPROW r = row;
      jpeg_read_scanlines(d, &r, 1);
    }
    jpeg_skip_scanlines(d, d->output_height - d->output_scanline);
  } else {
    while (d->output_scanline < d->output_height) {
      JSAMPROW r = &out[size_t(d->output_scanline) * d->output_width * 3];
      jpeg_read_scanlines(d, &r, 1);
    }
  }
  jpeg_finish_decompress(d);
}

// One decode by libjpeg-turbo with the codec's defaults: a region goes through one row buffer
// (row, pic.w x 3), a whole picture into out. False on failure.
bool decode_libjpeg(const Picture& pic, uint8_t* row, uint8_t* out) {
  jpeg_decompress_struct d{};
  Err e{};
  d.err = jpeg_std_error(&e.pub);
  e.pub.error_exit = on_error;
  if (setjmp(e.jb)) {
    jpeg_destroy_decompress(&d);
    return false;
  }
  jpeg_create_decompress(&d);
  read_libjpeg(&d, pic, row, out);
  jpeg_destroy_decompress(&d);
  return true;
}

void libjpeg(benchmark::State& state, const Picture& pic) {
  const int ow = out_width(pic), oh = out_height(pic);
  std::vector<uint8_t> row(size_t(pic.w) * 3);
  std::vector<uint8_t> out(size_t(ow) * oh * 3);
  for (auto _ : state) {
    if (!decode_libjpeg(pic, row.data(), out.data())) {
      state.SkipWithError("libjpeg failed");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["Mpx/s"] = benchmark::Counter(double(ow) * oh, benchmark::Counter::kIsIterationInvariantRate);
}

// ---- per-kernel figures for profiling (ns per block, no targets) --------------------------------

// Time per unit for `units` units an iteration (seconds; the console shows it as ns).
benchmark::Counter time_per(double units) {
  return benchmark::Counter(units, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// One baseline picture's interleaved scan taken apart: the tables the codec's header read built,
// where the entropy-coded data starts, and every block decoded once (coefficients and samples).
struct CodedScan {
  struct Comp {
    int32_t h, v;
    const JpegHuffDecode* dc;
    const JpegHuffDecode* ac;
    alignas(32) int16_t q[80];  // accurate-family dequantisation table, natural order
  };
  struct PropsFree {
    void operator()(JPEG_IMAGE_PROPS* p) const {
      JpegCodecFree(p);
      delete p;
    }
  };
  Bytes jpeg;
  std::unique_ptr<JPEG_IMAGE_PROPS, PropsFree> props;
  size_t data_start = 0;
  std::vector<Comp> comps;  // in scan order
  int32_t mcus_across = 0, mcu_rows = 0, blocks_per_mcu = 0;
  std::vector<uint8_t> block_comp;  // component of each block of an MCU
  std::vector<int16_t> coef;        // every block in coding order, natural order
  std::vector<int16_t> samples;     // the same after the accurate dequantising IDCT
  std::string error;
};

JPEG_DISPATCH_TABLE& generic_table() {
  static JPEG_DISPATCH_TABLE t = [] {
    JPEG_DISPATCH_TABLE x{};
    jcodec::JpegInitKernelsGeneric(&x);
    return x;
  }();
  return t;
}

JPEG_DISPATCH_TABLE& class6_table() {
  static JPEG_DISPATCH_TABLE t = [] {
    JPEG_DISPATCH_TABLE x{};
    jcodec::JpegInitKernelsClass6(&x);
    return x;
  }();
  return t;
}

void start_stream(JpegStream* s, const CodedScan& sc) {
  s->acc = 0;
  s->bits = 0;
  s->table = &generic_table();
  s->buf = sc.jpeg.data();
  s->cur = s->start = sc.data_start;
  s->end = sc.jpeg.size();
  s->consumed = 0;
  s->total = sc.jpeg.size();
  s->file_origin = 0;
  s->pending_marker = s->eob_run = s->overrun = s->eof = s->starved = 0;
  s->file = nullptr;
  s->ops = nullptr;
}

// Entropy-decodes the whole scan through the table's decode_block. With keep, block k of the
// scan goes to out + 64k; else every MCU reuses the first blocks_per_mcu blocks of out, as the
// decoder's MCU buffer does. True when the data ended exactly at EOI.
bool decode_scan_blocks(const CodedScan& sc, JpegStream* s, int16_t* out, bool keep,
                        const JPEG_DISPATCH_TABLE& t = generic_table()) {
  start_stream(s, sc);
  const JpegDecodeBlockFn decode = t.decode_block;
  int32_t dc[4] = {};
  bool ok = true;
  int16_t* b = out;
  for (int32_t m = 0; m < sc.mcus_across * sc.mcu_rows; ++m) {
    if (!keep) b = out;
    for (int32_t k = 0; k < sc.blocks_per_mcu; ++k, b += 64) {
      const int c = sc.block_comp[size_t(k)];
      ok &= decode(s, sc.comps[size_t(c)].dc, sc.comps[size_t(c)].ac, &dc[c], b) == 0;
    }
  }
  return ok && s->pending_marker == 0xD9 && s->overrun == 0;
}

// The entropy-coded data's offset and the scan's (component id, DC table, AC table).
bool find_scan(const Bytes& j, size_t* data, std::vector<std::array<int, 3>>* sel) {
  size_t p = 2;
  while (p + 4 <= j.size() && j[p] == 0xFF) {
    const int m = j[p + 1];
    const size_t len = size_t(j[p + 2]) << 8 | j[p + 3];
    if (p + 2 + len > j.size()) return false;
    if (m == 0xDA) {
      const int ns = j[p + 4];
      for (int i = 0; i < ns && p + 6 + 2 * size_t(i) < j.size(); ++i)
        sel->push_back({j[p + 5 + 2 * i], j[p + 6 + 2 * i] >> 4, j[p + 6 + 2 * i] & 15});
      *data = p + 2 + len;
      return true;
    }
    p += 2 + len;
  }
  return false;
}

std::unique_ptr<CodedScan> make_scan(Bytes jpeg) {
  auto sc = std::make_unique<CodedScan>();
  sc->jpeg = std::move(jpeg);
  sc->props.reset(new JPEG_IMAGE_PROPS{});
  JPEG_IMAGE_PROPS& p = *sc->props;
  JpegCodecInit(&p);
  p.jpg_bytes = sc->jpeg.data();
  p.jpg_size_bytes = int32_t(sc->jpeg.size());
  std::vector<std::array<int, 3>> sel;
  if (JpegCodecRead(&p, JPEG_READ_PARAMS_MEM) != 0 || !find_scan(sc->jpeg, &sc->data_start, &sel)) {
    sc->error = "header not read";
    return sc;
  }
  const JpegFrame& f = p.state.frame;
  int32_t hmax = 1, vmax = 1;
  for (int32_t i = 0; i < f.ncomp; ++i) {
    hmax = std::max(hmax, f.comps[i].h);
    vmax = std::max(vmax, f.comps[i].v);
  }
  for (const auto& [id, td, ta] : sel) {
    const JpegFrameComponent* fc = nullptr;
    for (int32_t i = 0; i < f.ncomp; ++i)
      if (f.comps[i].id == id) fc = &f.comps[i];
    if (!fc || td > 3 || ta > 3 || !p.state.dc_tables[td].present || !p.state.ac_tables[ta].present) {
      sc->error = "scan tables missing";
      return sc;
    }
    CodedScan::Comp c{fc->h, fc->v, &p.state.dc_tables[td], &p.state.ac_tables[ta], {}};
    jcodec::prepare_plain(p.state.quant[fc->tq & 3].values, c.q);
    for (int32_t k = 0; k < c.h * c.v; ++k) sc->block_comp.push_back(uint8_t(sc->comps.size()));
    sc->comps.push_back(c);
  }
  sc->blocks_per_mcu = int32_t(sc->block_comp.size());
  sc->mcus_across = (f.width + 8 * hmax - 1) / (8 * hmax);
  sc->mcu_rows = (f.height + 8 * vmax - 1) / (8 * vmax);
  const size_t blocks = size_t(sc->mcus_across) * size_t(sc->mcu_rows) * size_t(sc->blocks_per_mcu);
  sc->coef.resize(blocks * 64);
  auto s = std::make_unique<JpegStream>();
  if (!decode_scan_blocks(*sc, s.get(), sc->coef.data(), true)) {
    sc->error = "entropy data out of step";
    return sc;
  }
  sc->samples = sc->coef;
  for (size_t k = 0; k < blocks; ++k)
    jcodec::idct_accurate_8x8_dequant(&sc->samples[k * 64],
                                      sc->comps[sc->block_comp[k % size_t(sc->blocks_per_mcu)]].q);
  return sc;
}

// The scans of the 4:2:0, 4:2:2 and 4:4:4 pictures: the first three of pictures().
const CodedScan& coded(int picture) {
  static std::map<int, std::unique_ptr<CodedScan>> m;
  auto& e = m[picture];
  if (!e) e = make_scan(pictures()[size_t(picture)].jpeg);
  return *e;
}
constexpr int k420 = 0, k422 = 1, k444 = 2;

size_t block_count(const CodedScan& sc) { return sc.coef.size() / 64; }

void kernel_decode_block(benchmark::State& state, int picture, const JPEG_DISPATCH_TABLE& t) {
  const CodedScan& sc = coded(picture);
  if (!sc.error.empty()) return state.SkipWithError(sc.error.c_str());
  auto s = std::make_unique<JpegStream>();
  std::vector<int16_t> mcu(size_t(sc.blocks_per_mcu) * 64);
  for (auto _ : state) {
    if (!decode_scan_blocks(sc, s.get(), mcu.data(), false, t)) state.SkipWithError("entropy data out of step");
    benchmark::DoNotOptimize(mcu.data());
  }
  state.counters["per_block"] = time_per(double(block_count(sc)));
}

// The accurate IDCT over every block of the picture, in place; the coefficients are put back
// between iterations outside the timing. dequant: the decoder's fused form, else the table slot
// on blocks dequantised beforehand; direct: that kernel called without the table (the cost of the
// forwarding entry is the difference).
void kernel_idct_real(benchmark::State& state, bool dequant, const JPEG_DISPATCH_TABLE& t,
                      JpegBlockFn direct = nullptr) {
  const CodedScan& sc = coded(k420);
  if (!sc.error.empty()) return state.SkipWithError(sc.error.c_str());
  const size_t n = block_count(sc);
  std::vector<int16_t> input = sc.coef;
  if (!dequant)
    for (size_t k = 0; k < n; ++k)
      t.dequantize_accurate(&input[k * 64], sc.comps[sc.block_comp[k % size_t(sc.blocks_per_mcu)]].q);
  // 32-byte aligned blocks, as the decoder's scratch blocks are
  struct alignas(32) Block {
    int16_t v[64];
  };
  std::vector<Block> work(n);
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(work.data(), input.data(), n * sizeof(Block));
    state.ResumeTiming();
    if (dequant) {
      for (size_t k = 0; k < n; ++k)
        jcodec::idct_accurate_8x8_dequant(work[k].v, sc.comps[sc.block_comp[k % size_t(sc.blocks_per_mcu)]].q);
    } else if (direct) {
      for (size_t k = 0; k < n; ++k) direct(work[k].v);
    } else {
      for (size_t k = 0; k < n; ++k) t.idct_accurate_8x8(work[k].v);
    }
    benchmark::DoNotOptimize(work.data());
  }
  state.counters["per_block"] = time_per(double(n));
}

void kernel_idct_synthetic(benchmark::State& state) {
  alignas(32) int16_t b[64];
  for (int i = 0; i < 64; ++i) b[i] = int16_t((i * 37) % 200 - 100);
  for (auto _ : state) {
    alignas(32) int16_t c[64];
    std::memcpy(c, b, sizeof c);
    jcodec::idct_accurate_8x8(c);
    benchmark::DoNotOptimize(c);
  }
  state.counters["per_block"] = time_per(1);
}

// One B,G,R MCU kernel over every MCU of the picture's real samples, written where the decoder
// would put them in a whole-picture buffer. ns/block counts the MCU's coded blocks (6, 4 or 3),
// so that it adds up with the decode_block and IDCT rows.
void kernel_bgr(benchmark::State& state, int picture, JpegOutKernelFn JPEG_DISPATCH_TABLE::*slot, int hs, int vs,
                const JPEG_DISPATCH_TABLE& t) {
  const CodedScan& sc = coded(picture);
  if (!sc.error.empty()) return state.SkipWithError(sc.error.c_str());
  const JpegOutKernelFn kernel = t.*slot;
  const ptrdiff_t step = ptrdiff_t(sc.mcus_across) * hs * 8 * 3;
  std::vector<uint8_t> out(size_t(step) * size_t(sc.mcu_rows) * size_t(vs) * 8);
  const size_t mcu_samples = size_t(sc.blocks_per_mcu) * 64;
  for (auto _ : state) {
    const int16_t* b = sc.samples.data();
    for (int32_t row = 0; row < sc.mcu_rows; ++row) {
      uint8_t* o = out.data() + size_t(row) * size_t(vs) * 8 * size_t(step);
      for (int32_t col = 0; col < sc.mcus_across; ++col, b += mcu_samples, o += hs * 8 * 3) kernel(b, o, step);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["per_block"] = time_per(double(block_count(sc)));
  state.counters["per_MCU"] = time_per(double(sc.mcus_across) * sc.mcu_rows);
}

using Rates = std::map<std::string, std::map<std::string, double>>;  // picture: column: px/s

class TableReporter : public benchmark::ConsoleReporter {
 public:
  explicit TableReporter(std::string lib) : libjpeg_column(std::move(lib)) {}
  std::string libjpeg_column;  // "libjpeg none", "libjpeg sse2" or "libjpeg simd"
  Rates rates;
  std::vector<std::pair<std::string, double>> kernels;     // seconds per block
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      std::string n = r.benchmark_name();
      if (auto k = r.counters.find("per_block"); k != r.counters.end() && n.rfind("kernel/", 0) == 0)
        kernels.emplace_back(n.substr(7), k->second);
      auto it = r.counters.find("Mpx/s");
      if (it == r.counters.end()) continue;
      // "ours <column>/<picture>" or "libjpeg/<picture>"
      const size_t slash = n.find('/');
      if (slash == std::string::npos) continue;
      const std::string who = n.substr(0, slash), pic = n.substr(slash + 1);
      if (who.rfind("ours ", 0) == 0) rates[pic][who.substr(5)] = it->second;
      if (who == "libjpeg") rates[pic][libjpeg_column] = it->second;
    }
  }
};

// The rates of a run, one value a line: picture, column, px/s, separated by tabs.
void write_rates(const std::string& path, const Rates& rates) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return;
  for (const auto& [name, cols] : rates)
    for (const auto& [col, v] : cols) std::fprintf(f, "%s\t%s\t%.1f\n", name.c_str(), col.c_str(), v);
  std::fclose(f);
}
void read_rates(const std::string& path, Rates* rates) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return;
  char line[512];
  while (std::fgets(line, sizeof line, f)) {
    char* t1 = std::strchr(line, '\t');
    char* t2 = t1 ? std::strchr(t1 + 1, '\t') : nullptr;
    if (!t2) continue;
    *t1 = *t2 = 0;
    (*rates)[line][t1 + 1] = std::atof(t2 + 1);
  }
  std::fclose(f);
}

// One table in the order of the pictures: the codec's columns, libjpeg-turbo's at each SIMD level
// that ran, and the ratios class 0 / no SIMD, class 6 SSE2 / SSE2, class 6 AVX2 / SIMD on. "-"
// where a row did not run.
void print_table(const Rates& rates) {
  auto get = [&](const std::string& pic, const char* col) {
    auto it = rates.find(pic);
    if (it == rates.end()) return 0.0;
    auto c = it->second.find(col);
    return c == it->second.end() ? 0.0 : c->second;
  };
  auto mpx = [](double v) {
    char t[32] = "-";
    if (v > 0) std::snprintf(t, sizeof t, "%.1f", v / 1e6);
    return std::string(t);
  };
  auto ratio = [](double a, double b) {
    char t[32] = "-";
    if (a > 0 && b > 0) std::snprintf(t, sizeof t, "%.2fx", a / b);
    return std::string(t);
  };
  std::printf("\n%-28s %8s %8s %8s %8s %8s %8s %9s %9s %9s\n", "picture (Mpx/s)", "c0", "c6 sse2", "c6 avx2",
              "lib none", "lib sse2", "lib simd", "c0/none", "sse2/sse2", "avx2/simd");
  for (const Picture& p : pictures()) {
    const double c0 = get(p.name, "c0"), s2 = get(p.name, "c6 sse2"), a2 = get(p.name, "c6 avx2");
    const double ln = get(p.name, "libjpeg none"), ls = get(p.name, "libjpeg sse2"), lf = get(p.name, "libjpeg simd");
    if (c0 <= 0 && s2 <= 0 && a2 <= 0 && ln <= 0 && ls <= 0 && lf <= 0) continue;
    std::printf("%-28s %8s %8s %8s %8s %8s %8s %9s %9s %9s\n", p.name.c_str(), mpx(c0).c_str(), mpx(s2).c_str(),
                mpx(a2).c_str(), mpx(ln).c_str(), mpx(ls).c_str(), mpx(lf).c_str(), ratio(c0, ln).c_str(),
                ratio(s2, ls).c_str(), ratio(a2, lf).c_str());
  }
}

// For instruction counts: the page picture and one decoder's buffers, decoded by the two
// functions below, which callgrind's --toggle-collect names.
struct Once {
  Picture page;
  std::vector<uint8_t> row, out;
};
Once& once() {
  static Once o = [] {
    Once x;
    x.page = {"page", bench_jpeg::page_picture(), 800, 600};
    x.row.resize(800 * 3);
    x.out.resize(800 * 600 * 3);
    return x;
  }();
  return o;
}

// Flags of this program, taken out of argv before the benchmark library sees it.
std::string take_flag(int* argc, char** argv, const char* prefix) {
  const size_t n = std::strlen(prefix);
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp(argv[i], prefix, n) != 0) continue;
    std::string v = argv[i] + n;
    for (int k = i; k + 1 < *argc; ++k) argv[k] = argv[k + 1];
    --*argc;
    return v;
  }
  return {};
}

}  // namespace

extern "C" __attribute__((noinline)) int veldra_callgrind_decode_ours() {
  return decode_ours(once().page, once().out.data()) ? 0 : 1;
}
extern "C" __attribute__((noinline)) int veldra_callgrind_decode_libjpeg() {
  return decode_libjpeg(once().page, once().row.data(), once().out.data()) ? 0 : 1;
}

// Extra flags:
//   --write-jpeg=DIR   writes the 800x600 4:2:0 picture of the table to DIR/page_420_800x600.jpg
//                      (the cross-check of other tools runs on the same bytes) and exits.
//   --table-out=FILE   writes the rates of the table to FILE in place of printing the table.
//   --table-in=FILES   prints one table of the rates in FILES (comma-separated, earlier runs at
//                      other SIMD levels) and this run's.
//   --callgrind=ours|libjpeg  decodes that picture twice with one decoder and exits; the second
//                      decode is in veldra_callgrind_decode_<name>, for --toggle-collect.
//                      "ours c6 sse2" and "ours c6 avx2" decode in class 6 instead of class 0.
int main(int argc, char** argv) {
  const char* simd = std::getenv("VELDRA_BENCH_SIMD");
  const bool simd_on = simd && std::strcmp(simd, "1") == 0;
  const bool simd_sse2 = simd && std::strcmp(simd, "sse2") == 0;
  if (simd_sse2)
    setenv("JSIMD_FORCESSE2", "1", 1);
  else if (!simd_on)
    setenv("JSIMD_FORCENONE", "1", 1);
  const std::string lib_column = simd_on ? "libjpeg simd" : simd_sse2 ? "libjpeg sse2" : "libjpeg none";
  bench_jpeg::pin_generic_kernels();

  if (std::string dir = take_flag(&argc, argv, "--write-jpeg="); !dir.empty()) {
    const std::string path = dir + "/page_420_800x600.jpg";
    const Bytes& b = once().page.jpeg;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f && std::fwrite(b.data(), 1, b.size(), f) == b.size();
    if (f && std::fclose(f) != 0) return 1;
    if (!ok) return std::fprintf(stderr, "cannot write %s\n", path.c_str()), 1;
    std::printf("%s\n", path.c_str());
    return 0;
  }
  if (std::string who = take_flag(&argc, argv, "--callgrind="); !who.empty()) {
    for (const Variant& v : kVariants) {
      if (who != "ours" + std::string(v.cls ? " " : "") + (v.cls ? v.column : "")) continue;
      bench_jpeg::pin_class(v.cls, v.sse2_only);
      return (decode_ours(once().page, once().out.data()) ? 0 : 1) | veldra_callgrind_decode_ours();
    }
    if (who == "libjpeg")
      return (decode_libjpeg(once().page, once().row.data(), once().out.data()) ? 0 : 1) |
             veldra_callgrind_decode_libjpeg();
    return std::fprintf(stderr, "--callgrind=ours, \"ours c6 sse2\", \"ours c6 avx2\" or libjpeg\n"), 2;
  }

  for (const Picture& p : pictures()) {
    for (const Variant& v : kVariants) {
      if (!v.sse2_only && v.cls == 6 && !jpeg_avx2_available()) continue;  // no AVX2 here
      benchmark::RegisterBenchmark(("ours " + std::string(v.column) + "/" + p.name).c_str(),
                                   [&p, &v](benchmark::State& s) { ours(s, p, v); })
          ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark(("libjpeg/" + p.name).c_str(), [&p](benchmark::State& s) { libjpeg(s, p); })
        ->Unit(benchmark::kMillisecond);
  }
  // Per-kernel rows, generic (c0) and class 6 (c6) slots on the blocks of the pictures above, for
  // profiling.
  for (const auto& [tag, table] : {std::pair<std::string, const JPEG_DISPATCH_TABLE*>{"c0", &generic_table()},
                                   std::pair<std::string, const JPEG_DISPATCH_TABLE*>{"c6", &class6_table()}}) {
    const JPEG_DISPATCH_TABLE* t = table;
    auto reg = [&](const std::string& name, auto fn) {
      benchmark::RegisterBenchmark(("kernel/" + tag + " " + name).c_str(), fn)->Unit(benchmark::kMicrosecond);
    };
    reg("decode_block 4:2:0 800x600", [t](benchmark::State& s) { kernel_decode_block(s, k420, *t); });
    reg("decode_block 4:4:4 800x600", [t](benchmark::State& s) { kernel_decode_block(s, k444, *t); });
    reg("idct_accurate_8x8 real blocks", [t](benchmark::State& s) { kernel_idct_real(s, false, *t); });
    reg("ycc_h2v2_to_bgr 4:2:0",
        [t](benchmark::State& s) { kernel_bgr(s, k420, &JPEG_DISPATCH_TABLE::ycc_h2v2_to_bgr, 2, 2, *t); });
    reg("ycc_h2v1_to_bgr 4:2:2",
        [t](benchmark::State& s) { kernel_bgr(s, k422, &JPEG_DISPATCH_TABLE::ycc_h2v1_to_bgr, 2, 1, *t); });
    reg("ycc_to_bgr_block 4:4:4",
        [t](benchmark::State& s) { kernel_bgr(s, k444, &JPEG_DISPATCH_TABLE::ycc_to_bgr_block, 1, 1, *t); });
  }
  benchmark::RegisterBenchmark("kernel/c0 idct_accurate_8x8_dequant real blocks",
                               [](benchmark::State& s) { kernel_idct_real(s, true, generic_table()); })
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("kernel/c6 idct_accurate_8x8_v128 direct, no forwarding entry",
                               [](benchmark::State& s) {
                                 kernel_idct_real(s, false, class6_table(), jcodec::idct_accurate_8x8_v128);
                               })
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("kernel/c0 idct_accurate_8x8 synthetic block", kernel_idct_synthetic);
  const std::string table_out = take_flag(&argc, argv, "--table-out=");
  const std::string table_in = take_flag(&argc, argv, "--table-in=");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TableReporter rep(lib_column);
  benchmark::RunSpecifiedBenchmarks(&rep);
  bench_jpeg::pin_generic_kernels();
  if (!table_out.empty()) {
    write_rates(table_out, rep.rates);  // the last run prints the table
  } else {
    Rates all;
    for (size_t b = 0, e; b < table_in.size(); b = e + 1) {
      e = table_in.find(',', b);
      if (e == std::string::npos) e = table_in.size();
      read_rates(table_in.substr(b, e - b), &all);
    }
    for (const auto& [pic, cols] : rep.rates)
      for (const auto& [col, v] : cols) all[pic][col] = v;
    print_table(all);
  }
  if (!rep.kernels.empty()) {
    std::printf("\n%-56s %10s   (for profiling)\n", "kernel", "ns/block");
    for (const auto& [name, sec] : rep.kernels) std::printf("%-56s %10.2f\n", name.c_str(), sec * 1e9);
  }
  benchmark::Shutdown();
  return 0;
}

#include "tests/jpeg/jpeg_test_util.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>

#include "jpeg/jcodec_cpu.h"
#include "plat/platform.h"

namespace jt {

namespace {

// Every pixel test runs with one processor class: the registry says USECPU = 0, or the class
// given to the test program as --jpeg-class=N (the decoder suites' second pass).
int class_from_arguments() {
  for (const std::string& a : ::testing::internal::GetArgvs())
    if (a.rfind("--jpeg-class=", 0) == 0) return std::atoi(a.c_str() + 13);
  return 0;
}

class Class0Registry : public plat::IRegistry {
 public:
  std::optional<std::string> readString(plat::Hive, std::string_view, std::string_view) override { return {}; }
  std::optional<uint32_t> readDword(plat::Hive, std::string_view key, std::string_view value) override {
    if (key == "Software\\Vorn\\JCodec" && value == "USECPU") return uint32_t(pinned_class());
    return {};
  }
  bool keyExists(plat::Hive, std::string_view) override { return true; }
};

class PinEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { jpeg_set_registry_override(&reg_); }
  void TearDown() override { jpeg_clear_registry_override(); }

 private:
  Class0Registry reg_;
};

[[maybe_unused]] ::testing::Environment* const g_pin = ::testing::AddGlobalTestEnvironment(new PinEnvironment);

std::mutex g_mutex;

}  // namespace

int pinned_class() { return class_from_arguments(); }

bool vector_class() { return pinned_class() >= 3 && pinned_class() <= 6; }

bool whole_mcu(int x, int y, int mw, int mh, const JpegRect& area) {
  const int x0 = x / mw * mw, y0 = y / mh * mh;
  return x0 >= area.left && y0 >= area.top && x0 + mw <= area.right && y0 + mh <= area.bottom;
}

const Image& source(int w, int h, int ch) {
  static std::map<std::tuple<int, int, int>, Image> cache;
  std::lock_guard<std::mutex> lock(g_mutex);
  auto key = std::make_tuple(w, h, ch);
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, jpegref::make_source(w, h, ch)).first;
  return it->second;
}

Bytes encode(int w, int h, const jpegref::EncodeOpts& o, int ch) { return jpegref::encode(source(w, h, ch), o); }

Bytes dib_bytes(const Image& img, const WriteOpts& s) {
  const size_t n = size_t(img.w) * img.h;
  Bytes out(n * size_t(s.dib_channels));
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* p = &img.px[i * img.ch];
    uint8_t* o = &out[i * size_t(s.dib_channels)];
    for (int c = 0; c < s.dib_channels; ++c) o[c] = c < img.ch ? p[c] : uint8_t(40 + c);
    if (s.dib_color == JPEG_COLOR_BGR && img.ch >= 3) std::swap(o[0], o[2]);
  }
  return out;
}

Written write(const Image& img, const WriteOpts& s) {
  Bytes px = dib_bytes(img, s);
  const size_t line = size_t(img.w) * size_t(s.dib_channels);
  if (s.bottom_up)
    for (int y = 0; y < img.h / 2; ++y)
      std::swap_ranges(px.begin() + ptrdiff_t(y * line), px.begin() + ptrdiff_t((y + 1) * line),
                       px.begin() + ptrdiff_t((img.h - 1 - y) * line));
  JPEG_IMAGE_PROPS p{};
  Written w;
  EXPECT_EQ(JpegCodecInit(&p), 0);
  Bytes out(s.out_size ? s.out_size : size_t(img.w) * img.h * 8 + 100000);
  p.dib_bytes = px.data();
  p.dib_width = img.w;
  p.dib_height = s.bottom_up ? -img.h : img.h;
  p.dib_channels = s.dib_channels;
  p.dib_color = s.dib_color;
  p.jpg_bytes = out.data();
  p.jpg_size_bytes = int32_t(out.size());
  p.jpg_width = img.w;
  p.jpg_height = img.h;
  p.jpg_channels = s.jpg_channels;
  p.jpg_color = s.jpg_color;
  p.jpg_subsampling = s.sampling;
  p.quality = s.quality;
  p.state.dct_method = s.dct;
  p.state.progressive_switch = s.progressive;
  p.state.restart_interval = s.restart;
  w.rc = JpegCodecWrite(&p, s.mode);
  if (w.rc == 0) out.resize(size_t(p.jpg_size_bytes));
  JpegCodecFree(&p);
  if (w.rc == 0) w.jpeg = std::move(out);
  return w;
}

Dib::Dib(int w_, int h_, const DibSpec& s) : spec(s), w(w_), h(h_) {
  line = size_t(w) * bpp() + size_t(s.pad);
  bytes.assign(kGuard * 2 + line * size_t(h), kCanary);
}

bool Dib::guards_intact() const {
  for (size_t i = 0; i < kGuard; ++i)
    if (bytes[i] != kCanary || bytes[bytes.size() - 1 - i] != kCanary) return false;
  for (int y = 0; y < h; ++y)
    for (int p = 0; p < spec.pad; ++p)
      if (bytes[kGuard + size_t(y) * line + size_t(w) * bpp() + p] != kCanary) return false;
  return true;
}

Image Dib::image() const {
  Image img{w, h, bpp(), {}};
  img.px.resize(size_t(w) * h * img.ch);
  for (int y = 0; y < h; ++y) {
    int src_row = spec.bottom_up ? h - 1 - y : y;
    const uint8_t* s = bytes.data() + kGuard + size_t(src_row) * line;
    uint8_t* d = &img.px[size_t(y) * w * img.ch];
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < img.ch; ++c) {
        int sc = (spec.color == JPEG_COLOR_BGR && c < 3) ? 2 - c : c;
        d[x * img.ch + c] = s[x * img.ch + sc];
      }
  }
  return img;
}

Decoded decode(const Bytes& jpeg, int mode, const DibSpec& spec, JpegRect roi, int dct_method) {
  Decoded out;
  JPEG_IMAGE_PROPS p{};
  out.rc = JpegCodecInit(&p);
  if (out.rc) return out;
  p.jpg_bytes = const_cast<uint8_t*>(jpeg.data());
  p.jpg_size_bytes = static_cast<int32_t>(jpeg.size());
  out.rc_params = JpegCodecRead(&p, 1);
  const int d = mode == 15 ? 2 : mode == 17 ? 4 : mode == 19 ? 8 : 1;
  int w = (p.jpg_width + d - 1) / d, h = (p.jpg_height + d - 1) / d;
  if (roi.left || roi.top || roi.right || roi.bottom) {
    int r = std::min(roi.right ? roi.right : w, w), b = std::min(roi.bottom ? roi.bottom : h, h);
    w = std::max(0, r - std::max(0, roi.left));
    h = std::max(0, b - std::max(0, roi.top));
  }
  Dib dib(std::max(w, 1), std::max(h, 1), spec);
  p.dib_bytes = dib.data();
  p.dib_width = dib.w;
  p.dib_height = spec.bottom_up ? -dib.h : dib.h;
  p.dib_pad_bytes = spec.pad;
  p.dib_channels = spec.channels;
  p.dib_color = spec.color;
  p.dib_subsampling = spec.color == JPEG_COLOR_YCBCR ? 2 : 0;
  p.state.roi = roi;
  p.state.dct_method = dct_method;
  out.rc = JpegCodecRead(&p, mode);
  out.after = p;
  out.after.state = JPEG_PROPERTIES{};
  JpegCodecFree(&p);
  out.guards = dib.guards_intact();
  out.img = dib.image();
  return out;
}

Diff compare(const Image& a, const Image& b) {
  Diff d;
  if (a.w != b.w || a.h != b.h || a.ch != b.ch) {
    d.max = 9999;
    return d;
  }
  double se = 0;
  for (size_t i = 0; i < a.px.size(); ++i) {
    int v = std::abs(int(a.px[i]) - int(b.px[i]));
    d.max = std::max(d.max, v);
    se += double(v) * v;
  }
  double mse = a.px.empty() ? 0 : se / double(a.px.size());
  d.psnr = mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
  return d;
}

Image crop(const Image& img, int x0, int y0, int w, int h) {
  Image c{w, h, img.ch, std::vector<uint8_t>(size_t(w) * h * img.ch)};
  for (int y = 0; y < h; ++y)
    std::copy_n(&img.px[(size_t(y0 + y) * img.w + x0) * img.ch], size_t(w) * img.ch, &c.px[size_t(y) * w * img.ch]);
  return c;
}

namespace {

// A picture as R,G,B: grey replicated, a fourth channel dropped.
Image as_rgb(const Image& img) {
  Image out{img.w, img.h, 3, std::vector<uint8_t>(size_t(img.w) * img.h * 3)};
  for (size_t i = 0; i < size_t(img.w) * img.h; ++i)
    for (int c = 0; c < 3; ++c) out.px[i * 3 + c] = img.px[i * img.ch + (img.ch >= 3 ? c : 0)];
  return out;
}

}  // namespace

void dump(const std::string& name, const Image& ours, const Image& ref) {
  const char* dir = std::getenv("VELDRA_TEST_DUMP");
  if (!dir || !*dir) return;
  std::filesystem::create_directories(dir);
  std::string safe = name;
  for (char& c : safe)
    if (c == '/' || c == ' ') c = '_';
  const Image a = as_rgb(ours), b = as_rgb(ref);
  constexpr int kGap = 4;  // black columns between the two
  Image both{a.w + kGap + b.w, std::max(a.h, b.h), 3, {}};
  both.px.assign(size_t(both.w) * both.h * 3, 0);
  for (const auto& [img, x0] : {std::pair<const Image*, int>{&a, 0}, {&b, a.w + kGap}})
    for (int y = 0; y < img->h; ++y)
      std::copy_n(&img->px[size_t(y) * img->w * 3], size_t(img->w) * 3, &both.px[(size_t(y) * both.w + x0) * 3]);
  std::ofstream(std::string(dir) + "/" + safe + ".ppm", std::ios::binary) << jpegref::to_pnm(both);
}

std::vector<Segment> split(const Bytes& j) {
  std::vector<Segment> out;
  size_t i = 0;
  while (i + 1 < j.size()) {
    if (j[i] != 0xFF) {
      ++i;
      continue;
    }
    int m = j[i + 1];
    i += 2;
    Segment s;
    s.marker = m;
    if (m == 0xD8 || m == 0xD9 || (m >= 0xD0 && m <= 0xD7)) {
      out.push_back(s);
      continue;
    }
    if (i + 2 > j.size()) break;
    size_t len = (size_t(j[i]) << 8) | j[i + 1];
    size_t end = std::min(j.size(), i + len);
    if (m == 0xDA) {
      // entropy data runs to the next marker that is not stuffing or RSTn
      size_t k = end;
      while (k + 1 < j.size() && !(j[k] == 0xFF && j[k + 1] != 0 && !(j[k + 1] >= 0xD0 && j[k + 1] <= 0xD7))) ++k;
      if (k + 1 >= j.size()) k = j.size();
      end = k;
    }
    s.body.assign(j.begin() + long(i), j.begin() + long(end));
    out.push_back(s);
    i = end;
  }
  return out;
}

Bytes join(const std::vector<Segment>& segs) {
  Bytes out;
  for (const Segment& s : segs) {
    out.push_back(0xFF);
    out.push_back(static_cast<uint8_t>(s.marker));
    out.insert(out.end(), s.body.begin(), s.body.end());
  }
  return out;
}

}  // namespace jt

namespace jt {

namespace {

struct OpenFile {
  MemFiles* owner;
  const Bytes* data;
  int64_t pos;
  Bytes* out = nullptr;  // files opened for writing
};

void* mf_open(const char* name, void* ctx) {
  auto* m = static_cast<MemFiles*>(ctx);
  auto it = m->files.find(name);
  if (it == m->files.end()) return nullptr;
  ++m->opens;
  return new OpenFile{m, &it->second, 0};
}
void* mf_open_write(const char* name, void* ctx) {
  auto* m = static_cast<MemFiles*>(ctx);
  if (m->fail_open_write) return nullptr;
  Bytes& b = m->files[name];
  b.clear();
  ++m->opens;
  return new OpenFile{m, &b, 0, &b};
}
int64_t mf_read(void* f, void* dst, size_t n, void*) {
  auto* o = static_cast<OpenFile*>(f);
  int64_t end = int64_t(o->data->size());
  if (o->owner->eof_at >= 0) end = std::min(end, o->owner->eof_at);
  if (o->pos >= end) return 0;
  size_t k = std::min({n, o->owner->max_read, size_t(end - o->pos)});
  std::memcpy(dst, o->data->data() + o->pos, k);
  o->pos += int64_t(k);
  return int64_t(k);
}
int64_t mf_write(void* f, const void* src, size_t n, void*) {
  auto* o = static_cast<OpenFile*>(f);
  if (!o->out) return -1;
  MemFiles* m = o->owner;
  ++m->writes;
  size_t k = n;
  // a short write once the file would pass write_limit bytes
  if (m->write_limit >= 0 && int64_t(o->out->size() + n) > m->write_limit)
    k = m->write_limit > int64_t(o->out->size()) ? size_t(m->write_limit - int64_t(o->out->size())) : 0;
  const auto* b = static_cast<const uint8_t*>(src);
  o->out->insert(o->out->end(), b, b + k);
  return int64_t(k);
}
int64_t mf_seek(void* f, int64_t off, int whence, void*) {
  auto* o = static_cast<OpenFile*>(f);
  if (o->owner->fail_seek) return -1;
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? o->pos : int64_t(o->data->size());
  if (base + off < 0) return -1;
  o->pos = base + off;
  return o->pos;
}
int32_t mf_close(void* f, void*) {
  auto* o = static_cast<OpenFile*>(f);
  MemFiles* m = o->owner;
  delete o;
  ++m->closes;
  return m->fail_close ? -1 : 0;
}

}  // namespace

JpegFileOps MemFiles::ops() { return JpegFileOps{mf_open, mf_open_write, mf_read, mf_write, mf_seek, mf_close, this}; }

}  // namespace jt

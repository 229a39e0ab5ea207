#include "tools/jpegwriter/jpegref.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>

namespace jpegref {

namespace {

struct ErrorMgr {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void on_error(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<ErrorMgr*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  longjmp(e->jump, 1);
}
void on_message(j_common_ptr) {}

uint32_t next_random(uint32_t& s) {
  s ^= s << 13;
  s ^= s >> 17;
  s ^= s << 5;
  return s;
}

void apply_scans(jpeg_compress_struct* c, const std::vector<Scan>& scans, std::vector<jpeg_scan_info>& store) {
  store.clear();
  for (const Scan& s : scans) {
    jpeg_scan_info si{};
    si.comps_in_scan = s.ncomps;
    for (int i = 0; i < s.ncomps; ++i) si.component_index[i] = s.comps[i];
    si.Ss = s.ss;
    si.Se = s.se;
    si.Ah = s.ah;
    si.Al = s.al;
    store.push_back(si);
  }
  c->scan_info = store.data();
  c->num_scans = static_cast<int>(store.size());
}

}  // namespace

Image make_source(int w, int h, int ch) {
  Image img{w, h, ch, std::vector<uint8_t>(size_t(w) * h * ch)};
  uint32_t seed = 0x12345u + uint32_t(w) * 31u + uint32_t(h) * 17u + uint32_t(ch);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &img.px[(size_t(y) * w + x) * ch];
      for (int c = 0; c < ch; ++c) {
        int v;
        if (y < h / 3) {
          v = (x * 255 / (w > 1 ? w - 1 : 1) + c * 60) & 255;  // horizontal gradient
        } else if (y < 2 * h / 3) {
          v = ((x / 7 + y / 5 + c) & 1) ? 230 - 40 * c : 20 + 30 * c;  // hard edges
        } else {
          v = static_cast<int>(next_random(seed) & 255);  // noise
          v = (v + y * 255 / (h > 1 ? h - 1 : 1)) / 2;
        }
        p[c] = static_cast<uint8_t>(v);
      }
    }
  return img;
}

std::vector<uint8_t> encode(const Image& src, const EncodeOpts& o) {
  jpeg_compress_struct c{};
  ErrorMgr e{};
  c.err = jpeg_std_error(&e.pub);
  e.pub.error_exit = on_error;
  e.pub.output_message = on_message;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  std::vector<jpeg_scan_info> store;
  if (setjmp(e.jump)) {
    jpeg_destroy_compress(&c);
    std::free(out);
    throw std::runtime_error(std::string("encode: ") + e.message);
  }
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(src.w);
  c.image_height = static_cast<JDIMENSION>(src.h);
  c.input_components = src.ch;
  c.in_color_space = src.ch == 1 ? JCS_GRAYSCALE : src.ch == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&c);
  if (o.grayscale) jpeg_set_colorspace(&c, JCS_GRAYSCALE);
  if (o.rgb) jpeg_set_colorspace(&c, JCS_RGB);
  if (o.ycck) jpeg_set_colorspace(&c, JCS_YCCK);
  if (!o.write_jfif) c.write_JFIF_header = FALSE;
  jpeg_set_quality(&c, o.quality, o.force_baseline ? TRUE : FALSE);
  for (int i = 0; i < c.num_components; ++i) {
    bool first = i == 0 || (i == 3 && c.num_components == 4);
    c.comp_info[i].h_samp_factor = first ? o.h0 : 1;
    c.comp_info[i].v_samp_factor = first ? o.v0 : 1;
  }
  c.arith_code = o.arithmetic ? TRUE : FALSE;
  c.optimize_coding = o.optimize ? TRUE : FALSE;
  c.restart_interval = static_cast<unsigned>(o.restart_blocks);
  c.restart_in_rows = o.restart_rows;
  if (o.progressive) jpeg_simple_progression(&c);
  if (!o.scans.empty()) apply_scans(&c, o.scans, store);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&src.px[size_t(c.next_scanline) * src.w * src.ch]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

std::vector<uint8_t> transcode(const std::vector<uint8_t>& jpeg, const TranscodeOpts& o) {
  jpeg_decompress_struct d{};
  jpeg_compress_struct c{};
  ErrorMgr e{};
  d.err = jpeg_std_error(&e.pub);
  c.err = &e.pub;
  e.pub.error_exit = on_error;
  e.pub.output_message = on_message;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  std::vector<jpeg_scan_info> store;
  if (setjmp(e.jump)) {
    jpeg_destroy_compress(&c);
    jpeg_destroy_decompress(&d);
    std::free(out);
    throw std::runtime_error(std::string("transcode: ") + e.message);
  }
  jpeg_create_decompress(&d);
  jpeg_create_compress(&c);
  jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&d, TRUE);
  jvirt_barray_ptr* coefs = jpeg_read_coefficients(&d);
  jpeg_copy_critical_parameters(&d, &c);
  jpeg_mem_dest(&c, &out, &size);
  c.optimize_coding = o.optimize ? TRUE : FALSE;
  c.restart_interval = static_cast<unsigned>(o.restart_blocks);
  c.restart_in_rows = o.restart_rows;
  if (o.progressive) jpeg_simple_progression(&c);
  if (!o.scans.empty()) apply_scans(&c, o.scans, store);
  jpeg_write_coefficients(&c, coefs);
  jpeg_finish_compress(&c);
  jpeg_finish_decompress(&d);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  jpeg_destroy_decompress(&d);
  std::free(out);
  return bytes;
}

Image decode(const std::vector<uint8_t>& jpeg, const DecodeOpts& o) {
  jpeg_decompress_struct d{};
  ErrorMgr e{};
  d.err = jpeg_std_error(&e.pub);
  e.pub.error_exit = on_error;
  e.pub.output_message = on_message;
  if (setjmp(e.jump)) {
    jpeg_destroy_decompress(&d);
    throw std::runtime_error(std::string("decode: ") + e.message);
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&d, TRUE);
  switch (o.out) {
    case DecodeOpts::Rgb: d.out_color_space = JCS_RGB; break;
    case DecodeOpts::Gray: d.out_color_space = JCS_GRAYSCALE; break;
    case DecodeOpts::Cmyk: d.out_color_space = JCS_CMYK; break;
    default: break;
  }
  d.do_fancy_upsampling = o.fancy ? TRUE : FALSE;
  d.dct_method = JDCT_ISLOW;
  d.scale_num = 1;
  d.scale_denom = static_cast<unsigned>(o.scale_denom);
  jpeg_start_decompress(&d);
  Image img{static_cast<int>(d.output_width), static_cast<int>(d.output_height), d.output_components, {}};
  img.px.resize(size_t(img.w) * img.h * img.ch);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = &img.px[size_t(d.output_scanline) * img.w * img.ch];
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return img;
}

Coefficients read_coefficients(const std::vector<uint8_t>& jpeg) {
  jpeg_decompress_struct d{};
  ErrorMgr e{};
  d.err = jpeg_std_error(&e.pub);
  e.pub.error_exit = on_error;
  e.pub.output_message = on_message;
  if (setjmp(e.jump)) {
    jpeg_destroy_decompress(&d);
    throw std::runtime_error(std::string("read_coefficients: ") + e.message);
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&d, TRUE);
  jvirt_barray_ptr* arrays = jpeg_read_coefficients(&d);
  Coefficients out;
  for (int c = 0; c < d.num_components; ++c) {
    const jpeg_component_info& ci = d.comp_info[c];
    Coefficients::Plane p;
    p.blocks_w = static_cast<int>(ci.width_in_blocks);
    p.blocks_h = static_cast<int>(ci.height_in_blocks);
    p.h = ci.h_samp_factor;
    p.v = ci.v_samp_factor;
    p.coef.resize(size_t(p.blocks_w) * p.blocks_h * 64);
    for (int by = 0; by < p.blocks_h; ++by) {
      JBLOCKARRAY row = (*d.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&d), arrays[c],
                                                      static_cast<JDIMENSION>(by), 1, FALSE);
      for (int bx = 0; bx < p.blocks_w; ++bx)
        for (int k = 0; k < 64; ++k) p.coef[(size_t(by) * p.blocks_w + bx) * 64 + k] = row[0][bx][k];
    }
    out.planes.push_back(std::move(p));
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return out;
}

Image decode_with_tables(const std::vector<uint8_t>& tables, const std::vector<uint8_t>& image, const DecodeOpts& o) {
  jpeg_decompress_struct d{};
  ErrorMgr e{};
  d.err = jpeg_std_error(&e.pub);
  e.pub.error_exit = on_error;
  e.pub.output_message = on_message;
  if (setjmp(e.jump)) {
    jpeg_destroy_decompress(&d);
    throw std::runtime_error(std::string("decode_with_tables: ") + e.message);
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, tables.data(), static_cast<unsigned long>(tables.size()));
  if (jpeg_read_header(&d, FALSE) != JPEG_HEADER_TABLES_ONLY) {
    jpeg_destroy_decompress(&d);
    throw std::runtime_error("decode_with_tables: not a tables-only stream");
  }
  jpeg_mem_src(&d, image.data(), static_cast<unsigned long>(image.size()));
  jpeg_read_header(&d, TRUE);
  d.do_fancy_upsampling = o.fancy ? TRUE : FALSE;
  d.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&d);
  Image img{static_cast<int>(d.output_width), static_cast<int>(d.output_height), d.output_components, {}};
  img.px.resize(size_t(img.w) * img.h * img.ch);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = &img.px[size_t(d.output_scanline) * img.w * img.ch];
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return img;
}

std::string to_pnm(const Image& img) {
  std::string s;
  if (img.ch == 1 || img.ch == 3) {
    s = (img.ch == 1 ? "P5\n" : "P6\n") + std::to_string(img.w) + " " + std::to_string(img.h) + "\n255\n";
  } else {
    s = "P7\nWIDTH " + std::to_string(img.w) + "\nHEIGHT " + std::to_string(img.h) + "\nDEPTH " +
        std::to_string(img.ch) + "\nMAXVAL 255\nENDHDR\n";
  }
  s.append(reinterpret_cast<const char*>(img.px.data()), img.px.size());
  return s;
}

Image from_pnm(const std::vector<uint8_t>& b) {
  size_t i = 0;
  // next whitespace-separated header token, skipping comments
  auto token = [&]() {
    while (i < b.size()) {
      if (b[i] == '#') {
        while (i < b.size() && b[i] != '\n') ++i;
      } else if (b[i] == ' ' || b[i] == '\t' || b[i] == '\r' || b[i] == '\n') {
        ++i;
      } else {
        break;
      }
    }
    std::string t;
    while (i < b.size() && t.size() < 12 && !(b[i] == ' ' || b[i] == '\t' || b[i] == '\r' || b[i] == '\n'))
      t.push_back(char(b[i++]));
    return t;
  };
  auto number = [&]() {
    std::string t = token();
    if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos || t.size() > 6)
      throw std::runtime_error("pnm: bad header number");
    return std::stoi(t);
  };
  const std::string magic = token();
  if (magic != "P5" && magic != "P6") throw std::runtime_error("pnm: not a P5 or P6 file");
  Image img;
  img.ch = magic == "P5" ? 1 : 3;
  img.w = number();
  img.h = number();
  if (number() != 255) throw std::runtime_error("pnm: maxval is not 255");
  ++i;  // the single whitespace byte before the samples
  const size_t n = size_t(img.w) * size_t(img.h) * size_t(img.ch);
  if (i > b.size() || b.size() - i != n) throw std::runtime_error("pnm: sample count does not match the header");
  img.px.assign(b.begin() + long(i), b.end());
  return img;
}

std::string scan_file_text(const std::vector<Scan>& scans) {
  std::string s;
  for (const Scan& sc : scans) {
    for (int c = 0; c < sc.ncomps; ++c) s += (c ? "," : "") + std::to_string(sc.comps[c]);
    s += ": " + std::to_string(sc.ss) + "-" + std::to_string(sc.se) + ", " + std::to_string(sc.ah) + ", " +
         std::to_string(sc.al) + ";\n";
  }
  return s;
}

std::vector<Scan> script_per_component(int n) {
  std::vector<Scan> v;
  for (int c = 0; c < n; ++c) {
    Scan s;
    s.ncomps = 1;
    s.comps[0] = c;
    v.push_back(s);
  }
  return v;
}

std::vector<Scan> script_spectral(int n) {
  std::vector<Scan> v;
  Scan dc;
  dc.ncomps = n;
  for (int c = 0; c < n; ++c) dc.comps[c] = c;
  dc.ss = dc.se = 0;
  v.push_back(dc);
  for (int c = 0; c < n; ++c) {
    Scan a;
    a.comps[0] = c;
    a.ss = 1;
    a.se = c == 0 ? 5 : 63;
    v.push_back(a);
    if (c == 0) {
      Scan b = a;
      b.ss = 6;
      b.se = 63;
      v.push_back(b);
    }
  }
  return v;
}

std::vector<Scan> script_successive(int n) {
  std::vector<Scan> v;
  Scan dc;
  dc.ncomps = n;
  for (int c = 0; c < n; ++c) dc.comps[c] = c;
  dc.ss = dc.se = 0;
  dc.al = 1;
  v.push_back(dc);
  for (int c = 0; c < n; ++c) {
    Scan a;
    a.comps[0] = c;
    a.ss = 1;
    a.se = 63;
    a.al = 2;
    v.push_back(a);
  }
  Scan dr = dc;
  dr.ah = 1;
  dr.al = 0;
  v.push_back(dr);
  for (int c = 0; c < n; ++c) {
    Scan a;
    a.comps[0] = c;
    a.ss = 1;
    a.se = 63;
    a.ah = 2;
    a.al = 1;
    v.push_back(a);
    Scan b = a;
    b.ah = 1;
    b.al = 0;
    v.push_back(b);
  }
  return v;
}

}  // namespace jpegref

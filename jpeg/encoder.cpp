// The writer: tables, switches and geometry of a write, the header and segment writers, the
// sequential scan with restarts and resumption, and the progressive scan scripts with a table
// of their own for every scan.
#include <algorithm>
#include <cstdio>

#include "jpeg/internal.h"

namespace jcodec {

namespace {

int32_t out_bytes(JPEG_PROPERTIES* st, const uint8_t* b, size_t n) {
  return st->table->jpeg_output_bytes(b, n, &st->output);
}

int32_t write_marker(JPEG_PROPERTIES* st, uint8_t code) {
  const uint8_t m[2] = {0xFF, code};
  return out_bytes(st, m, 2);
}

inline void put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

int32_t write_app0(JPEG_PROPERTIES* st) {
  uint8_t s[18] = {0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0};
  put16(s + 9, st->jfif_version);
  s[11] = st->jfif_units;
  put16(s + 12, st->jfif_xdensity);
  put16(s + 14, st->jfif_ydensity);
  s[16] = s[17] = 0;  // no thumbnail
  return out_bytes(st, s, sizeof s);
}

int32_t write_app14(JPEG_PROPERTIES* st, uint8_t transform) {
  uint8_t s[16] = {0xFF, 0xEE, 0, 14, 'A', 'd', 'o', 'b', 'e'};
  put16(s + 9, st->adobe_version);
  put16(s + 11, st->adobe_flags0);
  put16(s + 13, st->adobe_flags1);
  s[15] = transform;
  return out_bytes(st, s, sizeof s);
}

int32_t write_com(JPEG_PROPERTIES* st) {
  uint8_t head[4] = {0xFF, 0xFE};
  if (st->jpeg_comment) {
    if (st->jpeg_comment_size == 0) return 0;
    if (st->jpeg_comment_size > 65531) st->jpeg_comment_size = 65531;
    put16(head + 2, st->jpeg_comment_size + 2u);
    int32_t rc = out_bytes(st, head, 4);
    return rc ? rc : out_bytes(st, reinterpret_cast<const uint8_t*>(st->jpeg_comment), st->jpeg_comment_size);
  }
  // the banner, with its terminating zero byte; formatted per call, nothing shared
  char text[80] = {};
  const int formatted =
      std::snprintf(text, sizeof text, "Vorn JPEG Codec, version %s", JpegCodecGetVersion()->internal_version);
  if (formatted <= 0) return 0;
  const int n = std::min(formatted, static_cast<int>(sizeof text) - 1);  // what snprintf kept
  put16(head + 2, static_cast<uint32_t>(n) + 3);
  int32_t rc = out_bytes(st, head, 4);
  return rc ? rc : out_bytes(st, reinterpret_cast<const uint8_t*>(text), static_cast<size_t>(n) + 1);
}

int32_t write_sof(JPEG_PROPERTIES* st, bool progressive) {
  const JpegFrame& fr = st->frame;
  uint8_t s[10 + 3 * 4];
  const int32_t nf = fr.ncomp;
  s[0] = 0xFF;
  s[1] = progressive ? 0xC2 : 0xC0;
  put16(s + 2, static_cast<uint32_t>(3 * nf + 8));
  s[4] = 8;
  put16(s + 5, static_cast<uint32_t>(fr.height));
  put16(s + 7, static_cast<uint32_t>(fr.width));
  s[9] = static_cast<uint8_t>(nf);
  for (int32_t i = 0; i < nf; ++i) {
    uint8_t* c = s + 10 + 3 * i;
    const JpegFrameComponent& fc = fr.comps[i];
    c[0] = static_cast<uint8_t>(nf == 1 ? 0 : progressive ? i : i + 1);
    c[1] = nf == 1 ? 0x11 : static_cast<uint8_t>(fc.h << 4 | fc.v);
    c[2] = static_cast<uint8_t>(fc.tq);
  }
  return out_bytes(st, s, 10 + 3 * size_t(nf));
}

int32_t write_dri(JPEG_PROPERTIES* st) {
  uint8_t s[6] = {0xFF, 0xDD, 0, 4};
  put16(s + 4, static_cast<uint32_t>(st->restart_interval));
  return out_bytes(st, s, sizeof s);
}

struct ProgScan {
  int32_t ns;
  int32_t comps[4];
  int32_t ss, se, ah, al;
};

// Sequential scans number the components 1..Ns (0 alone); progressive scans by their index.
int32_t write_sos(JPEG_PROPERTIES* st, const ProgScan& sc, bool progressive) {
  uint8_t s[6 + 2 * 4 + 3];
  size_t n = 0;
  s[n++] = 0xFF;
  s[n++] = 0xDA;
  put16(s + n, static_cast<uint32_t>(2 * sc.ns + 6));
  n += 2;
  s[n++] = static_cast<uint8_t>(sc.ns);
  for (int32_t i = 0; i < sc.ns; ++i) {
    const int32_t c = sc.comps[i];
    if (progressive) {
      const int32_t t = c == 0 ? 0 : 1;
      s[n++] = static_cast<uint8_t>(c);
      s[n++] = static_cast<uint8_t>(t << 4 | t);
    } else if (sc.ns == 1) {
      s[n++] = 0;
      s[n++] = 0;
    } else {
      s[n++] = static_cast<uint8_t>(i + 1);
      s[n++] = static_cast<uint8_t>(st->sel_dc[c] << 4 | st->sel_ac[c]);
    }
  }
  s[n++] = static_cast<uint8_t>(sc.ss);
  s[n++] = static_cast<uint8_t>(sc.se);
  s[n++] = static_cast<uint8_t>(sc.ah << 4 | sc.al);
  return out_bytes(st, s, n);
}

int32_t write_rst(JPEG_PROPERTIES* st, int32_t n) {
  if (n < 0 || n > 7) return JPEG_ERR_RST;
  return write_marker(st, static_cast<uint8_t>(0xD0 + n));
}

int32_t write_eoi_and_flush(JPEG_PROPERTIES* st) {
  int32_t rc = write_marker(st, 0xD9);
  return rc ? rc : finish_output(&st->output, st->table);
}

// ---- tables, switches and geometry --------------------------------------------------------------

int32_t setup_tables(JPEG_PROPERTIES* st) {
  int32_t rc = install_default_tables(st);
  if (rc) return rc;
  // caller tables name how many slots there are; the others stay missing
  if (st->caller_quant_on) {
    int32_t count = 0;
    for (const auto& cq : st->caller_quant)
      if (cq.write_values && cq.number >= 0 && cq.number < 4) count = std::max(count, cq.number + 1);
    if (count) st->quant_count = count;
    for (auto& q : st->quant) q.present = 0;
  }
  if (st->caller_huff_on) {
    int32_t count = 0;
    for (const auto& ch : st->caller_huff)
      if (ch.counts && ch.values && ch.number < 4) count = std::max(count, ch.number + 1);
    st->pair_count = count;
  }
  for (int32_t i = 0; i < 4; ++i) {
    st->enc_dc[i].present = st->enc_ac[i].present = 0;
  }
  return 0;
}

int32_t setup_geometry(JPEG_PROPERTIES* st) {
  JpegFieldCopy& f = st->f;
  JpegFrame& fr = st->frame;
  const int32_t nc = f.jpg_channels;
  // a single scan names at most four components
  if (nc < 1 || nc > 4) return JPEG_ERR_PROPS;
  if (f.jpg_width < 1 || f.jpg_width > 65535 || f.jpg_height < 1 || f.jpg_height > 65535) return JPEG_ERR_PROPS;
  const int32_t j = f.jpg_color, d = f.dib_color;
  st->conversion = !(j == JPEG_COLOR_RGB || j == JPEG_COLOR_QUAD || d == JPEG_COLOR_YCBCR || d == JPEG_COLOR_GRAY ||
                     d == JPEG_COLOR_OTHER);
  fr.ncomp = nc;
  fr.width = f.jpg_width;
  fr.height = f.jpg_height;
  fr.precision = 8;
  int32_t h0 = 1, v0 = 1;
  switch (f.jpg_subsampling) {
    case 1: case 3: h0 = v0 = 2; break;
    case 2: case 4: h0 = 2; break;
    default: break;
  }
  for (int32_t i = 0; i < nc; ++i) {
    JpegFrameComponent& c = fr.comps[i];
    const bool sampled = i == 0 || (i == 3 && (f.jpg_subsampling == 3 || f.jpg_subsampling == 4));
    c.h = sampled ? h0 : 1;
    c.v = sampled ? v0 : 1;
    if (nc == 1) c.h = c.v = 1;
  }
  st->upsample = 0;
  fr.hmax = fr.vmax = 1;
  for (int32_t i = 0; i < nc; ++i) {
    fr.hmax = std::max(fr.hmax, fr.comps[i].h);
    fr.vmax = std::max(fr.vmax, fr.comps[i].v);
    if (fr.comps[i].h != 1 || fr.comps[i].v != 1) st->upsample = 1;
  }
  // quantisation selectors
  if (!st->caller_quant_on) {
    st->sel_quant[0] = 0;
    for (int32_t i = 1; i < nc; ++i) {
      if (f.jpg_subsampling == 0) {
        if (st->conversion) st->sel_quant[i] = 1;
      } else {
        st->sel_quant[i] = i == 3 ? 0 : (f.color_conversion ? 1 : 0);
      }
    }
  }
  int32_t blocks = 0;
  for (int32_t i = 0; i < nc; ++i) {
    fr.comps[i].tq = st->sel_quant[i];
    fr.comps[i].block_offset = blocks;
    blocks += fr.comps[i].h * fr.comps[i].v;
  }
  fr.blocks_per_mcu = blocks;
  const int32_t mw = st->interleave == 1 ? 8 : 8 * fr.hmax, mh = st->interleave == 1 ? 8 : 8 * fr.vmax;
  fr.mcus_across = (fr.width + mw - 1) / mw;
  fr.mcu_rows = (fr.height + mh - 1) / mh;
  fr.mcu_total = int64_t(fr.mcus_across) * fr.mcu_rows;
  st->mcus_across = fr.mcus_across;
  st->mcu_rows = fr.mcu_rows;
  if (st->mcu_buf_blocks < size_t(blocks)) {
    release_ptr(st->mcu_buf);
    st->mcu_buf_blocks = 0;
    st->mcu_buf = alloc_array<int16_t>(size_t(blocks) * 64, 32);
    if (!st->mcu_buf) return JPEG_ERR_MEMORY;
    st->mcu_buf_blocks = size_t(blocks);
  }
  return 0;
}

// Quantisation tables that an earlier tables write prepared, kept for an abbreviated image.
struct KeptTables {
  int16_t values[4][64];
  bool had[4] = {false, false, false, false};
};

int32_t write_headers(JPEG_PROPERTIES* st, int32_t mode, const KeptTables& kept) {
  int32_t rc = write_marker(st, 0xD8);
  if (rc) return rc;
  const bool progressive = st->progressive_switch != 0;
  if (mode >= 8 && mode <= 11) {
    const int32_t j = st->f.jpg_color;
    if (j == JPEG_COLOR_RGB || j == JPEG_COLOR_QUAD) rc = write_app14(st, 0);
    else if (j == JPEG_COLOR_YCC4) rc = write_app14(st, 2);
    else rc = write_app0(st);
    if (!rc) rc = write_com(st);
    if (rc) return rc;
    if (progressive) {
      rc = prepare_encoder_tables(st, nullptr, st->enc_recip);
      for (int32_t t = 0; !rc && t < st->quant_count && t < 4; ++t)
        rc = write_dqt(&st->output, st->table, 0, t, st->quant[t].values);
    } else {
      rc = prepare_encoder_tables(st, &st->output, st->enc_recip);
    }
    if (rc) return rc;
    st->enc_tables_ready = 1;
  } else {
    // tables prepared by an earlier write are kept; anything else is prepared now
    rc = prepare_encoder_tables(st, nullptr, st->enc_recip);
    if (rc) return rc;
    for (int32_t t = 0; t < 4; ++t)
      if (kept.had[t] && t < st->quant_count) {
        std::memcpy(st->quant[t].values, kept.values[t], sizeof kept.values[t]);
        if (st->dct_method == 0) prepare_fast_encoder(kept.values[t], st->enc_recip[t]);
        else prepare_accurate_encoder(kept.values[t], st->enc_recip[t]);
      }
  }
  JPEG_DISPATCH_TABLE* t = st->table;
  t->fdct_current = st->dct_method == 0 ? t->fdct_fast : t->fdct_accurate;
  t->quantize_current = st->dct_method == 0 ? t->quantize_fast : t->quantize_accurate;
  if (mode == 10 || mode == 11) return write_eoi_and_flush(st);
  return 0;
}

// ---- blocks of one MCU ------------------------------------------------------------------------------

// Fills st->mcu_buf with the MCU's quantised coefficients, from the pixel buffer or the planes.
int32_t mcu_coefficients(JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  JPEG_DISPATCH_TABLE* t = st->table;
  const JpegFrame& fr = st->frame;
  const JpegPlanar* pl = st->planar;
  if (!pl) {
    int32_t rc = t->encode_mcu_current(st, col, row);
    if (rc) return rc;
  }
  for (int32_t c = 0; c < fr.ncomp; ++c) {
    const JpegFrameComponent& fc = fr.comps[c];
    for (int32_t k = 0; k < fc.h * fc.v; ++k) {
      int16_t* b = st->mcu_buf + (fc.block_offset + k) * 64;
      if (pl) {
        const size_t bx = size_t(col) * fc.h + k % fc.h, by = size_t(row) * fc.v + k / fc.h;
        std::memcpy(b, pl->planes[c] + (by * size_t(fr.mcus_across) * fc.h + bx) * 64, 64 * sizeof(int16_t));
        if (pl->mode == 0) continue;  // coefficients as they stand
        for (int i = 0; i < 64; ++i) b[i] = static_cast<int16_t>(b[i] - 128);
      }
      t->fdct_current(b);
      t->quantize_current(b, st->enc_recip[fc.tq]);
    }
  }
  return 0;
}

int32_t check_planes(const JPEG_PROPERTIES* st) {
  if (!st->planar) return 0;
  for (int32_t c = 0; c < st->frame.ncomp; ++c)
    if (!st->planar->planes[c]) return JPEG_ERR_PROPS;
  return 0;
}

// ---- sequential ---------------------------------------------------------------------------------------

int32_t encode_sequential(JPEG_PROPERTIES* st) {
  const JpegFrame& fr = st->frame;
  if (!st->enc_resume) {
    ProgScan sc{fr.ncomp, {0, 1, 2, 3}, 0, 63, 0, 0};
    int32_t rc = write_sof(st, false);
    if (!rc && st->restart_interval) rc = write_dri(st);
    if (!rc) rc = write_sos(st, sc, false);
    if (rc) return rc;
    st->enc_next_mcu = 0;
    st->enc_restart_count = 0;
    for (int32_t& p : st->enc_pred) p = 0;
  }
  for (int32_t c = 0; c < fr.ncomp; ++c) {
    if (!st->enc_dc[st->sel_dc[c]].present || !st->enc_ac[st->sel_ac[c]].present) return JPEG_ERR_NO_HUFFMAN;
    const int32_t tq = fr.comps[c].tq;
    if (tq < 0 || tq > 3 || !st->quant[tq].present) return JPEG_ERR_NO_QUANT;
  }
  JPEG_DISPATCH_TABLE* t = st->table;
  const int32_t r = st->restart_interval;
  for (int64_t m = st->enc_next_mcu; m < fr.mcu_total; ++m) {
    const int32_t col = static_cast<int32_t>(m % fr.mcus_across), row = static_cast<int32_t>(m / fr.mcus_across);
    int32_t rc = mcu_coefficients(st, col, row);
    if (rc) return rc;
    for (int32_t c = 0; c < fr.ncomp; ++c) {
      const JpegFrameComponent& fc = fr.comps[c];
      const JpegHuffEncode* dc = &st->enc_dc[fr.ncomp == 1 ? 0 : st->sel_dc[c]];
      const JpegHuffEncode* ac = &st->enc_ac[fr.ncomp == 1 ? 0 : st->sel_ac[c]];
      for (int32_t k = 0; k < fc.h * fc.v; ++k) {
        rc = t->encode_block(&st->output, dc, ac, &st->enc_pred[c], st->mcu_buf + (fc.block_offset + k) * 64);
        if (rc < 0) return rc;
      }
    }
    if (r) {
      ++st->enc_restart_count;
      if (st->enc_restart_count % r == 0) {
        const int32_t n = static_cast<int32_t>((st->enc_restart_count / r - 1) % 8);
        rc = write_rst(st, n);
        if (rc) return rc;
        if (n == 7) st->enc_restart_count = 0;
        for (int32_t& p : st->enc_pred) p = 0;
      }
    }
    if (st->interrupt_request && m + 1 < fr.mcu_total) {
      st->enc_next_mcu = m + 1;
      st->enc_resume = 1;
      return JPEG_INTERRUPTED;
    }
  }
  st->enc_resume = 0;
  return write_eoi_and_flush(st);
}

// ---- progressive --------------------------------------------------------------------------------------

// The scan scripts by component count and stream colour; 0 scans for any other combination.
int32_t progressive_script(int32_t nc, int32_t color, ProgScan* out) {
  struct Row {
    int32_t ns;  // 0 = every component (a DC scan)
    int32_t comp, ss, se, ah, al;
  };
  static const Row kGray[] = {{0, 0, 0, 0, 0, 1}, {1, 0, 1, 5, 0, 2}, {1, 0, 6, 63, 0, 2},
                              {1, 0, 1, 63, 2, 1}, {0, 0, 0, 0, 1, 0}, {1, 0, 1, 63, 1, 0}};
  static const Row kTwo[] = {{0, 0, 0, 0, 0, 0}, {1, 0, 1, 5, 0, 0}, {1, 1, 1, 5, 0, 0}, {1, 0, 6, 63, 0, 0},
                             {1, 1, 6, 63, 0, 0}};
  static const Row kYcc[] = {{0, 0, 0, 0, 0, 1},  {1, 0, 1, 5, 0, 2},  {1, 2, 1, 63, 0, 1}, {1, 1, 1, 63, 0, 1},
                             {1, 0, 6, 63, 0, 2}, {1, 0, 1, 63, 2, 1}, {0, 0, 0, 0, 1, 0},  {1, 2, 1, 63, 1, 0},
                             {1, 1, 1, 63, 1, 0}, {1, 0, 1, 63, 1, 0}};
  static const Row kRgb[] = {{0, 0, 0, 0, 0, 1}, {1, 0, 1, 5, 0, 0},  {1, 1, 1, 5, 0, 0},  {1, 2, 1, 5, 0, 0},
                             {0, 0, 0, 0, 1, 0}, {1, 0, 6, 63, 0, 0}, {1, 1, 6, 63, 0, 0}, {1, 2, 6, 63, 0, 0}};
  static const Row kYcc4[] = {{0, 0, 0, 0, 0, 1},  {1, 0, 1, 5, 0, 2},  {1, 2, 1, 63, 0, 1}, {1, 1, 1, 63, 0, 1},
                              {1, 3, 1, 63, 0, 0}, {1, 0, 6, 63, 0, 2}, {1, 0, 1, 63, 2, 1}, {0, 0, 0, 0, 1, 0},
                              {1, 2, 1, 63, 1, 0}, {1, 1, 1, 63, 1, 0}, {1, 0, 1, 63, 1, 0}};
  static const Row kQuad[] = {{0, 0, 0, 0, 0, 1},  {1, 0, 1, 5, 0, 0},  {1, 1, 1, 5, 0, 0},  {1, 2, 1, 5, 0, 0},
                              {1, 3, 1, 5, 0, 0},  {0, 0, 0, 0, 1, 0},  {1, 0, 6, 63, 0, 0}, {1, 1, 6, 63, 0, 0},
                              {1, 2, 6, 63, 0, 0}, {1, 3, 6, 63, 0, 0}};
  const Row* rows = nullptr;
  int32_t n = 0;
  auto pick = [&](const Row* r, int32_t count) { rows = r, n = count; };
  if (nc == 1 && color == JPEG_COLOR_GRAY) pick(kGray, 6);
  else if (nc == 2 && color == JPEG_COLOR_OTHER) pick(kTwo, 5);
  else if (nc == 3 && color == JPEG_COLOR_YCBCR) pick(kYcc, 10);
  else if (nc == 3 && (color == JPEG_COLOR_RGB || color == JPEG_COLOR_OTHER)) pick(kRgb, 8);
  else if (nc == 4 && color == JPEG_COLOR_YCC4) pick(kYcc4, 11);
  else if (nc == 4 && (color == JPEG_COLOR_QUAD || color == JPEG_COLOR_OTHER)) pick(kQuad, 10);
  if (out)
    for (int32_t i = 0; i < n; ++i) {
      const Row& r = rows[i];
      ProgScan& s = out[i];
      s.ns = r.ns ? 1 : nc;
      for (int32_t k = 0; k < 4; ++k) s.comps[k] = r.ns ? r.comp : k;
      s.ss = r.ss, s.se = r.se, s.ah = r.ah, s.al = r.al;
    }
  return n;
}

struct Coefs {
  int16_t* data;
  int32_t across;  // MCUs across
  int32_t per_mcu;
};

// Block (bx, by) of component c in its own grid, inside the MCU-ordered buffer.
inline const int16_t* coef_block(const Coefs& cf, const JpegFrameComponent& fc, int32_t bx, int32_t by) {
  const size_t mcu = size_t(by / fc.v) * size_t(cf.across) + size_t(bx / fc.h);
  const size_t k = size_t(fc.block_offset + (by % fc.v) * fc.h + bx % fc.h);
  return cf.data + (mcu * size_t(cf.per_mcu) + k) * 64;
}

// Calls fn(component, block) for every block a scan codes, in stream order.
template <class Fn>
int32_t walk_scan(const JPEG_PROPERTIES* st, const Coefs& cf, const ProgScan& sc, Fn&& fn) {
  const JpegFrame& fr = st->frame;
  if (sc.ns == 1) {
    const int32_t c = sc.comps[0];
    const JpegFrameComponent& fc = fr.comps[c];
    // a scan of one component covers its own blocks, not the MCU padding
    const int32_t cw = (fr.width * fc.h + fr.hmax - 1) / fr.hmax, chh = (fr.height * fc.v + fr.vmax - 1) / fr.vmax;
    const int32_t bw = (cw + 7) / 8, bh = (chh + 7) / 8;
    for (int32_t by = 0; by < bh; ++by)
      for (int32_t bx = 0; bx < bw; ++bx) {
        int32_t rc = fn(c, coef_block(cf, fc, bx, by));
        if (rc) return rc;
      }
    return 0;
  }
  for (int64_t m = 0; m < fr.mcu_total; ++m) {
    const int16_t* mcu = cf.data + size_t(m) * size_t(cf.per_mcu) * 64;
    for (int32_t i = 0; i < sc.ns; ++i) {
      const JpegFrameComponent& fc = fr.comps[sc.comps[i]];
      for (int32_t k = 0; k < fc.h * fc.v; ++k) {
        int32_t rc = fn(sc.comps[i], mcu + size_t(fc.block_offset + k) * 64);
        if (rc) return rc;
      }
    }
  }
  return 0;
}

int32_t optimal_table(JPEG_PROPERTIES* st, const uint32_t* freq, int32_t tclass, int32_t number) {
  uint8_t bits[16] = {};
  uint8_t vals[256] = {};
  build_optimal_huffman(freq, bits, vals);
  JpegHuffEncode* e = tclass == 0 ? &st->enc_dc[number] : &st->enc_ac[number];
  if (build_encode_table(bits, vals, e)) return JPEG_ERR_HUFFMAN;
  return write_dht(&st->output, st->table, bits, vals, tclass, number);
}

int32_t progressive_scan(JPEG_PROPERTIES* st, const Coefs& cf, const ProgScan& sc) {
  static_assert(sizeof(uint32_t) * 257 * 2 < 4096, "two frequency tables on the stack");
  uint32_t freq[2][257] = {};
  const bool dc_scan = sc.ss == 0 && sc.se == 0;
  const bool many = st->frame.ncomp > 1;
  int32_t rc = 0;
  JpegOutput* out = &st->output;
  int32_t last_dc[4] = {};
  if (dc_scan && sc.ah == 0) {
    walk_scan(st, cf, sc, [&](int32_t c, const int16_t* b) {
      count_dc_first(b, &last_dc[c], sc.al, freq[c == 0 ? 0 : 1]);
      return 0;
    });
    rc = optimal_table(st, freq[0], 0, 0);
    if (!rc && many) rc = optimal_table(st, freq[1], 0, 1);
  } else if (!dc_scan) {
    const int32_t number = sc.comps[0] == 0 ? 0 : 1;
    if (sc.ah == 0) {
      int32_t eob = 0;
      walk_scan(st, cf, sc, [&](int32_t, const int16_t* b) {
        count_ac_first(b, sc.ss, sc.se, sc.al, &eob, freq[0]);
        return 0;
      });
      count_eob_run(&eob, freq[0]);
    } else {
      AcRefineState rs{};
      walk_scan(st, cf, sc, [&](int32_t, const int16_t* b) {
        count_ac_refine(b, sc.ss, sc.se, sc.al, &rs, freq[0]);
        return 0;
      });
      count_eob_run(&rs.eob_run, freq[0]);
    }
    rc = optimal_table(st, freq[0], 1, number);
  }
  if (!rc) rc = write_sos(st, sc, true);
  if (rc) return rc;
  if (dc_scan) {
    for (int32_t& p : last_dc) p = 0;
    if (sc.ah == 0)
      return walk_scan(st, cf, sc, [&](int32_t c, const int16_t* b) {
        return encode_dc_progressive(out, &st->enc_dc[c == 0 ? 0 : 1], b, &last_dc[c], sc.al);
      });
    return walk_scan(st, cf, sc, [&](int32_t, const int16_t* b) { return encode_dc_refine(out, b, sc.al); });
  }
  const JpegHuffEncode* ac = &st->enc_ac[sc.comps[0] == 0 ? 0 : 1];
  if (sc.ah == 0) {
    int32_t eob = 0;
    rc = walk_scan(st, cf, sc, [&](int32_t, const int16_t* b) {
      return encode_ac_first(out, ac, b, sc.ss, sc.se, sc.al, &eob);
    });
    return rc ? rc : emit_eob_run(out, ac, &eob);
  }
  AcRefineState rs{};
  rc = walk_scan(st, cf, sc, [&](int32_t, const int16_t* b) {
    return encode_ac_refine(out, ac, b, sc.ss, sc.se, sc.al, &rs);
  });
  return rc ? rc : flush_ac_refine(out, ac, &rs);
}

int32_t encode_progressive(JPEG_PROPERTIES* st) {
  const JpegFrame& fr = st->frame;
  const int32_t count = progressive_script(fr.ncomp, st->f.jpg_color, nullptr);
  if (count == 0) return JPEG_ERR_PROPS;
  for (int32_t c = 0; c < fr.ncomp; ++c) {
    const int32_t tq = fr.comps[c].tq;
    if (tq < 0 || tq > 3 || !st->quant[tq].present) return JPEG_ERR_NO_QUANT;
  }
  // the whole image's coefficients, sized in size_t and capped like every allocation
  Coefs cf{nullptr, fr.mcus_across, fr.blocks_per_mcu};
  const size_t blocks = size_t(fr.mcu_total) * size_t(fr.blocks_per_mcu);
  if (blocks > kMemoryCap / (64 * sizeof(int16_t))) return JPEG_ERR_MEMORY;
  cf.data = alloc_array<int16_t>(blocks * 64, 32);
  ProgScan* scans = alloc_array<ProgScan>(size_t(count));
  int32_t rc = 0;
  if (!cf.data || !scans) rc = JPEG_ERR_MEMORY;
  if (!rc) {
    progressive_script(fr.ncomp, st->f.jpg_color, scans);
    rc = write_sof(st, true);
  }
  for (int64_t m = 0; !rc && m < fr.mcu_total; ++m) {
    rc = mcu_coefficients(st, static_cast<int32_t>(m % fr.mcus_across), static_cast<int32_t>(m / fr.mcus_across));
    if (!rc) std::memcpy(cf.data + size_t(m) * size_t(cf.per_mcu) * 64, st->mcu_buf, size_t(cf.per_mcu) * 64 * sizeof(int16_t));
  }
  for (int32_t i = 0; !rc && i < count; ++i) rc = progressive_scan(st, cf, scans[i]);
  if (!rc) rc = write_eoi_and_flush(st);
  release(cf.data);
  release(scans);
  return rc;
}

}  // namespace

int32_t encode_image(JPEG_PROPERTIES* st, int32_t mode) {
  if (st->enc_resume) return encode_sequential(st);
  KeptTables kept;
  if ((mode == 12 || mode == 13) && st->enc_tables_ready)
    for (int32_t t = 0; t < 4; ++t)
      if (st->quant[t].present) {
        kept.had[t] = true;
        std::memcpy(kept.values[t], st->quant[t].values, sizeof kept.values[t]);
      }
  int32_t rc = setup_tables(st);
  if (!rc && mode != 10 && mode != 11) {
    rc = setup_geometry(st);
    if (!rc) rc = check_planes(st);
    if (!rc && !st->planar) rc = select_encode_mcu(st);
    if (!rc && st->interleave == 1) rc = JPEG_ERR_PROPS;
  }
  if (rc) return rc;
  st->table->jpeg_output_init(&st->output, st->f.jpg_bytes, st->output.file ? 0 : static_cast<size_t>(st->f.jpg_size_bytes));
  rc = write_headers(st, mode, kept);
  if (rc || mode == 10 || mode == 11) return rc;
  return st->progressive_switch ? encode_progressive(st) : encode_sequential(st);
}

}  // namespace jcodec

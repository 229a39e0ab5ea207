// The decode driver: routine selection, the sequential and progressive scan loops with restarts,
// regions and interruption, the rebuild of progressive rows and the final passes of an image.
#include <algorithm>
#include <cstring>

#include "jpeg/internal.h"
#include "jpeg/vector_kernels.h"

namespace jcodec {

int32_t scale_of_mode(int32_t mode) {
  switch (mode) {
    case 14: case 15: return 2;
    case 16: case 17: return 4;
    case 18: case 19: return 8;
    default: return 1;
  }
}

bool image_mode(int32_t mode) { return mode == 2 || mode == 3 || mode == 6 || mode == 7 || (mode >= 14 && mode <= 19); }

bool header_mode(int32_t mode) { return mode == 0 || mode == 1 || mode == 4 || mode == 5 || mode == 20 || mode == 21; }

void compute_switches(JPEG_PROPERTIES* st) {
  int32_t j = st->f.jpg_color;
  // a single-component image is grey whatever the caller assumed
  if (st->frame.present && st->frame.ncomp == 1) j = JPEG_COLOR_GRAY;
  st->effective_color = j;
  const int32_t d = st->f.dib_color;
  bool conv = !(j == JPEG_COLOR_RGB || j == JPEG_COLOR_GRAY || j == JPEG_COLOR_QUAD || j == JPEG_COLOR_OTHER) &&
              d != JPEG_COLOR_YCBCR && d != JPEG_COLOR_GRAY;
  bool up = false;
  if (st->frame.present)
    for (int32_t i = 0; i < st->frame.ncomp; ++i)
      if (st->frame.comps[i].h != 1 || st->frame.comps[i].v != 1) up = true;
  if (d == JPEG_COLOR_YCBCR) up = false;
  st->conversion = conv;
  st->upsample = up;
  st->f.color_conversion = conv;
  st->f.upsampling = up;
}

namespace {

// Component 0 (and 3 of four) h x v, components 1 and 2 1x1.
bool layout(const JpegFrame& f, int32_t h, int32_t v) {
  if (f.ncomp != 3 && f.ncomp != 4) return false;
  const JpegFrameComponent* c = f.comps;
  if (c[0].h != h || c[0].v != v || c[1].h != 1 || c[1].v != 1 || c[2].h != 1 || c[2].v != 1) return false;
  return f.ncomp == 3 || (c[3].h == h && c[3].v == v);
}

}  // namespace

// The general writers take any scale: an MCU is mcu_w x mcu_h pixels at the scale.
int32_t write_scaled_plain(JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  return write_mcu_general(st, col * st->mcu_w, row * st->mcu_h, st->mcu_w, st->mcu_h, st->parts, st->nparts,
                           false);
}
int32_t write_scaled_and_convert(JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  return write_mcu_general(st, col * st->mcu_w, row * st->mcu_h, st->mcu_w, st->mcu_h, st->parts, st->nparts,
                           st->nparts == st->frame.ncomp);
}
int32_t out_scaled_mcu(JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  return st->routine_converts ? write_scaled_and_convert(st, col, row) : write_scaled_plain(st, col, row);
}
int32_t out_mcu_generic(JPEG_PROPERTIES* st, int32_t col, int32_t row) { return write_scaled_plain(st, col, row); }
int32_t out_mcu_upsample_convert(JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  return write_scaled_and_convert(st, col, row);
}
int32_t out_mcu_upsample_any(JPEG_PROPERTIES* st, int32_t col, int32_t row) { return write_scaled_plain(st, col, row); }

// Every layout gets a routine: the fixed kernels where a row of the selection names one, else the
// general routine of its group, so no scan runs with an empty or stale routine.
int32_t select_mcu_routine(JPEG_PROPERTIES* st) {
  compute_switches(st);
  const JpegFrame& f = st->frame;
  if (f.ncomp < 1 || f.ncomp > 255) return JPEG_ERR_COMP;
  const int32_t d = st->f.dib_color, p = st->pixel_bytes, nf = f.ncomp;
  const bool up = st->upsample, conv = st->conversion;
  const bool h2v2 = layout(f, 2, 2), h2v1 = layout(f, 2, 1), h1 = layout(f, 1, 1);
  if (nf == 3 && st->effective_color == JPEG_COLOR_YCBCR && d == JPEG_COLOR_YCBCR && !layout(f, 2, 1))
    return JPEG_ERR_PROPS;
  JPEG_DISPATCH_TABLE* t = st->table;
  int32_t code = 0;
  JpegMcuFn fn = nullptr;
  bool converts = false;
  st->smooth = 0;
  if (!st->interleave && (st->scale == 2 || st->scale == 4) && up && st->row_buffer_switch == 1 && h2v1 &&
      nf == 3) {
    // scaled 2x1 with smoothing: the triangle filter over planes at the scale (a 1/8 read has
    // one chroma sample per block pair and repeats it)
    st->smooth = 1;
    fn = out_mcu_store_planes;
    converts = conv;
  } else if (st->interleave || st->scale != 1) {
    // one component per scan, or scaled output
    fn = out_scaled_mcu;
    converts = conv;
  } else if (up && st->row_buffer_switch == 1 && (h2v2 || h2v1) && nf == 3) {
    st->smooth = 1;
    fn = out_mcu_store_planes;
    converts = conv;
    if (!conv) code = h2v2 ? 16 : 17;
  } else if (up && conv) {
    converts = true;
    if (st->row_buffer_switch == 0) {
      if (nf == 3 && p == 3 && d == JPEG_COLOR_RGB && (h2v2 || h2v1)) code = h2v2 ? 3 : 5;
      else if (nf == 3 && p == 3 && d == JPEG_COLOR_BGR && (h2v2 || h2v1)) code = h2v2 ? 4 : 6;
      else if (nf == 3 && p == 4 && d == JPEG_COLOR_QUAD && (h2v2 || h2v1)) code = h2v2 ? 8 : 9;
      else if (nf == 4 && p == 4 && d == JPEG_COLOR_QUAD && (h2v2 || h2v1)) code = h2v2 ? 11 : 12;
    }
    fn = code ? fixed_routine(code) : out_mcu_upsample_convert;
  } else if (up) {
    if (st->row_buffer_switch == 0 && nf == 3 && p == 3 && d != JPEG_COLOR_BGR && (h2v2 || h2v1)) code = h2v2 ? 16 : 17;
    fn = code ? fixed_routine(code) : out_mcu_upsample_any;
  } else if (!conv) {
    if (nf == 1 && p == 1) fn = out_mcu_gray;
    else if (nf == 3 && h2v1 && d == JPEG_COLOR_YCBCR) code = 19;
    else if (nf == 3 && h1 && p == 3 && d != JPEG_COLOR_BGR) code = 15;
    else if (nf == 3 && h1 && p == 4 && d == JPEG_COLOR_QUAD) code = 13;
    else if (nf == 4 && h1 && p == 4) code = 14;
    if (!fn) fn = code ? fixed_routine(code) : out_mcu_generic;
  } else {
    converts = true;
    if (nf == 3 && h1 && p == 3 && d == JPEG_COLOR_RGB) code = 1;
    else if (nf == 3 && h1 && p == 3 && d == JPEG_COLOR_BGR) code = 2;
    else if (nf == 3 && h1 && p == 4 && d == JPEG_COLOR_QUAD) code = 7;
    else if (nf == 4 && h1 && p == 4 && d == JPEG_COLOR_QUAD) code = 10;
    fn = code ? fixed_routine(code) : out_mcu_upsample_convert;
  }
  if (!fn) return JPEG_ERR_PROPS;
  t->decode_mcu_current = fn;
  st->fast_path_code = code;
  st->routine_converts = converts;
  return 0;
}

// ---- output geometry ----------------------------------------------------------------------------------

namespace {

void setup_output(JPEG_PROPERTIES* st) {
  JpegFrame& fr = st->frame;
  const int32_t d = st->scale = scale_of_mode(st->io_mode);
  const int32_t nref = 8 / d;
  bool square = d > 1;
  for (int32_t i = 0; i < fr.ncomp; ++i) {
    const JpegFrameComponent& c = fr.comps[i];
    if (!(c.h == c.v && (c.h == 1 || c.h == 2))) square = false;
  }
  for (int32_t i = 0; i < fr.ncomp; ++i) {
    JpegFrameComponent& c = fr.comps[i];
    // subsampled chroma of a reduced image takes the next larger transform: no up-sampling
    c.n = (square && c.h < fr.hmax) ? std::min(8, 2 * nref) : nref;
  }
  st->mcu_w = nref * fr.hmax;
  st->mcu_h = nref * fr.vmax;
  st->out_width = (fr.width + d - 1) / d;
  st->out_height = (fr.height + d - 1) / d;
  st->pixel_bytes = st->f.dib_color == JPEG_COLOR_YCBCR ? 2 : st->f.dib_channels;
  const int32_t ah = st->f.dib_height < 0 ? -st->f.dib_height : st->f.dib_height;
  st->dib_origin = st->f.dib_bytes;
  if (st->f.dib_bytes && st->f.dib_height < 0 && ah > 0)
    st->dib_origin = st->f.dib_bytes + static_cast<ptrdiff_t>(ah - 1) * -st->dib_line_bytes;
  const JpegRect& r = st->image_roi;
  const int32_t w = st->out_width, h = st->out_height;
  bool any = r.left || r.top || r.right || r.bottom;
  st->region_mode = any && ((r.right < w && r.right != 0) || (r.bottom < h && r.bottom != 0) || r.left >= 1 ||
                            r.top >= 1);
  JpegRect area{0, 0, w, h};
  if (st->region_mode) {
    area.left = std::max(0, r.left);
    area.top = std::max(0, r.top);
    area.right = (r.right <= 0 || r.right > w) ? w : r.right;
    area.bottom = (r.bottom <= 0 || r.bottom > h) ? h : r.bottom;
  }
  st->origin_x = area.left;
  st->origin_y = area.top;
  if (st->planar) {
    st->visible = JpegRect{0, 0, w, h};
    return;
  }
  JpegRect dib{area.left, area.top, static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t(area.left) + st->f.dib_width)),
               static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t(area.top) + ah))};
  rect_intersect(&st->visible, area, dib);
  if (!st->f.dib_bytes) st->visible = JpegRect{0, 0, 0, 0};
}

// Prepares the dequantisation tables of the listed components for one transform family: the
// fast family unless asked for the accurate one or a fast multiplier would not fit 16 bits.
void prepare_tables(JPEG_PROPERTIES* st, const int32_t* comps, int32_t count) {
  bool fast = st->dct_method != 1;
  if (fast)
    for (int32_t i = 0; i < count && fast; ++i) {
      JpegFrameComponent& c = st->frame.comps[comps[i]];
      fast = prepare_fast_idct(st->quant[c.tq & 3].values, c.qtable);
    }
  for (int32_t i = 0; i < count; ++i) {
    JpegFrameComponent& c = st->frame.comps[comps[i]];
    if (fast)
      prepare_fast_idct(st->quant[c.tq & 3].values, c.qtable);
    else
      prepare_plain(st->quant[c.tq & 3].values, c.qtable);
    c.fast = fast;
  }
  JPEG_DISPATCH_TABLE* t = st->table;
  if (fast) {
    t->idct_current_8x8 = t->idct_fast_8x8;
    t->idct_current_4x4 = t->idct_fast_4x4;
    t->idct_current_2x2 = t->idct_fast_2x2;
    t->idct_current_1x1 = t->idct_fast_1x1;
    t->dequantize_current = t->dequantize_fast;
  } else {
    t->idct_current_8x8 = t->idct_accurate_8x8;
    t->idct_current_4x4 = t->idct_accurate_4x4;
    t->idct_current_2x2 = t->idct_accurate_2x2;
    t->idct_current_1x1 = t->idct_accurate_1x1;
    t->dequantize_current = t->dequantize_accurate;
  }
  st->scan_fast = fast;
  st->dequant_idct_8x8 = vector_dequant_idct_of(t);
}

void prepare_all_tables(JPEG_PROPERTIES* st) {
  int32_t idx[255];
  for (int32_t i = 0; i < st->frame.ncomp; ++i) idx[i] = i;
  prepare_tables(st, idx, st->frame.ncomp);
}

inline void transform_block(JPEG_PROPERTIES* st, const JpegFrameComponent& c, int16_t* b) {
  JPEG_DISPATCH_TABLE* t = st->table;
  // the generic accurate pair runs as one pass over the block
  if (t->dequantize_current == dequantize_accurate) {
    if (c.n == 8 && t->idct_current_8x8 == idct_accurate_8x8) {
      idct_accurate_8x8_dequant(b, c.qtable);
      return;
    }
    // (not for planes: they take the whole block, dequantised values around the output included)
    if (c.n == 4 && t->idct_current_4x4 == idct_accurate_4x4 && !st->planar) {
      idct_accurate_4x4_dequant(b, c.qtable);
      return;
    }
    if (c.n == 2 && t->idct_current_2x2 == idct_accurate_2x2 && !st->planar) {
      idct_accurate_2x2_dequant(b, c.qtable);
      return;
    }
  }
  if (c.n == 8 && st->dequant_idct_8x8) {
    st->dequant_idct_8x8(b, c.qtable);
    return;
  }
  t->dequantize_current(b, c.qtable);
  switch (c.n) {
    case 8: t->idct_current_8x8(b); break;
    case 4: t->idct_current_4x4(b); break;
    case 2: t->idct_current_2x2(b); break;
    default: t->idct_current_1x1(b); break;
  }
}

bool mcu_visible(const JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  if (st->smooth || st->planar) return true;
  const JpegRect& v = st->visible;
  int64_t x0 = int64_t(col) * st->mcu_w, y0 = int64_t(row) * st->mcu_h;
  return x0 < v.right && x0 + st->mcu_w > v.left && y0 < v.bottom && y0 + st->mcu_h > v.top;
}

// Block (bx, by) of component c in the component's padded grid.
inline size_t plane_block(const JPEG_PROPERTIES* st, int32_t c, int32_t bx, int32_t by) {
  const JpegFrameComponent& fc = st->frame.comps[c];
  return size_t(by) * size_t(st->frame.mcus_across) * fc.h + size_t(bx);
}

void planar_copy(JPEG_PROPERTIES* st, int32_t c, int32_t bx, int32_t by, const int16_t* b) {
  if (c >= 4 || !st->planar->planes[c]) return;
  std::memcpy(st->planar->planes[c] + plane_block(st, c, bx, by) * 64, b, 64 * sizeof(int16_t));
}

// Hands a whole-frame MCU in mcu_buf (already transformed) to its routine.
int32_t emit_frame_mcu(JPEG_PROPERTIES* st, const int32_t* comps, int32_t count, int32_t col, int32_t row) {
  for (int32_t i = 0; i < count; ++i) {
    const JpegFrameComponent& fc = st->frame.comps[comps[i]];
    JpegMcuPart& p = st->parts[i];
    p.comp = comps[i];
    p.blocks = st->mcu_buf + size_t(fc.block_offset) * 64;
    p.hb = fc.h;
    p.vb = fc.v;
    p.n = fc.n;
    p.sx = col * fc.n * fc.h;
    p.sy = row * fc.n * fc.v;
  }
  st->nparts = count;
  if (count == st->frame.ncomp) {
    st->table->decode_mcu_current(st, col, row);
  } else {
    write_mcu_general(st, col * st->mcu_w, row * st->mcu_h, st->mcu_w, st->mcu_h, st->parts, count, false);
  }
  return 0;
}

// Output of block (bx, by) of component c decoded by a scan of that component alone.
void emit_single_block(JPEG_PROPERTIES* st, int32_t c, int32_t bx, int32_t by, const int16_t* b) {
  const JpegFrameComponent& fc = st->frame.comps[c];
  if (st->frame.ncomp == 1) {
    JpegMcuPart& p = st->parts[0];
    p = JpegMcuPart{0, b, 1, 1, fc.n, bx * fc.n, by * fc.n};
    st->nparts = 1;
    st->table->decode_mcu_current(st, bx, by);
    return;
  }
  // pixels whose sample falls in this block: x with floor(x * sw / mcu_w) in [bx*n, bx*n + n)
  const int64_t sw = int64_t(fc.n) * fc.h, sh = int64_t(fc.n) * fc.v;
  auto first_px = [](int64_t s, int64_t num, int64_t den) { return (s * den + num - 1) / num; };
  int64_t x0 = first_px(int64_t(bx) * fc.n, sw, st->mcu_w), x1 = first_px(int64_t(bx + 1) * fc.n, sw, st->mcu_w);
  int64_t y0 = first_px(int64_t(by) * fc.n, sh, st->mcu_h), y1 = first_px(int64_t(by + 1) * fc.n, sh, st->mcu_h);
  JpegMcuPart p{c, b, 1, 1, fc.n, bx * fc.n, by * fc.n};
  write_mcu_general(st, static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
                    static_cast<int32_t>(y1 - y0), &p, 1, false);
}

struct Geo {
  int32_t across, rows;
  int64_t total;
  bool single;
};

Geo scan_geometry(const JPEG_PROPERTIES* st, const JpegScan* sc) {
  if (sc->ns == 1) {
    const JpegFrameComponent& fc = st->frame.comps[sc->comps[0].comp];
    return Geo{fc.blocks_w, fc.blocks_h, int64_t(fc.blocks_w) * fc.blocks_h, true};
  }
  return Geo{st->frame.mcus_across, st->frame.mcu_rows, st->frame.mcu_total, false};
}

// After MCU m (1-based) of an interval: clear the predictors and the bit reader and pass the
// marker. Its number is not compared; a marker other than RSTn is left for the parser.
int32_t restart_check(JPEG_PROPERTIES* st, const JpegScan* sc, const Geo& g, int32_t col, int32_t row, int32_t* dc) {
  const int32_t r = sc->restart_interval;
  if (r <= 0) return 0;
  int64_t m = int64_t(row) * g.across + col + 1;
  if (m % r != 0 || m >= g.total) return 0;
  dc[0] = dc[1] = dc[2] = dc[3] = 0;
  JpegStream& s = st->stream;
  s.bits = 0;
  s.acc = 0;
  s.eob_run = 0;
  int32_t code = 0;
  int32_t rc = stream_next_marker(&s, &code);
  if (rc < 0 || code == 256) return JPEG_ERR_RST;
  if (code < 0xD0 || code > 0xD7) s.pending_marker = code;
  return 0;
}

void save_progress(JpegScan* sc, int32_t col, int32_t row, const int32_t* dc, const JpegStream& s) {
  sc->progress[0] = 1;
  sc->progress[1] = col;
  sc->progress[2] = row;
  for (int i = 0; i < 4; ++i) sc->progress[3 + i] = dc[i];
  sc->progress[7] = s.eob_run;
}

// Reports how far an interrupted read got, in output pixels of the image.
void report_progress(JPEG_PROPERTIES* st, const Geo& g, int32_t col, int32_t row) {
  int64_t w = g.single && st->frame.ncomp > 1 ? st->mcu_w / st->frame.comps[st->scan->comps[0].comp].h : st->mcu_w;
  int64_t h = g.single && st->frame.ncomp > 1 ? st->mcu_h / st->frame.comps[st->scan->comps[0].comp].v : st->mcu_h;
  st->roi.right = static_cast<int32_t>(std::min<int64_t>((int64_t(col) + 1) * w, st->out_width));
  st->roi.bottom = static_cast<int32_t>(std::min<int64_t>((int64_t(row) + 1) * h, st->out_height));
}

// Stops a read after the MCU at (col, row): the next read resumes at the following MCU.
int32_t interrupt_after(JPEG_PROPERTIES* st, JpegScan* sc, const Geo& g, int32_t col, int32_t row, const int32_t* dc) {
  int32_t ncol = col + 1, nrow = row;
  if (ncol == g.across) {
    ncol = 0;
    ++nrow;
  }
  save_progress(sc, ncol, nrow, dc, st->stream);
  report_progress(st, g, col, row);
  return JPEG_INTERRUPTED;
}

// ---- region index -------------------------------------------------------------------------------

constexpr int32_t kIndexRows = 8192;

void store_record(JPEG_PROPERTIES* st, int32_t row, const int32_t* dc) {
  if (!st->region_index || row >= kIndexRows) return;
  JpegRegionRecord& r = st->region_index[row];
  if (r.position != -1) return;
  const JpegStream& s = st->stream;
  r.position = stream_position(&s);
  for (int i = 0; i < 4; ++i) r.dc[i] = dc[i];
  r.acc = s.acc;
  r.bits = s.bits;
  r.pending_marker = s.pending_marker;
}

// Restores the nearest passed row at or before `row`; returns the row the loop starts at.
int32_t restore_record(JPEG_PROPERTIES* st, int32_t row, int32_t* dc) {
  for (int32_t r = std::min(row, kIndexRows - 1); r >= 0; --r) {
    const JpegRegionRecord& rec = st->region_index[r];
    if (rec.position == -1) continue;
    JpegStream& s = st->stream;
    if (stream_seek(&s, rec.position)) return -1;
    for (int i = 0; i < 4; ++i) dc[i] = rec.dc[i];
    s.acc = rec.acc;
    s.bits = rec.bits;
    s.pending_marker = rec.pending_marker;
    return r;
  }
  return -1;
}

// ---- sequential -----------------------------------------------------------------------------------

int32_t decode_sequential(JPEG_PROPERTIES* st, JpegScan* sc) {
  JPEG_DISPATCH_TABLE* t = st->table;
  const Geo g = scan_geometry(st, sc);
  int32_t dc[4] = {0, 0, 0, 0};
  int32_t col0 = 0, row0 = 0;
  const bool resuming = sc->progress[0] != 0;
  if (resuming) {
    col0 = sc->progress[1];
    row0 = sc->progress[2];
    for (int i = 0; i < 4; ++i) dc[i] = sc->progress[3 + i];
    sc->progress[0] = 0;
  }
  int32_t comps[4];
  for (int32_t i = 0; i < sc->ns; ++i) comps[i] = sc->comps[i].comp;
  prepare_tables(st, comps, sc->ns);

  // A region over a scan that carries the whole image stops after its last row and may skip
  // to its first through the row index.
  const bool whole = sc->ns == st->frame.ncomp;
  const bool region_loop = st->region_mode && whole && !st->smooth && !st->planar;
  int32_t first_row = 0, last_row = g.rows - 1;
  if (region_loop) {
    if (rect_empty(st->visible)) return JPEG_ROI_SUCCESS;
    first_row = st->visible.top / st->mcu_h;
    last_row = std::min(g.rows - 1, (st->visible.bottom - 1) / st->mcu_h);
    if (!st->region_index || st->region_index_start != sc->start_offset) {
      if (!st->region_index) {
        st->region_index = alloc_array<JpegRegionRecord>(kIndexRows);
        if (!st->region_index) return JPEG_ERR_MEMORY;
      }
      for (int32_t i = 0; i < kIndexRows; ++i) st->region_index[i].position = -1;
      st->region_index_start = sc->start_offset;
    }
    if (!resuming && first_row > 0) {
      int32_t r = restore_record(st, first_row, dc);
      if (r > 0) row0 = r;
    }
  }

  int16_t* scratch = st->work;
  // At 1/8 scale the transforms read the DC alone: the AC values are decoded and dropped.
  JpegDecodeBlockFn keep_of[4];
  for (int32_t i = 0; i < sc->ns; ++i)
    keep_of[i] = !st->planar && st->frame.comps[comps[i]].n == 1 ? t->decode_block_dc_only : t->decode_block;
  const JpegDecodeBlockFn keep = keep_of[0];
  for (int32_t row = row0; row < g.rows; ++row) {
    if (region_loop) {
      if (row > last_row) return JPEG_ROI_SUCCESS;
      if (row == row0 ? col0 == 0 : true) store_record(st, row, dc);
    }
    const bool skip = region_loop && row < first_row;
    for (int32_t col = (row == row0 ? col0 : 0); col < g.across; ++col) {
      if (g.single) {
        const JpegScanComponent& c = sc->comps[0];
        int16_t* b = skip ? scratch : st->mcu_buf;
        int32_t rc = (skip ? t->decode_block_dc_only : keep)(&st->stream, &st->dc_tables[c.dc_tbl],
                                                               &st->ac_tables[c.ac_tbl], &dc[0], b);
        if (rc < 0) return skip ? JPEG_ERR_DATA : rc;
        rc = restart_check(st, sc, g, col, row, dc);
        if (rc) return rc;
        if (!skip) {
          if (st->planar) {
            if (st->planar->mode == 0) {
              planar_copy(st, c.comp, col, row, b);
            } else {
              transform_block(st, st->frame.comps[c.comp], b);
              planar_copy(st, c.comp, col, row, b);
            }
          } else {
            const JpegFrameComponent& fc = st->frame.comps[c.comp];
            transform_block(st, fc, b);
            emit_single_block(st, c.comp, col, row, b);
          }
        }
      } else {
        const bool out = !skip && mcu_visible(st, col, row);
        for (int32_t i = 0; i < sc->ns; ++i) {
          const JpegScanComponent& c = sc->comps[i];
          const JpegFrameComponent& fc = st->frame.comps[c.comp];
          for (int32_t v = 0; v < fc.v; ++v)
            for (int32_t h = 0; h < fc.h; ++h) {
              int16_t* b = out ? st->mcu_buf + size_t(fc.block_offset + v * fc.h + h) * 64 : scratch;
              int32_t rc = (out ? keep_of[i] : t->decode_block_dc_only)(
                  &st->stream, &st->dc_tables[c.dc_tbl], &st->ac_tables[c.ac_tbl], &dc[i], b);
              if (rc < 0) return skip ? JPEG_ERR_DATA : rc;
              if (out && st->planar) {
                int32_t bx = col * fc.h + h, by = row * fc.v + v;
                if (st->planar->mode == 0) planar_copy(st, c.comp, bx, by, b);
                else {
                  transform_block(st, fc, b);
                  planar_copy(st, c.comp, bx, by, b);
                }
              } else if (out) {
                transform_block(st, fc, b);
              }
            }
        }
        int32_t rc = restart_check(st, sc, g, col, row, dc);
        if (rc) return rc;
        if (out && !st->planar) emit_frame_mcu(st, comps, sc->ns, col, row);
      }
      if (st->stream.starved && !(row == g.rows - 1 && col == g.across - 1)) return JPEG_ERR_EOF;
      if (st->interrupt_request && !skip) {
        bool last = row == g.rows - 1 && col == g.across - 1;
        if (!last && !(region_loop && row == last_row && col == g.across - 1))
          return interrupt_after(st, sc, g, col, row, dc);
      }
    }
  }
  return region_loop ? JPEG_ROI_SUCCESS : 0;
}

// ---- progressive ----------------------------------------------------------------------------------

// Rebuilds MCU rows [from, to] from the coefficient buffer.
void rebuild_rows(JPEG_PROPERTIES* st, int32_t from, int32_t to) {
  const JpegFrame& fr = st->frame;
  if (from > to) return;
  prepare_all_tables(st);
  const size_t bpm = size_t(fr.blocks_per_mcu);
  int32_t comps[255];
  for (int32_t i = 0; i < fr.ncomp; ++i) comps[i] = i;
  for (int32_t row = from; row <= to; ++row) {
    for (int32_t col = 0; col < fr.mcus_across; ++col) {
      if (!mcu_visible(st, col, row)) continue;
      const int16_t* src = st->coef + (size_t(row) * fr.mcus_across + col) * bpm * 64;
      std::memcpy(st->mcu_buf, src, bpm * 64 * sizeof(int16_t));
      for (int32_t c = 0; c < fr.ncomp; ++c) {
        const JpegFrameComponent& fc = fr.comps[c];
        for (int32_t k = 0; k < fc.h * fc.v; ++k) {
          int16_t* b = st->mcu_buf + size_t(fc.block_offset + k) * 64;
          if (st->planar && st->planar->mode == 0) {
            planar_copy(st, c, col * fc.h + k % fc.h, row * fc.v + k / fc.h, b);
            continue;
          }
          transform_block(st, fc, b);
          if (st->planar) planar_copy(st, c, col * fc.h + k % fc.h, row * fc.v + k / fc.h, b);
        }
      }
      if (!st->planar) emit_frame_mcu(st, comps, fr.ncomp, col, row);
    }
  }
  st->rows_built = std::max(st->rows_built, to + 1);
}

int32_t decode_progressive(JPEG_PROPERTIES* st, JpegScan* sc) {
  const Geo g = scan_geometry(st, sc);
  int32_t dc[4] = {0, 0, 0, 0};
  int32_t col0 = 0, row0 = 0;
  if (sc->progress[0]) {
    col0 = sc->progress[1];
    row0 = sc->progress[2];
    for (int i = 0; i < 4; ++i) dc[i] = sc->progress[3 + i];
    st->stream.eob_run = sc->progress[7];
    sc->progress[0] = 0;
  }
  const JpegFrame& fr = st->frame;
  enum { kDcFirst, kDcRefine, kAcFirst, kAcRefine };
  const int32_t kind = sc->ss == 0 ? (sc->ah == 0 ? kDcFirst : kDcRefine) : (sc->ah == 0 ? kAcFirst : kAcRefine);
  JpegStream* const in = &st->stream;
  const size_t bpm = size_t(fr.blocks_per_mcu);
  // Block walk without divisions. A whole-frame MCU keeps each component's blocks together; a
  // single-component scan steps through the component's columns of MCUs.
  struct Walk {
    const JpegHuffDecode* dc;
    const JpegHuffDecode* ac;
    int32_t offset, nb, h, v;
  } walk[4];
  for (int32_t i = 0; i < sc->ns; ++i) {
    const JpegScanComponent& c = sc->comps[i];
    const JpegFrameComponent& fc = fr.comps[c.comp];
    walk[i] = Walk{&st->dc_tables[c.dc_tbl], &st->ac_tables[c.ac_tbl], fc.block_offset, fc.h * fc.v, fc.h, fc.v};
  }
  auto decode_one = [&](int16_t* b, const Walk& w, int32_t* pred) -> int32_t {
    switch (kind) {
      case kDcFirst:
        // a fixed-size clear kept inline (a string store costs more than the block)
        for (int32_t j = 0; j < 64; j += 4) {
          const uint64_t zero = 0;
          std::memcpy(b + j, &zero, sizeof zero);
        }
        return decode_dc_first(in, w.dc, b, pred, sc->al);
      case kDcRefine:
        return decode_dc_refine(in, b, sc->al);
      case kAcFirst:
        return decode_ac_first(in, b, w.ac, sc->ss, sc->se, sc->al);
      default:
        return decode_ac_refine(in, b, w.ac, sc->ss, sc->se, sc->al);
    }
  };
  for (int32_t row = row0; row < g.rows; ++row) {
    // single: the MCU holding the row's first block to decode, and that block's column in it
    int16_t* row_base = nullptr;
    int32_t hx = 0;
    if (g.single) {
      const Walk& w = walk[0];
      const int32_t col_start = row == row0 ? col0 : 0;
      const size_t my = size_t(row / w.v), vy = size_t(row % w.v);
      const size_t mx = size_t(col_start / w.h);
      hx = col_start % w.h;
      row_base = st->coef + ((my * size_t(fr.mcus_across) + mx) * bpm + size_t(w.offset) + vy * size_t(w.h)) * 64;
    }
    for (int32_t col = (row == row0 ? col0 : 0); col < g.across; ++col) {
      if (g.single) {
        int32_t rc = decode_one(row_base + size_t(hx) * 64, walk[0], &dc[0]);
        if (rc < 0) return rc;
        if (++hx == walk[0].h) {
          hx = 0;
          row_base += bpm * 64;
        }
      } else {
        int16_t* mcu = st->coef + (size_t(row) * size_t(fr.mcus_across) + size_t(col)) * bpm * 64;
        for (int32_t i = 0; i < sc->ns; ++i) {
          const Walk& w = walk[i];
          int16_t* b = mcu + size_t(w.offset) * 64;
          for (int32_t k = 0; k < w.nb; ++k, b += 64) {
            int32_t rc = decode_one(b, w, &dc[i]);
            if (rc < 0) return rc;
          }
        }
      }
      int32_t rc = restart_check(st, sc, g, col, row, dc);
      if (rc) return rc;
      if (st->stream.starved && !(row == g.rows - 1 && col == g.across - 1)) return JPEG_ERR_EOF;
      if (col == g.across - 1 && sc->builds_rows) {
        // an MCU row is complete once every block row of this scan inside it is decoded
        int32_t done;
        if (!g.single) {
          done = row;
        } else {
          const JpegFrameComponent& fc = fr.comps[sc->comps[0].comp];
          done = row == g.rows - 1 ? fr.mcu_rows - 1 : ((row + 1) % fc.v == 0 ? row / fc.v : row / fc.v - 1);
        }
        if (done >= st->rows_built) rebuild_rows(st, st->rows_built, done);
      }
      if (st->interrupt_request && !(row == g.rows - 1 && col == g.across - 1))
        return interrupt_after(st, sc, g, col, row, dc);
    }
  }
  if (sc->builds_rows) {
    if (st->rows_built < fr.mcu_rows) rebuild_rows(st, st->rows_built, fr.mcu_rows - 1);
    st->prog_built = 1;
  }
  return 0;
}

}  // namespace

int32_t decode_scan(JPEG_PROPERTIES* st, int32_t* marker) {
  *marker = 0;
  JpegScan* sc = st->scan;
  setup_output(st);
  int32_t rc = select_mcu_routine(st);
  if (rc) return rc;
  if (st->smooth && (!st->row_buffers || st->row_buffers_size != smooth_plane_samples(st))) {
    // planes sized for the scale of this read (a kept record may have read at another)
    const size_t total = smooth_plane_samples(st);
    release_ptr(st->row_buffers);
    st->row_buffers = alloc_array<int16_t>(total);
    st->row_buffers_size = st->row_buffers ? total : 0;
    if (!st->row_buffers) return JPEG_ERR_MEMORY;
  }
  if (sc->sequential)
    rc = decode_sequential(st, sc);
  else
    rc = decode_progressive(st, sc);
  st->table->kernel_leave();
  if (rc == 0 || rc == JPEG_ROI_SUCCESS) {
    st->stream.bits = 0;
    st->stream.acc = 0;
  }
  return rc;
}

// End of the image (EOI or end of input): rows of progressive images that were never rebuilt,
// or changed after their rebuild, the colour pass of one-component-per-scan images and the
// smooth up-sampling pass.
int32_t finish_image(JPEG_PROPERTIES* st) {
  if (st->finished || !st->frame.present || !image_mode(st->io_mode)) return 0;
  st->finished = 1;
  if (!st->scan_count) return 0;
  setup_output(st);
  if (select_mcu_routine(st)) return 0;
  if (st->prog_scans > 0 && st->coef) {
    if (!st->prog_built || st->prog_dirty || !st->pixels_written) {
      st->rows_built = 0;
      rebuild_rows(st, 0, st->frame.mcu_rows - 1);
      st->prog_built = 1;
      st->prog_dirty = 0;
    }
  }
  if (st->smooth) smooth_output(st);
  else if (st->interleave && st->prog_scans == 0) convert_dib_in_place(st);
  st->table->kernel_leave();
  return st->region_mode ? JPEG_ROI_SUCCESS : 0;
}

void free_scan(JPEG_PROPERTIES* st) { release_ptr(st->scan); }

void free_frame_buffers(JPEG_PROPERTIES* st) {
  release_ptr(st->coef);
  st->coef_blocks = 0;
  release_ptr(st->region_index);
  release_ptr(st->row_buffers);
  st->row_buffers_size = 0;
}

}  // namespace jcodec

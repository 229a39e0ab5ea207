// The marker parser: walks the segments of a stream, fills the frame, tables, JFIF, Adobe,
// comment and thumbnail state, and hands each scan to the decode driver.
#include <cstring>

#include "jpeg/internal.h"

namespace jcodec {

namespace {

constexpr int32_t kStop = 1000;  // a header read reached its stopping point
constexpr int32_t kMaxScans = 1000;
#ifdef VELDRA_FUZZ_CAP
constexpr int64_t kMaxFramePixels = int64_t(1) << 22;
#else
constexpr int64_t kMaxFramePixels = int64_t(65535) * 65535;
#endif

// A segment's data: length field read, payload taken (owned is freed by the holder).
struct Segment {
  const uint8_t* data = nullptr;
  size_t size = 0;
  uint8_t* owned = nullptr;
  ~Segment() { release(owned); }
};

int32_t read_length(JpegStream* s, int32_t* len) {
  int32_t rc = stream_u16(s, len);
  if (rc) return rc;
  return *len < 2 ? JPEG_ERR_DATA : 0;
}

int32_t take_payload(JpegStream* s, int32_t len, Segment* seg) {
  seg->size = static_cast<size_t>(len - 2);
  if (seg->size == 0) return 0;
  return stream_take_block(s, seg->size, &seg->data, &seg->owned);
}

int32_t read_segment(JpegStream* s, Segment* seg) {
  int32_t len = 0;
  int32_t rc = read_length(s, &len);
  if (rc) return rc;
  return take_payload(s, len, seg);
}

int32_t skip_segment(JpegStream* s) {
  int32_t len = 0;
  int32_t rc = read_length(s, &len);
  if (rc) return rc;
  return stream_skip(s, static_cast<size_t>(len - 2));
}

inline int32_t be16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

// ---- frame ------------------------------------------------------------------------------------------

int32_t read_sof(JPEG_PROPERTIES* st, int32_t code) {
  Segment seg;
  int32_t rc = read_segment(&st->stream, &seg);
  if (rc) return rc;
  if (code != 0xC0 && st->frame.present) return 0;  // SOF1/SOF2 after a frame: ignored
  // a second frame inside one read would resize the image under its scans
  if (st->frame.present && st->frame.sos_seen) return JPEG_ERR_MULTI_FRAME;
  if (seg.size < 6) return JPEG_ERR_DATA;
  const uint8_t* d = seg.data;
  const int32_t precision = d[0], height = be16(d + 1), width = be16(d + 3), nf = d[5];
  if (precision != 8) return JPEG_ERR_UNSUPPORTED_FRAME;
  if (height == 0) return JPEG_ERR_DNL;
  if (width == 0) return JPEG_ERR_SOF;
  if (nf == 0) return JPEG_ERR_COMP;
  if (seg.size != size_t(6 + 3 * nf)) return JPEG_ERR_DATA;
  for (int32_t i = 0; i < nf; ++i) {
    int32_t h = d[7 + 3 * i] >> 4, v = d[7 + 3 * i] & 15;
    if (h < 1 || h > 4 || v < 1 || v > 4) return JPEG_ERR_SOF;
  }
  if (int64_t(width) * height > kMaxFramePixels) return JPEG_ERR_MEMORY;

  // The frame is replaced with everything sized from it.
  JpegFrame& fr = st->frame;
  free_frame_buffers(st);
  free_scan(st);
  release_ptr(st->mcu_buf);
  release_ptr(st->parts);
  if (fr.comps_capacity < nf) {
    release_ptr(fr.comps);
    fr.comps_capacity = 0;
    fr.comps = alloc_array<JpegFrameComponent>(size_t(nf < 4 ? 4 : nf));
    if (!fr.comps) {
      fr.present = 0;
      fr.ncomp = 0;
      return JPEG_ERR_MEMORY;
    }
    fr.comps_capacity = nf < 4 ? 4 : nf;
  }
  std::memset(static_cast<void*>(fr.comps), 0, sizeof(JpegFrameComponent) * size_t(fr.comps_capacity));
  fr.present = 0;
  fr.ncomp = nf;
  fr.precision = precision;
  fr.height = height;
  fr.width = width;
  fr.marker = code;
  fr.progressive = code == 0xC2;
  fr.hmax = fr.vmax = 1;
  for (int32_t i = 0; i < nf; ++i) {
    JpegFrameComponent& c = fr.comps[i];
    c.id = d[6 + 3 * i];
    c.h = d[7 + 3 * i] >> 4;
    c.v = d[7 + 3 * i] & 15;
    c.tq = d[8 + 3 * i];
    // One component is never interleaved: its blocks are its MCUs whatever the factors say.
    if (nf == 1) c.h = c.v = 1;
    if (c.h > fr.hmax) fr.hmax = c.h;
    if (c.v > fr.vmax) fr.vmax = c.v;
  }
  fr.mcus_across = (width + 8 * fr.hmax - 1) / (8 * fr.hmax);
  fr.mcu_rows = (height + 8 * fr.vmax - 1) / (8 * fr.vmax);
  fr.mcu_total = int64_t(fr.mcus_across) * fr.mcu_rows;
  int32_t off = 0;
  for (int32_t i = 0; i < nf; ++i) {
    JpegFrameComponent& c = fr.comps[i];
    c.block_offset = off;
    off += c.h * c.v;
    int32_t cw = static_cast<int32_t>((int64_t(width) * c.h + fr.hmax - 1) / fr.hmax);
    int32_t chh = static_cast<int32_t>((int64_t(height) * c.v + fr.vmax - 1) / fr.vmax);
    c.blocks_w = (cw + 7) / 8;
    c.blocks_h = (chh + 7) / 8;
  }
  fr.blocks_per_mcu = off;
  st->mcu_buf = alloc_array<int16_t>(size_t(off) * 64);
  st->parts = alloc_array<JpegMcuPart>(size_t(nf));
  if (!st->mcu_buf || !st->parts) return JPEG_ERR_MEMORY;
  st->mcu_buf_blocks = size_t(off);
  fr.present = 1;
  fr.sos_seen = 0;
  st->f.jpg_channels = nf;
  st->f.jpg_width = width;
  st->f.jpg_height = height;
  compute_switches(st);
  return 0;
}

// ---- scan -------------------------------------------------------------------------------------------

int32_t check_scan(const JPEG_PROPERTIES* st, int32_t ns, int32_t ss, int32_t se, int32_t ah, int32_t al,
                   int32_t blocks) {
  if (!st->frame.progressive) {
    if (ss != 0 || se != 63 || ah != 0 || al != 0) return JPEG_ERR_DATA;
  } else {
    if (ss == 0) {
      if (se != 0) return JPEG_ERR_DATA;
    } else if (ss > se || se > 63 || ns != 1) {
      return JPEG_ERR_DATA;
    }
    if (ah > 13 || al > 13) return JPEG_ERR_DATA;
    if (ah != 0 && ah != al + 1) return JPEG_ERR_DATA;
  }
  if (ns > 1 && blocks > 10) return JPEG_ERR_DATA;
  return 0;
}

int32_t read_sos(JPEG_PROPERTIES* st) {
  JpegStream& s = st->stream;
  Segment seg;
  int32_t len = 0;
  int32_t rc = read_length(&s, &len);
  if (rc) return rc;
  rc = take_payload(&s, len, &seg);
  if (rc) return rc;
  JpegFrame& fr = st->frame;
  if (!fr.present) return JPEG_ERR_NO_FRAME;
  if (seg.size < 1) return JPEG_ERR_DATA;
  const uint8_t* d = seg.data;
  const int32_t ns = d[0];
  if (seg.size != size_t(4 + 2 * ns)) return JPEG_ERR_DATA;
  if (ns < 1 || ns > 4 || ns > fr.ncomp) return JPEG_ERR_DATA;
  JpegScanComponent comps[4];
  int32_t blocks = 0;
  for (int32_t i = 0; i < ns; ++i) {
    const int32_t id = d[1 + 2 * i], tt = d[2 + 2 * i];
    int32_t found = -1;
    for (int32_t k = 0; k < fr.ncomp; ++k)
      if (fr.comps[k].id == id) {
        found = k;
        break;
      }
    if (found < 0) return JPEG_ERR_DATA;
    for (int32_t k = 0; k < i; ++k)
      if (comps[k].comp == found) return JPEG_ERR_DATA;
    const int32_t td = tt >> 4, ta = tt & 15;
    if (td > 3 || ta > 3 || fr.comps[found].tq > 3) return JPEG_ERR_DATA;
    comps[i] = JpegScanComponent{found, fr.comps[found].h, fr.comps[found].v, td, ta, fr.comps[found].tq};
    blocks += fr.comps[found].h * fr.comps[found].v;
  }
  const int32_t ss = d[1 + 2 * ns], se = d[2 + 2 * ns], ah = d[3 + 2 * ns] >> 4, al = d[3 + 2 * ns] & 15;
  st->table->sos_length = len + 2;
  fr.sos_seen = 1;
  if (header_mode(st->io_mode)) {
    st->stop_position = st->marker_position;
    return kStop;
  }
  rc = check_scan(st, ns, ss, se, ah, al, blocks);
  if (rc) return rc;
  if (++st->scan_count > kMaxScans) return JPEG_ERR_DATA;
  const bool sequential = !fr.progressive;
  for (int32_t i = 0; i < ns; ++i) {
    if (ss == 0 && ah == 0 && !st->dc_tables[comps[i].dc_tbl].present) return JPEG_ERR_HUFFMAN;
    if (se > 0 && !st->ac_tables[comps[i].ac_tbl].present) return JPEG_ERR_HUFFMAN;
    fr.comps[comps[i].comp].dc_sel = comps[i].dc_tbl;
    fr.comps[comps[i].comp].ac_sel = comps[i].ac_tbl;
  }

  free_scan(st);
  JpegScan* sc = alloc_array<JpegScan>(1);
  if (!sc) return JPEG_ERR_MEMORY;
  std::memset(static_cast<void*>(sc), 0, sizeof *sc);
  sc->ns = ns;
  sc->ss = ss;
  sc->se = se;
  sc->ah = ah;
  sc->al = al;
  sc->restart_interval = st->restart_interval;
  for (int32_t i = 0; i < ns; ++i) sc->comp_store[i] = comps[i];
  sc->comps = sc->comp_store;
  sc->sequential = sequential;
  sc->start_offset = stream_position(&s);
  st->scan = sc;
  if (sequential) {
    if (ns < fr.ncomp && st->prog_scans == 0) st->interleave = 1;
  } else {
    const bool built_before = st->prog_built;
    if (ss == 0 && al == 0) st->dc_done += ns;
    if (ss > 0 && se == 63 && al == 0) st->ac_done += 1;
    ++st->prog_scans;
    if (!st->coef) {
      const size_t blocks_total = size_t(fr.mcu_total) * size_t(fr.blocks_per_mcu);
      st->coef = alloc_array<int16_t>(blocks_total * 64 > blocks_total ? blocks_total * 64 : 0);
      if (!st->coef) {
        free_scan(st);
        return JPEG_ERR_MEMORY;
      }
      st->coef_blocks = blocks_total;
    }
    if (st->prog_scans == 1) std::memset(st->coef, 0, st->coef_blocks * 64 * sizeof(int16_t));
    if (built_before) {
      st->prog_dirty = 1;
    } else if (st->dc_done >= fr.ncomp && st->ac_done >= fr.ncomp) {
      sc->builds_rows = 1;
      st->rows_built = 0;
    }
  }
  return 0;
}

// ---- application segments ------------------------------------------------------------------------------

int32_t copy_thumbnail(JPEG_PROPERTIES* st, int32_t tw, int32_t th, const uint8_t* rgb, const uint8_t* palette,
                       const uint8_t* index) {
  const int32_t ah = st->f.dib_height < 0 ? -st->f.dib_height : st->f.dib_height;
  if (tw > st->f.dib_width || th > ah || st->f.dib_channels < 3) return JPEG_ERR_THUMB_SMALL;
  uint8_t* origin = st->f.dib_bytes;
  if (st->f.dib_height < 0) origin += static_cast<ptrdiff_t>(ah - 1) * -st->dib_line_bytes;
  const bool rgb_order = st->f.dib_color == JPEG_COLOR_RGB;
  for (int32_t y = 0; y < th; ++y) {
    uint8_t* o = origin + static_cast<ptrdiff_t>(y) * st->dib_line_bytes;
    for (int32_t x = 0; x < tw; ++x, o += 3) {
      const uint8_t* px = palette ? palette + 3 * index[y * tw + x] : rgb + 3 * (y * tw + x);
      o[0] = rgb_order ? px[0] : px[2];
      o[1] = px[1];
      o[2] = rgb_order ? px[2] : px[0];
    }
  }
  return 0;
}

int32_t read_app0(JPEG_PROPERTIES* st) {
  JpegStream& s = st->stream;
  int32_t len = 0;
  int32_t rc = stream_u16(&s, &len);
  if (rc) return rc;
  if (len < 2) return 0;
  const size_t n = size_t(len - 2);
  // skipped by length: payload bytes such as FF C0 must not pass for markers
  if (st->io_mode == JPEG_READ_ENTROPY_FILE || n < 14 || n > 196622) return stream_skip(&s, n);
  Segment seg;
  rc = take_payload(&s, len, &seg);
  if (rc) return rc;
  if (st->frame.present) return 0;
  const uint8_t* d = seg.data;
  const bool thumb = st->io_mode == JPEG_READ_THUMB_FILE || st->io_mode == JPEG_READ_THUMB_MEM;
  // A tw x th RGB thumbnail at d + at: copied when asked for and whole; its size kept either way.
  auto rgb_thumbnail = [&](int32_t tw, int32_t th, size_t at) -> int32_t {
    if (thumb && n >= at + size_t(tw * th * 3)) {
      const int32_t copied = copy_thumbnail(st, tw, th, d + at, nullptr, nullptr);
      if (copied) return copied;
    }
    st->f.jpg_thumb_width = tw;
    st->f.jpg_thumb_height = th;
    return 0;
  };
  if (std::memcmp(d, "JFIF", 5) == 0) {
    st->jfif_seen = 1;
    st->jfif_version = static_cast<uint16_t>(be16(d + 5));
    st->jfif_units = d[7];
    st->jfif_xdensity = static_cast<uint16_t>(be16(d + 8));
    st->jfif_ydensity = static_cast<uint16_t>(be16(d + 10));
    const int32_t tw = d[12], th = d[13];
    if (tw && th) return rgb_thumbnail(tw, th, 14);
  } else if (std::memcmp(d, "JFXX", 5) == 0) {
    const int32_t ext = d[5], tw = d[6], th = d[7];
    if (ext == 0x13 && tw && th) {
      return rgb_thumbnail(tw, th, 8);
    } else if (ext == 0x11 && tw && th && thumb && n >= size_t(tw * th + 776)) {
      st->f.jpg_thumb_width = tw;
      st->f.jpg_thumb_height = th;
      rc = copy_thumbnail(st, tw, th, nullptr, d + 8, d + 776);
      if (rc) return rc;
    }
  }
  return 0;
}

int32_t read_app14(JPEG_PROPERTIES* st) {
  JpegStream& s = st->stream;
  int32_t len = 0;
  int32_t rc = read_length(&s, &len);
  if (rc) return rc;
  if (len < 14) return stream_skip(&s, size_t(len - 2));
  Segment seg;
  rc = take_payload(&s, len, &seg);
  if (rc) return rc;
  const uint8_t* d = seg.data;
  if (std::memcmp(d, "Adobe", 5) == 0) {
    st->adobe_version = static_cast<uint16_t>(be16(d + 5));
    st->adobe_flags0 = static_cast<uint16_t>(be16(d + 7));
    st->adobe_flags1 = static_cast<uint16_t>(be16(d + 9));
    st->adobe_transform = d[11];
    st->adobe_seen = 1;
  }
  return 0;
}

int32_t read_com(JPEG_PROPERTIES* st) {
  Segment seg;
  int32_t rc = read_segment(&st->stream, &seg);
  if (rc) return rc;
  if (st->frame.present || !st->jpeg_comment) return 0;
  const size_t room = st->jpeg_comment_size;
  if (seg.size) std::memcpy(st->jpeg_comment, seg.data, seg.size < room ? seg.size : room);
  st->jpeg_comment_size = static_cast<uint16_t>(seg.size);
  return seg.size > room ? JPEG_ERR_COMMENT : 0;
}

}  // namespace

int32_t parse(JPEG_PROPERTIES* st) {
  const int32_t mode = st->io_mode;
  JpegStream& s = st->stream;
  const bool resuming = st->scan && st->scan->progress[0] && image_mode(mode);
  st->stop_position = -1;
  if (!resuming) {
    free_scan(st);
    stream_reset(st);
    st->frame.sos_seen = 0;
    if (image_mode(mode)) {
      st->prog_scans = 0;
      st->dc_done = st->ac_done = st->seq_done = 0;
      st->prog_built = st->prog_dirty = 0;
      st->pixels_written = 0;
      st->rows_built = 0;
      st->scan_count = 0;
      st->interleave = 0;
      st->finished = 0;
      st->image_roi = st->roi;
    }
  }
  if (header_mode(mode)) {
    const uint8_t* p = nullptr;
    if (stream_take(&s, 2, &p) || p[0] != 0xFF || p[1] != 0xD8) return JPEG_ERR_NOT_JPEG;
    st->restart_interval = 0;
  }
  int32_t rc = 0;
  if (resuming) {
    int32_t marker = 0;
    rc = decode_scan(st, &marker);
    if (rc < 0 || rc == JPEG_INTERRUPTED) return rc;
    free_scan(st);
    if (rc == JPEG_ROI_SUCCESS) return rc;
  }
  for (;;) {
    int32_t code = 0;
    rc = stream_next_marker(&s, &code);
    if (rc) {
      // memory input ended while a marker was searched
      finish_image(st);
      return rc;
    }
    st->marker_position = stream_position(&s) - 2;
    if (code == 256) {
      if (header_mode(mode)) return 0;
      return finish_image(st);
    }
    switch (code) {
      case 0xC0:
      case 0xC1:
      case 0xC2:
        if (mode == 4 || mode == 5) {
          st->stop_position = st->marker_position;
          return 0;
        }
        rc = read_sof(st, code);
        break;
      case 0xC3: case 0xC5: case 0xC6: case 0xC7: case 0xC8: case 0xC9: case 0xCA: case 0xCB:
      case 0xCD: case 0xCE: case 0xCF:
        return JPEG_ERR_UNSUPPORTED_FRAME;
      case 0xC4: {
        Segment seg;
        rc = read_segment(&s, &seg);
        if (!rc) rc = read_dht(st, seg.data, seg.size);
        break;
      }
      case 0xDB: {
        Segment seg;
        rc = read_segment(&s, &seg);
        if (!rc) rc = read_dqt(st, seg.data, seg.size);
        break;
      }
      case 0xD0: case 0xD1: case 0xD2: case 0xD3: case 0xD4: case 0xD5: case 0xD6: case 0xD7:
        break;
      case 0xD8:
        st->restart_interval = 0;
        break;
      case 0xD9:
        if (header_mode(mode)) return 0;
        if (!st->frame.present) {
          // a table-only stream may be followed by the image
          int32_t next = 0;
          if (stream_next_marker(&s, &next) || next != 0xD8) return JPEG_ERR_NO_IMAGE;
          st->restart_interval = 0;
          break;
        }
        return finish_image(st);
      case 0xDA: {
        rc = read_sos(st);
        if (rc == kStop) return 0;
        if (rc) return rc;
        int32_t marker = 0;
        rc = decode_scan(st, &marker);
        if (rc < 0) return rc;
        if (rc == JPEG_INTERRUPTED) return rc;
        if (st->scan->sequential) st->seq_done += st->scan->ns;
        free_scan(st);
        if (rc == JPEG_ROI_SUCCESS) return rc;
        break;
      }
      case 0xDD: {
        Segment seg;
        int32_t len = 0;
        rc = read_length(&s, &len);
        if (rc) return rc;
        if (len != 4) return JPEG_ERR_DATA;
        rc = take_payload(&s, len, &seg);
        if (!rc) st->restart_interval = be16(seg.data);
        break;
      }
      case 0xE0:
        rc = read_app0(st);
        break;
      case 0xEE:
        rc = read_app14(st);
        break;
      case 0xFE:
        rc = read_com(st);
        break;
      default:  // DAC, DNL, DHP, EXP, other APPn and reserved markers
        rc = skip_segment(&s);
        break;
    }
    if (rc) return rc;
  }
}

}  // namespace jcodec

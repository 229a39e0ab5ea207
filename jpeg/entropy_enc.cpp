// Writing side of the Huffman coder: the bit writer and its output, the baseline block encoder,
// the progressive statistics and emitters and the optimal-table builder.
#include <cstring>

#include "jpeg/internal.h"

namespace jcodec {

namespace {

inline int32_t category(uint32_t v) {
  int32_t n = 0;
  while (v) {
    ++n;
    v >>= 1;
  }
  return n;
}

int32_t put_byte(JpegOutput* out, uint8_t b) {
  if (out->cur >= out->size) {
    if (!out->file) return JPEG_ERR_OUTPUT_SMALL;
    int64_t n = out->ops->write(out->file, out->buf, out->cur, out->ops->ctx);
    if (n != static_cast<int64_t>(out->cur)) return JPEG_ERR_FILE;
    out->cur = 0;
  }
  out->buf[out->cur++] = b;
  ++out->count;
  return 0;
}

int32_t put_stuffed(JpegOutput* out, uint8_t b) {
  int32_t rc = put_byte(out, b);
  if (!rc && b == 0xFF) rc = put_byte(out, 0);
  return rc;
}

int32_t emit_symbol(JpegOutput* out, const JpegHuffEncode* t, int32_t sym) {
  if (sym < 0 || sym > 255 || t->length[sym] == 0) return JPEG_ERR_HUFFMAN;  // no code for it
  return put_bits(out, t->code[sym], static_cast<int32_t>(t->length[sym]));
}

}  // namespace

int32_t jpeg_output_init(JpegOutput* out, uint8_t* buffer, size_t size) {
  if (out->file) {
    out->buf = out->file_buffer;
    out->size = sizeof out->file_buffer;
  } else {
    out->buf = buffer;
    out->size = buffer ? size : 0;
  }
  out->cur = 0;
  out->count = 0;
  out->acc = 0;
  out->free_bits = 8;
  out->eob_run = 0;
  return 0;
}

int32_t put_bits(JpegOutput* out, uint32_t value, int32_t count) {
  while (count > out->free_bits) {
    int32_t take = out->free_bits;
    uint32_t top = (value >> (count - take)) & ((1u << take) - 1);
    int32_t rc = put_stuffed(out, static_cast<uint8_t>(out->acc | top));
    if (rc) return rc;
    count -= take;
    out->acc = 0;
    out->free_bits = 8;
  }
  if (count > 0) {
    out->acc |= (value & ((1u << count) - 1)) << (out->free_bits - count);
    out->free_bits -= count;
  }
  if (out->free_bits == 0) {
    int32_t rc = put_stuffed(out, static_cast<uint8_t>(out->acc));
    if (rc) return rc;
    out->acc = 0;
    out->free_bits = 8;
  }
  return 0;
}

int32_t jpeg_output_bytes(const uint8_t* bytes, size_t count, JpegOutput* out) {
  if (out->free_bits < 8) {
    int32_t rc = put_stuffed(out, static_cast<uint8_t>(out->acc));
    if (rc) return rc;
    out->acc = 0;
    out->free_bits = 8;
  }
  for (size_t i = 0; i < count; ++i) {
    int32_t rc = put_byte(out, bytes[i]);
    if (rc) return rc;
  }
  return 0;
}

int32_t finish_output(JpegOutput* out, const JPEG_DISPATCH_TABLE* t) {
  int32_t rc = t->jpeg_output_bytes(nullptr, 0, out);
  if (rc) return rc;
  if (out->file && out->cur) {
    int64_t n = out->ops->write(out->file, out->buf, out->cur, out->ops->ctx);
    if (n != static_cast<int64_t>(out->cur)) return JPEG_ERR_FILE;
    out->cur = 0;
  }
  return 0;
}

int32_t encode_block(JpegOutput* out, const JpegHuffEncode* dc, const JpegHuffEncode* ac, int32_t* last_dc,
                     const int16_t* block) {
  int32_t diff = block[0] - *last_dc;
  *last_dc = block[0];
  uint32_t mag = static_cast<uint32_t>(diff < 0 ? -diff : diff);
  int32_t c = category(mag);
  if (c > 15) return JPEG_ERR_HUFFMAN;  // a DC difference needs at most 15 bits
  int32_t rc = emit_symbol(out, dc, c);
  if (rc) return rc;
  if (c) {
    rc = put_bits(out, static_cast<uint32_t>(diff < 0 ? diff - 1 : diff), c);
    if (rc) return rc;
  }
  int32_t run = 0;
  for (int k = 1; k < 64; ++k) {
    int32_t v = block[kZigzag[k]];
    if (v == 0) {
      ++run;
      continue;
    }
    while (run >= 16) {
      rc = emit_symbol(out, ac, 0xF0);
      if (rc) return rc;
      run -= 16;
    }
    uint32_t m = static_cast<uint32_t>(v < 0 ? -v : v);
    c = category(m);
    if (c > 15) return JPEG_ERR_HUFFMAN;  // -32768: no symbol holds its size
    rc = emit_symbol(out, ac, (run << 4) | c);
    if (rc) return rc;
    rc = put_bits(out, static_cast<uint32_t>(v < 0 ? v - 1 : v), c);
    if (rc) return rc;
    run = 0;
  }
  if (run > 0) return emit_symbol(out, ac, 0x00);
  return 0;
}

// ---- progressive ----------------------------------------------------------------------------------

void count_dc_first(const int16_t* block, int32_t* last_dc, int32_t al, uint32_t* dc_freq) {
  int32_t v = block[0] >> al;
  int32_t diff = v - *last_dc;
  *last_dc = v;
  ++dc_freq[category(static_cast<uint32_t>(diff < 0 ? -diff : diff))];
}

int32_t encode_dc_progressive(JpegOutput* out, const JpegHuffEncode* dc, const int16_t* block, int32_t* last_dc,
                              int32_t al) {
  int32_t v = block[0] >> al;
  int32_t diff = v - *last_dc;
  *last_dc = v;
  int32_t c = category(static_cast<uint32_t>(diff < 0 ? -diff : diff));
  if (c > 15) return JPEG_ERR_HUFFMAN;  // a DC difference needs at most 15 bits
  int32_t rc = emit_symbol(out, dc, c);
  if (rc || !c) return rc;
  return put_bits(out, static_cast<uint32_t>(diff < 0 ? diff - 1 : diff), c);
}

int32_t encode_dc_refine(JpegOutput* out, const int16_t* block, int32_t al) {
  return put_bits(out, static_cast<uint32_t>(block[0] >> al) & 1u, 1);
}

void count_eob_run(int32_t* eob_run, uint32_t* ac_freq) {
  if (*eob_run == 0) return;
  int32_t r = category(static_cast<uint32_t>(*eob_run)) - 1;
  ++ac_freq[r << 4];
  *eob_run = 0;
}

int32_t emit_eob_run(JpegOutput* out, const JpegHuffEncode* ac, int32_t* eob_run) {
  if (*eob_run == 0) return 0;
  int32_t r = category(static_cast<uint32_t>(*eob_run)) - 1;
  int32_t rc = emit_symbol(out, ac, r << 4);
  if (!rc && r) rc = put_bits(out, static_cast<uint32_t>(*eob_run), r);
  *eob_run = 0;
  return rc;
}

int32_t emit_zrl(JpegOutput* out, const JpegHuffEncode* ac) { return emit_symbol(out, ac, 0xF0); }

int32_t emit_correction_bits(JpegOutput* out, const uint8_t* bits, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    int32_t rc = put_bits(out, bits[i] & 1u, 1);
    if (rc) return rc;
  }
  return 0;
}

namespace {

// Shared walk of an AC first scan: emits through out/ac, or counts into freq when out is null.
int32_t ac_first_walk(JpegOutput* out, const JpegHuffEncode* ac, uint32_t* freq, const int16_t* block, int32_t ss,
                      int32_t se, int32_t al, int32_t* eob_run) {
  int32_t run = 0;
  for (int32_t k = ss; k <= se; ++k) {
    int32_t v = block[kZigzag[k]];
    int32_t bitsval;
    if (v < 0) {
      v = -v;
      v >>= al;
      bitsval = ~v;
    } else {
      v >>= al;
      bitsval = v;
    }
    if (v == 0) {
      ++run;
      continue;
    }
    if (*eob_run > 0) {
      if (out) {
        int32_t rc = emit_eob_run(out, ac, eob_run);
        if (rc) return rc;
      } else {
        count_eob_run(eob_run, freq);
      }
    }
    while (run > 15) {
      if (out) {
        int32_t rc = emit_zrl(out, ac);
        if (rc) return rc;
      } else {
        ++freq[0xF0];
      }
      run -= 16;
    }
    int32_t c = category(static_cast<uint32_t>(v));
    if (c > 15) return JPEG_ERR_HUFFMAN;  // -32768: no symbol holds its size
    if (out) {
      int32_t rc = emit_symbol(out, ac, (run << 4) | c);
      if (!rc) rc = put_bits(out, static_cast<uint32_t>(bitsval), c);
      if (rc) return rc;
    } else {
      ++freq[(run << 4) | c];
    }
    run = 0;
  }
  if (run > 0) {
    ++*eob_run;
    if (*eob_run == 0x7FFF) {
      if (out) return emit_eob_run(out, ac, eob_run);
      count_eob_run(eob_run, freq);
    }
  }
  return 0;
}

int32_t refine_flush(JpegOutput* out, const JpegHuffEncode* ac, uint32_t* freq, AcRefineState* rs) {
  if (rs->eob_run == 0 && rs->be == 0) return 0;
  if (out) {
    int32_t rc = emit_eob_run(out, ac, &rs->eob_run);
    if (!rc) rc = emit_correction_bits(out, rs->bits, rs->be);
    rs->be = 0;
    return rc;
  }
  count_eob_run(&rs->eob_run, freq);
  rs->be = 0;
  return 0;
}

int32_t ac_refine_walk(JpegOutput* out, const JpegHuffEncode* ac, uint32_t* freq, const int16_t* block, int32_t ss,
                       int32_t se, int32_t al, AcRefineState* rs) {
  int32_t absval[64];
  int32_t eob = 0;
  for (int32_t k = ss; k <= se; ++k) {
    int32_t v = block[kZigzag[k]];
    v = (v < 0 ? -v : v) >> al;
    absval[k] = v;
    if (v == 1) eob = k;
  }
  int32_t run = 0;
  int32_t br = 0;          // correction bits of this block
  int32_t br_start = rs->be;  // where they sit in the buffer
  for (int32_t k = ss; k <= se; ++k) {
    int32_t v = absval[k];
    if (v == 0) {
      ++run;
      continue;
    }
    while (run > 15 && k <= eob) {
      int32_t rc = refine_flush(out, ac, freq, rs);
      if (rc) return rc;
      if (out) {
        rc = emit_zrl(out, ac);
        if (!rc) rc = emit_correction_bits(out, rs->bits + br_start, br);
        if (rc) return rc;
      } else {
        ++freq[0xF0];
      }
      run -= 16;
      br_start = 0;
      br = 0;
    }
    if (v > 1) {
      if (br_start + br < 1000) rs->bits[br_start + br] = static_cast<uint8_t>(v & 1);
      ++br;
      continue;
    }
    int32_t rc = refine_flush(out, ac, freq, rs);
    if (rc) return rc;
    if (out) {
      rc = emit_symbol(out, ac, (run << 4) | 1);
      if (!rc) rc = put_bits(out, block[kZigzag[k]] < 0 ? 0u : 1u, 1);
      if (!rc) rc = emit_correction_bits(out, rs->bits + br_start, br);
      if (rc) return rc;
    } else {
      ++freq[(run << 4) | 1];
    }
    br_start = 0;
    br = 0;
    run = 0;
  }
  if (run > 0 || br > 0) {
    ++rs->eob_run;
    // keep this block's bits behind the pending ones
    if (br_start != rs->be) std::memmove(rs->bits + rs->be, rs->bits + br_start, static_cast<size_t>(br));
    rs->be += br;
    if (rs->eob_run == 0x7FFF || rs->be > 1000 - 63) return refine_flush(out, ac, freq, rs);
  }
  return 0;
}

}  // namespace

void count_ac_first(const int16_t* block, int32_t ss, int32_t se, int32_t al, int32_t* eob_run, uint32_t* ac_freq) {
  ac_first_walk(nullptr, nullptr, ac_freq, block, ss, se, al, eob_run);
}

int32_t encode_ac_first(JpegOutput* out, const JpegHuffEncode* ac, const int16_t* block, int32_t ss, int32_t se,
                        int32_t al, int32_t* eob_run) {
  return ac_first_walk(out, ac, nullptr, block, ss, se, al, eob_run);
}

void count_ac_refine(const int16_t* block, int32_t ss, int32_t se, int32_t al, AcRefineState* rs,
                     uint32_t* ac_freq) {
  ac_refine_walk(nullptr, nullptr, ac_freq, block, ss, se, al, rs);
}

int32_t encode_ac_refine(JpegOutput* out, const JpegHuffEncode* ac, const int16_t* block, int32_t ss, int32_t se,
                         int32_t al, AcRefineState* rs) {
  return ac_refine_walk(out, ac, nullptr, block, ss, se, al, rs);
}

int32_t flush_ac_refine(JpegOutput* out, const JpegHuffEncode* ac, AcRefineState* rs) {
  return refine_flush(out, ac, nullptr, rs);
}

// ---- optimal table (T.81 K.2, K.3) ---------------------------------------------------------------

int32_t build_optimal_huffman(const uint32_t freq_in[257], uint8_t bits[16], uint8_t huffval[256]) {
  int64_t freq[257];
  int32_t codesize[257];
  int32_t others[257];
  for (int i = 0; i < 257; ++i) {
    freq[i] = freq_in[i];
    codesize[i] = 0;
    others[i] = -1;
  }
  freq[256] = 1;  // reserves one code point so no code is all ones
  for (;;) {
    int32_t c1 = -1, c2 = -1;
    int64_t v = INT64_MAX;
    for (int i = 0; i <= 256; ++i)
      if (freq[i] && freq[i] <= v) {
        v = freq[i];
        c1 = i;
      }
    v = INT64_MAX;
    for (int i = 0; i <= 256; ++i)
      if (freq[i] && freq[i] <= v && i != c1) {
        v = freq[i];
        c2 = i;
      }
    if (c2 < 0) break;
    freq[c1] += freq[c2];
    freq[c2] = 0;
    ++codesize[c1];
    while (others[c1] >= 0) {
      c1 = others[c1];
      ++codesize[c1];
    }
    others[c1] = c2;
    ++codesize[c2];
    while (others[c2] >= 0) {
      c2 = others[c2];
      ++codesize[c2];
    }
  }
  int32_t count[33] = {};
  for (int i = 0; i <= 256; ++i)
    if (codesize[i]) count[codesize[i] > 32 ? 32 : codesize[i]]++;
  for (int i = 32; i > 16; --i) {
    while (count[i] > 0) {
      int j = i - 2;
      while (j > 0 && count[j] == 0) --j;
      count[i] -= 2;
      count[i - 1]++;
      count[j + 1] += 2;
      count[j]--;
    }
  }
  int i = 16;
  while (i > 0 && count[i] == 0) --i;
  if (i > 0) count[i]--;  // the reserved code point
  for (int l = 1; l <= 16; ++l) bits[l - 1] = static_cast<uint8_t>(count[l]);
  int32_t p = 0;
  for (int l = 1; l <= 32; ++l)
    for (int j = 0; j < 256; ++j)
      if (codesize[j] == l && p < 256) huffval[p++] = static_cast<uint8_t>(j);
  return p;
}

}  // namespace jcodec

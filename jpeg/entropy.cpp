// Reading side of the Huffman coder: the bit reader with marker detection, symbol decoding and
// the baseline and progressive block decoders.
#include <cstring>

#include "jpeg/internal.h"

namespace jcodec {

namespace {

constexpr int32_t kMarkerHit = 100;  // a marker ended the data before the bits asked for

inline uint32_t take_bits(JpegStream* in, int32_t n) {
  in->bits -= n;
  return static_cast<uint32_t>(in->acc >> in->bits) & ((1u << n) - 1);
}

// Takes plain data bytes while they last; fill_bits handles markers, fill bytes and the ends.
inline void quick_fill(JpegStream* in) {
  if (in->pending_marker || in->eof) return;  // nothing is taken past a marker
  const uint8_t* buf = in->buf;
  size_t cur = in->cur;
  const size_t end = in->end;
  uint64_t acc = in->acc;
  int32_t bits = in->bits;
  if (end - cur >= 8) {
    // eight bytes at once when none of them is 0xFF
    uint64_t w;
    std::memcpy(&w, buf + cur, sizeof w);
    const uint64_t x = ~w;
    if (((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) == 0) {
      w = __builtin_bswap64(w);
      const int32_t take = (63 - bits) >> 3;
      if (take > 0) {
        in->acc = (acc << (take * 8)) | (w >> (64 - take * 8));
        in->bits = bits + take * 8;
        in->cur = cur + size_t(take);
      }
      return;
    }
  }
  while (bits <= 56 && cur < end && buf[cur] != 0xFF) {
    acc = (acc << 8) | buf[cur++];
    bits += 8;
  }
  in->acc = acc;
  in->bits = bits;
  in->cur = cur;
}

inline int32_t need(JpegStream* in, int32_t n) { return in->bits >= n ? 0 : fill_bits(in, n); }

inline int32_t extend(uint32_t v, int32_t s) {
  return (v < (1u << (s - 1))) ? static_cast<int32_t>(v) + 1 - (1 << s) : static_cast<int32_t>(v);
}

// Refill of file input inside entropy data: the end of the file is "Error EOF".
int32_t refill_entropy(JpegStream* in) { return stream_refill(in) ? JPEG_ERR_EOF : 0; }

int32_t slow_symbol(JpegStream* in, const JpegHuffDecode* t, int32_t first_len, int32_t* sym) {
  int32_t rc = need(in, first_len);
  if (rc) return rc < 0 ? rc : kMarkerHit;
  int32_t code = static_cast<int32_t>(take_bits(in, first_len));
  int32_t len = first_len;
  while (len <= 16 && code > t->maxcode[len]) {
    rc = need(in, 1);
    if (rc) return rc < 0 ? rc : kMarkerHit;
    code = (code << 1) | static_cast<int32_t>(take_bits(in, 1));
    ++len;
  }
  if (len > 16) {
    *sym = 0;
    return 0;
  }
  int32_t idx = t->valptr[len] + code - t->mincode[len];
  *sym = (idx >= 0 && idx < 256) ? t->values[idx] : 0;
  return 0;
}

}  // namespace

int32_t fill_bits(JpegStream* in, int32_t want) {
  while (in->bits <= 56) {
    if (in->pending_marker) return in->bits >= want ? 0 : kMarkerHit;
    if (in->eof) {
      if (in->bits >= want) return 0;
      in->starved = 1;
      return kMarkerHit;
    }
    if (in->cur >= in->end) {
      if (in->file) {
        // The end of the file is only an error once a block needs the missing bits; the
        // scan loop turns that into "Error EOF" unless it was the last MCU.
        if (refill_entropy(in)) in->eof = 1;
        continue;
      }
      // Past the end of memory input the reader yields zeros.
      if (in->bits >= want) return 0;
      in->acc <<= 8;
      in->bits += 8;
      ++in->overrun;
      continue;
    }
    uint32_t b = in->buf[in->cur++];
    if (b == 0xFF) {
      uint32_t nb;
      for (;;) {
        if (in->cur >= in->end) {
          if (!in->file) return JPEG_ERR_DATA;
          if (refill_entropy(in)) return JPEG_ERR_EOF;
        }
        nb = in->buf[in->cur++];
        if (nb != 0xFF) break;
      }
      if (nb != 0) {
        in->pending_marker = static_cast<int32_t>(nb);
        return in->bits >= want ? 0 : kMarkerHit;
      }
    }
    in->acc = (in->acc << 8) | b;
    in->bits += 8;
  }
  return 0;
}

int32_t decode_symbol(JpegStream* in, const JpegHuffDecode* t, int32_t* sym) {
  if (in->bits < 16) quick_fill(in);
  if (in->bits < 16) {
    int32_t rc = fill_bits(in, 16);
    if (rc < 0) return rc;
  }
  if (in->bits >= 8) {
    uint32_t e = t->lookahead[(in->acc >> (in->bits - 8)) & 0xFF];
    if (e) {
      in->bits -= static_cast<int32_t>(e >> 16);
      *sym = static_cast<int32_t>(e & 0xFF);
      return 0;
    }
    return slow_symbol(in, t, 9, sym);
  }
  return slow_symbol(in, t, 1, sym);
}

// Reads s extended bits into *v; kMarkerHit or an error when they cannot be had.
static inline int32_t read_value(JpegStream* in, int32_t s, int32_t* v) {
  int32_t rc = need(in, s);
  if (rc) return rc < 0 ? rc : kMarkerHit;
  *v = extend(take_bits(in, s), s);
  return 0;
}

template <bool kKeepAc>
static int32_t decode_block_impl(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac,
                                 int32_t* last_dc, int16_t* block) {
  if (kKeepAc) {
    // a fixed-size clear the compiler keeps inline
    for (int i = 0; i < 64; i += 4) {
      const uint64_t zero = 0;
      std::memcpy(block + i, &zero, sizeof zero);
    }
  }
  // The bit register lives in locals; it goes back to the stream around every call out.
  uint64_t acc = in->acc;
  int32_t bits = in->bits;
  auto refill = [&](int32_t want) -> int32_t {
    in->acc = acc;
    in->bits = bits;
    quick_fill(in);
    int32_t rc = in->bits < want ? fill_bits(in, want) : 0;
    acc = in->acc;
    bits = in->bits;
    return rc;
  };
  // One symbol: the lookahead when 16 bits are held, else the length-by-length tables.
  auto symbol = [&](const JpegHuffDecode* t, int32_t* sym) -> int32_t {
    if (bits >= 16) {
      const uint32_t e = t->lookahead[(acc >> (bits - 8)) & 0xFF];
      if (e) {
        bits -= static_cast<int32_t>(e >> 16);
        *sym = static_cast<int32_t>(e & 0xFF);
        return 0;
      }
    }
    in->acc = acc;
    in->bits = bits;
    int32_t rc = decode_symbol(in, t, sym);
    acc = in->acc;
    bits = in->bits;
    return rc;
  };
  // s extended bits (kMarkerHit when they cannot be had).
  auto value = [&](int32_t s, int32_t* v) -> int32_t {
    if (bits < s) {
      int32_t rc = refill(s);
      if (rc < 0) return rc;
      if (bits < s) return kMarkerHit;
    }
    bits -= s;
    *v = extend(static_cast<uint32_t>(acc >> bits) & ((1u << s) - 1), s);
    return 0;
  };
  int32_t rc = 0;
  auto finish = [&](int32_t r) {
    in->acc = acc;
    in->bits = bits;
    return r == kMarkerHit ? 0 : r;
  };
  if (bits < 32 && (rc = refill(32)) < 0) return finish(rc);
  int32_t s = 0, v = 0;
  int32_t k = 1;
  if (bits >= 16) {
    const uint32_t e = dc->fast[(acc >> (bits - 10)) & 1023];
    if (e) {
      bits -= static_cast<int32_t>(e & 0xFF);
      *last_dc = static_cast<int16_t>(*last_dc + static_cast<int16_t>(e >> 16));
      block[0] = static_cast<int16_t>(*last_dc);
      goto ac;
    }
  }
  if ((rc = symbol(dc, &s)) != 0) return finish(rc);
  if (s > 15) s = 0;  // not a valid DC category
  if (s) {
    if ((rc = value(s, &v)) != 0) return finish(rc);
    *last_dc = static_cast<int16_t>(*last_dc + v);
  }
  block[0] = static_cast<int16_t>(*last_dc);
ac:
  while (k < 64) {
    // one refill covers a symbol (up to 16 bits) and its value (up to 15)
    if (bits < 32 && (rc = refill(32)) < 0) return finish(rc);
    if (bits >= 16) {
      const uint32_t e = ac->fast[(acc >> (bits - 10)) & 1023];
      if (e) {
        bits -= static_cast<int32_t>(e & 0xFF);
        if (e & 0x8000u) break;  // end of block
        k += static_cast<int32_t>((e >> 8) & 0x7F);
        if (kKeepAc) block[kZigzag[k]] = static_cast<int16_t>(e >> 16);
        ++k;
        continue;
      }
    }
    int32_t sym = 0;
    if ((rc = symbol(ac, &sym)) != 0) return finish(rc);
    const int32_t r = sym >> 4;
    s = sym & 15;
    if (s) {
      k += r;
      if ((rc = value(s, &v)) != 0) return finish(rc);
      if (kKeepAc) block[kZigzag[k]] = static_cast<int16_t>(v);
      ++k;
    } else if (r == 15) {
      k += 16;
    } else {
      break;
    }
  }
  return finish(0);
}

int32_t decode_block(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac, int32_t* last_dc,
                     int16_t* block) {
  return decode_block_impl<true>(in, dc, ac, last_dc, block);
}

int32_t decode_block_dc_only(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac,
                             int32_t* last_dc, int16_t* block) {
  return decode_block_impl<false>(in, dc, ac, last_dc, block);
}

// ---- progressive --------------------------------------------------------------------------------

int32_t decode_dc_first(JpegStream* in, const JpegHuffDecode* dc, int16_t* coef, int32_t* last_dc, int32_t al) {
  int32_t s = 0, v = 0;
  int32_t rc = decode_symbol(in, dc, &s);
  if (rc) return rc == kMarkerHit ? 0 : rc;
  if (s > 15) s = 0;
  if (s) {
    rc = read_value(in, s, &v);
    if (rc) return rc == kMarkerHit ? 0 : rc;
    *last_dc = static_cast<int16_t>(*last_dc + v);
  }
  *coef = static_cast<int16_t>(static_cast<uint32_t>(*last_dc) << al);
  return 0;
}

int32_t decode_dc_refine(JpegStream* in, int16_t* coef, int32_t al) {
  int32_t rc = need(in, 1);
  if (rc) return rc < 0 ? rc : 0;
  if (take_bits(in, 1)) *coef = static_cast<int16_t>(*coef | (1 << al));
  return 0;
}

int32_t decode_ac_first(JpegStream* in, int16_t* block, const JpegHuffDecode* ac, int32_t ss, int32_t se,
                        int32_t al) {
  if (in->eob_run > 0) {
    --in->eob_run;
    return 0;
  }
  for (int32_t k = ss; k <= se; ++k) {
    if (in->bits < 16) quick_fill(in);
    if (in->bits >= 16) {
      const uint32_t e = ac->fast[(in->acc >> (in->bits - 10)) & 1023];
      if (e && !(e & 0x8000u)) {
        in->bits -= static_cast<int32_t>(e & 0xFF);
        k += static_cast<int32_t>((e >> 8) & 0x7F);
        block[kZigzag[k]] = static_cast<int16_t>(static_cast<uint32_t>(static_cast<int16_t>(e >> 16)) << al);
        continue;
      }
    }
    int32_t sym = 0, v = 0;
    int32_t rc = decode_symbol(in, ac, &sym);
    if (rc) return rc == kMarkerHit ? 0 : rc;
    int32_t r = sym >> 4, s = sym & 15;
    if (s) {
      k += r;
      rc = read_value(in, s, &v);
      if (rc) return rc == kMarkerHit ? 0 : rc;
      block[kZigzag[k]] = static_cast<int16_t>(static_cast<uint32_t>(v) << al);
    } else if (r == 15) {
      k += 15;
    } else {
      int32_t run = 1 << r;
      if (r) {
        rc = need(in, r);
        if (rc) return rc < 0 ? rc : 0;
        run += static_cast<int32_t>(take_bits(in, r));
      }
      in->eob_run = run - 1;
      break;
    }
  }
  return 0;
}

int32_t decode_ac_refine(JpegStream* in, int16_t* block, const JpegHuffDecode* ac, int32_t ss, int32_t se,
                         int32_t al) {
  const int32_t p1 = 1 << al;
  const int32_t m1 = -p1;
  int32_t k = ss;
  int32_t rc = 0;
  // Applies a correction bit to an already non-zero coefficient.
  auto correct = [&](int16_t* c) -> int32_t {
    int32_t r2 = need(in, 1);
    if (r2) return r2 < 0 ? r2 : kMarkerHit;
    if (take_bits(in, 1) && (*c & p1) == 0) *c = static_cast<int16_t>(*c + (*c >= 0 ? p1 : m1));
    return 0;
  };
  if (in->eob_run == 0) {
    for (; k <= se; ++k) {
      int32_t sym = 0;
      rc = decode_symbol(in, ac, &sym);
      if (rc) return rc == kMarkerHit ? 0 : rc;
      int32_t r = sym >> 4, s = sym & 15;
      int32_t value = 0;
      if (s) {
        rc = need(in, 1);
        if (rc) return rc < 0 ? rc : 0;
        value = take_bits(in, 1) ? p1 : m1;
      } else if (r != 15) {
        int32_t run = 1 << r;
        if (r) {
          rc = need(in, r);
          if (rc) return rc < 0 ? rc : 0;
          run += static_cast<int32_t>(take_bits(in, r));
        }
        in->eob_run = run;
        break;
      }
      // Pass r zero coefficients (correcting the non-zero ones met), then place the new one.
      while (k <= se) {
        int16_t* c = &block[kZigzag[k]];
        if (*c != 0) {
          rc = correct(c);
          if (rc) return rc == kMarkerHit ? 0 : rc;
        } else {
          if (r == 0) break;
          --r;
        }
        ++k;
      }
      if (value) block[kZigzag[k]] = static_cast<int16_t>(value);
    }
  }
  if (in->eob_run > 0) {
    for (; k <= se; ++k) {
      int16_t* c = &block[kZigzag[k]];
      if (*c != 0) {
        rc = correct(c);
        if (rc) return rc == kMarkerHit ? 0 : rc;
      }
    }
    --in->eob_run;
  }
  return 0;
}

}  // namespace jcodec

// Reading side of the Huffman coder: the bit reader with marker detection, symbol decoding and
// the baseline and progressive block decoders.
#include <algorithm>
#include <cstring>

#include "jpeg/internal.h"
#include "jpeg/vector_kernels.h"

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

// Refill of file input inside entropy data: the end of the file is "Error EOF".
int32_t input_refill_file(JpegStream* in) { return stream_refill(in) ? JPEG_ERR_EOF : 0; }

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
        if (input_refill_file(in)) in->eof = 1;
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
          if (input_refill_file(in)) return JPEG_ERR_EOF;
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

// kZerosAfterMarker: a marker met inside the block is kept for the driver and the block goes on
// from zero bits (the vector decoders), instead of ending there. kFast: the ten-bit table.
template <bool kKeepAc, bool kZerosAfterMarker, bool kFast>
static int32_t decode_block_impl(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac,
                                 int32_t* last_dc, int16_t* block) {
  if (kKeepAc) {
    // a fixed-size clear the compiler keeps inline
    for (int i = 0; i < 64; i += 4) {
      const uint64_t zero = 0;
      std::memcpy(block + i, &zero, sizeof zero);
    }
  } else {
    // a DC cut off by the end of the data is 0 here too, never what the buffer held before
    block[0] = 0;
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
    if (kZerosAfterMarker && rc > 0 && in->pending_marker) {
      while (bits <= 56) {
        acc <<= 8;
        bits += 8;
      }
      rc = 0;
    }
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
  if (kFast && bits >= 16) {
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
    if (kFast && bits >= 16) {
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
  return decode_block_impl<true, false, true>(in, dc, ac, last_dc, block);
}

int32_t decode_block_dc_only(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac,
                             int32_t* last_dc, int16_t* block) {
  return decode_block_impl<false, false, true>(in, dc, ac, last_dc, block);
}

int32_t decode_block_v64a(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac, int32_t* last_dc,
                          int16_t* block) {
  return decode_block_impl<true, true, false>(in, dc, ac, last_dc, block);
}

int32_t decode_block_v64(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac, int32_t* last_dc,
                         int16_t* block) {
  return decode_block_impl<true, true, true>(in, dc, ac, last_dc, block);
}

int32_t decode_block_dc_only_v64(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac,
                                 int32_t* last_dc, int16_t* block) {
  return decode_block_impl<false, true, true>(in, dc, ac, last_dc, block);
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

namespace {

// The bit register of one progressive block held in locals. Every refill goes through the same
// calls, under the same conditions, as the stream-level readers above, so the stream ends in the
// same state (and reports the same markers, ends and errors) whichever path decoded a block.
struct BitReg {
  JpegStream* in;
  uint64_t acc;
  int32_t bits;

  explicit BitReg(JpegStream* s) : in(s), acc(s->acc), bits(s->bits) {}
  void sync() const {
    in->acc = acc;
    in->bits = bits;
  }
  void load() {
    acc = in->acc;
    bits = in->bits;
  }
  int32_t need(int32_t n) {
    if (bits >= n) return 0;
    sync();
    const int32_t rc = fill_bits(in, n);
    load();
    return rc;
  }
  uint32_t take(int32_t n) {
    bits -= n;
    return static_cast<uint32_t>(acc >> bits) & ((1u << n) - 1);
  }
  uint32_t take1() {
    --bits;
    return static_cast<uint32_t>(acc >> bits) & 1u;
  }
  void quick() {
    sync();
    quick_fill(in);
    load();
  }
  // decode_symbol with its refill from plain bytes and its lookahead step inline (a second
  // quick_fill inside decode_symbol takes nothing more).
  int32_t symbol(const JpegHuffDecode* t, int32_t* sym) {
    if (bits < 16) quick();
    if (bits >= 16) {
      const uint32_t e = t->lookahead[(acc >> (bits - 8)) & 0xFF];
      if (e) {
        bits -= static_cast<int32_t>(e >> 16);
        *sym = static_cast<int32_t>(e & 0xFF);
        return 0;
      }
    }
    sync();
    const int32_t rc = decode_symbol(in, t, sym);
    load();
    return rc;
  }
};

// Natural position -> zigzag position (the inverse of kZigzag's first 64 entries).
constexpr uint8_t kZigzagPos[64] = {
    0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42, 3,  8,  12, 17, 25, 30,
    41, 43, 9,  11, 18, 24, 31, 40, 44, 53, 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38,
    46, 51, 55, 60, 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};

// Zigzag bits of the coefficients of each group of four in natural order (0..15), for each
// pattern of which of the four are non-zero.
struct NibbleZigzag {
  uint64_t bits[16][16];
};
constexpr NibbleZigzag make_nibble_zigzag() {
  NibbleZigzag t{};
  for (int g = 0; g < 16; ++g)
    for (int n = 0; n < 16; ++n)
      for (int i = 0; i < 4; ++i)
        if (n >> i & 1) t.bits[g][n] |= uint64_t(1) << kZigzagPos[4 * g + i];
  return t;
}
constexpr NibbleZigzag kNibbleZigzag = make_nibble_zigzag();

// Bit j set when the coefficient at zigzag position j is non-zero. Four coefficients at a time
// in a 64-bit word: the top bit of each lane says the lane is non-zero, one multiply gathers
// the four, and a table maps them to their zigzag bits.
inline uint64_t nonzero_zigzag(const int16_t* block) {
  uint64_t zz = 0;
  for (int g = 0; g < 16; ++g) {
    uint64_t w;
    std::memcpy(&w, block + 4 * g, sizeof w);
    const uint64_t t = (((w & 0x7FFF7FFF7FFF7FFFull) + 0x7FFF7FFF7FFF7FFFull) | w) & 0x8000800080008000ull;
    zz |= kNibbleZigzag.bits[g][(t * 0x0000200040008001ull) >> 60];
  }
  return zz;
}

// For each byte value: the positions of its set bits in ascending order, one per byte of a
// little-endian word (the rest zero), and how many there are.
struct BitPositions {
  uint64_t packed[256];
  uint8_t count[256];
};
constexpr BitPositions make_bit_positions() {
  BitPositions t{};
  for (int b = 0; b < 256; ++b) {
    int n = 0;
    for (int i = 0; i < 8; ++i)
      if (b >> i & 1) t.packed[b] |= uint64_t(i) << (8 * n++);
    t.count[b] = static_cast<uint8_t>(n);
  }
  return t;
}
constexpr BitPositions kBitPositions = make_bit_positions();

// Writes the positions of the set bits of m in ascending order; returns how many. out needs
// room for 8 bytes past the last position.
inline int32_t list_bits(uint64_t m, uint8_t* out) {
  int32_t n = 0;
  for (int i = 0; i < 8; ++i) {
    const uint32_t b = static_cast<uint32_t>(m >> (8 * i)) & 0xFF;
    const uint64_t at = kBitPositions.packed[b] + uint64_t(8 * i) * 0x0101010101010101ull;
    std::memcpy(out + n, &at, sizeof at);
    n += kBitPositions.count[b];
  }
  return n;
}

inline int32_t popcount64(uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<int32_t>((x * 0x0101010101010101ull) >> 56);
}

// Bits [0, n) set, n in 0..64.
inline uint64_t low_bits(int32_t n) { return n >= 64 ? ~uint64_t(0) : (uint64_t(1) << n) - 1; }

}  // namespace

int32_t decode_ac_first(JpegStream* in, int16_t* block, const JpegHuffDecode* ac, int32_t ss, int32_t se,
                        int32_t al) {
  if (in->eob_run > 0) {
    --in->eob_run;
    return 0;
  }
  BitReg br(in);
  int32_t rc = 0;
  for (int32_t k = ss; k <= se; ++k) {
    if (br.bits < 16) br.quick();
    if (br.bits >= 16) {
      const uint32_t e = ac->fast[(br.acc >> (br.bits - 10)) & 1023];
      if (e && !(e & 0x8000u)) {
        br.bits -= static_cast<int32_t>(e & 0xFF);
        k += static_cast<int32_t>((e >> 8) & 0x7F);
        block[kZigzag[k]] = static_cast<int16_t>(static_cast<uint32_t>(static_cast<int16_t>(e >> 16)) << al);
        continue;
      }
    }
    int32_t sym = 0;
    if ((rc = br.symbol(ac, &sym)) != 0) break;
    const int32_t r = sym >> 4, s = sym & 15;
    if (s) {
      k += r;
      if ((rc = br.need(s)) != 0) break;
      const int32_t v = extend(br.take(s), s);
      block[kZigzag[k]] = static_cast<int16_t>(static_cast<uint32_t>(v) << al);
    } else if (r == 15) {
      k += 15;
    } else {
      int32_t run = 1 << r;
      if (r) {
        if ((rc = br.need(r)) != 0) break;
        run += static_cast<int32_t>(br.take(r));
      }
      in->eob_run = run - 1;
      break;
    }
  }
  br.sync();
  return rc == kMarkerHit ? 0 : rc;
}

int32_t decode_ac_refine(JpegStream* in, int16_t* block, const JpegHuffDecode* ac, int32_t ss, int32_t se,
                         int32_t al) {
  const int32_t p1 = 1 << al;
  BitReg br(in);
  // The band's non-zero coefficients (zigzag bits). Corrections never make a coefficient zero
  // and new values land on positions already passed, so this holds for the whole block.
  const uint64_t band = ss <= se ? low_bits(se + 1) & ~low_bits(ss) : 0;
  const uint64_t nz = band ? nonzero_zigzag(block) & band : 0;
  // One correction bit for each of the `count` non-zero coefficients in m, in order. With the
  // bits at hand they are taken at once, so the next symbol need not wait for the loop.
  auto correct = [&](uint64_t m, int32_t count) -> int32_t {
    if (count == 0) return 0;
    if (br.bits >= count) {
      br.bits -= count;
      const uint64_t cb = br.acc >> br.bits;
      int32_t i = count;
      while (m) {
        int16_t* cp = &block[kZigzag[__builtin_ctzll(m)]];
        m &= m - 1;
        const int32_t c = *cp;
        // c + (c >= 0 ? p1 : -p1) when the bit is set and the coefficient lacks it
        const int32_t apply = -static_cast<int32_t>(static_cast<uint32_t>(cb >> --i) & 1u & uint32_t((c & p1) == 0));
        *cp = static_cast<int16_t>(c + ((((c >> 31) | 1) * p1) & apply));
      }
      return 0;
    }
    while (m) {  // bit by bit, refilling as the stream reader does
      int16_t* cp = &block[kZigzag[__builtin_ctzll(m)]];
      m &= m - 1;
      const int32_t r2 = br.need(1);
      if (r2) return r2 < 0 ? r2 : kMarkerHit;
      if (br.take1() && (*cp & p1) == 0) *cp = static_cast<int16_t>(*cp + (*cp >= 0 ? p1 : -p1));
    }
    return 0;
  };
  int32_t k = ss;
  int32_t rc = 0;
  if (in->eob_run == 0 && band) {
    // Positions of the band's zeros in order, then se + 1 for runs that pass the last one.
    uint8_t zeros[64 + 16];
    const int32_t nzero = list_bits(band & ~nz, zeros);
    const uint64_t past = uint64_t(se + 1) * 0x0101010101010101ull;
    std::memcpy(zeros + nzero, &past, sizeof past);
    std::memcpy(zeros + nzero + 8, &past, sizeof past);
    int32_t zi = 0;  // first zero at or after k
    while (k <= se) {
      int32_t sym = 0;
      if ((rc = br.symbol(ac, &sym)) != 0) goto done;
      const int32_t r = sym >> 4, s = sym & 15;
      int32_t value = 0;
      if (s) {
        if ((rc = br.need(1)) != 0) goto done;
        value = br.take1() ? p1 : -p1;
      } else if (r != 15) {
        int32_t run = 1 << r;
        if (r) {
          if ((rc = br.need(r)) != 0) goto done;
          run += static_cast<int32_t>(br.take(r));
        }
        in->eob_run = run;
        break;
      }
      // Pass r zeros, correcting the non-zero coefficients met; the next zero (or the position
      // one past the band when they run out) takes the new value.
      const int32_t idx = zi + r;
      const int32_t t = zeros[idx];
      const int32_t passed = std::min(idx, nzero) - zi;
      if ((rc = correct(nz & low_bits(t) & ~low_bits(k), t - k - passed)) != 0) goto done;
      if (value) block[kZigzag[t]] = static_cast<int16_t>(value);
      k = t + 1;
      zi = idx + 1;
    }
  }
  if (in->eob_run > 0) {
    const uint64_t rest = nz & ~low_bits(k);
    if ((rc = correct(rest, popcount64(rest))) != 0) goto done;
    --in->eob_run;
  }
done:
  br.sync();
  return rc == kMarkerHit ? 0 : rc;
}

}  // namespace jcodec

// Vector Huffman coders of processor classes 3 to 6, encoder side: a 64-bit accumulator that
// leaves in 32-bit groups, four bytes at once when none of them is 0xFF. The decoders share the
// generic decoder's body (entropy.cpp) with the marker rule of the vector family.
#include <emmintrin.h>

#include <cstring>

#include "jpeg/internal.h"
#include "jpeg/vector_kernels.h"

namespace jcodec {

namespace {

enum class Sink { Memory, File, Any };

inline int32_t category(uint32_t v) { return v ? 32 - __builtin_clz(v) : 0; }

inline int32_t put_byte(JpegOutput* out, uint8_t b) {
  if (out->cur >= out->size) {
    if (!out->file) return JPEG_ERR_OUTPUT_SMALL;
    const int32_t rc = output_flush_file(out);
    if (rc) return rc;
  }
  out->buf[out->cur++] = b;
  ++out->count;
  return 0;
}

inline int32_t put_stuffed(JpegOutput* out, uint8_t b) {
  int32_t rc = put_byte(out, b);
  if (!rc && b == 0xFF) rc = put_byte(out, 0);
  return rc;
}

// The top 32 pending bits go out; 0xFF bytes are followed by 0x00.
template <Sink kSink>
inline int32_t emit_group(JpegBitSink* s) {
  JpegOutput* out = s->out;
  const bool file = kSink == Sink::File || (kSink == Sink::Any && out->file);
  if (file) {
    // room for a fully stuffed group
    if (out->size - out->cur < 8) {
      const int32_t rc = output_flush_file(out);
      if (rc) return rc;
    }
  } else if (out->size - out->cur < 4) {
    return JPEG_ERR_OUTPUT_SMALL;
  }
  const uint32_t top = static_cast<uint32_t>(s->acc >> 32);
  const uint32_t x = ~top;
  if (((x - 0x01010101u) & ~x & 0x80808080u) == 0) {
    const uint32_t be = __builtin_bswap32(top);
    std::memcpy(out->buf + out->cur, &be, sizeof be);
    out->cur += 4;
    out->count += 4;
  } else {
    for (int i = 3; i >= 0; --i) {
      const int32_t rc = put_stuffed(out, static_cast<uint8_t>(top >> (8 * i)));
      if (rc) return rc;
    }
  }
  s->acc <<= 32;
  s->pending -= 32;
  return 0;
}

template <Sink kSink>
inline int32_t put(JpegBitSink* s, uint32_t code, int32_t length) {
  if (length <= 0) return 0;
  const uint64_t v = length >= 32 ? code : code & ((1u << length) - 1);
  s->acc |= v << (64 - s->pending - length);
  s->pending += length;
  return s->pending > 32 ? emit_group<kSink>(s) : 0;
}

template <Sink kSink>
inline int32_t put_symbol(JpegBitSink* s, const JpegHuffEncode* t, int32_t sym) {
  if (sym > 255 || t->length[sym] == 0) return JPEG_ERR_HUFFMAN;  // no code for it
  return put<kSink>(s, t->code[sym], static_cast<int32_t>(t->length[sym]));
}

// DC difference: size category, its code, then the low bits (minus one when negative).
template <Sink kSink>
inline int32_t put_dc(JpegBitSink* s, const JpegHuffEncode* dc, int32_t* last_dc, const int16_t* block) {
  const int32_t diff = block[0] - *last_dc;
  *last_dc = block[0];
  const int32_t c = category(static_cast<uint32_t>(diff < 0 ? -diff : diff));
  int32_t rc = put_symbol<kSink>(s, dc, c);
  if (!rc && c) rc = put<kSink>(s, static_cast<uint32_t>(diff < 0 ? diff - 1 : diff), c);
  return rc;
}

template <Sink kSink>
inline int32_t put_ac(JpegBitSink* s, const JpegHuffEncode* ac, int32_t run, int32_t v) {
  int32_t rc = 0;
  while (run >= 16) {
    if ((rc = put_symbol<kSink>(s, ac, 0xF0)) != 0) return rc;
    run -= 16;
  }
  const int32_t c = category(static_cast<uint32_t>(v < 0 ? -v : v));
  if ((rc = put_symbol<kSink>(s, ac, (run << 4) | c)) != 0) return rc;
  return put<kSink>(s, static_cast<uint32_t>(v < 0 ? v - 1 : v), c);
}

template <Sink kSink>
int32_t encode_listed(JpegOutput* out, const JpegHuffEncode* dc, const JpegHuffEncode* ac, int32_t* last_dc,
                      const int16_t* block) {
  uint32_t list[64];
  const int32_t n = scan_block_v64(block, list);
  JpegBitSink s;
  bit_sink_open(&s, out);
  int32_t rc = put_dc<kSink>(&s, dc, last_dc, block);
  int32_t pos = 0;
  for (int32_t i = 0; !rc && i < n; ++i) {
    const int32_t run = static_cast<int32_t>(list[i] >> 16);
    pos += run + 1;
    rc = put_ac<kSink>(&s, ac, run, static_cast<int16_t>(list[i] & 0xFFFF));
  }
  if (!rc && pos != 63) rc = put_symbol<kSink>(&s, ac, 0x00);
  const int32_t rc2 = bit_sink_close(&s);
  return rc ? rc : rc2;
}

}  // namespace

void bit_sink_open(JpegBitSink* s, JpegOutput* out) {
  s->out = out;
  s->pending = 8 - out->free_bits;
  s->acc = static_cast<uint64_t>(out->acc & 0xFF) << 56;
}

int32_t bit_sink_close(JpegBitSink* s) {
  JpegOutput* out = s->out;
  int32_t rc = 0;
  while (s->pending >= 8) {
    if ((rc = put_stuffed(out, static_cast<uint8_t>(s->acc >> 56))) != 0) break;
    s->acc <<= 8;
    s->pending -= 8;
  }
  if (s->pending < 8) {
    out->acc = s->acc >> 56;
    out->free_bits = 8 - s->pending;
  }
  return rc;
}

int32_t scan_block_v64(const int16_t* block, uint32_t* list) {
  alignas(16) int16_t zz[64];
  for (int k = 0; k < 64; ++k) zz[k] = block[kZigzag[k]];
  uint64_t nonzero = 0;
  const __m128i zero = _mm_setzero_si128();
  for (int g = 0; g < 64; g += 16) {
    const __m128i a = _mm_cmpeq_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(zz + g)), zero);
    const __m128i b = _mm_cmpeq_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(zz + g + 8)), zero);
    const uint32_t m = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(a, b))) ^ 0xFFFFu;
    nonzero |= static_cast<uint64_t>(m) << g;
  }
  nonzero &= ~uint64_t(1);  // the DC goes its own way
  int32_t n = 0, prev = 0;
  while (nonzero) {
    const int32_t k = __builtin_ctzll(nonzero);
    nonzero &= nonzero - 1;
    list[n++] = static_cast<uint32_t>(k - prev - 1) << 16 | static_cast<uint16_t>(zz[k]);
    prev = k;
  }
  return n;
}

int32_t put_bits_memory_v64(uint32_t code, int32_t length, JpegBitSink* s) { return put<Sink::Memory>(s, code, length); }
int32_t put_bits_file_v64(uint32_t code, int32_t length, JpegBitSink* s) { return put<Sink::File>(s, code, length); }
int32_t put_bits_v64x(uint32_t code, int32_t length, JpegBitSink* s) { return put<Sink::Any>(s, code, length); }

int32_t output_flush_file(JpegOutput* out) {
  if (out->cur == 0) return 0;
  const int64_t n = out->ops->write(out->file, out->buf, out->cur, out->ops->ctx);
  if (n != static_cast<int64_t>(out->cur)) return JPEG_ERR_FILE;
  out->cur = 0;
  return 0;
}

int32_t encode_block_v64(JpegOutput* out, const JpegHuffEncode* dc, const JpegHuffEncode* ac, int32_t* last_dc,
                         const int16_t* block) {
  return out->file ? encode_listed<Sink::File>(out, dc, ac, last_dc, block)
                   : encode_listed<Sink::Memory>(out, dc, ac, last_dc, block);
}

int32_t encode_block_v64x(JpegOutput* out, const JpegHuffEncode* dc, const JpegHuffEncode* ac, int32_t* last_dc,
                          const int16_t* block) {
  JpegBitSink s;
  bit_sink_open(&s, out);
  int32_t rc = put_dc<Sink::Any>(&s, dc, last_dc, block);
  int32_t run = 0;
  for (int k = 1; !rc && k < 64; ++k) {
    const int32_t v = block[kZigzag[k]];
    if (v == 0) {
      ++run;
      continue;
    }
    rc = put_ac<Sink::Any>(&s, ac, run, v);
    run = 0;
  }
  if (!rc && run > 0) rc = put_symbol<Sink::Any>(&s, ac, 0x00);
  const int32_t rc2 = bit_sink_close(&s);
  return rc ? rc : rc2;
}

int32_t output_bytes_v64(const uint8_t* bytes, size_t count, JpegOutput* out) {
  if (out->free_bits < 8) {
    // pending bits as a whole byte, padded with zeros
    const int32_t rc = put_stuffed(out, static_cast<uint8_t>(out->acc));
    if (rc) return rc;
    out->acc = 0;
    out->free_bits = 8;
  }
  if (!bytes) return 0;
  if (!out->file) {
    if (out->size - out->cur < count) return JPEG_ERR_OUTPUT_SMALL;
    if (count) std::memcpy(out->buf + out->cur, bytes, count);
    out->cur += count;
    out->count += count;
    return 0;
  }
  while (count) {
    if (out->cur >= out->size) {
      const int32_t rc = output_flush_file(out);
      if (rc) return rc;
    }
    const size_t n = count < out->size - out->cur ? count : out->size - out->cur;
    std::memcpy(out->buf + out->cur, bytes, n);
    out->cur += n;
    out->count += n;
    bytes += n;
    count -= n;
  }
  return 0;
}

int32_t jpeg_output_init_v64(JpegOutput* out, uint8_t* buffer, size_t size) {
  return jpeg_output_init(out, buffer, size);
}

}  // namespace jcodec

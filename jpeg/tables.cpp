// Quantisation and Huffman tables: the standard tables, DQT/DHT reading, code generation for
// decoding and encoding, quality scaling and the DQT/DHT writers.
#include <cmath>
#include <cstring>

#include "jpeg/internal.h"

namespace jcodec {

const uint8_t kZigzag[80] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13,
    6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31,
    39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
    // a corrupt run cannot index past the block
    63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};

namespace {

constexpr uint8_t kLumaNatural[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr uint8_t kChromaNatural[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

struct ZigzagTable {
  uint8_t v[64];
};
ZigzagTable to_zigzag(const uint8_t* natural) {
  ZigzagTable t{};
  for (int k = 0; k < 64; ++k) t.v[k] = natural[kZigzag[k]];
  return t;
}
const ZigzagTable kLumaZz = to_zigzag(kLumaNatural);
const ZigzagTable kChromaZz = to_zigzag(kChromaNatural);

struct AanTable {
  double v[64];
};
AanTable make_aan() {
  AanTable t{};
  const double pi = 3.14159265358979323846;
  auto s = [&](int i) { return i == 0 ? 1.0 : std::sqrt(2.0) * std::cos(i * pi / 16.0); };
  for (int k = 0; k < 64; ++k) {
    int n = kZigzag[k];
    double x = s(n >> 3) * s(n & 7) / 8.0;
    t.v[k] = std::round(x * 1e6) / 1e6;
  }
  return t;
}
const AanTable kAan = make_aan();

}  // namespace

const uint8_t (&kStdLumaQuant)[64] = kLumaZz.v;
const uint8_t (&kStdChromaQuant)[64] = kChromaZz.v;
const double (&kAanScale)[64] = kAan.v;

const uint8_t kDcLumaBits[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
const uint8_t kDcLumaVals[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const uint8_t kDcChromaBits[16] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
const uint8_t kDcChromaVals[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const uint8_t kAcLumaBits[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
const uint8_t kAcLumaVals[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
    0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
    0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37,
    0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
    0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3,
    0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
    0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
    0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};
const uint8_t kAcChromaBits[16] = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
const uint8_t kAcChromaVals[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
    0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
    0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36,
    0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
    0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a,
    0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba,
    0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
    0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

const int32_t kFastRecipK[64] = {
    4096,  2953,  2953,  3134, 2129, 3134,  3483,  2260,  2260,  3483,  4096,  2511,  2399,  2511,  4096,  5213,
    2953,  2666,  2666,  2953, 5213, 7568,  3758,  3134,  2962,  3134,  3758,  7568,  14846, 5456,  3990,  3483,
    3483,  3990,  5456,  14846, 10703, 5792, 4433,  4096,  4433,  5792,  10703, 11362, 6436,  5213,  5213,  6436,
    11362, 12625, 7568,  6635, 7568, 12625, 14846, 9632,  9632,  14846, 18895, 13984, 18895, 27432, 27432, 53810};

// ---- Huffman code generation ----------------------------------------------------------------------

namespace {

// HUFFSIZE / HUFFCODE of T.81 Annex C. A code that does not fit its length means the counts
// are over-subscribed; refusing it keeps the lookahead fill inside its 256 entries.
int32_t generate_codes(const uint8_t counts[16], uint8_t sizes[257], uint16_t codes[257], int32_t* total) {
  int32_t k = 0;
  uint32_t code = 0;
  for (int len = 1; len <= 16; ++len) {
    for (int i = 0; i < counts[len - 1]; ++i) {
      if (k >= 256) return JPEG_ERR_HUFFMAN;
      if (code >= (1u << len)) return JPEG_ERR_HUFFMAN;
      sizes[k] = static_cast<uint8_t>(len);
      codes[k] = static_cast<uint16_t>(code);
      ++code;
      ++k;
    }
    code <<= 1;
  }
  *total = k;
  return 0;
}

}  // namespace

int32_t build_decode_table(const uint8_t counts[16], const uint8_t* values, int32_t tclass, int32_t number,
                           JpegHuffDecode* t) {
  t->tclass = tclass;
  t->number = number;
  t->present = 0;
  uint8_t sizes[257];
  uint16_t codes[257];
  int32_t total = 0;
  int32_t rc = generate_codes(counts, sizes, codes, &total);
  if (rc) return rc;
  // DC categories above 15 would shift by impossible counts.
  if (tclass == 0)
    for (int32_t i = 0; i < total; ++i)
      if (values[i] > 15) return JPEG_ERR_HUFFMAN;
  int32_t p = 0;
  for (int len = 1; len <= 16; ++len) {
    int n = counts[len - 1];
    if (n) {
      t->valptr[len] = p;
      t->mincode[len] = codes[p];
      t->maxcode[len] = codes[p + n - 1];
      p += n;
    } else {
      t->valptr[len] = 0;
      t->mincode[len] = 0;
      t->maxcode[len] = -1;
    }
  }
  t->valptr[0] = t->mincode[0] = 0;
  t->maxcode[0] = -1;
  t->maxcode[17] = -1;
  std::memset(t->values, 0, sizeof t->values);
  std::memcpy(t->values, values, static_cast<size_t>(total));
  std::memset(t->lookahead, 0, sizeof t->lookahead);
  for (int32_t i = 0; i < total; ++i) {
    int len = sizes[i];
    if (len > 8) break;
    int shift = 8 - len;
    uint32_t first = static_cast<uint32_t>(codes[i]) << shift;
    for (uint32_t j = 0; j < (1u << shift); ++j)
      t->lookahead[first + j] = (static_cast<uint32_t>(len) << 16) | values[i];
  }
  // Symbol and extended value in one look-up for short codes with short values.
  constexpr int kFastBits = 10;
  std::memset(t->fast, 0, sizeof t->fast);
  for (int32_t i = 0; i < total; ++i) {
    const int len = sizes[i];
    if (len > kFastBits) break;
    const int sym = values[i];
    const int r = tclass == 0 ? 0 : sym >> 4, s = tclass == 0 ? sym : sym & 15;
    if (tclass != 0 && s == 0 && r == 15) continue;  // a run of sixteen zeros: the symbol path
    if (len + s > kFastBits) continue;
    const int shift = kFastBits - len;
    const uint32_t first = static_cast<uint32_t>(codes[i]) << shift;
    for (uint32_t j = 0; j < (1u << shift); ++j) {
      uint32_t e;
      if (tclass != 0 && s == 0) {
        e = 0x8000u | static_cast<uint32_t>(len);
      } else {
        int32_t v = 0;
        if (s) {
          v = static_cast<int32_t>(j >> (shift - s));
          if (v < (1 << (s - 1))) v += 1 - (1 << s);
        }
        e = (static_cast<uint32_t>(static_cast<uint16_t>(v)) << 16) | (static_cast<uint32_t>(r) << 8) |
            static_cast<uint32_t>(len + s);
      }
      t->fast[first + j] = e;
    }
  }
  t->present = 1;
  return 0;
}

int32_t build_encode_table(const uint8_t counts[16], const uint8_t* values, JpegHuffEncode* t) {
  std::memset(t->length, 0, sizeof t->length);
  std::memset(t->code, 0, sizeof t->code);
  t->present = 0;
  uint8_t sizes[257];
  uint16_t codes[257];
  int32_t total = 0;
  int32_t rc = generate_codes(counts, sizes, codes, &total);
  if (rc) return rc;
  for (int32_t i = 0; i < total; ++i) {
    t->code[values[i]] = codes[i];
    t->length[values[i]] = sizes[i];
  }
  t->present = 1;
  return 0;
}

void scale_quant_table(int32_t quality, const uint8_t base[64], int16_t out[64]) {
  if (quality <= 0) quality = 1;
  if (quality > 100) quality = 100;
  int32_t s = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  for (int k = 0; k < 64; ++k) {
    int32_t v = (base[k] * s + 50) / 100;
    if (v < 1) v = 1;
    if (v > 255) v = 255;
    out[k] = static_cast<int16_t>(v);
  }
}

// ---- segment readers --------------------------------------------------------------------------------

int32_t read_dqt(JPEG_PROPERTIES* st, const uint8_t* data, size_t len) {
  if (len > 516) return JPEG_ERR_DATA;
  size_t p = 0;
  while (p < len) {
    int32_t pq = data[p] >> 4;
    int32_t tq = data[p] & 15;
    ++p;
    if (tq > 3) return JPEG_ERR_QUANT;
    size_t need = pq ? 128 : 64;
    if (len - p < need) return JPEG_ERR_DATA;  // the table must lie inside its segment
    if (st->quant_count < tq + 1) st->quant_count = tq + 1;
    int16_t values[64];
    for (int k = 0; k < 64; ++k)
      values[k] = pq ? static_cast<int16_t>((data[p + 2 * k] << 8) | data[p + 2 * k + 1])
                     : static_cast<int16_t>(data[p + k]);
    bool caller_has = false;
    for (auto& cq : st->caller_quant)
      if (cq.read_values && cq.number == tq) {
        std::memcpy(cq.read_values, data + p, need);
        caller_has = true;
      }
    // Caller tables switched on replace what the stream supplies.
    if (!(st->caller_quant_on && caller_has)) {
      JpegQuantSlot& q = st->quant[tq];
      q.precision = pq ? 1 : 0;
      q.present = 1;
      std::memcpy(q.values, values, sizeof values);
    }
    p += need;
  }
  return 0;
}

int32_t read_dht(JPEG_PROPERTIES* st, const uint8_t* data, size_t len) {
  if (len > 1091) return JPEG_ERR_DATA;
  size_t p = 0;
  while (p < len) {
    int32_t b = data[p++];
    if (b >= 32 || (b & 15) > 3) return JPEG_ERR_HUFFMAN;
    int32_t tc = b >> 4, th = b & 15;
    if (len - p < 16) return JPEG_ERR_DATA;
    const uint8_t* counts = data + p;
    size_t total = 0;
    for (int i = 0; i < 16; ++i) total += counts[i];
    if (total > 256) return JPEG_ERR_HUFFMAN;  // validated before any copy
    if (len - p - 16 < total) return JPEG_ERR_DATA;
    const uint8_t* values = counts + 16;
    if (st->pair_count < th + 1) st->pair_count = th + 1;
    bool caller_has = false;
    for (auto& ch : st->caller_huff)
      if (ch.counts && ch.values && ch.tclass == tc && ch.number == th) {
        std::memcpy(ch.counts, counts, 16);
        std::memcpy(ch.values, values, total);
        caller_has = true;
      }
    if (!(st->caller_huff_on && caller_has)) {
      JpegHuffDecode* t = tc == 0 ? &st->dc_tables[th] : &st->ac_tables[th];
      if (build_decode_table(counts, values, tc, th, t)) return JPEG_ERR_HUFFMAN;
      int32_t& cnt = tc == 0 ? st->dc_count : st->ac_count;
      if (cnt < 4) ++cnt;
    }
    p += 16 + total;
  }
  return 0;
}

int32_t install_caller_read_tables(JPEG_PROPERTIES* st) {
  if (st->caller_quant_on) {
    for (auto& cq : st->caller_quant) {
      if (!cq.read_values || cq.number < 0 || cq.number > 3) continue;
      JpegQuantSlot& q = st->quant[cq.number];
      for (int k = 0; k < 64; ++k) q.values[k] = static_cast<int16_t>(cq.read_values[k]);
      q.precision = 1;
      q.present = 1;
      if (st->quant_count < cq.number + 1) st->quant_count = cq.number + 1;
    }
  }
  if (st->caller_huff_on) {
    for (auto& ch : st->caller_huff) {
      if (!ch.counts || !ch.values) continue;
      if (ch.tclass > 1 || ch.number > 3) return JPEG_ERR_HUFFMAN;
      size_t total = 0;
      for (int i = 0; i < 16; ++i) total += ch.counts[i];
      if (total > 256) return JPEG_ERR_HUFFMAN;
      JpegHuffDecode* t = ch.tclass == 0 ? &st->dc_tables[ch.number] : &st->ac_tables[ch.number];
      if (build_decode_table(ch.counts, ch.values, ch.tclass, ch.number, t)) return JPEG_ERR_HUFFMAN;
    }
  }
  return 0;
}

// ---- writing ----------------------------------------------------------------------------------------

int32_t install_default_tables(JPEG_PROPERTIES* st) {
  bool caller_quant = false;
  if (st->caller_quant_on)
    for (auto& cq : st->caller_quant) caller_quant |= cq.write_values != nullptr;
  if (!caller_quant) {
    for (int t = 0; t < 2; ++t) {
      const uint8_t* base = t == 0 ? kStdLumaQuant : kStdChromaQuant;
      for (int k = 0; k < 64; ++k) st->quant[t].values[k] = base[k];
      st->quant[t].precision = 0;
      st->quant[t].present = 1;
    }
    st->quant_count = 2;
  }
  bool caller_huff = false;
  if (st->caller_huff_on)
    for (auto& ch : st->caller_huff) caller_huff |= ch.counts && ch.values;
  if (!caller_huff) {
    st->caller_huff_on = 0;
    st->dc_count = st->ac_count = st->pair_count = 2;
    for (int i = 0; i < 4; ++i) {
      st->sel_dc[i] = i == 0 ? 0 : 1;
      st->sel_ac[i] = i == 0 ? 0 : 1;
    }
  }
  return 0;
}

int32_t write_dqt(JpegOutput* out, const JPEG_DISPATCH_TABLE* t, int32_t precision, int32_t number,
                  const int16_t values[64]) {
  uint8_t seg[4 + 1 + 128];
  size_t n = 0;
  int32_t length = precision ? 131 : 67;
  seg[n++] = 0xFF;
  seg[n++] = 0xDB;
  seg[n++] = static_cast<uint8_t>(length >> 8);
  seg[n++] = static_cast<uint8_t>(length);
  seg[n++] = static_cast<uint8_t>((precision << 4) | number);
  for (int k = 0; k < 64; ++k) {
    if (precision) seg[n++] = static_cast<uint8_t>(static_cast<uint16_t>(values[k]) >> 8);
    seg[n++] = static_cast<uint8_t>(values[k]);
  }
  return t->jpeg_output_bytes(seg, n, out);
}

int32_t write_dht(JpegOutput* out, const JPEG_DISPATCH_TABLE* t, const uint8_t counts[16], const uint8_t* values,
                  int32_t tclass, int32_t number) {
  size_t total = 0;
  for (int i = 0; i < 16; ++i) total += counts[i];
  if (total > 305) return JPEG_ERR_HUFFMAN;
  uint8_t seg[5 + 16 + 305];
  size_t n = 0;
  size_t length = 19 + total;
  seg[n++] = 0xFF;
  seg[n++] = 0xC4;
  seg[n++] = static_cast<uint8_t>(length >> 8);
  seg[n++] = static_cast<uint8_t>(length);
  seg[n++] = static_cast<uint8_t>((tclass << 4) | number);
  std::memcpy(seg + n, counts, 16);
  n += 16;
  std::memcpy(seg + n, values, total);
  n += total;
  return t->jpeg_output_bytes(seg, n, out);
}

namespace {

struct HuffSource {
  const uint8_t* counts;
  const uint8_t* values;
};

HuffSource huff_source(const JPEG_PROPERTIES* st, int32_t tclass, int32_t number) {
  if (st->caller_huff_on)
    for (auto& ch : st->caller_huff)
      if (ch.counts && ch.values && ch.tclass == tclass && ch.number == number) return {ch.counts, ch.values};
  if (tclass == 0) return number == 0 ? HuffSource{kDcLumaBits, kDcLumaVals} : HuffSource{kDcChromaBits, kDcChromaVals};
  return number == 0 ? HuffSource{kAcLumaBits, kAcLumaVals} : HuffSource{kAcChromaBits, kAcChromaVals};
}

}  // namespace

int32_t prepare_encoder_tables(JPEG_PROPERTIES* st, JpegOutput* out, int16_t recip[4][80]) {
  for (int32_t t = 0; t < st->quant_count && t < 4; ++t) {
    const uint8_t* base = t == 0 ? kStdLumaQuant : kStdChromaQuant;
    if (st->caller_quant_on)
      for (auto& cq : st->caller_quant)
        if (cq.write_values && cq.number == t) base = cq.write_values;
    int16_t scaled[64];
    scale_quant_table(st->f.quality, base, scaled);
    std::memcpy(st->quant[t].values, scaled, sizeof scaled);
    st->quant[t].present = 1;
    if (st->dct_method != 0 && st->dct_method != 1) return JPEG_ERR_PROPS;
    if (out) {
      int32_t rc = write_dqt(out, st->table, 0, t, scaled);
      if (rc) return rc;
    }
    if (st->dct_method == 0)
      prepare_fast_encoder(scaled, recip[t]);
    else
      prepare_accurate_encoder(scaled, recip[t]);
  }
  for (int32_t p = 0; p < st->pair_count && p < 4; ++p) {
    for (int32_t c = 0; c < 2; ++c) {
      HuffSource src = huff_source(st, c, p);
      if (out) {
        int32_t rc = write_dht(out, st->table, src.counts, src.values, c, p);
        if (rc) return rc;
      }
      if (build_encode_table(src.counts, src.values, c == 0 ? &st->enc_dc[p] : &st->enc_ac[p]))
        return JPEG_ERR_HUFFMAN;
    }
  }
  return 0;
}

}  // namespace jcodec

// Cake chunks: sizes, the writer and the one reader behind both kinds of open file.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/log/log.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/cake/cake.h"
#include "graphics/cake/cake_internal.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/poly/poly.h"
#include "graphics/poly/poly_geom.h"
#include "graphics/primitives/bitmap8.h"
#include "graphics/rle/rle.h"
#include "plat/bytes.h"
#include "plat/files.h"

namespace {

constexpr uint32_t kPaletteColours = 256;

// Tags whose payload is kept as plain bytes, with their fixed size and allocation message.
struct PlainTag {
  uint32_t tag;
  uint32_t size;
  const char* alloc_error;
};
constexpr PlainTag kPlainTags[] = {
    {CAKE_TAG_HEAD, 4, "memory alloc error(read head_cake)"},
    {CAKE_TAG_COMN, 4, "memory alloc error(read common_cake)"},
    {CAKE_TAG_FRAM, 20, "memory alloc error(read frame_cake)"},
    {CAKE_TAG_END, 4, "memory alloc error(read end_cake)"},
    {CAKE_TAG_BLANK, 4, "memory alloc error(read dummy_cake)"},
    {CAKE_TAG_INFO, 80, "memory alloc error(read info_cake)"},
};

const PlainTag* plain_tag(uint32_t tag) {
  for (const PlainTag& p : kPlainTags)
    if (p.tag == tag) return &p;
  return nullptr;
}

void put_pixels_555(plat::ByteWriter& w, const uint16_t* px, size_t n) {
  for (size_t i = 0; i < n; ++i) w.u16(pixel_ops.to_555(px[i]));
}

bool sane_side(uint32_t v) { return v <= static_cast<uint32_t>(BITMAP16_MAX_SIZE); }

}  // namespace

uint32_t cake_chunk_size(uint32_t tag, const void* object) {
  if (!object) return 0;
  if (const PlainTag* p = plain_tag(tag)) return p->size;
  switch (tag) {
    case CAKE_TAG_RLE: {
      const auto* img = static_cast<const RLE_IMAGE*>(object);
      return img->stream_size + 4 * img->height + 12;
    }
    case CAKE_TAG_POLY:
      return POLY_RECORD_SIZE;
    case CAKE_TAG_BMP: {
      const auto* bm = static_cast<const BITMAP16*>(object);
      return bm->pitch * bm->height + 12;
    }
    case CAKE_TAG_IMG:
    case CAKE_TAG_ALF: {
      const auto* bm = static_cast<const BITMAP8*>(object);
      return bm->width * bm->height + 8;
    }
    case CAKE_TAG_PAL:
      return 2 * kPaletteColours;
    case CAKE_TAG_OFFS:
      return 4 * static_cast<const CAKE_OFFS*>(object)->count + 4;
    default:
      return 0;
  }
}

void cake_chunk_bytes(plat::ByteWriter& w, uint32_t tag, const void* object) {
  const uint32_t size = cake_chunk_size(tag, object);
  w.u32(tag);
  w.u32(size);
  if (!size || !object) return;
  if (plain_tag(tag)) {
    w.bytes(object, size);
    return;
  }
  switch (tag) {
    case CAKE_TAG_RLE:
      rle_write_payload(w, static_cast<const RLE_IMAGE*>(object));
      break;
    case CAKE_TAG_POLY:
      poly_write(w, *static_cast<const POLY*>(object));
      break;
    case CAKE_TAG_BMP: {
      const auto* bm = static_cast<const BITMAP16*>(object);
      w.u32(bm->width);
      w.u32(bm->height);
      w.u32(bm->pitch);
      // The pitch's padding words are written too, as 555 like the pixels.
      for (uint32_t y = 0; y < bm->height; ++y) put_pixels_555(w, bm->rows[y], bm->pitch / 2);
      break;
    }
    case CAKE_TAG_IMG:
    case CAKE_TAG_ALF: {
      const auto* bm = static_cast<const BITMAP8*>(object);
      w.u32(bm->width);
      w.u32(bm->height);
      for (uint32_t y = 0; y < bm->height; ++y) w.bytes(bm->rows[y], bm->width);
      break;
    }
    case CAKE_TAG_PAL:
      put_pixels_555(w, static_cast<const uint16_t*>(object), kPaletteColours);
      break;
    case CAKE_TAG_OFFS: {
      const auto* offs = static_cast<const CAKE_OFFS*>(object);
      w.u32(offs->count);
      for (uint32_t i = 0; i < offs->count; ++i) w.u32(offs->positions[i]);
      break;
    }
    default:
      break;
  }
}

int cake_write_chunk(plat::File* file, uint32_t tag, const void* object) {
  if (!file) return -1;
  plat::ByteWriter w;
  cake_chunk_bytes(w, tag, object);
  return file->write(w.data().data(), w.size()) == w.size() ? 0 : -1;
}

void cake_free_chunk(uint32_t tag, void* object) {
  if (!object) return;
  switch (tag) {
    case CAKE_TAG_RLE: {
      auto* img = static_cast<RLE_IMAGE*>(object);
      rle_free(&img);
      break;
    }
    case CAKE_TAG_BMP: {
      auto* bm = static_cast<BITMAP16*>(object);
      bitmap16_free(&bm);
      break;
    }
    case CAKE_TAG_IMG:
    case CAKE_TAG_ALF: {
      auto* bm = static_cast<BITMAP8*>(object);
      bitmap8_free(&bm);
      break;
    }
    case CAKE_TAG_POLY:
      poly_free(static_cast<POLY*>(object));
      break;
    default:  // PAL, OFFS and the plain payloads are single malloc'd blocks
      std::free(object);
      break;
  }
}

CAKE_OFFS* cake_offs_alloc(uint32_t count) {
  if (count > (1u << 24)) return nullptr;
  return static_cast<CAKE_OFFS*>(std::calloc(1, 4 + 4 * static_cast<size_t>(count)));
}

void cake_offs_free(CAKE_OFFS* offs) { std::free(offs); }

namespace {

// Builds the object of one payload of `size` bytes standing at the source; null (logged) when
// it is refused or cannot be made. The caller moves past the payload whatever happens.
void* read_object(StreamSource& src, uint32_t tag, uint32_t size) {
  if (const PlainTag* p = plain_tag(tag)) {
    void* block = std::calloc(1, size);
    if (!block) {
      sys_log(1, p->alloc_error);
      return nullptr;
    }
    if (!src.read(block, size)) {
      std::free(block);
      return nullptr;
    }
    return block;
  }
  switch (tag) {
    case CAKE_TAG_RLE:
      return rle_read_payload(src, size);
    case CAKE_TAG_POLY: {
      std::vector<uint8_t> bytes(POLY_RECORD_SIZE);
      if (size < POLY_RECORD_SIZE || !src.read(bytes.data(), bytes.size())) return nullptr;
      plat::ByteReader r(bytes.data(), bytes.size());
      const POLY poly = poly_read(r);
      if (poly.count < 0 || poly.count >= POLY_LIST_SIZE) {
        sys_log_printf(1, "poly chunk with %d points dropped", poly.count);
        return nullptr;
      }
      POLY* out = poly_alloc();
      if (!out) {
        sys_log(1, "memory alloc error(read poly)");
        return nullptr;
      }
      *out = poly;
      return out;
    }
    case CAKE_TAG_BMP: {
      uint32_t w = 0, h = 0, pitch = 0;
      if (size < 12 || !src.u32(w) || !src.u32(h) || !src.u32(pitch)) return nullptr;
      if (!sane_side(w) || !sane_side(h) || static_cast<uint64_t>(pitch) * h + 12 > size) {
        sys_log(1, "bmp chunk size error");
        return nullptr;
      }
      BITMAP16* bm = bitmap16_create(static_cast<int32_t>(w), static_cast<int32_t>(h));
      if (!bm) {
        sys_log(1, "memory alloc error(read BMP)");
        return nullptr;
      }
      // Rows are stored at the file's pitch; what fits the bitmap's own pitch is kept.
      std::vector<uint8_t> row(pitch);
      const size_t keep = std::min<size_t>(pitch, bm->pitch);
      for (uint32_t y = 0; y < h; ++y) {
        if (!src.read(row.data(), pitch)) {
          bitmap16_free(&bm);
          return nullptr;
        }
        std::memcpy(bm->rows[y], row.data(), keep);
        for (size_t x = 0; x < keep / 2; ++x) bm->rows[y][x] = pixel_ops.from_555(bm->rows[y][x]);
      }
      return bm;
    }
    case CAKE_TAG_IMG:
    case CAKE_TAG_ALF: {
      uint32_t w = 0, h = 0;
      if (size < 8 || !src.u32(w) || !src.u32(h)) return nullptr;
      if (!sane_side(w) || !sane_side(h) || static_cast<uint64_t>(w) * h + 8 > size) {
        sys_log(1, "image chunk size error");
        return nullptr;
      }
      BITMAP8* bm = bitmap8_create(static_cast<int32_t>(w), static_cast<int32_t>(h));
      if (!bm) {
        sys_log(1, tag == CAKE_TAG_IMG ? "memory alloc error(read IMG)" : "memory alloc error(read ALF)");
        return nullptr;
      }
      for (uint32_t y = 0; y < h; ++y) {
        if (!src.read(bm->rows[y], w)) {
          bitmap8_free(&bm);
          return nullptr;
        }
      }
      return bm;
    }
    case CAKE_TAG_PAL: {
      if (size < 2 * kPaletteColours) return nullptr;
      auto* pal = static_cast<uint16_t*>(std::calloc(kPaletteColours, 2));
      if (!pal) {
        sys_log(1, "memory alloc error(read PAL)");
        return nullptr;
      }
      uint8_t bytes[2 * kPaletteColours];
      if (!src.read(bytes, sizeof bytes)) {
        std::free(pal);
        return nullptr;
      }
      plat::ByteReader r(bytes, sizeof bytes);
      for (uint32_t i = 0; i < kPaletteColours; ++i) pal[i] = pixel_ops.from_555(r.u16("colour"));
      return pal;
    }
    case CAKE_TAG_OFFS: {
      uint32_t count = 0;
      if (size < 4 || !src.u32(count)) return nullptr;
      if (4ull * count + 4 > size) {
        sys_log(1, "offset chunk size error");
        return nullptr;
      }
      CAKE_OFFS* offs = cake_offs_alloc(count);
      if (!offs) {
        sys_log(1, "memory alloc error(read offset_cake)");
        return nullptr;
      }
      offs->count = count;
      for (uint32_t i = 0; i < count; ++i) {
        if (!src.u32(offs->positions[i])) {
          cake_offs_free(offs);
          return nullptr;
        }
      }
      return offs;
    }
    default:
      return nullptr;
  }
}

}  // namespace

int64_t cake_read_chunk(StreamSource& src, uint32_t* tag, void** object) {
  *object = nullptr;
  *tag = 0;
  uint32_t t = 0, size = 0;
  const int64_t start = src.tell();
  if (!src.u32(t) || !src.u32(size)) return -1;
  *tag = t;
  if (size == 0) return 8;
  if (size > static_cast<uint64_t>(src.remaining())) return -1;
  // Fixed-size payloads must have their size; a different one is skipped whole.
  const PlainTag* plain = plain_tag(t);
  void* obj = nullptr;
  if (!plain || plain->size == size) obj = read_object(src, t, size);
  // Whatever was made (or not), the next chunk starts after this payload.
  if (!src.seek(start + 8 + size)) {
    cake_free_chunk(t, obj);
    return -1;
  }
  *object = obj;
  return 8 + static_cast<int64_t>(size);
}

int64_t cake_read_file(plat::File* file, uint32_t* tag, void** object) {
  if (!tag || !object) return -1;
  FileSource src(file);
  return cake_read_chunk(src, tag, object);
}

int64_t cake_read_chunk_pak(PAK_FILE* file, uint32_t* tag, void** object) {
  if (!tag || !object) return -1;
  PakSource src(file);
  return cake_read_chunk(src, tag, object);
}

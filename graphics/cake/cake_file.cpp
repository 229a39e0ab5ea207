// Cake files: the animation writer and the readers (whole animation, one frame, the count).
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "core/log/log.h"
#include "core/pak/pak.h"
#include "graphics/cake/cake.h"
#include "graphics/cake/cake_internal.h"
#include "graphics/poly/poly.h"
#include "graphics/poly/poly_geom.h"
#include "graphics/rle/rle.h"
#include "plat/bytes.h"
#include "plat/cp936.h"
#include "plat/files.h"
#include "plat/platform.h"

namespace {

struct Word {
  uint8_t bytes[4];
  explicit Word(uint32_t v) : bytes{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                    static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)} {}
};

void frame_record(const CAKE_FRAME& f, uint8_t out[20]) {
  plat::ByteWriter w;
  w.i32(f.offset_x);
  w.i32(f.offset_y);
  w.i32(f.anchor_x);
  w.i32(f.anchor_y);
  w.u32(f.word5);
  std::copy(w.data().begin(), w.data().end(), out);
}

void take_record(CAKE_FRAME& f, const void* record) {
  if (!record) return;
  plat::ByteReader r(record, 20);
  f.offset_x = r.i32("offset x");
  f.offset_y = r.i32("offset y");
  f.anchor_x = r.i32("anchor x");
  f.anchor_y = r.i32("anchor y");
  f.word5 = r.u32("fifth word");
}

// Writes the frame's image and polygon chunks where it has them.
bool write_parts(plat::File* file, const CAKE_FRAME* f) {
  if (!f) return true;
  if (f->rle && cake_write_chunk(file, CAKE_TAG_RLE, f->rle) != 0) return false;
  if (f->poly && cake_write_chunk(file, CAKE_TAG_POLY, f->poly) != 0) return false;
  return true;
}

template <class T>
void replace(T*& slot, void* object) {
  if (slot) cake_free_chunk(std::is_same_v<T, RLE_IMAGE> ? CAKE_TAG_RLE : CAKE_TAG_POLY, slot);
  slot = static_cast<T*>(object);
}

int read_frames(StreamSource& src, CAKE_NODE** out) {
  *out = nullptr;
  CAKE_NODE* head = cake_new_frame_node();
  if (!head) return -1;
  CAKE_NODE* last = head;
  CAKE_FRAME* current = head->frame;
  for (;;) {
    uint32_t tag = 0;
    void* object = nullptr;
    if (cake_read_chunk(src, &tag, &object) < 0) {
      sys_log(1, "cake stream ends before END");
      break;
    }
    if (tag == CAKE_TAG_FRAM) {
      CAKE_NODE* node = cake_new_frame_node();
      if (node) {
        take_record(*node->frame, object);
        node->prev = last;
        last->next = node;
        last = node;
        current = node->frame;
      }
      cake_free_chunk(tag, object);
    } else if (tag == CAKE_TAG_RLE) {
      replace(current->rle, object);
    } else if (tag == CAKE_TAG_POLY) {
      replace(current->poly, object);
    } else {
      cake_free_chunk(tag, object);
      if (tag == CAKE_TAG_END) break;
    }
  }
  *out = head;
  return 0;
}

struct PakCloser {
  void operator()(PAK_FILE* f) const { pak_fclose(f); }
};

}  // namespace

int save_cake_frame_ani_to_stream(plat::File* file, const CAKE_NODE* head) {
  if (!file) return -2;
  const Word version(0x00010000), zero(0);
  if (cake_write_chunk(file, CAKE_TAG_HEAD, version.bytes) != 0 ||
      cake_write_chunk(file, CAKE_TAG_COMN, zero.bytes) != 0 || !write_parts(file, head ? head->frame : nullptr))
    return -2;
  const int64_t offs_at = file->tell();
  CAKE_OFFS* offs = cake_offs_alloc(static_cast<uint32_t>(cake_list_count(head)));
  if (!offs) {
    sys_log(1, "create offset cake error in save_cake_frame_ani_to_file()");
    return -2;
  }
  offs->count = static_cast<uint32_t>(cake_list_count(head));
  bool ok = cake_write_chunk(file, CAKE_TAG_OFFS, offs) == 0;
  uint32_t i = 0;
  for (const CAKE_NODE* node = head ? head->next : nullptr; ok && node; node = node->next, ++i) {
    if (!node->frame) continue;  // keeps position 0 and writes nothing
    offs->positions[i] = static_cast<uint32_t>(file->tell());
    uint8_t record[20];
    frame_record(*node->frame, record);
    ok = cake_write_chunk(file, CAKE_TAG_FRAM, record) == 0 && write_parts(file, node->frame);
  }
  ok = ok && cake_write_chunk(file, CAKE_TAG_END, zero.bytes) == 0;
  const int64_t end_at = file->tell();
  ok = ok && file->seek(offs_at, SEEK_SET) && cake_write_chunk(file, CAKE_TAG_OFFS, offs) == 0 &&
       file->seek(end_at, SEEK_SET);
  cake_offs_free(offs);
  return ok ? 0 : -2;
}

int save_cake_frame_ani_to_file(const char* path, const CAKE_NODE* head) {
  if (!path) return -2;
  std::unique_ptr<plat::File> file = plat::get().files().open(plat::cp936::asciiLower(path), "wb");
  if (!file) {
    sys_log_printf(1, "file %s open error", path);
    return -2;
  }
  return save_cake_frame_ani_to_stream(file.get(), head);
}

int cake_read_frames_file(plat::File* file, CAKE_NODE** head) {
  if (!head) return -1;
  *head = nullptr;
  if (!file) return -1;
  FileSource src(file);
  return read_frames(src, head);
}

int cake_read_frames_pak_stream(PAK_FILE* file, CAKE_NODE** head) {
  if (!head) return -1;
  *head = nullptr;
  if (!file) return -1;
  PakSource src(file);
  return read_frames(src, head);
}

int cake_load_frames_pak(const char* path, CAKE_NODE** head) {
  if (!head) return -2;
  *head = nullptr;
  std::unique_ptr<PAK_FILE, PakCloser> file(path ? pak_fopen(path, "rb") : nullptr);
  if (!file) {
    sys_log_printf(1, "file %s open error", path ? path : "");
    return -2;
  }
  return cake_read_frames_pak_stream(file.get(), head) == 0 ? 0 : -2;
}

int cake_read_frame(const char* path, int32_t index, CAKE_FRAME** frame) {
  if (!frame) return -1;
  *frame = nullptr;
  if (index < 0 || !path) return -1;
  std::unique_ptr<PAK_FILE, PakCloser> file(pak_fopen(path, "rb"));
  if (!file) {
    sys_log_printf(1, "file %s open error", path);
    return -1;
  }
  PakSource src(file.get());
  RLE_IMAGE* common_rle = nullptr;
  POLY* common_poly = nullptr;
  CAKE_OFFS* offs = nullptr;
  CAKE_FRAME* result = nullptr;
  auto fail = [&]() {
    rle_free(&common_rle);
    poly_free(common_poly);
    cake_offs_free(offs);
    cake_free_frame(&result);
    return -1;
  };
  uint32_t tag = 0;
  void* object = nullptr;
  // The head and "COMN": their words are not used.
  for (int i = 0; i < 2; ++i) {
    if (cake_read_chunk(src, &tag, &object) < 0) {
      sys_log_printf(1, "can't find offset cake from the file %s", path);
      return fail();
    }
    cake_free_chunk(tag, object);
  }
  for (int i = 0; i < 3 && !offs; ++i) {
    if (cake_read_chunk(src, &tag, &object) < 0) break;
    if (tag == CAKE_TAG_OFFS && object) offs = static_cast<CAKE_OFFS*>(object);
    else if (tag == CAKE_TAG_RLE) replace(common_rle, object);
    else if (tag == CAKE_TAG_POLY) replace(common_poly, object);
    else cake_free_chunk(tag, object);
  }
  if (!offs) {
    sys_log_printf(1, "can't find offset cake from the file %s", path);
    return fail();
  }
  if (static_cast<uint32_t>(index) >= offs->count) {
    sys_log_printf(1, "frame out range from file %s", path);
    return fail();
  }
  const uint32_t position = offs->positions[index];
  tag = 0;
  object = nullptr;
  if (!src.seek(position) || cake_read_chunk(src, &tag, &object) < 0 || tag != CAKE_TAG_FRAM || !object) {
    cake_free_chunk(tag, object);
    sys_log_printf(1, "can't find frame %d data of file %s", index, path);
    return fail();
  }
  result = cake_new_frame();
  if (!result) {
    cake_free_chunk(tag, object);
    return fail();
  }
  take_record(*result, object);
  cake_free_chunk(tag, object);
  for (int i = 0; i < 2; ++i) {
    if (cake_read_chunk(src, &tag, &object) < 0) break;
    if (tag == CAKE_TAG_RLE && !result->rle) result->rle = static_cast<RLE_IMAGE*>(object);
    else if (tag == CAKE_TAG_POLY && !result->poly) result->poly = static_cast<POLY*>(object);
    else cake_free_chunk(tag, object);
  }
  // A frame without its own image or polygon takes the common one.
  if (!result->rle) std::swap(result->rle, common_rle);
  if (!result->poly) std::swap(result->poly, common_poly);
  rle_free(&common_rle);
  poly_free(common_poly);
  cake_offs_free(offs);
  *frame = result;
  return 0;
}

int32_t cake_count_frames_file(const char* path) {
  if (!path) return 0;
  std::unique_ptr<plat::File> file = plat::get().files().open(path, "rb");
  if (!file) {
    sys_log_printf(1, "file %s open error", path);
    return 0;
  }
  FileSource src(file.get());
  for (;;) {
    uint32_t tag = 0;
    void* object = nullptr;
    if (cake_read_chunk(src, &tag, &object) < 0) return 0;
    if (tag == CAKE_TAG_OFFS && object) {
      const auto count = static_cast<int32_t>(std::min<uint32_t>(static_cast<CAKE_OFFS*>(object)->count, INT32_MAX));
      cake_free_chunk(tag, object);
      return count;
    }
    cake_free_chunk(tag, object);
  }
}

// Cake files and frame lists: the writer's layout, the readers (stdio, PAK, one frame, the
// count), damaged files, the list walks, copies, extent, and real frames in the software cursor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/pak/pak.h"
#include "engine/input/input_cursor.h"
#include "engine/input/input_state.h"
#include "engine/timer/timer.h"
#include "graphics/cake/cake.h"
#include "graphics/poly/poly_geom.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/poly/poly.h"
#include "graphics/primitives/bitmap8.h"
#include "graphics/rle/rle.h"
#include "plat/bytes.h"
#include "plat/files.h"
#include "plat/platform.h"
#include "tests/graphics/gfx_test_support.h"
#include "tests/graphics/picture_file_test.h"
#include "tests/graphics/rle_test_support.h"
#include "tools/mkpak/mkpak.h"

namespace {

using gfxt::Bitmap;
using Bytes = std::vector<uint8_t>;

class Cake : public gfxt::PictureFileTest {
 protected:
  void SetUp() override {
    PictureFileTest::SetUp();
    pak_reset();
  }
  void TearDown() override {
    cake_free_frame_list(&list);
    pak_reset();
    PictureFileTest::TearDown();
  }

  // An image of colours the 555 files hold exactly.
  static RLE_IMAGE* image(uint32_t seed, int w, int h) {
    std::mt19937 rng(seed);
    rlet::Sprite s = rlet::random_sprite(rng, w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) s.bitmap->rows[y][x] = pixel_ops.from_555(pixel_ops.to_555(s.bitmap->rows[y][x]));
    return rle_encode(s.bitmap.get(), s.mask.get());
  }
  static POLY* poly(int32_t count) {
    POLY* p = poly_alloc();
    p->count = count;
    p->kind = 3;
    for (int i = 0; i < POLY_LIST_SIZE; ++i) p->x[i] = 10 * i - 7, p->y[i] = 3 * i, p->top[i] = 40;
    p->base_d = -5;
    return p;
  }
  CAKE_NODE* append(CAKE_NODE* last, bool with_frame = true) {
    CAKE_NODE* node = cake_new_frame_node();
    if (!with_frame) cake_free_frame(&node->frame);
    node->prev = last;
    last->next = node;
    return node;
  }
  // head (common parts as asked) and frames: 0 image + polygon, 1 image, 2 no frame, 3 polygon.
  void build(bool common) {
    list = cake_new_frame_node();
    if (common) {
      list->frame->rle = image(100, 7, 5);
      list->frame->poly = poly(4);
    }
    CAKE_NODE* n = append(list);
    *n->frame = CAKE_FRAME{1, -2, 30, 40, 0xDEADBEEF, poly(5), image(1, 20, 12)};
    n = append(n);
    n->frame->rle = image(2, 9, 9);
    n->frame->offset_x = 5;
    n = append(n, false);
    n = append(n);
    n->frame->poly = poly(15);
    n->frame->anchor_x = -3;
  }
  // Saved under path; the bytes read back from rel (the host name, default the path).
  Bytes save(const char* path, const char* rel = nullptr) {
    EXPECT_EQ(save_cake_frame_ani_to_file(path, list), 0);
    const std::string s = dir.read(rel ? rel : path);
    return Bytes(s.begin(), s.end());
  }
  void put(const std::string& rel, const Bytes& b) { dir.write(rel, std::string(b.begin(), b.end())); }

  struct Chunk {
    uint32_t tag, size, at;
  };
  static std::vector<Chunk> chunks(const Bytes& b) {
    std::vector<Chunk> out;
    plat::ByteReader r(b.data(), b.size());
    while (r.remaining() >= 8) {
      const auto at = static_cast<uint32_t>(r.position());
      const uint32_t tag = r.u32(), size = r.u32();
      out.push_back({tag, size, at});
      r.skip(size);
    }
    return out;
  }

  CAKE_NODE* list = nullptr;
};

bool same_image(const RLE_IMAGE* a, const RLE_IMAGE* b) {
  if (!a || !b) return a == b;
  return a->width == b->width && a->height == b->height && a->stream_size == b->stream_size &&
         std::memcmp(a->rows, b->rows, 4ull * a->height + a->stream_size) == 0;
}
bool same_poly(const POLY* a, const POLY* b) {
  if (!a || !b) return a == b;
  plat::ByteWriter wa, wb;
  poly_write(wa, *a);
  poly_write(wb, *b);
  return wa.data() == wb.data();
}

TEST_F(Cake, RoundTripKeepsFramesAndWritesTheLayout) {
  build(false);
  RLE_IMAGE* before = rle_clone(list->next->frame->rle);
  dir.mkdir("anim");
  const Bytes file = save("Anim\\Walk.CAK", "anim/walk.cak");
  ASSERT_TRUE(dir.exists("anim/walk.cak")) << "the path is lower-cased";
  // The caller's image is unchanged by the 555 write.
  EXPECT_TRUE(same_image(before, list->next->frame->rle));

  const std::vector<Chunk> c = chunks(file);
  std::vector<uint32_t> tags;
  for (const Chunk& k : c) tags.push_back(k.tag);
  EXPECT_EQ(tags, (std::vector<uint32_t>{CAKE_TAG_HEAD, CAKE_TAG_COMN, CAKE_TAG_OFFS, CAKE_TAG_FRAM, CAKE_TAG_RLE,
                                         CAKE_TAG_POLY, CAKE_TAG_FRAM, CAKE_TAG_RLE, CAKE_TAG_FRAM, CAKE_TAG_POLY,
                                         CAKE_TAG_END}));
  ASSERT_EQ(c.size(), 11u);
  EXPECT_EQ(c[2].size, 4u + 4 * 4);
  EXPECT_EQ(c[5].size, 388u);
  EXPECT_EQ(c[4].size, list->next->frame->rle->stream_size + 4 * 12 + 12);
  plat::ByteReader offs(file.data() + c[2].at + 8, c[2].size);
  EXPECT_EQ(offs.u32(), 4u);
  EXPECT_EQ(offs.u32(), c[3].at);
  EXPECT_EQ(offs.u32(), c[6].at);
  EXPECT_EQ(offs.u32(), 0u) << "a node without a frame keeps position 0";
  EXPECT_EQ(offs.u32(), c[8].at);
  // Colours are 555 in the file.
  RLE_IMAGE* as555 = rle_clone(before);
  rle_to_555(as555);
  EXPECT_EQ(std::memcmp(file.data() + c[4].at + 8 + 12 + 4 * 12, rle_stream(as555), as555->stream_size), 0);
  rle_free(&as555);
  rle_free(&before);

  CAKE_NODE* back = nullptr;
  ASSERT_EQ(cake_load_frames_pak("anim\\walk.cak", &back), 0);
  EXPECT_EQ(cake_list_count(back), 3) << "the frameless node writes no chunk";
  EXPECT_EQ(back->frame->rle, nullptr);
  EXPECT_EQ(back->frame->poly, nullptr);
  const CAKE_NODE* want[] = {cake_list_at(list, 0), cake_list_at(list, 1), cake_list_at(list, 3)};
  for (int i = 0; i < 3; ++i) {
    const CAKE_FRAME* a = cake_list_at(back, i)->frame;
    const CAKE_FRAME* b = want[i]->frame;
    EXPECT_EQ(std::memcmp(a, b, 20), 0) << i;
    EXPECT_TRUE(same_image(a->rle, b->rle)) << i;
    EXPECT_TRUE(same_poly(a->poly, b->poly)) << i;
  }
  EXPECT_EQ(cake_count_frames_file("anim/walk.cak"), 4);
  cake_free_frame_list(&back);
}

TEST_F(Cake, HeadOnlyListIsTheGoldenFile) {
  list = cake_new_frame_node();
  const Bytes file = save("head.cak");
  const Bytes golden = {'C', 'A', 'K', 0x1A, 4, 0, 0, 0, 0, 0, 1, 0,  //
                        'C', 'O', 'M', 'N', 4, 0, 0, 0, 0, 0, 0, 0,   //
                        'O', 'F', 'F', 'S', 4, 0, 0, 0, 0, 0, 0, 0,   //
                        'E', 'N', 'D', ' ', 4, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(file, golden);
  CAKE_NODE* back = nullptr;
  ASSERT_EQ(cake_load_frames_pak("head.cak", &back), 0);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->next, nullptr);
  cake_free_frame_list(&back);
}

TEST_F(Cake, CommonPartsStayOnTheHead) {
  build(true);
  const Bytes file = save("common.cak");
  const std::vector<Chunk> c = chunks(file);
  EXPECT_EQ(c[2].tag, CAKE_TAG_RLE);
  EXPECT_EQ(c[3].tag, CAKE_TAG_POLY);
  EXPECT_EQ(c[4].tag, CAKE_TAG_OFFS);
  CAKE_NODE* back = nullptr;
  ASSERT_EQ(cake_load_frames_pak("common.cak", &back), 0);
  EXPECT_TRUE(same_image(back->frame->rle, list->frame->rle));
  EXPECT_TRUE(same_poly(back->frame->poly, list->frame->poly));
  cake_free_frame_list(&back);
}

TEST_F(Cake, OtherChunksThroughTheWriterAndReader) {
  Bitmap bmp = gfxt::make_bitmap(3, 2, 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) bmp->rows[y][x] = pixel_ops.from_555(static_cast<uint16_t>(0x1234 + 977 * (x + 3 * y)));
  const Bitmap bmp_before = gfxt::copy_of(bmp.get());
  BITMAP8* img = bitmap8_create(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) img->rows[y][x] = static_cast<uint8_t>(y * 5 + x + 1);
  uint16_t pal[256];
  for (int i = 0; i < 256; ++i) pal[i] = pixel_ops.from_555(static_cast<uint16_t>(i * 97 & 0x7FFF));
  uint8_t info[80];
  for (int i = 0; i < 80; ++i) info[i] = static_cast<uint8_t>(i * 3);
  {
    auto f = plat::get().files().open("parts.cak", "wb");
    ASSERT_EQ(cake_write_chunk(f.get(), CAKE_TAG_INFO, info), 0);
    ASSERT_EQ(cake_write_chunk(f.get(), CAKE_TAG_BMP, bmp.get()), 0);
    ASSERT_EQ(cake_write_chunk(f.get(), CAKE_TAG_IMG, img), 0);
    ASSERT_EQ(cake_write_chunk(f.get(), CAKE_TAG_ALF, img), 0);
    ASSERT_EQ(cake_write_chunk(f.get(), CAKE_TAG_PAL, pal), 0);
    ASSERT_EQ(cake_write_chunk(f.get(), CAKE_TAG_RLE, nullptr), 0);
  }
  EXPECT_EQ(gfxt::difference(bmp.get(), bmp_before.get()), "");
  const std::string s = dir.read("parts.cak");
  const Bytes file(s.begin(), s.end());
  const std::vector<Chunk> c = chunks(file);
  ASSERT_EQ(c.size(), 6u);
  EXPECT_EQ(c[1].size, 12u + 8 * 2) << "BMP rows at the bitmap's pitch";
  EXPECT_EQ(c[2].size, 8u + 15) << "IMG rows unpadded";
  EXPECT_EQ(c[4].size, 512u);
  EXPECT_EQ(c[5].size, 0u);
  plat::ByteReader r(file.data() + c[1].at + 8 + 12, 2);
  EXPECT_EQ(r.u16(), pixel_ops.to_555(bmp->rows[0][0])) << "555 in the file";

  auto f = plat::get().files().open("parts.cak", "rb");
  uint32_t tag = 0;
  void* obj = nullptr;
  EXPECT_EQ(cake_read_file(f.get(), &tag, &obj), 88);
  EXPECT_EQ(std::memcmp(obj, info, 80), 0);
  cake_free_chunk(tag, obj);
  EXPECT_GT(cake_read_file(f.get(), &tag, &obj), 0);
  ASSERT_EQ(tag, CAKE_TAG_BMP);
  EXPECT_EQ(gfxt::difference(static_cast<BITMAP16*>(obj), bmp.get()), "");
  cake_free_chunk(tag, obj);
  for (uint32_t want : {CAKE_TAG_IMG, CAKE_TAG_ALF}) {
    EXPECT_GT(cake_read_file(f.get(), &tag, &obj), 0);
    ASSERT_EQ(tag, want);
    const auto* b = static_cast<BITMAP8*>(obj);
    ASSERT_EQ(b->width, 5u);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(std::memcmp(b->rows[y], img->rows[y], 5), 0);
    cake_free_chunk(tag, obj);
  }
  EXPECT_GT(cake_read_file(f.get(), &tag, &obj), 0);
  EXPECT_EQ(std::memcmp(obj, pal, 512), 0);
  cake_free_chunk(tag, obj);
  EXPECT_EQ(cake_read_file(f.get(), &tag, &obj), 8);
  EXPECT_EQ(obj, nullptr) << "size 0: no object";
  EXPECT_EQ(cake_read_file(f.get(), &tag, &obj), -1) << "end of file";
  bitmap8_free(&img);
}

TEST_F(Cake, ReadFrameTakesOrDropsTheCommonParts) {
  build(true);
  const Bytes file = save("one.cak");
  CAKE_FRAME* f = nullptr;
  ASSERT_EQ(cake_read_frame("one.cak", 0, &f), 0);
  EXPECT_TRUE(same_image(f->rle, list->next->frame->rle)) << "its own image; the common one freed";
  EXPECT_TRUE(same_poly(f->poly, list->next->frame->poly));
  EXPECT_EQ(f->word5, 0xDEADBEEF);
  cake_free_frame(&f);
  ASSERT_EQ(cake_read_frame("one.cak", 3, &f), 0);
  EXPECT_TRUE(same_image(f->rle, list->frame->rle)) << "no image of its own: the common one";
  EXPECT_TRUE(same_poly(f->poly, cake_list_at(list, 3)->frame->poly));
  EXPECT_EQ(f->anchor_x, -3);
  cake_free_frame(&f);

  struct Case {
    int32_t index;
    const char* text;
  };
  for (const Case& c : {Case{4, "frame out range from file one.cak"}, Case{2, "can't find frame 2 data of file one.cak"},
                        Case{-1, ""}}) {
    clearLog();
    EXPECT_EQ(cake_read_frame("one.cak", c.index, &f), -1) << c.index;
    EXPECT_EQ(f, nullptr);
    if (*c.text) {
      EXPECT_NE(log().find(c.text), std::string::npos) << log();
    }
  }
  // A position into the middle of a chunk, and one past the end of the file.
  const std::vector<Chunk> chunk = chunks(file);
  for (uint32_t moved : {chunk[5].at + 4, static_cast<uint32_t>(file.size() + 100)}) {
    Bytes bad = file;
    std::memcpy(bad.data() + chunk[4].at + 12, &moved, 4);
    put("moved.cak", bad);
    clearLog();
    EXPECT_EQ(cake_read_frame("moved.cak", 0, &f), -1);
    EXPECT_NE(log().find("can't find frame 0 data of file moved.cak"), std::string::npos) << log();
  }
  // No "OFFS" within three chunks after "COMN".
  {
    plat::ByteWriter w;
    for (uint32_t t : {CAKE_TAG_HEAD, CAKE_TAG_COMN, CAKE_TAG_BLANK, CAKE_TAG_BLANK, CAKE_TAG_BLANK, CAKE_TAG_OFFS}) {
      w.u32(t);
      w.u32(4);
      w.u32(t == CAKE_TAG_OFFS ? 0 : 1);
    }
    put("nooffs.cak", w.take());
    clearLog();
    EXPECT_EQ(cake_read_frame("nooffs.cak", 0, &f), -1);
    EXPECT_NE(log().find("can't find offset cake from the file nooffs.cak"), std::string::npos) << log();
    EXPECT_EQ(cake_count_frames_file("nooffs.cak"), 0);
  }
  clearLog();
  EXPECT_EQ(cake_read_frame("absent.cak", 0, &f), -1);
  EXPECT_NE(log().find("file absent.cak open error"), std::string::npos);
  EXPECT_EQ(cake_count_frames_file("absent.cak"), 0);
  CAKE_NODE* none = reinterpret_cast<CAKE_NODE*>(&f);
  EXPECT_EQ(cake_load_frames_pak("absent.cak", &none), -2);
  EXPECT_EQ(none, nullptr);
}

TEST_F(Cake, PakTwinReadsTheSameList) {
  build(true);
  const Bytes file = save("disk.cak");
  std::vector<uint8_t> archive;
  std::string error;
  ASSERT_TRUE(mkpak::build({{"cursor\\packed.cak", file}}, false, archive, error)) << error;
  put("data.pak", archive);
  ASSERT_NE(pak_open_archive("data.pak"), nullptr);
  CAKE_NODE* a = nullptr;
  CAKE_NODE* b = nullptr;
  ASSERT_EQ(cake_load_frames_pak("cursor\\packed.cak", &a), 0);
  ASSERT_EQ(cake_load_frames_pak("disk.cak", &b), 0);
  EXPECT_EQ(cake_list_count(a), 3);
  for (const CAKE_NODE *x = a, *y = b; x || y; x = x->next, y = y->next) {
    ASSERT_TRUE(x && y);
    EXPECT_EQ(std::memcmp(x->frame, y->frame, 20), 0);
    EXPECT_TRUE(same_image(x->frame->rle, y->frame->rle));
    EXPECT_TRUE(same_poly(x->frame->poly, y->frame->poly));
  }
  CAKE_FRAME* f = nullptr;
  ASSERT_EQ(cake_read_frame("cursor\\packed.cak", 1, &f), 0);
  EXPECT_EQ(f->offset_x, 5);
  cake_free_frame(&f);
  cake_free_frame_list(&a);
  cake_free_frame_list(&b);
}

TEST_F(Cake, DamagedFilesEndSafely) {
  build(false);
  const Bytes file = save("good.cak");
  const std::vector<Chunk> c = chunks(file);
  struct Case {
    const char* what;
    Bytes bytes;
    int frames;
    const char* text;
  };
  Bytes unknown(file.begin(), file.begin() + c[3].at);
  for (uint8_t b : Bytes{'Z', 'Z', 'Z', 'Z', 6, 0, 0, 0, 'F', 'R', 'A', 'M', 9, 9}) unknown.push_back(b);
  unknown.insert(unknown.end(), file.begin() + c[3].at, file.end());
  const Case cases[] = {
      {"cut before END", Bytes(file.begin(), file.end() - 12), 3, "cake stream ends before END"},
      {"cut inside a chunk", Bytes(file.begin(), file.begin() + c[7].at + 30), 2, "cake stream ends before END"},
      {"an unknown tag with a payload", unknown, 3, ""},
  };
  for (const Case& k : cases) {
    put("bad.cak", k.bytes);
    clearLog();
    CAKE_NODE* back = nullptr;
    EXPECT_EQ(cake_load_frames_pak("bad.cak", &back), 0) << k.what;
    EXPECT_EQ(cake_list_count(back), k.frames) << k.what;
    if (*k.text) {
      EXPECT_NE(log().find(k.text), std::string::npos) << k.what << log();
    }
    // Only the cut inside the second frame's image leaves that frame without one.
    if (k.frames >= 2) {
      EXPECT_EQ(cake_list_at(back, 1)->frame->rle == nullptr, k.bytes.size() < file.size() - 12) << k.what;
    }
    cake_free_frame_list(&back);
  }
  // A polygon count outside 0..15 drops the chunk.
  for (int32_t count : {16, -1}) {
    cake_list_at(list, 0)->frame->poly->count = count;
    save("poly.cak");
    clearLog();
    CAKE_NODE* back = nullptr;
    ASSERT_EQ(cake_load_frames_pak("poly.cak", &back), 0);
    EXPECT_EQ(cake_list_at(back, 0)->frame->poly, nullptr);
    EXPECT_NE(cake_list_at(back, 0)->frame->rle, nullptr);
    EXPECT_NE(log().find("poly chunk with " + std::to_string(count) + " points dropped"), std::string::npos) << log();
    cake_free_frame_list(&back);
  }
  // "BMP " rows at a stored pitch larger and smaller than the bitmap's own (8 bytes for 3 pixels).
  for (uint32_t pitch : {12u, 4u}) {
    plat::ByteWriter w;
    w.u32(CAKE_TAG_BMP);
    w.u32(12 + pitch * 2);
    w.u32(3);
    w.u32(2);
    w.u32(pitch);
    for (uint32_t i = 0; i < pitch; ++i) w.u16(static_cast<uint16_t>(0x100 + i));
    put("pitch.cak", w.take());
    auto f = plat::get().files().open("pitch.cak", "rb");
    uint32_t tag = 0;
    void* obj = nullptr;
    EXPECT_EQ(cake_read_file(f.get(), &tag, &obj), 8 + 12 + 2 * pitch);
    const auto* bm = static_cast<BITMAP16*>(obj);
    ASSERT_NE(bm, nullptr);
    for (uint32_t y = 0; y < 2; ++y)
      for (uint32_t x = 0; x < 3; ++x) {
        const uint32_t word = y * pitch / 2 + x;
        const uint16_t want = x < pitch / 2 ? pixel_ops.from_555(static_cast<uint16_t>(0x100 + word)) : 0;
        EXPECT_EQ(bm->rows[y][x], want) << pitch << " " << x << "," << y;
      }
    cake_free_chunk(tag, obj);
  }
}

TEST_F(Cake, ListWalks) {
  for (int frames : {1, 2, 5}) {
    list = cake_new_frame_node();
    CAKE_NODE* last = list;
    for (int i = 0; i < frames; ++i) last = append(last);
    CAKE_NODE* first = list->next;
    EXPECT_EQ(cake_list_count(list), frames);
    EXPECT_EQ(cake_list_step(list, nullptr, 1), first);
    EXPECT_EQ(cake_list_step(list, first, 2), last);
    EXPECT_EQ(cake_list_step(list, first, 3), first) << "previous of the first is the first";
    EXPECT_EQ(cake_list_step(list, list, 3), first);
    EXPECT_EQ(cake_list_step(list, last, 4), last) << "next of the last is the last";
    EXPECT_EQ(cake_list_step(list, first, 4), frames > 1 ? first->next : first);
    EXPECT_EQ(cake_list_step(list, last, 3), frames > 1 ? last->prev : first);
    EXPECT_EQ(cake_list_step(list, last, 7), last);
    EXPECT_EQ(cake_list_at(list, frames - 1), last);
    EXPECT_EQ(cake_list_at(list, frames), nullptr);
    EXPECT_EQ(cake_list_index_of(last, list), frames - 1);
    CAKE_NODE stranger{};
    EXPECT_EQ(cake_list_index_of(&stranger, list), frames);
    EXPECT_EQ(cake_list_index_of(nullptr, list), 0);
    cake_free_frame_list(&list);
    EXPECT_EQ(list, nullptr);
  }
  EXPECT_EQ(cake_list_count(nullptr), 0);
}

TEST_F(Cake, CloneIsDeepAndExtentCoversTheFrames) {
  build(false);
  CAKE_FRAME* copy = cake_clone_frame(list->next->frame);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy->rle, list->next->frame->rle);
  EXPECT_NE(copy->poly, list->next->frame->poly);
  EXPECT_TRUE(same_image(copy->rle, list->next->frame->rle));
  cake_free_frame(&copy);
  Bitmap t = gfxt::make_bitmap(40, 30, 0);
  cake_draw_frame(2, 3, 0, list->next->frame, t.get());  // the source stays drawable
  Bitmap want = gfxt::make_bitmap(40, 30, 0);
  rle_draw(3, 1, list->next->frame->rle, want.get());
  EXPECT_EQ(gfxt::difference(t.get(), want.get()), "");
  EXPECT_EQ(cake_clone_frame(nullptr), nullptr);

  int32_t l = 9, tp = 9, r = 9, b = 9;
  ASSERT_EQ(cake_frames_extent(list, &l, &tp, &r, &b), 0);
  // Frames with images: anchors (30, 40) size 20 x 12, and (0, 0) size 9 x 9.
  EXPECT_EQ((std::vector<int32_t>{l, tp, r, b}), (std::vector<int32_t>{-30, -40, 9, 9}));
  CAKE_NODE* bare = cake_new_frame_node();
  ASSERT_EQ(cake_frames_extent(bare, &l, &tp, &r, &b), 0);
  EXPECT_EQ((std::vector<int32_t>{l, tp, r, b}), (std::vector<int32_t>{0, 0, 0, 0}));
  cake_free_frame_list(&bare);
  EXPECT_EQ(cake_frames_extent(nullptr, &l, &tp, &r, &b), -1);
}

// Real frames in the software cursor: drawn inside its save-under block, stepped on the
// cursor's tick counter, and taken out again without a trace.
TEST_F(Cake, CursorDrawsRealFrames) {
  list = cake_new_frame_node();
  CAKE_NODE* last = list;
  for (int i = 0; i < 3; ++i) {
    last = append(last);
    last->frame->rle = image(40 + static_cast<uint32_t>(i), 70, 20 + i);  // wider than the 64-pixel block
  }
  save("cursor.cak");
  input_state().cursor.rle_draw = nullptr;
  ASSERT_EQ(input_cursor_init(), 0);
  INPUT_MOUSE& m = input_state().mouse;
  m.current_slot = 0;
  m.hot_x[0] = 2;
  m.hot_y[0] = 1;
  ASSERT_EQ(input_load_cursor_frames(0, "cursor.cak"), 0);
  Bitmap target(bitmap16_create(120, 90));
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) target->rows[y][x] = static_cast<uint16_t>(y * 257 + x * 3);
  const Bitmap before = gfxt::copy_of(target.get());
  timer_ticks[11] = 0;
  for (auto [x, y] : {std::pair{30, 30}, std::pair{0, 0}, std::pair{119, 89}, std::pair{-20, 50}, std::pair{100, -5}}) {
    cursor_draw_into(x, y, target->rows[0], static_cast<int32_t>(target->pitch), 120, 90);
    // What the frame draws, kept to the 64 x 64 block at the clamped corner.
    Bitmap want = gfxt::copy_of(before.get());
    const int px = x - 2, py = y - 1;
    const int left = std::clamp(px, 0, 120), top = std::clamp(py, 0, 90);
    const int w = std::min({70, 120 - left, 64}), h = std::min({20, 90 - top, 64});
    if (w > 0 && h > 0)
      rle_draw_to_pixels(px - left, py - top, list->next->frame->rle, want->rows[top] + left,
                         static_cast<int32_t>(want->pitch), w, h);
    EXPECT_EQ(gfxt::difference(target.get(), want.get()), "") << x << "," << y;
    input_cursor_restore(target.get());
    EXPECT_EQ(gfxt::difference(target.get(), before.get()), "") << "restore at " << x << "," << y;
  }
  EXPECT_EQ(input_state().cursor.current[0], input_state().cursor.lists[0]->next);
  timer_ticks[11] = 5;
  cursor_draw_into(10, 10, target->rows[0], static_cast<int32_t>(target->pitch), 120, 90);
  input_cursor_restore(target.get());
  EXPECT_EQ(input_state().cursor.current[0], input_state().cursor.lists[0]->next->next) << "stepped on counter 11";

  ASSERT_EQ(input_copy_cursor_frames(1, list, 3), 0);
  EXPECT_EQ(cake_list_count(input_state().cursor.lists[1]), 3);
  EXPECT_TRUE(same_image(cake_list_at(input_state().cursor.lists[1], 2)->frame->rle, cake_list_at(list, 2)->frame->rle));
  input_cursor_free();
}

}  // namespace

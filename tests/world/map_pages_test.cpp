// The page cache: each page found at its offset in image 0's data, the view drawn out of the
// slots, the battle's composition, and which slot gives way for a page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/ui/message_box.h"
#include "graphics/img256/scene_view_origin.h"
#include "social/chat_log/chat_log.h"
#include "tests/world/map_fixture.h"
#include "world/map/map_pages.h"

namespace {

using map_test::colour_of;
using map_test::MapTest;
using map_test::page_of;

class MapPages : public MapTest {
 protected:
  // 2400 x 1200: pages (c, r) of colour r x 3 + c, three a row on the table's stride of 20.
  void load_three_by_two(int32_t x, int32_t y) {
    mapw::MapFile m = map_test::town();
    m.width = 2400;
    m.cells.clear();
    m.pages.clear();
    for (int i = 0; i < 6; ++i) m.pages.push_back({i % 3, i / 3, page_of(i)});
    write_map("W.MAP", m);
    ASSERT_EQ(map_load_file("MAP\\W.MAP", x, y), 0);
  }
  static BITMAP16* screen(int w, int h) { return bitmap16_create(w, h); }
};

TEST_F(MapPages, Offsets) {
  load_three_by_two(0, 0);
  for (int slot = 0; slot < 6; ++slot) {
    SCOPED_TRACE(slot);
    const MAP_PAGE_SLOT& s = map_record.pages[slot];
    EXPECT_EQ(s.left, (slot % 3) * 800);
    EXPECT_EQ(s.top, (slot / 3) * 600);
    EXPECT_EQ(s.right, s.left + 800);
    EXPECT_EQ(s.bottom, s.top + 600);
    EXPECT_TRUE(near(slot_pixel(slot, 400, 300), colour_of(slot)));
    EXPECT_TRUE(near(slot_pixel(slot, 799, 599), colour_of(slot)));
  }
  for (int slot = 6; slot < 9; ++slot) EXPECT_EQ(map_record.pages[slot].left, MAP_PAGE_UNUSED) << "no third row";

  // The view at (400, 300) takes a quarter of each of four pages.
  BITMAP16* view = screen(800, 600);
  map_draw_view(view, 400, 300);
  const struct {
    int x, y, colour;
  } quadrants[] = {{0, 0, 0}, {399, 299, 0}, {400, 0, 1}, {799, 299, 1}, {0, 300, 3}, {399, 599, 3}, {400, 300, 4},
                   {799, 599, 4}};
  for (const auto& q : quadrants) {
    SCOPED_TRACE(testing::Message() << q.x << "," << q.y);
    EXPECT_TRUE(near(view->rows[q.y][q.x], colour_of(q.colour)));
  }
  // A smaller destination is clipped, not overrun.
  BITMAP16* small = screen(300, 200);
  map_draw_view(small, 700, 500);
  EXPECT_TRUE(near(small->rows[0][0], colour_of(0)));
  EXPECT_TRUE(near(small->rows[199][299], colour_of(4)));
  bitmap16_free(&small);
  bitmap16_free(&view);
}

TEST_F(MapPages, EdgePagesAreClipped) {
  // 1000 x 700: the right and bottom pages are whole streams shown clipped to the map.
  mapw::MapFile m = map_test::town();
  m.width = 1000;
  m.height = 700;
  m.cells.clear();
  write_map("E.MAP", m);
  ASSERT_EQ(map_load_file("MAP\\E.MAP", 0, 0), 0);
  EXPECT_EQ(map_record.pages[1].left, 800);
  EXPECT_EQ(map_record.pages[1].right, 1000);
  EXPECT_EQ(map_record.pages[3].top, 600);
  EXPECT_EQ(map_record.pages[3].bottom, 700);
  EXPECT_TRUE(near(slot_pixel(1, 199, 0), colour_of(1)));
  EXPECT_EQ(slot_pixel(1, 200, 0), 0) << "beyond the map stays the fill colour";
  EXPECT_TRUE(near(slot_pixel(4, 199, 99), colour_of(3)));
  EXPECT_EQ(slot_pixel(4, 0, 100), 0);
  EXPECT_EQ(logged("decode error"), 0);
}

TEST_F(MapPages, Compose) {
  mapw::MapFile m = map_test::town();
  write_map("T.MAP", m);
  ASSERT_EQ(map_load_file("MAP\\T.MAP", 0, 0), 0);
  BITMAP16* work = screen(1600, 900);
  BITMAP16* out = screen(1600, 900);
  map_compose_view(out, work, 0, 0);
  const struct {
    int x, y, colour;
  } at[] = {{0, 0, 0}, {799, 599, 0}, {800, 0, 1}, {1599, 599, 1}, {0, 600, 2}, {799, 899, 2}, {800, 600, 3},
            {1599, 899, 3}};
  for (const auto& p : at) {
    SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
    EXPECT_TRUE(near(out->rows[p.y][p.x], colour_of(p.colour)));
  }
  chat_log_reset();
  map_compose_view(out, work, -10, 0);  // two corners lie outside the map
  int errors = 0;
  for (int i = 0; i < chat_log.count; ++i) {
    const CHAT_LINE& line = chat_log.lines[i];
    if (line.channel == 7 && std::string(line.sender) == "screen error") ++errors;
  }
  EXPECT_EQ(errors, 2);
  bitmap16_free(&work);
  bitmap16_free(&out);
}

TEST_F(MapPages, Slots) {
  write_map("T.MAP", map_test::town());
  ASSERT_EQ(map_load_file("MAP\\T.MAP", 0, 0), 0);
  // The view at (0, 0) overlaps page (0, 0) only when the others are moved away.
  struct Edges {
    int32_t left, top;
  };
  const auto set = [](std::vector<Edges> used) {
    map_pages_clear_edges();
    for (size_t i = 0; i < used.size(); ++i) {
      MAP_PAGE_SLOT& s = map_record.pages[i];
      s.left = used[i].left;
      s.top = used[i].top;
      s.right = s.left + 800;
      s.bottom = s.top + 600;
    }
  };
  const Edges view_page{0, 0}, near_page{1600, 0}, far_page{3200, 2400};
  const struct Case {
    const char* name;
    std::vector<Edges> used;  // slots 0.. in order; the rest unused
    bool all_used;
    int32_t slot;
  } cases[] = {
      {"unused first", {view_page, near_page}, false, 2},
      {"the farthest centre", {view_page, near_page, far_page, near_page, near_page, near_page, near_page, near_page,
                               near_page},
       true, 2},
      {"first on ties", {view_page, near_page, near_page, near_page, near_page, near_page, near_page, near_page,
                         near_page},
       true, 1},
  };
  scene_view_origin = {0, 0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    set(c.used);
    EXPECT_EQ(map_page_pick_slot(400, 300), c.slot);
  }
  // Every slot touching the view box: none to give up.
  std::vector<Edges> touching(9, Edges{0, 0});
  touching[4] = {801, 601};  // touching the box's corner counts as overlapping
  set(touching);
  EXPECT_EQ(map_page_pick_slot(400, 300), -1);
  EXPECT_EQ(logged("Inter error( select destory BMP not fing !"), 1);

  // map_page_find: outside is -2; a held point gives its slot; a missing one loads its page.
  ASSERT_EQ(map_page_cache_fill(0, 0), 0);
  EXPECT_EQ(map_page_find(1600, 10), -2);
  EXPECT_EQ(map_page_find(10, 1200), -2);
  EXPECT_EQ(map_page_find(-1, 10), -2);
  EXPECT_EQ(map_page_find(900, 700), 4);
  EXPECT_EQ(map_page_missing(900, 700), -2);
  EXPECT_EQ(map_page_missing(1600, 0), -2);
  map_pages_clear_edges();
  EXPECT_EQ(map_page_missing(900, 700), 0);
  const int32_t slot = map_page_find(900, 700);
  EXPECT_EQ(slot, 0) << "the first unused slot";
  EXPECT_EQ(map_record.pages[slot].left, 800);
  EXPECT_EQ(map_record.pages[slot].top, 600);
  EXPECT_TRUE(near(slot_pixel(slot, 10, 10), colour_of(3)));
}

TEST_F(MapPages, DecodeRefusals) {
  write_map("T.MAP", map_test::town());
  ASSERT_EQ(map_load_file("MAP\\T.MAP", 0, 0), 0);
  const std::vector<uint8_t>& data = map_record.images[0].data;
  std::vector<uint8_t> out(rgb24_stride(800) * 600);
  const struct Case {
    int32_t left, top, width, height;
    const char* text;
  } cases[] = {
      {400, 0, 800, 600, "map jpg erro set"},  {0, 300, 800, 600, "map jpg erro set"},
      {0, 0, 400, 600, "map jpg erro set"},    {0, 0, 800, 599, "map jpg erro set"},
      {1600, 0, 800, 600, "map jpg erro read"}, {0, 12000, 800, 600, "map jpg erro read"},
      {-800, 0, 800, 600, "map jpg erro read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.left << "," << c.top << " " << c.width << "x" << c.height);
    message_slots_clear();
    const std::string before = errorTxt();
    EXPECT_EQ(map_decode_page(data.data(), data.size(), c.left, c.top, c.width, c.height, out.data(), out.size()),
              MAP_DECODE_FAILED);
    bool shown = false;
    for (const MESSAGE_SLOT& s : message_slots) shown = shown || (s.in_use && std::string(s.text) == c.text);
    const bool logged_now = errorTxt().find(c.text, before.size()) != std::string::npos;
    // The alignment error is a system message; a read failure a box, which is logged.
    EXPECT_TRUE(std::string(c.text) == "map jpg erro set" ? shown : logged_now);
  }
  // Too small an output is a read failure, never an overrun.
  std::vector<uint8_t> small(1000);
  EXPECT_EQ(map_decode_page(data.data(), data.size(), 0, 0, 800, 600, small.data(), small.size()), MAP_DECODE_FAILED);
  EXPECT_EQ(map_decode_page(data.data(), data.size(), 800, 600, 800, 600, out.data(), out.size()), 0);
}

}  // namespace

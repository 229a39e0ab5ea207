// Controls and the edit box: hit tests, item drawing, the description record, typing, the
// selection, the clipboard and drawing, driven through the headless platform.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/control/control.h"
#include "engine/draw/draw.h"
#include "engine/edit/edit_box.h"
#include "graphics/bitmap/bitmap16.h"
#include "plat/files.h"
#include "tests/support/text_fixture.h"
#include "tests/support/ppm_dump.h"

namespace {

// An item that records its draws and can be told to fail.
struct CountingItem : CControlItem {
  CountingItem(int32_t* draws, bool fails) : draws_(draws), fails_(fails) {}
  int32_t draw(CTL_POINT, BITMAP16*) override {
    ++*draws_;
    return fails_ ? CTL_FAIL : CTL_OK;
  }
  int32_t* draws_;
  bool fails_;
};

class Control : public veldra_test::HeadlessTest {
 protected:
  std::unique_ptr<plat::File> open(const char* name, const char* mode) { return plat::get().files().open(name, mode); }
  std::vector<uint8_t> bytes(const char* name) {
    auto f = open(name, "rb");
    std::vector<uint8_t> out(static_cast<size_t>(f->size()));
    f->read(out.data(), out.size());
    return out;
  }
  void writeBytes(const char* name, const std::vector<uint8_t>& data) {
    auto f = open(name, "wb");
    f->write(data.data(), data.size());
  }
};

TEST_F(Control, HitAndDraw) {
  CControl parent(nullptr, 1, 0);
  parent.rect = {100, 50, 300, 250};
  CControl child(&parent, 1, 0);
  child.rect = {10, 10, 20, 20};
  EXPECT_EQ(child.flags, 3u);
  EXPECT_EQ(child.on_click(115, 65), &child);
  EXPECT_EQ(child.on_focus_click(110, 60), &child);   // left and top inclusive
  EXPECT_EQ(child.on_pointer3(120, 65), nullptr);      // right edge outside
  EXPECT_EQ(child.on_pointer4(115, 70), nullptr);      // bottom edge outside
  EXPECT_EQ(child.on_pointer5(15, 15), nullptr);       // a local point is not a screen point
  EXPECT_EQ(child.to_parent_coords(nullptr), CTL_FAIL);

  int32_t draws = 0;
  auto* shown = new CountingItem(&draws, false);
  shown->dest = {0, 0, 10, 10};
  auto* hidden = new CountingItem(&draws, false);
  hidden->dest = {20, 20, 30, 30};
  hidden->visible = 0;
  child.add_item(shown);
  child.add_item(hidden);
  EXPECT_EQ(child.draw(nullptr), CTL_OK);
  EXPECT_EQ(draws, 1);  // the hidden item is skipped
  EXPECT_EQ(child.item_at(25, 25), hidden);  // but still found, the point as given
  EXPECT_EQ(child.item_at(30, 30), nullptr);

  child.set_items_drawn(false);
  child.set_focused(true);
  EXPECT_EQ(child.draw(nullptr), CTL_OK);
  EXPECT_EQ(draws, 1);

  child.set_items_drawn(true);
  auto* failing = new CountingItem(&draws, true);
  child.add_item(failing);
  auto* after = new CountingItem(&draws, false);
  child.add_item(after);
  EXPECT_EQ(child.draw(nullptr), CTL_FAIL);
  EXPECT_EQ(draws, 3);  // stops at the failing item

  CControlItem* made = child.new_item(0, {1, 2, 3, 4}, {5, 6, 7, 8});
  EXPECT_EQ(made->index, 4);
  made->move_to({10, 20});
  EXPECT_EQ(made->dest.right, 12);
  EXPECT_EQ(made->dest.bottom, 22);
}

TEST_F(Control, Record) {
  CControl empty(nullptr, 7, 0);
  {
    auto f = open("empty.ctl", "wb");
    EXPECT_EQ(empty.save(*f), CTL_OK);
  }
  EXPECT_EQ(bytes("empty.ctl").size(), CTL_RECORD_HEAD_SIZE);

  CControl three(nullptr, CTL_KIND_EDIT, 0);
  std::snprintf(three.name, sizeof three.name, "amount");
  three.rect = {1, 2, 3, 4};
  three.flags = 5;
  for (int i = 0; i < 3; ++i) three.new_item(0, {i, i + 1, i + 2, i + 3}, {10 * i, 1, 2, 3});
  {
    auto f = open("three.ctl", "wb");
    EXPECT_EQ(three.save(*f), CTL_OK);
  }
  std::vector<uint8_t> data = bytes("three.ctl");
  ASSERT_EQ(data.size(), CTL_RECORD_HEAD_SIZE + 3 * CTL_RECORD_ITEM_SIZE);
  EXPECT_EQ(data[0], CTL_KIND_EDIT);

  // The reader of a file of records takes the kind first.
  auto readBack = [&](const char* name, CControl& into) {
    auto f = open(name, "rb");
    uint8_t kind[4];
    f->read(kind, 4);
    return into.load(*f);
  };
  CControl copy(nullptr, CTL_KIND_EDIT, 0);
  EXPECT_EQ(readBack("three.ctl", copy), CTL_OK);
  EXPECT_EQ(copy.name_view(), "amount");
  EXPECT_EQ(copy.rect.right, 3);
  EXPECT_EQ(copy.flags, 5u);
  ASSERT_EQ(copy.items.count, 3);
  EXPECT_EQ(copy.items[2]->dest.left, 2);
  EXPECT_EQ(copy.items[2]->src.left, 20);

  // Cut inside item 2: item 1 stays.
  writeBytes("cut.ctl", std::vector<uint8_t>(data.begin(), data.begin() + CTL_RECORD_HEAD_SIZE + CTL_RECORD_ITEM_SIZE + 10));
  CControl cut(nullptr, CTL_KIND_EDIT, 0);
  EXPECT_EQ(readBack("cut.ctl", cut), CTL_FAIL);
  EXPECT_EQ(cut.items.count, 1);

  // A name of 128 bytes without a NUL stays within its 128 bytes.
  std::vector<uint8_t> noNul = data;
  for (size_t i = 4; i < 132; ++i) noNul[i] = 'n';
  writeBytes("nonul.ctl", noNul);
  CControl named(nullptr, CTL_KIND_EDIT, 0);
  EXPECT_EQ(readBack("nonul.ctl", named), CTL_OK);
  EXPECT_EQ(named.name_view(), std::string(128, 'n'));

  // A count below 1 ends the read with success.
  std::vector<uint8_t> negative = data;
  negative[152] = negative[153] = negative[154] = negative[155] = 0xFF;
  writeBytes("neg.ctl", negative);
  CControl none(nullptr, CTL_KIND_EDIT, 0);
  EXPECT_EQ(readBack("neg.ctl", none), CTL_OK);
  EXPECT_EQ(none.items.count, 0);
}

// ---- the edit box -----------------------------------------------------------------------------

class EditBox : public veldra_test::TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    // Key state comes from the keys the main window was told about.
    plat::WindowDesc desc;
    desc.proc = [](const plat::Msg&) -> int32_t { return 0; };
    window = plat::get().windows().create(desc);
    box = std::make_unique<CEditBox>(nullptr, 0);
    box->set_focused(true);
    box->text_rect = {0, 0, 60, 16};  // ten ASCII cells
    box->caret_rect = box->text_rect;
  }
  void TearDown() override {
    box.reset();
    TextTest::TearDown();
  }
  void key(const char* name, bool down) {
    plat::ScriptEvent e = plat::EventScript::parse(std::string("0 ") + (down ? "KEYDOWN " : "KEYUP ") + name).events[0];
    hp().input(e.input);
  }
  void type(const std::string& bytes) {
    for (char c : bytes) box->on_char(static_cast<uint8_t>(c), 0, 0);
  }
  std::string text() {
    char buffer[4096];
    return box->get_text(buffer, sizeof buffer);
  }
  std::unique_ptr<CEditBox> box;
  plat::WindowId window = plat::kNoWindow;
};

constexpr const char* kZhong = "\xD6\xD0";  // one double-byte character

TEST_F(EditBox, Typing) {
  // A lead byte alone shows nothing; its trail byte adds one full-width cell of two bytes.
  EXPECT_EQ(box->on_char(0xD6, 0, 0), CTL_FAIL);
  EXPECT_EQ(box->cells.count, 0);
  EXPECT_EQ(edit_pending_count(), 1);
  EXPECT_EQ(box->on_char(0xD0, 0, 0), CTL_OK);
  ASSERT_EQ(box->cells.count, 1);
  EXPECT_EQ(box->cells[0].width, 12);
  EXPECT_EQ(box->cells[0].height, 16);
  EXPECT_EQ(box->cells[0].bytes, 2);
  EXPECT_EQ(box->cells[0].character, 0x4E2Du);
  EXPECT_EQ(box->text_width(), 12);

  // A lead byte followed by a space: the lead is dropped and the space taken alone.
  box->clear_text();
  type("\xD6 ");
  EXPECT_EQ(text(), " ");
  EXPECT_EQ(box->cells.count, 1);
  EXPECT_EQ(edit_pending_count(), 0);
  // Invalid pairs never pile up.
  type("\x81\x7F\x81\x7F\x81");
  EXPECT_LE(edit_pending_count(), 1);
  edit_pending_reset();

  // Maximum 14 with 13 bytes: the double-byte character is refused whole, ASCII still fits.
  box->clear_text();
  box->max_length = 14;
  type("abcdefghijklm");
  EXPECT_EQ(box->on_char(0xD6, 0, 0), CTL_FAIL);
  EXPECT_EQ(box->on_char(0xD0, 0, 0), CTL_FAIL);
  EXPECT_EQ(edit_pending_count(), 0);
  EXPECT_EQ(box->text_bytes(), 13);
  EXPECT_EQ(box->on_char('n', 0, 0), CTL_OK);
  EXPECT_EQ(text(), "abcdefghijklmn");
  box->max_length = -1;

  // Keys that come as characters are refused; Ctrl held drops characters.
  box->clear_text();
  for (uint8_t c : {8, 9, 13, 27}) EXPECT_EQ(box->on_char(c, 0, 0), CTL_FAIL);
  key("LCTRL", true);
  EXPECT_EQ(box->on_char('x', 0, 0), CTL_OK);
  key("LCTRL", false);
  EXPECT_EQ(box->cells.count, 0);
  // A box not shown or not focused takes nothing.
  box->set_focused(false);
  EXPECT_EQ(box->on_char('x', 0, 0), CTL_FAIL);
  EXPECT_EQ(box->on_key(71, 0, 0), CTL_FAIL);
  box->set_focused(true);

  // Typing past the right edge keeps up to eight cells after the caret.
  type("abcdefghijklmnopqrst");
  EXPECT_EQ(box->scroll, 10);
  box->on_key(71, 0, 0);  // Home
  EXPECT_EQ(box->scroll, 0);
  for (int i = 0; i < 10; ++i) box->on_key(77, 0, 0);
  EXPECT_EQ(box->caret, 10);
  EXPECT_EQ(box->scroll, 0);
  type("X");
  EXPECT_EQ(box->caret, 11);
  EXPECT_EQ(box->scroll, 9);
  EXPECT_EQ(box->last_visible(box->scroll), box->caret + 8);
  EXPECT_EQ(box->on_key(200, 0, 0), CTL_FAIL);  // not a key of the box
}

TEST_F(EditBox, Selection) {
  type("abcdefgh");
  for (int i = 0; i < 3; ++i) box->on_key(75, 0, 0);
  ASSERT_EQ(box->caret, 5);
  key("LSHIFT", true);
  box->on_key(75, 0, 0);
  EXPECT_EQ(box->sel_start, 4);
  EXPECT_EQ(box->sel_end, 4);
  box->on_key(203, 0, 0);
  EXPECT_EQ(box->sel_start, 4);
  EXPECT_EQ(box->sel_end, 3);
  key("LSHIFT", false);
  box->on_key(8, 0, 0);
  EXPECT_EQ(text(), "abcefgh");
  EXPECT_EQ(box->caret, 3);

  // Shift+Home from 5 selects 0 to 4; Shift+End selects nothing.
  box->on_key(77, 0, 0);
  box->on_key(77, 0, 0);
  ASSERT_EQ(box->caret, 5);
  key("LSHIFT", true);
  box->on_key(71, 0, 0);
  EXPECT_EQ(box->sel_low(), 0);
  EXPECT_EQ(box->sel_high(), 5);
  box->on_key(79, 0, 0);
  EXPECT_FALSE(box->has_selection());
  EXPECT_EQ(box->caret, 7);
  key("LSHIFT", false);

  // Delete at the end does nothing; before it, one cell goes.
  box->on_key(83, 0, 0);
  EXPECT_EQ(text(), "abcefgh");
  box->on_key(75, 0, 0);
  box->on_key(211, 0, 0);
  EXPECT_EQ(text(), "abcefg");

  // A typed character replaces the selection.
  key("LSHIFT", true);
  box->on_key(71, 0, 0);
  key("LSHIFT", false);
  type("Z");
  EXPECT_EQ(text(), "Z");
}

TEST_F(EditBox, Clipboard) {
  plat::MemoryClipboard& board = hp().memoryClipboard();
  type("hello");
  key("LSHIFT", true);
  box->on_key(71, 0, 0);
  key("LSHIFT", false);
  EXPECT_EQ(box->cut(), CTL_OK);
  EXPECT_EQ(text(), "");
  EXPECT_EQ(board.getText(100), "hello");
  // A cut text pastes once.
  EXPECT_EQ(box->paste(), CTL_OK);
  EXPECT_EQ(box->paste(), CTL_FAIL);
  EXPECT_EQ(text(), "hello");

  // A paste takes 512 bytes at most, never half a character.
  box->clear_text();
  std::string big = "a";
  for (int i = 0; i < 300; ++i) big += kZhong;
  board.setText(big);
  box->clipboard_owned = 0;
  EXPECT_EQ(box->paste(), CTL_OK);
  EXPECT_EQ(box->text_bytes(), 511);
  EXPECT_EQ(edit_pending_count(), 0);
  EXPECT_TRUE(board.hasText());  // a copied text stays

  // A selection of 1,024 bytes copies whole.
  box->clear_text();
  std::string kb;
  for (int i = 0; i < 512; ++i) kb += kZhong;
  box->insert_text(kb.c_str());
  ASSERT_EQ(box->text_bytes(), 1024);
  box->sel_start = 0;
  box->sel_end = box->cells.count;
  EXPECT_EQ(box->copy(), CTL_OK);
  EXPECT_EQ(board.getText(4096), kb);
  box->sel_start = box->sel_end = -1;
  EXPECT_EQ(box->copy(), 1);  // nothing selected

  // The failure roads keep the text and tell the debugger.
  box->sel_start = 0;
  box->sel_end = 1;
  board.failSet = true;
  EXPECT_EQ(box->cut(), CTL_FAIL);
  EXPECT_EQ(box->text_bytes(), 1024);
  board.failSet = false;
  board.failOpen = true;
  EXPECT_EQ(box->paste(), CTL_FAIL);
  board.failOpen = false;
  const auto& lines = hp().debugLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Unable to set Clipboard data"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Error-OpenClipboard"), lines.end());
}

// Pixels of the column that hold the raw caret word.
int caretPixels(BITMAP16* bm, int column) {
  int n = 0;
  for (uint32_t y = 0; y < bm->height; ++y) n += bm->rows[y][column] == 0xFFFF;
  return n;
}

TEST_F(EditBox, Draw) {
  BITMAP16* bm = bitmap16_create(64, 20);
  type("ab");
  box->blink_time = plat::tier0::floatTime();
  box->caret_rect = {0, 2, 60, 14};
  bitmap16_fill(bm, 0);
  box->draw(bm);
  EXPECT_EQ(caretPixels(bm, 13), 12);  // after two 6-wide cells, one column in
  // Half a second later it is off, another half second on again.
  hp().fakeClock().advance(500);
  bitmap16_fill(bm, 0);
  box->draw(bm);
  EXPECT_EQ(caretPixels(bm, 13), 0);
  hp().fakeClock().advance(499);
  box->draw(bm);
  EXPECT_EQ(caretPixels(bm, 13), 0);
  hp().fakeClock().advance(1);
  box->draw(bm);
  EXPECT_EQ(caretPixels(bm, 13), 12);

  // At every edge the caret stays inside the target.
  const CTL_RECT edges[] = {{-1, -5, 10, 30}, {51, 0, 60, 25}, {52, 0, 60, 20}, {-200, 0, 0, 5}, {0, 19, 5, 40}};
  for (const CTL_RECT& r : edges) {
    box->caret_rect = r;
    box->blink_state = 1;
    box->blink_time = plat::tier0::floatTime();
    EXPECT_EQ(box->draw(bm), CTL_OK);
  }

  // A selection is shown and measured.
  box->caret_rect = {0, 2, 60, 14};
  box->sel_start = 0;
  box->sel_end = 1;
  bitmap16_fill(bm, 0);
  box->draw(bm);
  EXPECT_EQ(box->sel_rect.left, 0);
  EXPECT_EQ(box->sel_rect.right, 6);

  // get_text cuts on a character boundary within the buffer.
  box->clear_text();
  box->insert_text("abc\xD6\xD0\xD6\xD0z");
  char small[8];
  box->get_text(small, sizeof small);
  EXPECT_STREQ(small, "abc\xD6\xD0\xD6\xD0");
  box->get_text(small, 7);
  EXPECT_STREQ(small, "abc\xD6\xD0");
  box->get_text(small, 5);
  EXPECT_STREQ(small, "abc");
  EXPECT_EQ(edit_get_text_width(box.get()), 3 * 6 + 2 * 12 + 6);
  box->clear_text();
  EXPECT_EQ(box->text_width(), 0);
  bitmap16_free(&bm);
}

uint64_t fnv1a(const BITMAP16* bm) {
  uint64_t h = 1469598103934665603ull;
  for (uint32_t y = 0; y < bm->height; ++y)
    for (uint32_t x = 0; x < bm->width; ++x) {
      const uint16_t p = bm->rows[y][x];
      for (int b = 0; b < 2; ++b) {
        h ^= static_cast<uint8_t>(p >> (8 * b));
        h *= 1099511628211ull;
      }
    }
  return h;
}

// Four boxes: ASCII with the caret, Chinese, a selection, and a long line scrolled to its end,
// typed byte by byte with Shift held through the platform's key state.
TEST_F(EditBox, Sheet) {
  draw_install_pixel_ops(0xF800, 0x07E0, 0x001F);
  BITMAP16* bm = bitmap16_create(320, 100);
  bitmap16_fill(bm, 0x2104);
  CControl panel(nullptr, 1, 0);
  panel.rect = {10, 4, 310, 96};
  std::vector<std::unique_ptr<CEditBox>> boxes;
  const char* texts[] = {"Hello, edit box", "\xD6\xD0\xCE\xC4\xCA\xE4\xC8\xEB", "select me",
                         "a long line that scrolls past the right edge 0123456789"};
  for (int i = 0; i < 4; ++i) {
    auto b = std::make_unique<CEditBox>(&panel, 0);
    b->set_focused(true);
    b->text_rect = {10, 10 + 20 * i, 190, 26 + 20 * i};
    b->caret_rect = {0, 6 + 20 * i, 180, 22 + 20 * i};
    for (const char* p = texts[i]; *p; ++p) {
      b->on_char(static_cast<uint8_t>(*p), 0, 0);
      EXPECT_LE(edit_pending_count(), 1);
    }
    boxes.push_back(std::move(b));
  }
  // The third box selects "me" with Shift+Left twice after one plain Left.
  boxes[2]->on_key(205, 0, 0);
  key("LSHIFT", true);
  boxes[2]->on_key(75, 0, 0);
  boxes[2]->on_key(75, 0, 0);
  boxes[2]->on_key(75, 0, 0);
  key("LSHIFT", false);
  EXPECT_TRUE(boxes[2]->has_selection());
  EXPECT_GT(boxes[3]->scroll, 0);
  for (auto& b : boxes) {
    b->blink_state = 1;
    b->blink_time = plat::tier0::floatTime();
    EXPECT_EQ(b->draw(bm), CTL_OK);
  }
  veldra_test::dumpPpm("edit_box_sheet.ppm", bm);
  const uint64_t hash = fnv1a(bm);
  std::printf("edit box sheet hash: %016llx\n", static_cast<unsigned long long>(hash));
  EXPECT_EQ(hash, 0x5376388640a88153ull);
  bitmap16_free(&bm);
}

}  // namespace

// The game's input fields: routing of the frame's input to the focused field, and the world
// messages their Enter actions send.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "client/common/bad_words.h"
#include "client/edit/game_edit.h"
#include "client/game/frame_input.h"
#include "client/net/net_link.h"
#include "client/state/chat_input_state.h"
#include "client/state/pet_table.h"
#include "engine/input/input.h"
#include "items/mail/mail_seams.h"
#include "social/chat_input/chat_input_box.h"
#include "social/macro/macro_system.h"
#include "tests/support/fake_net_client.h"
#include "tests/support/text_fixture.h"
#include "graphics/bitmap/bitmap16.h"
#include "ui/game_screen/money_colours.h"
#include "ui/game_screen/modal_box.h"
#include "ui/game_screen/window_slots.h"

namespace {

using veldra_test::FakeNetClient;
using veldra_test::FakeNetModule;

char g_words[2][BAD_WORD_SIZE];
BAD_WORD_LIST testWords() { return {g_words, 2}; }

int ignoreDispatch(uint32_t, int32_t, const uint8_t*, uint32_t, bool) { return 0; }

class GameEdit : public veldra_test::TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    FakeNetModule::install();
    ASSERT_EQ(net_load_client(), 0);
    ASSERT_EQ(net_connect_world(0x0100007F, 4000, ignoreDispatch), 0);
    world = FakeNetModule::world();
    std::memset(g_words, 0, sizeof g_words);
    std::strcpy(g_words[0], "darn");
    filter_bad_words_set_provider(&testWords);
    frame_input.key_code = frame_input.scan_code = 0;
    frame_input.frame_time = 1000;
  }
  void TearDown() override {
    filter_bad_words_set_provider(nullptr);
    net_unload_client();
    FakeNetModule::clear();
    TextTest::TearDown();
  }

  // One frame: the characters typed, the key bytes, then the routing.
  bool frame(const std::string& chars, uint8_t key = 0, uint8_t scan = 0) {
    for (char c : chars) input_add_char(static_cast<uint8_t>(c));
    frame_input.key_code = key;
    frame_input.scan_code = scan;
    frame_input.frame_time += 31;
    return edit_list_route_input();
  }
  // Opens a box at a fixed place and primes the routing so that the next frame routes.
  void open(CEditBox* box, int32_t max_length = -1) {
    edit_show_at(box, {10, 10, 200, 26}, max_length);
    box->text_rect = box->caret_rect = {10, 10, 200, 26};
    edit_list_route_input();
  }
  std::string text(CEditBox* box) {
    char buffer[2048];
    return box->get_text(buffer, sizeof buffer);
  }
  std::string realText() {
    char buffer[2048];
    return password_edit.real_text(buffer, sizeof buffer);
  }
  std::vector<uint8_t> bytesOf(const std::string& s, bool nul = true) {
    std::vector<uint8_t> v(s.begin(), s.end());
    if (nul) v.push_back(0);
    return v;
  }

  FakeNetClient* world = nullptr;
};

TEST_F(GameEdit, Routing) {
  // The first call routes nothing; then once per frame time.
  open(&command_edit);
  input_add_char('a');
  EXPECT_FALSE(edit_list_route_input());
  EXPECT_EQ(text(&command_edit), "");
  input_clear_chars();
  EXPECT_TRUE(frame("ab"));
  input_add_char('c');
  EXPECT_FALSE(edit_list_route_input());
  EXPECT_EQ(text(&command_edit), "ab");
  input_clear_chars();

  // Format codes typed by the player are defused.
  command_edit.clear_text();
  frame("~C5 ~z9 ~Q1 ~c");
  EXPECT_EQ(text(&command_edit), "0C5 0z9 ~Q1 ~c");
  edit_deactivate(&command_edit);

  // Digits only in the search-by-id box; a refused letter reaches the keys (G is Home).
  open(&search_id_edit);
  frame("12x3");
  EXPECT_EQ(text(&search_id_edit), "123");
  edit_deactivate(&search_id_edit);

  // Amounts: at most the maximum value (unsigned: -1 takes any), never a leading 0.
  struct AmountCase {
    uint32_t max;
    const char* typed;
    const char* kept;
  } amounts[] = {{500, "50", "50"}, {500, "500", "500"}, {500, "501", "50"}, {500, "5000", "500"},
                 {500, "05", "5"}, {0xFFFFFFFFu, "4000000000", "4000000000"}};
  for (const AmountCase& c : amounts) {
    SCOPED_TRACE(c.typed);
    CAmountEdit* box = &amount_edits[3];
    numeric_edit_set_max(box, c.max);
    open(box);
    for (const char* p = c.typed; *p; ++p) frame(std::string(1, *p));
    EXPECT_EQ(text(box), c.kept);
    edit_deactivate(box);
  }

  // The password box keeps the real bytes through inserts and deletes of every kind.
  open(&password_edit, 32);
  frame("secret");
  EXPECT_EQ(text(&password_edit), "******");
  EXPECT_EQ(realText(), "secret");
  frame("", 8, 8);  // Backspace
  EXPECT_EQ(realText(), "secre");
  password_edit.sel_start = 1;
  password_edit.sel_end = 3;
  frame("X");
  EXPECT_EQ(realText(), "sXre");
  EXPECT_EQ(text(&password_edit), "****");
  password_edit.on_key(71, 0, 0);
  password_edit.on_key(83, 0, 0);  // Delete
  EXPECT_EQ(realText(), "Xre");
  EXPECT_EQ(password_edit.insert_char(0xB0), CTL_FAIL);
  frame("!");  // not a letter or digit: never passed
  EXPECT_EQ(realText(), "Xre");
  EXPECT_EQ(edit_get_count(), 3);
  edit_deactivate_reset(&password_edit);
  EXPECT_EQ(edit_get_count(), 0);
  // Enter with nothing typed does not reach the box.
  open(&password_edit, 32);
  EXPECT_FALSE(frame("", 13, 141));
  EXPECT_EQ(edit_list_find_focused(), &password_edit);
  edit_deactivate_reset(&password_edit);

  // Closing the focused box focuses the box opened last among those left.
  open(&search_name_edit);
  open(&pet_name_edit);
  open(&command_edit);
  edit_activate(&search_name_edit);
  edit_deactivate(&search_name_edit);
  EXPECT_EQ(edit_list_find_focused(), &command_edit);
  EXPECT_FALSE(search_name_edit.is_focused());
  edit_deactivate(&command_edit);
  edit_deactivate(&pet_name_edit);
  EXPECT_EQ(edit_list_count(), 0);

  // A name box in the list is passed over.
  CNameEdit name;
  open(&name);
  EXPECT_FALSE(frame("abc"));
  EXPECT_EQ(name.cells.count, 0);
  edit_deactivate(&name);

  // The chat line raises macro event 10 per accepted character.
  edit_show_chat_line(&chat_input_box);
  edit_list_route_input();
  frame("hi");
  int32_t count = 0;
  const MACRO_EVENT_RECORD* events = macro_raised_events(&count);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(events[1].event, 10);
  EXPECT_EQ(events[1].arg, 1);
  EXPECT_EQ(chat_input_box.max_length, 160);

  // With the input method open no key reaches the box, and its windows follow the caret.
  ime_on_start_composition(0, 0);
  ASSERT_TRUE(ime_is_open());
  hp().cursorRecord().caretRects.clear();
  chat_input_box.on_key(71, 0, 0);  // caret home, then typed keys must not move it
  frame("", 79, 207);  // End
  EXPECT_EQ(chat_input_box.caret, 0);
  ASSERT_FALSE(hp().cursorRecord().caretRects.empty());
  const plat::Rect r = hp().cursorRecord().caretRects.back().second;
  EXPECT_EQ(r.left, 33);
  EXPECT_EQ(r.top, 57);
  ime_on_end_composition(0, 0);
  edit_deactivate(&chat_input_box);
}

std::vector<uint8_t> le32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

TEST_F(GameEdit, Sends) {
  pet_table[2] = {};
  pet_table[2].id = 77;
  std::strcpy(pet_table[2].name, "Rex");
  pet_current_index = 2;
  window_slots.ids[WINDOW_TITLE] = 12;
  window_slots.title_window_stored = 12;
  chat_input_state.target_id = 4242;
  frame_input.own_char_id = 99;

  // 41 bytes with a banned word: cut at 32 bytes or fewer, never inside a character, then the
  // banned word replaced.
  std::string zh;
  for (int i = 0; i < 18; ++i) zh += "\xD6\xD0";
  const std::string title = "darna" + zh;
  const std::string titleSent = "****a" + zh.substr(0, 26);

  struct Sent {
    uint32_t id;
    int32_t arg;
    std::vector<uint8_t> payload;
  };
  struct Case {
    const char* name;
    CEditBox* box;
    std::string typed;
    int32_t target;  // the private-message target window
    std::vector<Sent> sent;
  };
  const Case cases[] = {
      {"say", &command_edit, "hello", -1, {{0x40006, 0, bytesOf("hello")}}},
      {"spaces say nothing", &command_edit, "   ", -1, {}},
      {"private message", &command_edit, "psst", 15, {}},
      {"search by name", &search_name_edit, "bob", -1, {{0x3001E, 1, bytesOf("bob")}}},
      {"search by id", &search_id_edit, "1234", -1, {{0x3001E, 0, le32(1234)}}},
      {"pet spaces", &pet_name_edit, "  ", -1, {}},
      {"pet same name", &pet_name_edit, "Rex", -1, {}},
      {"pet banned word", &pet_name_edit, "darnit", -1, {}},
      {"pet rename", &pet_name_edit, "Max", -1, {{0x60002, 77, bytesOf("Max")}}},
      {"title", &title_edits[0], title, -1, {{0x19000D, 0, bytesOf(titleSent)}}},
      {"password line", &password_edit, "say darn", -1, {{0x40006, 0, bytesOf("say ****")}}},
      {"amount", &amount_edits[0], "12", -1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    world->sends.clear();
    window_slots.message_target = c.target;
    open(c.box);
    c.box->insert_text(c.typed.c_str());
    c.box->on_enter();
    ASSERT_EQ(world->sends.size(), c.sent.size());
    for (size_t i = 0; i < c.sent.size(); ++i) {
      EXPECT_EQ(world->sends[i].id, c.sent[i].id);
      EXPECT_EQ(world->sends[i].arg, c.sent[i].arg);
      EXPECT_EQ(world->sends[i].payload, c.sent[i].payload);
    }
    edit_deactivate_reset(c.box);
  }
  EXPECT_LE(titleSent.size(), 32u);

  // The private message went to the stored target and closed its window.
  ASSERT_EQ(chat_sent_mail().size(), 1u);
  EXPECT_EQ(chat_sent_mail()[0].text, "psst");
  EXPECT_EQ(chat_sent_mail()[0].from_id, 99u);
  EXPECT_EQ(chat_sent_mail()[0].to_id, 4242);
  EXPECT_EQ(window_slots.message_target_last, 15);

  // A line said to the world closes the open modal window and drops the frame's typed input.
  window_slots.message_target = -1;
  MODAL_BOX_HANDLER = [] {};
  frame_input.key_code = 13;
  frame_input.scan_code = 28;
  open(&command_edit);
  command_edit.insert_text("hello");
  command_edit.on_enter();
  EXPECT_EQ(MODAL_BOX_HANDLER, nullptr);
  EXPECT_EQ(frame_input.key_code, 0);
  EXPECT_EQ(frame_input.scan_code, 0);
  edit_deactivate_reset(&command_edit);

  // The amount box's Enter checks the mail addressee only when switched on.
  EXPECT_EQ(mail_check_addressee_calls(), 0);
  amount_edit_set_enter_enabled(&amount_edits[0], 1);
  amount_edits[0].on_enter();
  list_edit_set_enter_enabled(&list_amount_edits[1], 1);
  list_amount_edits[1].on_enter();
  EXPECT_EQ(mail_check_addressee_calls(), 2);

  // A closed title window sends nothing.
  world->sends.clear();
  window_slots.ids[WINDOW_TITLE] = -1;
  title_edits[0].insert_text("abc");
  title_edits[0].on_enter();
  EXPECT_TRUE(world->sends.empty());
}

// Amount boxes draw in the money colour of their value and leave the text colour as it was.
TEST_F(GameEdit, AmountDraw) {
  BITMAP16* bm = bitmap16_create(200, 40);
  CAmountEdit* box = &amount_edits[1];
  // Placed first: a box without width scrolls what is typed out of sight.
  edit_show_at(box, {0, 0, 120, 16}, -1);
  box->text_rect = box->caret_rect = box->base_rect;
  font_set_color(0x1234);
  const struct {
    int32_t value;
    int colour;
  } cases[] = {{99999, 0}, {100000, 1}, {9999999, 2}, {99999999, 3}, {100000000, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    edit_set_int(box, c.value);
    EXPECT_EQ(edit_get_int(box), c.value);
    bitmap16_fill(bm, 0);
    EXPECT_EQ(amount_edit_draw(box, 10, 20, bm), CTL_OK);
    EXPECT_EQ(box->text_rect.left, 10);
    EXPECT_EQ(box->text_rect.top, 20);
    EXPECT_EQ(font_get_color(), 0x1234);
    bool inked = false;
    for (uint32_t y = 0; y < bm->height; ++y)
      for (uint32_t x = 0; x < bm->width; ++x) inked = inked || bm->rows[y][x] == money_colours[c.colour];
    EXPECT_TRUE(inked);
  }
  bitmap16_free(&bm);
}

}  // namespace

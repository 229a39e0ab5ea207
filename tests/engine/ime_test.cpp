// The input method's messages: the record-less handlers the game runs, the platform's
// text-editing sequence through the window procedure, and the optional IME state record.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/input/ime.h"
#include "graphics/bitmap/bitmap16.h"
#include "tests/engine/input_fixture.h"

namespace engine_test {
namespace {

using namespace plat;

class Ime : public InputTest {
 protected:
  void compose(const std::string& utf8) { feed(EventScript::parse("0 COMPOSE " + utf8).events[0].input); }
  void text(const std::string& utf8) { feed(EventScript::parse("0 TEXT " + utf8).events[0].input); }
};

const char* const kZhong = "\xE4\xB8\xAD";  // 中, D6 D0 in code page 936

TEST_F(Ime, RecordLessHandlersFollowTheirTable) {
  struct Step {
    uint32_t message, wParam;
    uint32_t lParam;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    int32_t open, candidate;
    bool keys_cleared;
  };
  const uint32_t kLangChange = WM_INPUTLANGCHANGE;
  const Case cases[] = {
      {"start", {{WM_IME_STARTCOMPOSITION, 0, 0}}, 1, 0, false},
      {"start then end", {{WM_IME_STARTCOMPOSITION, 0, 0}, {WM_IME_ENDCOMPOSITION, 0, 0}}, 0, 0, true},
      {"composition changes nothing", {{WM_IME_STARTCOMPOSITION, 0, 0}, {WM_IME_COMPOSITION, 0, GCS_COMPSTR}}, 1, 0,
       false},
      {"set context 0, 15", {{WM_IME_STARTCOMPOSITION, 0, 0}, {WM_IME_SETCONTEXT, 0, 15}}, 0, 0, false},
      {"set context 1, 15", {{WM_IME_STARTCOMPOSITION, 0, 0}, {WM_IME_SETCONTEXT, 1, 15}}, 1, 0, false},
      {"close candidate, lParam 1", {{WM_IME_STARTCOMPOSITION, 0, 0}, {WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 1}}, 1, 0,
       false},
      {"close candidate, lParam 2", {{WM_IME_STARTCOMPOSITION, 0, 0}, {WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 2}}, 0, 0,
       false},
      {"open candidate", {{WM_IME_NOTIFY, IMN_OPENCANDIDATE, 1}}, 0, 1, false},
      {"close status window", {{WM_IME_STARTCOMPOSITION, 0, 0}, {WM_IME_NOTIFY, IMN_CLOSESTATUSWINDOW, 0}}, 0, 0,
       true},
      {"change request", {{WM_IME_STARTCOMPOSITION, 0, 0}, {WM_INPUTLANGCHANGEREQUEST, 0, 0x04090409}}, 1, 0, false},
      {"change to a plain layout", {{WM_IME_STARTCOMPOSITION, 0, 0}, {kLangChange, 0, 0x04090409}}, 0, 0, false},
      {"change to an input method", {{WM_IME_STARTCOMPOSITION, 0, 0}, {kLangChange, 0, 0xE0010804}}, 1, 0, false},
  };
  whileRunning([&cases] {
    for (const Case& c : cases) {
      ime_module_reset();
      input_flush();
      for (uint8_t sc : {29, 42, 30, 57}) input_feed_scan_code(sc);  // Ctrl, Shift, a, space
      for (const Step& s : c.steps) {
        EXPECT_EQ(send(s.message, s.wParam, static_cast<int32_t>(s.lParam)), 0) << c.what;
      }
      EXPECT_EQ(ime_is_open(), c.open) << c.what;
      EXPECT_EQ(ime_candidate_is_open(), c.candidate) << c.what;
      EXPECT_EQ(input_state().keys.table_a[30] == 0, c.keys_cleared) << c.what;
      EXPECT_EQ(input_state().keys.table_a[57] == 0, c.keys_cleared) << c.what;
      EXPECT_EQ(input_shift_down(), 1) << c.what;
      EXPECT_EQ(input_ctrl_down(), 1) << c.what;
    }
    // Without the record no handler takes its message.
    EXPECT_EQ(ime_on_start_composition(0, 0), 0);
    EXPECT_EQ(ime_on_composition(0, GCS_COMPSTR), 0);
    EXPECT_EQ(ime_on_lang_change_request(0, 0), 0);
  });
}

TEST_F(Ime, TextEditingEventsOpenThenCloseAndTheCharactersFollow) {
  whileRunning([this] {
    key("A", true);  // held while composing
    compose("zh");
    EXPECT_EQ(ime_is_open(), 1);
    compose(kZhong);
    EXPECT_EQ(ime_is_open(), 1);
    EXPECT_EQ(input_get_char_count(), 0);
    input_clear_chars();
    text(kZhong);
    EXPECT_EQ(ime_is_open(), 0);
    EXPECT_EQ(input_state().keys.table_a[30], 0);  // cleared before the characters came
    ASSERT_EQ(input_get_char_count(), 2);
    EXPECT_EQ(input_get_char(0), 0xD6);
    EXPECT_EQ(input_get_char(1), 0xD0);
    // A composition given up: the empty text ends it.
    compose("x");
    compose("");
    EXPECT_EQ(ime_is_open(), 0);
  });
}

TEST_F(Ime, TheRecordFillsFromTheEditingStateAndDraws) {
  whileRunning([this] {
    ASSERT_EQ(ime_state_create(), 0);
    ImeComposition& platformIme = headless().ime();
    platformIme.candidatesCp936 = {"\xD6\xD0", "\xD6\xD3", "\xD6\xDA"};
    platformIme.candidateSelected = 1;
    platformIme.fullWidth = true;
    platformIme.imeNameCp936 = "Pinyin";
    compose(kZhong);
    const IME_STATE* r = ime_state();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->composition, "\xD6\xD0");
    EXPECT_STREQ(r->candidate_text, "1.\xD6\xD0\t2.\xD6\xD3\t3.\xD6\xDA");
    EXPECT_EQ(ime_is_full_width(), 1);
    EXPECT_EQ(ime_on_composition(0, GCS_COMPSTR | GCS_CURSORPOS), 1);
    EXPECT_EQ(r->cursor_pos, 2);

    // With the record the handlers take their messages; the layout change never.
    EXPECT_EQ(ime_on_start_composition(0, 0), 1);
    EXPECT_EQ(ime_on_notify(IMN_CLOSECANDIDATE, 0), 1);
    EXPECT_STREQ(r->candidate_text, "");
    EXPECT_EQ(ime_on_lang_change(0, static_cast<int32_t>(0xE0010804u)), 0);
    EXPECT_STREQ(ime_get_name(), "Pinyin");
    EXPECT_EQ(ime_on_lang_change(0, 0x04090409), 0);
    EXPECT_EQ(ime_get_name(), nullptr);
    EXPECT_EQ(ime_on_lang_change_request(0, 0), 1);
    ime_disable();
    EXPECT_EQ(ime_on_lang_change_request(0, 0), 0);

    // Drawing: the bottom band is blended blue; rows above the composition box stay.
    EXPECT_EQ(ime_on_notify(IMN_OPENCANDIDATE, 0), 1);
    BITMAP16* bm = bitmap16_create(320, 200);
    bitmap16_fill(bm, 0x8410);
    for (void (*draw)(BITMAP16*) : {ime_draw_bar, ime_draw_bar_compact, ime_draw_bar_full}) {
      bitmap16_fill(bm, 0x8410);
      draw(bm);
      EXPECT_EQ(bm->rows[0][5], 0x8410);
      EXPECT_NE(bm->rows[199][5], 0x8410);
    }
    bitmap16_free(&bm);
    ime_state_free();
    EXPECT_EQ(ime_state(), nullptr);
    EXPECT_EQ(ime_on_start_composition(0, 0), 0);
  });
}

TEST_F(Ime, CandidatePagesAreNumberedOneToNineThenZero) {
  IME_CANDIDATE_LIST list;
  for (char c = 'a'; c <= 'l'; ++c) list.candidates.push_back(std::string(1, c));
  list.count = 12;
  list.page_size = 10;
  char text[IME_CANDIDATE_TEXT_SIZE];
  ime_format_candidates(&list, text);
  EXPECT_STREQ(text, "1.a\t2.b\t3.c\t4.d\t5.e\t6.f\t7.g\t8.h\t9.i\t0.j");
  list.page_start = 10;
  ime_format_candidates(&list, text);
  EXPECT_STREQ(text, "1.k\t2.l");
  list.selection = 13;  // past the count
  ime_format_candidates(&list, text);
  EXPECT_STREQ(text, "");
  ime_format_candidates(nullptr, text);
  EXPECT_STREQ(text, "");
}

}  // namespace
}  // namespace engine_test

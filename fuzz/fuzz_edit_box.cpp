// Edit boxes under random streams: characters, keys, Shift and Ctrl, clipboard texts, cuts,
// copies and pastes, placements of the routed game boxes and routed frames. The caret, scroll
// start and selection stay inside the text, the pending lead byte never grows past one byte,
// and the password box's real bytes follow its cells.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "client/edit/game_edit.h"
#include "client/game/frame_input.h"
#include "engine/edit/edit_box.h"
#include "engine/input/input.h"
#include "fuzz/fuzz_support.h"
#include "plat/headless.h"
#include "social/chat_input/chat_input_box.h"

namespace {

void key(plat::HeadlessPlatform& hp, const char* name, bool down) {
  hp.input(plat::EventScript::parse(std::string("0 ") + (down ? "KEYDOWN " : "KEYUP ") + name).events[0].input);
}

void check(CEditBox* b) {
  const int32_t n = b->cells.count;
  if (b->caret < 0 || b->caret > n) std::abort();
  if (b->scroll < 0 || b->scroll > n) std::abort();
  if (b->sel_start < -1 || b->sel_start > n || b->sel_end < -1 || b->sel_end > n) std::abort();
  if (edit_pending_count() > 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static plat::HeadlessPlatform* hp = nullptr;
  static CEditBox plain(nullptr, 0);
  if (!hp) {
    fuzz_support::installHeadlessGameDir("edit-box");
    hp = plat::headless();
    plat::WindowDesc d;
    d.proc = [](const plat::Msg&) -> int32_t { return 0; };
    plat::get().windows().create(d);
  }
  CEditBox* boxes[] = {&plain, &password_edit, &amount_edits[0], &search_id_edit, &command_edit, &chat_input_box};
  constexpr size_t kBoxes = sizeof boxes / sizeof boxes[0];
  game_edit_reset();
  plain.clear_text();
  plain.max_length = -1;
  chat_input_box.clear_text();
  edit_pending_reset();
  hp->memoryClipboard().clear();
  bool shift = false, ctrl = false;
  CEditBox* box = &plain;
  plain.set_focused(true);
  plain.text_rect = plain.caret_rect = {0, 0, 60, 16};

  size_t i = 0;
  auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
  while (i < size) {
    switch (next() % 8) {
      case 0: box->on_char(next(), 0, 0); break;
      case 1: box->on_key(next(), 0, 0); break;
      case 2: key(*hp, "LSHIFT", shift = !shift); break;
      case 3: key(*hp, "LCTRL", ctrl = !ctrl); break;
      case 4: {
        box = boxes[next() % kBoxes];
        const uint8_t m = next();
        const uint8_t w = next();
        edit_show_at(box, {0, 0, w, 16}, m == 255 ? -1 : m);
        box->text_rect = box->caret_rect = {0, 0, w, 16};
        break;
      }
      case 5: {
        std::string text;
        for (uint8_t n = next(); n > 0 && i < size; --n) text.push_back(static_cast<char>(next()));
        hp->memoryClipboard().setText(text);
        break;
      }
      case 6: {
        const uint8_t op = next() % 3;
        if (op == 0) box->cut();
        else if (op == 1) box->copy();
        else box->paste();
        break;
      }
      default:
        input_add_char(next());
        frame_input.key_code = 0;
        frame_input.scan_code = next() % 4 == 0 ? 13 : 0;
        frame_input.frame_time += 31;
        edit_list_route_input();
        break;
    }
    for (CEditBox* b : boxes) check(b);
    if (password_edit.real.count != password_edit.cells.count) std::abort();
  }
  if (shift) key(*hp, "LSHIFT", false);
  if (ctrl) key(*hp, "LCTRL", false);
  input_clear_chars();
  return 0;
}

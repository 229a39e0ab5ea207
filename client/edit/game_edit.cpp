#include "client/edit/game_edit.h"

#include <cstdio>
#include <cstring>

#include "client/common/bad_words.h"
#include "client/game/frame_input.h"
#include "client/net/net_link.h"
#include "client/state/chat_input_state.h"
#include "client/state/pet_table.h"
#include "core/reset/module_resets.h"
#include "engine/input/input.h"
#include "engine/winfont/winfont.h"
#include "items/mail/mail_seams.h"
#include "plat/cp936.h"
#include "plat/platform.h"
#include "plat/tier0.h"
#include "social/chat_input/chat_input_box.h"
#include "social/macro/macro_system.h"
#include "ui/game_screen/money_colours.h"
#include "ui/game_screen/modal_box.h"
#include "ui/game_screen/window_slots.h"

CCommandEdit command_edit;
CSearchNameEdit search_name_edit;
CSearchIdEdit search_id_edit;
CPetNameEdit pet_name_edit;
CAmountEdit amount_edits[AMOUNT_EDIT_COUNT];
CTitleEdit title_edits[TITLE_EDIT_COUNT];
CListAmountEdit list_amount_edits[LIST_AMOUNT_EDIT_COUNT];
CPasswordEdit password_edit;

namespace {

GrowArray<CEditBox*> g_list;
bool g_routed_once = false;
uint32_t g_last_route_time = 0;
char g_shared_text[2048];
char g_title_text[1024];

constexpr CTL_RECT kChatLineRect{33, 57, 401, 73};

bool all_spaces(const char* text) {
  for (const char* p = text; *p; ++p) {
    if (*p != ' ') return false;
  }
  return true;
}

// The text cut at the box's maximum length, into buffer.
char* text_of(CEditBox* box, char* buffer, size_t size) {
  size_t n = size;
  if (box->max_length >= 0 && static_cast<size_t>(box->max_length) + 1 < n) n = static_cast<size_t>(box->max_length) + 1;
  return box->get_text(buffer, n);
}

void send_text(uint32_t id, int32_t arg, const char* text) {
  net_send_world(id, arg, text, static_cast<uint32_t>(std::strlen(text) + 1));
}

// A line of chat for the world, or a private message while the target window is open.
void say_or_mail(const char* text) {
  if (window_slots.message_target < 1) {
    MODAL_BOX_HANDLER = nullptr;
    edit_activate(&chat_input_box);  // also drops the frame's typed characters and keys
    send_text(MSG_CHAT_SAY, 0, text);
  } else {
    chat_send_mail(text, frame_input.own_char_id, chat_input_state.target_id);
    window_slots.message_target_last = window_slots.message_target;
    window_slots.message_target = -1;
  }
}

void set_rects(CEditBox* box, const CTL_RECT& r) {
  box->rect = r;
  box->text_rect = r;
  box->caret_rect = r;
}

void set_base(CEditBox* box, const CTL_RECT& r) {
  if (auto* b = dynamic_cast<EditBaseRect*>(box)) b->base_rect = r;
}

void open_box(CEditBox* box) {
  edit_list_add(box);
  edit_activate(box);
}

bool is_amount(const CEditBox* box) {
  for (const CAmountEdit& a : amount_edits) {
    if (box == &a) return true;
  }
  return false;
}

bool is_quiet(const CEditBox* box) {
  for (const CTitleEdit& t : title_edits) {
    if (box == &t) return true;
  }
  for (const CListAmountEdit& l : list_amount_edits) {
    if (box == &l) return true;
  }
  return false;
}

enum class Route { None, Chat, Standard, Amount, Quiet, Password };

Route route_of(const CEditBox* box) {
  if (box == &chat_input_box) return Route::Chat;
  if (box == &command_edit || box == &search_name_edit || box == &search_id_edit || box == &pet_name_edit) return Route::Standard;
  if (is_amount(box)) return Route::Amount;
  if (is_quiet(box)) return Route::Quiet;
  if (box == &password_edit) return Route::Password;
  return Route::None;
}

bool is_format_letter(uint32_t c) {
  switch (c) {
    case 'A': case 'C': case 'F': case 'O': case 'S': case 'Z':
    case 'a': case 'c': case 'f': case 'o': case 's': case 'z':
      return true;
    default:
      return false;
  }
}

// "~C5" and its kin in typed text would change the font's colour or size when drawn.
void protect_format_codes(CEditBox* box) {
  EDIT_CELL* c = box->cells.data;
  for (int32_t i = 0; i + 2 < box->cells.count; ++i) {
    if (c[i].character == '~' && is_format_letter(c[i + 1].character) && c[i + 2].character >= '0' &&
        c[i + 2].character <= '9') {
      c[i].character = '0';
    }
  }
}

bool is_alnum(uint8_t c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool route(CEditBox* box, Route kind, bool need_focus = true) {
  if (need_focus && !box->is_focused()) return false;
  const bool ime_step = kind == Route::Chat || kind == Route::Standard;
  if (ime_step && ime_is_open()) ime_place_windows(box);
  int32_t last = CTL_FAIL;
  bool accepted = false;
  const int32_t n = input_get_char_count();
  for (int32_t i = 0; i < n; ++i) {
    const uint8_t c = input_get_char(i);
    if (kind == Route::Password && !is_alnum(c)) continue;
    last = box->on_char(c, 0, 0);
    if (last == CTL_OK) {
      accepted = true;
      if (kind == Route::Chat) macro_raise_event(10, 1);
    } else if (kind == Route::Amount && c >= '0' && c <= '9') {
      accepted = true;  // a refused digit is still used up
    }
  }
  input_clear_chars();
  if (!accepted) {
    const uint8_t key = frame_input.key_code ? frame_input.key_code : frame_input.scan_code;
    bool pass = key != 0 && !ime_is_open();
    if (kind == Route::Password && (key == 13 || key == 141) && password_edit.real.count < 1) pass = false;
    if (pass) last = box->on_key(key, 0, 0);
  }
  if (kind != Route::Password) protect_format_codes(box);
  if (frame_input.scan_code) input_clear_keys();
  return last == CTL_OK;
}

void game_edit_reset_all() {
  g_list.free();
  g_routed_once = false;
  g_last_route_time = 0;
  CEditBox* boxes[] = {&command_edit, &search_name_edit, &search_id_edit, &pet_name_edit, &password_edit};
  for (CEditBox* b : boxes) {
    b->clear_text();
    b->set_focused(false);
    b->max_length = -1;
  }
  for (CAmountEdit& a : amount_edits) {
    a.clear_text();
    a.set_focused(false);
    a.max_length = -1;
    a.max_value = 0xFFFFFFFFu;
    a.enter_switch = 0;
  }
  for (CTitleEdit& t : title_edits) {
    t.clear_text();
    t.set_focused(false);
    t.max_length = -1;
  }
  for (CListAmountEdit& l : list_amount_edits) {
    l.clear_text();
    l.set_focused(false);
    l.max_length = -1;
    l.enter_switch = 0;
  }
}

const ModuleReset k_reset("game edit boxes", game_edit_reset_all);

}  // namespace

void game_edit_reset() { game_edit_reset_all(); }

// ---- Enter actions --------------------------------------------------------------------------

int32_t CCommandEdit::on_enter() {
  char text[1024];
  text_of(this, text, sizeof text);
  if (text[0] == '\0' || all_spaces(text)) return CTL_OK;
  say_or_mail(text);
  clear_text();
  edit_deactivate(this);
  return CTL_OK;
}

int32_t CSearchNameEdit::on_enter() {
  char text[1024];
  text_of(this, text, sizeof text);
  send_text(MSG_PLAYER_SEARCH, 1, text);
  return CTL_OK;
}

int32_t CSearchNameEdit::on_tab() { return search_name_focus_id(); }

int32_t CSearchIdEdit::on_char(uint8_t c, int32_t a, int32_t b) {
  if (c < '0' || c > '9') return CTL_FAIL;
  return CEditBox::on_char(c, a, b);
}

int32_t CSearchIdEdit::on_enter() {
  char text[64];
  text_of(this, text, sizeof text);
  const uint32_t value = static_cast<uint32_t>(plat::vstd::Q_atoi(text));
  const uint8_t payload[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  net_send_world(MSG_PLAYER_SEARCH, 0, payload, sizeof payload);
  return CTL_OK;
}

int32_t CSearchIdEdit::on_tab() { return search_id_focus_name(); }

int32_t CPetNameEdit::on_enter() {
  char text[1024];
  text_of(this, text, sizeof text);
  if (text[0] == '\0' || all_spaces(text)) return CTL_FAIL;
  if (filter_bad_words(text, true)) return CTL_FAIL;
  if (pet_current_index >= 0 && pet_current_index < PET_COUNT) {
    const PET_RECORD& pet = pet_table[pet_current_index];
    if (std::strncmp(text, pet.name, PET_NAME_SIZE) != 0) send_text(MSG_PET_RENAME, static_cast<int32_t>(pet.id), text);
  }
  return CTL_OK;
}

int32_t CAmountEdit::on_char(uint8_t c, int32_t a, int32_t b) {
  if (c < '0' || c > '9') return CTL_FAIL;
  if (c == '0' && cells.count == 0) return CTL_FAIL;
  char text[64];
  get_text(text, sizeof text - 1);
  const size_t n = std::strlen(text);
  text[n] = static_cast<char>(c);
  text[n + 1] = '\0';
  if (static_cast<uint32_t>(plat::vstd::Q_atoi(text)) > max_value) return CTL_FAIL;
  return CEditBox::on_char(c, a, b);
}

int32_t CAmountEdit::on_enter() {
  if (enter_switch == 1) mail_check_addressee();
  return CTL_OK;
}

int32_t CTitleEdit::on_enter() {
  const int32_t slot = window_slots.ids[WINDOW_TITLE];
  if (slot >= 0 && slot == window_slots.title_window_stored) {
    title_edits[0].get_text(g_title_text, sizeof g_title_text);
    if (g_title_text[0] != '\0') {
      // At most 32 bytes, never half a character.
      g_title_text[plat::cp936::fitLength(g_title_text, TITLE_TEXT_MAX)] = '\0';
      filter_bad_words(g_title_text, false);
      send_text(MSG_SET_TITLE, 0, g_title_text);
    }
  }
  clear_text();
  return CTL_OK;
}

int32_t CListAmountEdit::on_enter() {
  if (enter_switch == 1) mail_check_addressee();
  return CTL_OK;
}

// ---- the password box -----------------------------------------------------------------------

int32_t CPasswordEdit::insert_char(uint8_t c) {
  if (c >= 128) return CTL_FAIL;
  const int32_t at = caret;
  const int32_t r = CEditBox::insert_char('*');
  if (r == CTL_OK) real.insert(at, c);
  return r;
}

void CPasswordEdit::remove_cells(int32_t first, int32_t n) {
  CEditBox::remove_cells(first, n);
  real.remove_range(first, n);
}

void CPasswordEdit::clear_text() {
  CEditBox::clear_text();
  real.count = 0;
}

char* CPasswordEdit::real_text(char* buffer, size_t size) const {
  if (!buffer || size == 0) return buffer;
  size_t n = static_cast<size_t>(real.count);
  if (n > size - 1) n = size - 1;
  if (n) std::memcpy(buffer, real.data, n);
  buffer[n] = '\0';
  return buffer;
}

int32_t CPasswordEdit::on_enter() {
  char text[PASSWORD_REAL_MAX + 1];
  size_t size = sizeof text;
  if (max_length >= 0 && static_cast<size_t>(max_length) + 1 < size) size = static_cast<size_t>(max_length) + 1;
  real_text(text, size);
  if (text[0] != '\0' && !all_spaces(text)) {
    if (window_slots.message_target < 1) filter_bad_words(text, false);
    say_or_mail(text);
  }
  clear_text();
  edit_deactivate_reset(this);
  return CTL_OK;
}

// ---- the active edit list -------------------------------------------------------------------

void edit_list_add(CEditBox* box) {
  for (CEditBox* b : g_list) {
    if (b == box) return;
  }
  g_list.insert(g_list.count, box);
}

void edit_list_remove(CEditBox* box) {
  for (int32_t i = 0; i < g_list.count; ++i) {
    if (g_list[i] == box) {
      g_list.remove(i);
      return;
    }
  }
}

void edit_list_focus_only(CEditBox* box) {
  bool found = false;
  for (CEditBox* b : g_list) found = found || b == box;
  if (!found) return;
  for (CEditBox* b : g_list) b->set_focused(b == box);
}

CEditBox* edit_list_find_focused() {
  for (CEditBox* b : g_list) {
    if (b->is_focused()) return b;
  }
  return nullptr;
}

int32_t edit_list_count() { return g_list.count; }
CEditBox* edit_list_at(int32_t i) { return (i >= 0 && i < g_list.count) ? g_list[i] : nullptr; }

bool edit_list_route_input() {
  if (!g_routed_once) {
    g_routed_once = true;
    g_last_route_time = frame_input.frame_time;
    return false;
  }
  if (frame_input.frame_time == g_last_route_time) return false;
  g_last_route_time = frame_input.frame_time;
  for (int32_t i = 0; i < g_list.count; ++i) {
    CEditBox* box = g_list[i];
    if (!box->is_focused()) continue;
    const Route kind = route_of(box);
    if (kind == Route::None) continue;
    return route(box, kind);
  }
  return false;
}

bool edit_name_box_input(CEditBox* box) { return route(box, Route::Standard, false); }

void edit_activate(CEditBox* box) {
  edit_list_focus_only(box);
  input_clear_chars();
  input_clear_keys();
  frame_input.key_code = 0;
  frame_input.scan_code = 0;
}

int32_t edit_activate_at(CEditBox* box, int32_t x, int32_t y) {
  if (!box->on_click(x, y)) return 0;
  edit_activate(box);
  return 1;
}

static void focus_last_left() {
  if (g_list.count > 0) edit_list_focus_only(g_list[g_list.count - 1]);
}

void edit_deactivate(CEditBox* box) {
  box->clear_text();
  edit_list_remove(box);
  focus_last_left();
  box->set_focused(false);
}

void edit_release(CEditBox* box) {
  edit_list_remove(box);
  focus_last_left();
  box->clear_text();
}

void edit_deactivate_reset(CEditBox* box) {
  edit_deactivate(box);
  password_edit.real.count = 0;
}

int32_t search_name_focus_id() {
  edit_activate(&search_id_edit);
  return CTL_OK;
}

int32_t search_id_focus_name() {
  edit_activate(&search_name_edit);
  return CTL_OK;
}

// ---- placement ------------------------------------------------------------------------------

void edit_show_fixed_a(CEditBox* box) {
  box->set_shown(true);
  set_rects(box, {69, 570, 399, 586});
  set_base(box, {});
  open_box(box);
}

void edit_show_chat_line(CEditBox* box) {
  set_base(box, kChatLineRect);
  box->max_length = CHAT_LINE_MAX_LENGTH;
  set_rects(box, kChatLineRect);
  box->set_shown(true);
  box->clear_text();
  open_box(box);
}

void edit_show_field_upper(CEditBox* box) {
  set_base(box, {77, 56, 189, 72});
  box->max_length = 14;
  box->set_shown(true);
  open_box(box);
}

void edit_show_field_lower(CEditBox* box) {
  set_base(box, {77, 89, 189, 105});
  box->max_length = 9;
  box->set_shown(true);
  open_box(box);
}

void edit_show_field_mid(CEditBox* box) {
  set_base(box, {76, 210, 194, 226});
  box->max_length = 14;
  set_rects(box, {76, 210, 194, 226});
  box->set_shown(true);
  box->clear_text();
  open_box(box);
}

void edit_show_at(CEditBox* box, const CTL_RECT& r, int32_t max_length) {
  set_base(box, r);
  box->max_length = max_length;
  box->set_shown(true);
  open_box(box);
}

void edit_show_chat_line_ex() {
  password_edit.real.count = 0;
  edit_show_chat_line(&password_edit);
}

void edit_place_and_focus(CEditBox* box, const CTL_RECT& r) {
  box->set_shown(true);
  set_rects(box, r);
  box->set_focused(true);
}

// ---- small operations -----------------------------------------------------------------------

int32_t edit_get_int(CEditBox* box) { return plat::vstd::Q_atoi(edit_get_text_shared(box)); }

void edit_set_int(CEditBox* box, int32_t value) {
  box->clear_text();
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  box->insert_text(text);
}

void numeric_edit_set_max(CAmountEdit* box, uint32_t max_value) { box->max_value = max_value; }
void amount_edit_set_enter_enabled(CAmountEdit* box, int32_t on) { box->enter_switch = on; }
void list_edit_set_enter_enabled(CListAmountEdit* box, int32_t on) { box->enter_switch = on; }

const char* edit_get_text_shared(CEditBox* box) { return box->get_text(g_shared_text, sizeof g_shared_text); }

int32_t edit_get_count() { return password_edit.real.count; }

int32_t edit_draw_offset(CEditBox* box, int32_t dx, int32_t dy, BITMAP16* target) {
  CTL_RECT r{};
  if (auto* b = dynamic_cast<EditBaseRect*>(box)) r = b->base_rect;
  r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
  set_rects(box, r);
  return box->draw(target);
}

int32_t edit_draw_offset_ex(int32_t dx, int32_t dy, BITMAP16* target) {
  return edit_draw_offset(&password_edit, dx, dy, target);
}

int32_t amount_edit_draw(CAmountEdit* box, int32_t dx, int32_t dy, BITMAP16* target) {
  const uint16_t before = font_get_color();
  font_set_color(money_colour_of(static_cast<uint32_t>(edit_get_int(box))));
  const int32_t r = edit_draw_offset(box, dx, dy, target);
  font_set_color(before);
  return r;
}

void ime_place_windows(CEditBox* box) {
  const CTL_POINT o = box->parent_origin();
  const int32_t x = box->caret_offset();
  const CTL_RECT& c = box->caret_rect;
  plat::get().textInput().setCaretRect(plat::kNoWindow,
                                       plat::Rect{c.left + o.x + x, c.top + o.y, c.right + o.x + x, c.bottom + o.y});
}

#include "engine/edit/edit_box.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/reset/module_resets.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/blit_ops.h"
#include "engine/winfont/winfont.h"
#include "plat/cp936.h"
#include "plat/platform.h"
#include "plat/tier0.h"
#include "plat/winmsg.h"

namespace {

// The lead byte of a double-byte character typed or pasted into any box. One byte at most: a
// byte that cannot complete it drops it and is taken alone.
uint8_t g_pending = 0;
int32_t g_pending_count = 0;

const ModuleReset k_reset("edit box", edit_pending_reset);

bool key_down(uint8_t vk) { return plat::get().events().keyState(vk) < 0; }

// The text of cells [first, first + n) in code page 936.
std::string cells_text(const GrowArray<EDIT_CELL>& cells, int32_t first, int32_t n) {
  std::u16string wide;
  for (int32_t i = first; i < first + n && i < cells.count; ++i) {
    wide.push_back(static_cast<char16_t>(cells[i].character & 0xFFFF));
  }
  return plat::cp936::encode(wide);
}

// Makes font slot 0 current without drawing; its full width.
int32_t smallest_font_width() {
  font_draw_text(0, 0, "~Z1", 1, nullptr);
  font_draw_text(-100, -100, "", 1, nullptr);
  return font_char_width();
}

}  // namespace

int32_t edit_pending_count() { return g_pending_count; }
void edit_pending_reset() {
  g_pending = 0;
  g_pending_count = 0;
}

CEditBox::CEditBox(CControl* parent_control, uint32_t control_id) : CControl(parent_control, CTL_KIND_EDIT, control_id) {}

CEditBox::~CEditBox() { cells.free(); }

// ---- pointer --------------------------------------------------------------------------------

CControl* CEditBox::on_click(int32_t x, int32_t y) {
  if (!ctl_hit_test(this, x, y)) return nullptr;
  caret = index_at(x, y);
  return this;
}

CControl* CEditBox::on_focus_click(int32_t x, int32_t y) {
  if (!ctl_hit_test(this, x, y)) return nullptr;
  set_focused(true);
  return this;
}

// ---- characters and keys --------------------------------------------------------------------

int32_t CEditBox::on_char(uint8_t c, int32_t, int32_t) {
  if (!is_shown() || !is_focused()) return CTL_FAIL;
  if (c == 8 || c == 9 || c == 13 || c == 27) return CTL_FAIL;  // these arrive as keys
  if (key_down(plat::VK_CONTROL)) return CTL_OK;
  if (has_selection()) delete_selection();
  return insert_char(c);
}

int32_t CEditBox::on_key(uint8_t key, int32_t, int32_t) {
  if (!is_shown() || !is_focused()) return CTL_FAIL;
  switch (key) {
    case 8: case 15: backspace(); break;
    case 9: on_tab(); break;
    case 13: case 141: on_enter(); break;
    case 27: on_esc(); break;
    case 71: case 199: home(); break;
    case 75: case 77: case 203: case 205: caret_key(key); break;
    case 79: case 207: end(); break;
    case 83: case 211: delete_forward(); break;
    default: return CTL_FAIL;
  }
  return CTL_OK;
}

int32_t CEditBox::on_key_aux(int32_t, int32_t, int32_t) {
  return (is_shown() && is_focused()) ? CTL_OK : CTL_FAIL;
}

int32_t CEditBox::insert_char(uint8_t c) {
  uint32_t unit = 0;
  int32_t bytes = 0;
  if (g_pending_count == 1) {
    if (auto u = plat::cp936::decodeChar(g_pending, c)) {
      unit = *u;
      bytes = 2;
    } else {
      g_pending_count = 0;  // not a trail byte: the lead is dropped and this byte stands alone
    }
  }
  if (bytes == 0) {
    if (plat::cp936::isLead(c)) {
      g_pending = c;
      g_pending_count = 1;
      return CTL_FAIL;  // waits for its trail byte
    }
    auto u = plat::cp936::decodeByte(c);
    if (!u) return CTL_FAIL;
    unit = *u;
    bytes = 1;
  }
  g_pending_count = 0;
  if (max_length != -1 && bytes + text_bytes() > max_length) return CTL_FAIL;

  const int32_t w = smallest_font_width();
  const EDIT_CELL cell{bytes * w / 2, font_kind == 1 ? 24 : 16, bytes, unit};
  insert_cell(caret, cell);
  ++caret;
  if (caret > last_visible(scroll)) {
    const int32_t n = std::min(cells.count - caret, 8);
    scroll = first_visible(caret + n);
  }
  sel_start = sel_end = -1;
  return CTL_OK;
}

void CEditBox::insert_text(const char* text) {
  if (!text) return;
  for (const char* p = text; *p; ++p) insert_char(static_cast<uint8_t>(*p));
}

// ---- caret and deletion ---------------------------------------------------------------------

void CEditBox::caret_key(uint8_t key) {
  if (key == 75 || key == 72 || key == 203 || key == 200) {
    --caret;
    scroll = std::min(scroll, std::max(caret, 0));
    caret = std::max(caret, scroll);
  } else {
    caret = std::min(caret + 1, cells.count);
    scroll = std::max(scroll, first_visible(caret));
  }
  if (key_down(plat::VK_SHIFT)) {
    sel_end = caret;
    if (sel_start == -1) sel_start = caret;
  } else {
    sel_start = sel_end = -1;
  }
}

int32_t CEditBox::home() {
  const int32_t old = caret;
  caret = 0;
  scroll = 0;
  if (key_down(plat::VK_SHIFT)) {
    sel_start = 0;
    sel_end = old;
  } else {
    sel_start = sel_end = -1;
  }
  return CTL_OK;
}

int32_t CEditBox::end() {
  caret = cells.count;
  scroll = first_visible(cells.count);
  if (key_down(plat::VK_SHIFT)) {
    sel_start = sel_end = caret;
  } else {
    sel_start = sel_end = -1;
  }
  return CTL_OK;
}

void CEditBox::remove_cells(int32_t first, int32_t n) { cells.remove_range(first, n); }

void CEditBox::delete_selection() {
  const int32_t lo = sel_low();
  remove_cells(lo, sel_high() - lo);
  caret = lo;
  scroll = std::min(scroll, lo);
  sel_start = sel_end = -1;
}

int32_t CEditBox::backspace() {
  if (has_selection()) {
    const int32_t lo = sel_low(), n = sel_high() - lo;
    remove_cells(lo, n);
    caret = lo;
    scroll = std::max(scroll - n, 0);
    sel_start = sel_end = -1;
  } else if (caret > 0) {
    remove_cells(caret - 1, 1);
    --caret;
    if (caret < scroll) scroll = caret;
    sel_start = sel_end = -1;  // an empty selection's anchor could point past the shorter text
  }
  return CTL_OK;
}

int32_t CEditBox::delete_forward() {
  if (caret >= cells.count) return CTL_OK;
  if (has_selection()) {
    const int32_t lo = sel_low();
    remove_cells(lo, sel_high() - lo);
    caret = lo;
  } else {
    remove_cells(caret, 1);
  }
  scroll = first_visible(caret);
  sel_start = sel_end = -1;
  return CTL_OK;
}

int32_t CEditBox::on_enter() {
  clear_text();
  return CTL_OK;
}

void CEditBox::clear_text() {
  remove_cells(0, cells.count);
  caret = 0;
  scroll = 0;
  sel_start = sel_end = -1;
}

// ---- clipboard ------------------------------------------------------------------------------

int32_t CEditBox::set_clipboard(bool owned) {
  if (!has_selection()) return 1;
  const int32_t lo = sel_low();
  // The whole selection goes over, however long (the clipboard block is sized from the text).
  const std::string text = cells_text(cells, lo, sel_high() - lo);
  if (!plat::get().clipboard().setText(text)) {
    plat::get().debugOut("Unable to set Clipboard data");
    return CTL_FAIL;
  }
  clipboard_owned = owned ? 1 : 0;
  return CTL_OK;
}

int32_t CEditBox::copy() { return set_clipboard(false); }

int32_t CEditBox::cut() {
  const int32_t r = set_clipboard(true);
  if (r != CTL_OK) return r;
  const int32_t lo = sel_low();
  remove_cells(lo, sel_high() - lo);
  caret = sel_start = sel_end = lo;
  scroll = std::min(scroll, lo);
  return CTL_OK;
}

int32_t CEditBox::paste() {
  plat::IClipboard& board = plat::get().clipboard();
  if (!board.hasText()) return CTL_FAIL;
  const auto text = board.getText(EDIT_PASTE_BYTES);
  if (!text) {
    plat::get().debugOut("Error-OpenClipboard");
    return CTL_FAIL;
  }
  if (clipboard_owned == 1) board.clear();  // a cut text pastes once
  for (char ch : *text) insert_char(static_cast<uint8_t>(ch));
  return CTL_OK;
}

// ---- text -----------------------------------------------------------------------------------

char* CEditBox::get_text(char* buffer, size_t size) {
  if (!buffer || size == 0) return buffer;
  const std::string text = cells_text(cells, 0, cells.count);
  const size_t n = plat::cp936::fitLength(text, size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return buffer;
}

int32_t CEditBox::text_bytes() const {
  int32_t n = 0;
  for (const EDIT_CELL& c : cells) n += c.bytes;
  return n;
}

int32_t CEditBox::text_width() const {
  int32_t n = 0;
  for (const EDIT_CELL& c : cells) n += c.width;
  return n;
}

int32_t CEditBox::first_visible(int32_t index) const {
  const int32_t room = text_rect.right - text_rect.left;
  int32_t j = std::min(index, cells.count), sum = 0;
  while (j > 0 && sum + cells[j - 1].width <= room) {
    sum += cells[j - 1].width;
    --j;
  }
  return j;
}

int32_t CEditBox::last_visible(int32_t index) const {
  const int32_t room = text_rect.right - text_rect.left;
  int32_t j = std::max(index, 0), sum = 0;
  while (j < cells.count && sum + cells[j].width <= room) {
    sum += cells[j].width;
    ++j;
  }
  return j;
}

int32_t CEditBox::index_at(int32_t x, int32_t y) const {
  if (!ctl_rect_holds(text_rect, x, y)) return caret;
  const int32_t dx = x - text_rect.left;
  int32_t sum = 0;
  for (int32_t i = std::max(scroll, 0); i < cells.count; ++i) {
    if (dx >= sum && dx < sum + cells[i].width) return i;
    sum += cells[i].width;
  }
  return cells.count;
}

int32_t CEditBox::caret_offset() const {
  int32_t x = 0;
  for (int32_t i = std::max(scroll, 0); i < caret && i < cells.count; ++i) x += cells[i].width;
  return x;
}

int32_t CEditBox::add_image_item(const char* media_path, int32_t frame) {
  CControlItem* item = new CControlItem;
  const int32_t r = item->load_image(media_path, frame);
  add_item(item);
  rect = item->dest;
  caret_rect = text_rect;
  return r;
}

// ---- drawing --------------------------------------------------------------------------------

int32_t CEditBox::draw_text(BITMAP16* target) {
  const int32_t room = text_rect.right - text_rect.left;
  int32_t n = 0, sum = 0;
  for (int32_t i = std::max(scroll, 0); i < cells.count && sum + cells[i].width <= room; ++i, ++n) sum += cells[i].width;
  const std::string text = cells_text(cells, std::max(scroll, 0), n);
  font_draw_text(text_rect.left, (text_rect.top + text_rect.bottom - 16) / 2, "~Z1", 1, target);
  font_draw_text(text_rect.left, (text_rect.top + text_rect.bottom - 16) / 2, text.c_str(), 1, target);
  return CTL_OK;
}

int32_t CEditBox::draw_caret(BITMAP16* target) {
  const double now = plat::tier0::floatTime();
  if (now - blink_time >= 0.5) {
    blink_time = now;
    blink_state = blink_state ? 0 : 1;
  }
  if (blink_state == 0 || !target) return CTL_OK;
  const CTL_POINT o = parent_origin();
  const int32_t dx = caret_offset();
  const int32_t left = caret_rect.left + o.x + dx, top = caret_rect.top + o.y, bottom = caret_rect.bottom + o.y;
  const int32_t column = left + 1;
  if (column < 0 || column >= static_cast<int32_t>(target->width) || bottom <= top) return CTL_OK;
  for (int32_t y = std::max(top, 0); y < bottom && y < static_cast<int32_t>(target->height); ++y) {
    target->rows[y][column] = 0xFFFF;  // the raw word, whatever the pixel format
  }
  return CTL_OK;
}

int32_t CEditBox::draw(BITMAP16* target) {
  if (CControl::draw(target) < 0) return CTL_FAIL;
  // The selection is shown as a shade over its cells.
  sel_rect = {};
  if (has_selection()) {
    const CTL_POINT o = parent_origin();
    int32_t x = 0, x0 = -1, x1 = -1;
    const int32_t room = text_rect.right - text_rect.left;
    for (int32_t i = std::max(scroll, 0); i < cells.count && x + cells[i].width <= room; ++i) {
      if (i == sel_low()) x0 = x;
      x += cells[i].width;
      if (i == sel_high() - 1) x1 = x;
    }
    if (x0 < 0 && sel_low() < scroll) x0 = 0;
    if (x1 < 0 && sel_high() > scroll) x1 = x;
    if (x0 >= 0 && x1 > x0) {
      sel_rect = {caret_rect.left + o.x + x0, caret_rect.top + o.y, caret_rect.left + o.x + x1, caret_rect.bottom + o.y};
      if (target && blit_ops.fill_blend) {
        const int32_t l = std::max(sel_rect.left, 0), t = std::max(sel_rect.top, 0);
        const int32_t r = std::min(sel_rect.right, static_cast<int32_t>(target->width));
        const int32_t b = std::min(sel_rect.bottom, static_cast<int32_t>(target->height));
        if (r > l && b > t) blit_ops.fill_blend(l, t, r - l, b - t, EDIT_SELECTION_COLOUR, target, EDIT_SELECTION_LEVEL);
      }
    }
  }
  if (draw_text(target) < 0) return CTL_FAIL;
  if (is_focused()) draw_caret(target);
  return CTL_OK;
}

int32_t CEditBox::load(plat::File& file) {
  CControl::load(file);
  return CTL_OK;
}

int32_t CEditBox::save(plat::File& file) {
  CControl::save(file);
  return CTL_OK;
}

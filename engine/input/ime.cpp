// The input method's messages: the IME-open flag in the record-less form the game runs, and the
// optional IME state record, filled from the platform's text-editing state.
#include "engine/input/ime.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/reset/module_resets.h"
#include "engine/input/input.h"
#include "plat/cp936.h"
#include "plat/platform.h"
#include "plat/winmsg.h"

namespace {

struct ImeGlobals {
  int32_t open = 0;
  int32_t candidate_open = 0;
  std::unique_ptr<IME_STATE> record;
};

ImeGlobals& g() {
  static ImeGlobals globals;
  return globals;
}

IME_STATE* rec() { return g().record.get(); }

// Copies text into a fixed field, NUL-terminated, without cutting a double-byte character.
void set_field(char* field, size_t size, const std::string& text) {
  size_t n = plat::cp936::fitLength(text, size - 1);
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

void free_candidates(IME_STATE* r) {
  delete r->candidate_list;
  r->candidate_list = nullptr;
  r->candidate_text[0] = '\0';
}

// The candidate list from the input method, where it gives one; the platform shows a page of
// up to nine.
void read_candidates(IME_STATE* r) {
  free_candidates(r);
  plat::ImeComposition c = plat::get().textInput().composition();
  if (c.candidatesCp936.empty()) return;
  auto* list = new IME_CANDIDATE_LIST;
  list->candidates = c.candidatesCp936;
  list->count = static_cast<uint32_t>(list->candidates.size());
  list->selection = c.candidateSelected < 0 ? 0 : static_cast<uint32_t>(c.candidateSelected);
  list->page_size = 9;
  list->page_start = list->selection / list->page_size * list->page_size;
  r->candidate_list = list;
  ime_format_candidates(list, r->candidate_text);
}

void read_conversion_mode(IME_STATE* r) {
  plat::ImeComposition c = plat::get().textInput().composition();
  r->full_width = c.fullWidth ? 1 : 0;
  r->symbol = c.symbol ? 1 : 0;
}

}  // namespace

int32_t ime_is_open() { return g().open; }
int32_t ime_candidate_is_open() { return g().candidate_open; }

int ime_on_start_composition(uint32_t, int32_t) {
  g().open = 1;
  return rec() ? 1 : 0;
}

int ime_on_end_composition(uint32_t, int32_t) {
  g().open = 0;
  input_clear_keys();
  return rec() ? 1 : 0;
}

int ime_on_composition(uint32_t, int32_t lParam) {
  IME_STATE* r = rec();
  if (!r) return 0;
  const uint32_t flags = static_cast<uint32_t>(lParam);
  plat::ImeComposition c = plat::get().textInput().composition();
  if (flags & plat::GCS_COMPSTR) {
    set_field(r->composition, sizeof r->composition, c.textCp936);
    read_candidates(r);
    read_conversion_mode(r);
  }
  // The platform's input methods give no separate reading string.
  if (flags & plat::GCS_COMPREADSTR) r->reading[0] = '\0';
  if (flags & plat::GCS_CURSORPOS) r->cursor_pos = c.cursor & 0xFFFF;
  // Results arrive as character messages on this platform, so no result string is read here.
  return 1;
}

int ime_on_set_context(uint32_t wParam, int32_t lParam) {
  if (lParam == 15 && wParam == 0) g().open = 0;
  return rec() ? 1 : 0;
}

int ime_on_notify(uint32_t wParam, int32_t lParam) {
  if (wParam == plat::IMN_CLOSECANDIDATE && lParam != 1) g().open = 0;
  if (wParam == plat::IMN_OPENCANDIDATE) g().candidate_open = 1;
  IME_STATE* r = rec();
  if (!r) {
    if (wParam == plat::IMN_CLOSESTATUSWINDOW) {
      g().open = 0;
      input_clear_keys();
    }
    return 0;
  }
  switch (wParam) {
    case plat::IMN_CHANGECANDIDATE:
    case plat::IMN_OPENCANDIDATE:
      read_candidates(r);
      break;
    case plat::IMN_CLOSECANDIDATE:
      free_candidates(r);
      break;
    case plat::IMN_SETCONVERSIONMODE:
      read_conversion_mode(r);
      break;
    default:
      break;
  }
  return 1;
}

int ime_on_lang_change_request(uint32_t, int32_t) {
  IME_STATE* r = rec();
  return (r && r->disabled == 0) ? 1 : 0;
}

int ime_on_lang_change(uint32_t, int32_t lParam) {
  const bool ime = ime_layout_is_ime(static_cast<uint32_t>(lParam));
  IME_STATE* r = rec();
  if (!r) {
    if (!ime) g().open = 0;
    return 0;
  }
  if (ime) {
    set_field(r->ime_name, sizeof r->ime_name, plat::get().textInput().composition().imeNameCp936);
    read_conversion_mode(r);
  } else {
    r->ime_name[0] = '\0';
  }
  return 0;
}

// ---- the record -----------------------------------------------------------------------------

int ime_state_create() {
  if (!g().record) {
    g().record.reset(new (std::nothrow) IME_STATE{});
    if (!g().record) return -1;
  }
  g().record->candidate_list = nullptr;
  ime_reset();
  return 0;
}

void ime_state_free() {
  if (IME_STATE* r = rec()) free_candidates(r);
  g().record.reset();
}

const IME_STATE* ime_state() { return rec(); }

void ime_reset() {
  IME_STATE* r = rec();
  if (!r) return;
  // Switching away from an input-method layout has no counterpart: the desktop chooses it.
  r->composition[0] = r->reading[0] = r->candidate_text[0] = r->ime_name[0] = r->result[0] = '\0';
  r->disabled = 0;
  r->cursor_pos = 0;
}

void ime_disable() {
  if (IME_STATE* r = rec()) r->disabled = 1;
}

void ime_next_layout() {}
void ime_prev_layout() {}
void ime_hotkey_17() {}
void ime_hotkey_18() {}

const char* ime_get_name() {
  IME_STATE* r = rec();
  return (r && r->ime_name[0]) ? r->ime_name : nullptr;
}

int ime_is_full_width() { return rec() ? rec()->full_width : 0; }
int ime_is_symbol() { return rec() ? rec()->symbol : 0; }

int ime_get_strings(const char** composition, const char** reading, int32_t* cursor, const char** candidates) {
  IME_STATE* r = rec();
  if (!r) return 0;
  if (composition) *composition = r->composition;
  if (reading) *reading = r->reading;
  if (cursor) *cursor = r->cursor_pos;
  if (candidates) *candidates = r->candidate_text;
  return 1;
}

int ime_take_result(char* out, int32_t size) {
  IME_STATE* r = rec();
  if (!r || r->result[0] == '\0' || !out || size <= 0) return 0;
  set_field(out, static_cast<size_t>(size), r->result);
  r->result[0] = '\0';
  return 1;
}

void ime_format_candidates(const IME_CANDIDATE_LIST* list, char* text) {
  text[0] = '\0';
  if (!list || list->count < list->selection) return;
  std::string out;
  const uint32_t available = list->count > list->page_start ? list->count - list->page_start : 0;
  const uint32_t shown = std::min({list->page_size, available, static_cast<uint32_t>(list->candidates.size())});
  for (uint32_t i = 0; i < shown && list->page_start + i < list->candidates.size(); ++i) {
    out += static_cast<char>(i < 9 ? '1' + i : '0');
    out += '.';
    out += list->candidates[list->page_start + i];
    out += '\t';
  }
  if (!out.empty()) out.pop_back();  // the last tab becomes the end
  set_field(text, IME_CANDIDATE_TEXT_SIZE, out);
}

void ime_module_reset() {
  ime_state_free();
  g().open = 0;
  g().candidate_open = 0;
}

static const ModuleReset k_reset("IME", ime_module_reset);

// The game's input fields and the active edit list: which field has the focus, and once a frame
// the typed characters and the key go to it through the routine of its kind.
#pragma once
#include <cstdint>

#include "engine/edit/edit_box.h"
#include "plat/types.h"

class CChatInputBox;

// The window-relative rectangle of the fields that windows draw at an offset.
struct EditBaseRect {
  CTL_RECT base_rect{};
};

class CCommandEdit : public CEditBox {
 public:
  CCommandEdit() : CEditBox(nullptr, 0) {}
  int32_t on_enter() override;
};

class CNameEdit : public CEditBox {
 public:
  CNameEdit() : CEditBox(nullptr, 0) { max_length = 14; }  // name_edit_construct
  int32_t on_enter() override { return CTL_OK; }
};

class CSearchNameEdit : public CEditBox {
 public:
  CSearchNameEdit() : CEditBox(nullptr, 0) {}
  int32_t on_enter() override;
  int32_t on_tab() override;
};

class CSearchIdEdit : public CEditBox {
 public:
  CSearchIdEdit() : CEditBox(nullptr, 0) {}
  int32_t on_char(uint8_t c, int32_t a, int32_t b) override;  // digits only
  int32_t on_enter() override;
  int32_t on_tab() override;
};

class CPetNameEdit : public CEditBox {
 public:
  CPetNameEdit() : CEditBox(nullptr, 0) {}
  int32_t on_enter() override;
};

class CAmountEdit : public CEditBox, public EditBaseRect {
 public:
  CAmountEdit() : CEditBox(nullptr, 0) {}
  int32_t on_char(uint8_t c, int32_t a, int32_t b) override;
  int32_t on_enter() override;
  uint32_t max_value = 0xFFFFFFFFu;  // compared unsigned: -1 allows any
  int32_t enter_switch = 0;          // 1: Enter checks the mail addressee
};

class CTitleEdit : public CEditBox, public EditBaseRect {
 public:
  CTitleEdit() : CEditBox(nullptr, 0) {}
  int32_t on_enter() override;
};

class CListAmountEdit : public CEditBox, public EditBaseRect {
 public:
  CListAmountEdit() : CEditBox(nullptr, 0) {}
  int32_t on_enter() override;
  CTL_RECT second_rect{};
  int32_t enter_switch = 0;
};

// Shows one '*' per byte and keeps the real bytes beside the cells.
class CPasswordEdit : public CEditBox, public EditBaseRect {
 public:
  CPasswordEdit() : CEditBox(nullptr, 0) {}
  ~CPasswordEdit() override { real.free(); }
  int32_t insert_char(uint8_t c) override;  // bytes of 128 and above are refused
  int32_t on_enter() override;
  void clear_text() override;
  // The real bytes as text (at most size - 1 of them).
  char* real_text(char* buffer, size_t size) const;

  GrowArray<uint8_t> real;

 protected:
  void remove_cells(int32_t first, int32_t n) override;
};

constexpr int32_t AMOUNT_EDIT_COUNT = 9;
constexpr int32_t TITLE_EDIT_COUNT = 2;
constexpr int32_t LIST_AMOUNT_EDIT_COUNT = 3;
constexpr int32_t PASSWORD_REAL_MAX = 1024;
constexpr int32_t TITLE_TEXT_MAX = 32;

extern CCommandEdit command_edit;
extern CSearchNameEdit search_name_edit;
extern CSearchIdEdit search_id_edit;
extern CPetNameEdit pet_name_edit;
extern CAmountEdit amount_edits[AMOUNT_EDIT_COUNT];
extern CTitleEdit title_edits[TITLE_EDIT_COUNT];
extern CListAmountEdit list_amount_edits[LIST_AMOUNT_EDIT_COUNT];
extern CPasswordEdit password_edit;

// World messages of the Enter actions.
constexpr uint32_t MSG_CHAT_SAY = 0x40006;
constexpr uint32_t MSG_PLAYER_SEARCH = 0x3001E;
constexpr uint32_t MSG_PET_RENAME = 0x60002;
constexpr uint32_t MSG_SET_TITLE = 0x19000D;

// ---- the active edit list -------------------------------------------------------------------

void edit_list_add(CEditBox* box);
void edit_list_remove(CEditBox* box);
void edit_list_focus_only(CEditBox* box);
CEditBox* edit_list_find_focused();
int32_t edit_list_count();
CEditBox* edit_list_at(int32_t i);
// Once a frame: the frame's characters and key to the focused field of a routed kind. True when
// its last operation succeeded.
bool edit_list_route_input();

// The character-creation name box's routine: the standard routing of the frame's characters and
// key, whatever the box's focus.
bool edit_name_box_input(CEditBox* box);
void edit_activate(CEditBox* box);
int32_t edit_activate_at(CEditBox* box, int32_t x, int32_t y);
void edit_deactivate(CEditBox* box);
void edit_release(CEditBox* box);
void edit_deactivate_reset(CEditBox* box);
int32_t search_name_focus_id();
int32_t search_id_focus_name();

// ---- placement ------------------------------------------------------------------------------

void edit_show_fixed_a(CEditBox* box);
void edit_show_chat_line(CEditBox* box);
void edit_show_field_upper(CEditBox* box);
void edit_show_field_lower(CEditBox* box);
void edit_show_field_mid(CEditBox* box);
void edit_show_at(CEditBox* box, const CTL_RECT& r, int32_t max_length);
void edit_show_chat_line_ex();
void edit_place_and_focus(CEditBox* box, const CTL_RECT& r);

// ---- small operations -----------------------------------------------------------------------

int32_t edit_get_int(CEditBox* box);
void edit_set_int(CEditBox* box, int32_t value);
void numeric_edit_set_max(CAmountEdit* box, uint32_t max_value);
void amount_edit_set_enter_enabled(CAmountEdit* box, int32_t on);
void list_edit_set_enter_enabled(CListAmountEdit* box, int32_t on);
// The text in the module's one 2,048-byte buffer.
const char* edit_get_text_shared(CEditBox* box);
// The real bytes of the global password box.
int32_t edit_get_count();
int32_t edit_draw_offset(CEditBox* box, int32_t dx, int32_t dy, BITMAP16* target);
int32_t edit_draw_offset_ex(int32_t dx, int32_t dy, BITMAP16* target);
// As edit_draw_offset, the text in the money colour of the box's value.
int32_t amount_edit_draw(CAmountEdit* box, int32_t dx, int32_t dy, BITMAP16* target);
// The input method's windows at the box's caret.
void ime_place_windows(CEditBox* box);
// Tests only: the list empty, routing back to its first call, every field cleared.
void game_edit_reset();

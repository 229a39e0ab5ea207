// The single-line text field: the text as cells of one code page 936 character each, a caret,
// a selection, horizontal scrolling, a blinking caret and the clipboard. The maximum length
// counts bytes. Game fields derive from it and replace a few operations (Enter above all).
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/control/control.h"

struct EDIT_CELL {
  int32_t width;   // bytes x the smallest font's full width / 2
  int32_t height;  // 24 with font kind 1, else 16
  int32_t bytes;   // 1 or 2
  uint32_t character;  // UTF-16 code unit in the low half
};

// Bytes a paste takes from the clipboard.
constexpr size_t EDIT_PASTE_BYTES = 512;

class CEditBox : public CControl {
 public:
  CEditBox(CControl* parent, uint32_t id);  // edit_box_construct
  ~CEditBox() override;

  CControl* on_click(int32_t x, int32_t y) override;        // moves the caret to the point
  CControl* on_focus_click(int32_t x, int32_t y) override;  // focuses the box
  int32_t on_char(uint8_t c, int32_t a, int32_t b) override;
  int32_t on_key(uint8_t key, int32_t a, int32_t b) override;
  int32_t on_key_aux(int32_t a, int32_t b, int32_t c) override;
  int32_t draw(BITMAP16* target) override;
  int32_t load(plat::File& file) override;
  int32_t save(plat::File& file) override;

  // The box's picture item from a media frame; the box takes the frame rectangle.
  virtual int32_t add_image_item(const char* media_path, int32_t frame);
  // Every byte through insert_char.
  virtual void insert_text(const char* text);
  // The text in code page 936 into buffer (size bytes with the NUL), cut on a character boundary.
  virtual char* get_text(char* buffer, size_t size);
  virtual void clear_text();
  virtual int32_t draw_text(BITMAP16* target);
  virtual void caret_key(uint8_t key);
  // One byte of text: a lead byte waits for its trail byte (CTL_FAIL until then).
  virtual int32_t insert_char(uint8_t c);
  virtual int32_t backspace();
  virtual int32_t cut();
  virtual int32_t copy();
  virtual int32_t paste();
  virtual int32_t home();
  virtual int32_t end();
  virtual int32_t delete_forward();
  virtual int32_t on_enter();  // the base clears the text
  virtual int32_t on_tab() { return CTL_OK; }
  virtual int32_t on_esc() { return CTL_OK; }

  void set_text_rect(const CTL_RECT& r) { text_rect = r; }
  void set_clip_rect(const CTL_RECT& r) { caret_rect = r; }
  int32_t text_bytes() const;  // edit_get_text_bytes
  int32_t text_width() const;  // edit_get_text_width: the sum of the cells' widths
  int32_t index_at(int32_t x, int32_t y) const;
  int32_t first_visible(int32_t index) const;
  int32_t last_visible(int32_t index) const;
  // Pixels from the scroll start to the caret.
  int32_t caret_offset() const;
  bool has_selection() const { return sel_start != -1 && sel_end != -1 && sel_start != sel_end; }
  int32_t sel_low() const { return sel_start < sel_end ? sel_start : sel_end; }
  int32_t sel_high() const { return sel_start < sel_end ? sel_end : sel_start; }

  GrowArray<EDIT_CELL> cells;
  int32_t caret = 0;
  int32_t sel_start = -1;
  int32_t sel_end = -1;
  int32_t scroll = 0;
  CTL_RECT text_rect{};
  CTL_RECT caret_rect{};  // relative to the parent chain's origin
  CTL_RECT sel_rect{};    // the selection as last drawn
  int32_t max_length = -1;  // bytes; -1 none
  int32_t font_kind = 0;
  int32_t clipboard_owned = 0;
  int32_t blink_state = 1;
  double blink_time = 0.0;

 protected:
  // Every removal of cells goes through here, so that subclasses keeping a shadow of the text
  // (the password box) follow selections, Backspace, Delete and cuts alike.
  virtual void remove_cells(int32_t first, int32_t n);
  void insert_cell(int32_t index, const EDIT_CELL& cell) { cells.insert(index, cell); }
  int32_t draw_caret(BITMAP16* target);
  // Removes a non-empty selection; the caret goes to its lower end.
  void delete_selection();
  int32_t set_clipboard(bool owned);
};

// The selection shade of every box (a translucent fill under the text).
constexpr uint16_t EDIT_SELECTION_COLOUR = 0x435F;
constexpr int EDIT_SELECTION_LEVEL = 20;

// Bytes of a double-byte character waiting for its trail byte (shared by every box): 0 or 1.
int32_t edit_pending_count();
// Forgets the pending byte (tests, and the reset of the module).
void edit_pending_reset();
// The width of the whole text in pixels: the sum of the cells' widths, 0 when empty.
inline int32_t edit_get_text_width(const CEditBox* box) { return box ? box->text_width() : 0; }

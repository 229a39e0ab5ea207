// Interface controls: a rectangle inside an optional parent control, three state bits, a name and
// a list of picture items drawn at their own rectangles. Every input field derives from CControl
// through the edit box. Results are COM style: 0 success, CTL_FAIL failure.
#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/grow_array.h"
#include "graphics/img256/img256.h"

struct BITMAP16;
namespace plat {
class File;
}

constexpr int32_t CTL_OK = 0;
constexpr int32_t CTL_FAIL = static_cast<int32_t>(0x80004005u);

constexpr uint32_t CTL_SHOWN = 1;
constexpr uint32_t CTL_ITEMS_DRAWN = 2;
constexpr uint32_t CTL_FOCUSED = 4;

constexpr int32_t CTL_KIND_EDIT = 2;
constexpr size_t CTL_NAME_SIZE = 128;
// The control description record: kind, name, rect, flags, item count, then 32 bytes per item.
constexpr size_t CTL_RECORD_HEAD_SIZE = 156;
constexpr size_t CTL_RECORD_ITEM_SIZE = 32;

struct CTL_RECT {
  int32_t left, top, right, bottom;
};
struct CTL_POINT {
  int32_t x, y;
};

inline bool ctl_rect_holds(const CTL_RECT& r, int32_t x, int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// An item's picture: the frame's bytes as read from the media file, its checked view and its
// rectangle. Owned by the item.
struct CTL_PICTURE {
  uint8_t* frame_data = nullptr;
  Img256Frame frame;
  IMG256_RECT rect{};
};

class CControlItem {
 public:
  CControlItem() = default;
  // src null: the picture's size at (0, 0), zero without a picture; dest null: src.
  CControlItem(const CTL_RECT* dest, const CTL_RECT* src, int32_t index);
  CControlItem(const CControlItem&) = delete;
  CControlItem& operator=(const CControlItem&) = delete;
  virtual ~CControlItem();

  virtual void move_to(CTL_POINT p);
  virtual CTL_POINT get_pos() const { return {dest.left, dest.top}; }
  // Draws the picture at the frame rectangle's left and top; the origin is not applied.
  virtual int32_t draw(CTL_POINT origin, BITMAP16* target);
  virtual int32_t read(plat::File& file);   // dest then src
  virtual int32_t write(plat::File& file);

  // Frame `frame` of a media file as the picture; dest becomes the frame rectangle. CTL_FAIL when
  // the frame cannot be read (the item keeps no picture then).
  int32_t load_image(const char* media_path, int32_t frame);

  CTL_RECT dest{};
  CTL_RECT src{};
  CTL_PICTURE* image = nullptr;
  int32_t index = 0;
  int32_t visible = 1;
  int32_t last = -1;

 private:
  void free_image();
};

class CControl {
 public:
  // control_construct: flags 3 (shown, items drawn), name and rect zero, no items.
  CControl(CControl* parent, int32_t kind, uint32_t id);
  CControl(const CControl&) = delete;
  CControl& operator=(const CControl&) = delete;
  virtual ~CControl();

  // The five pointer operations; the base body of each is ctl_hit_test.
  virtual CControl* on_click(int32_t x, int32_t y);
  virtual CControl* on_focus_click(int32_t x, int32_t y);
  virtual CControl* on_pointer3(int32_t x, int32_t y);
  virtual CControl* on_pointer4(int32_t x, int32_t y);
  virtual CControl* on_pointer5(int32_t x, int32_t y);
  virtual int32_t on_char(uint8_t c, int32_t a, int32_t b);
  virtual int32_t on_key(uint8_t key, int32_t a, int32_t b);
  virtual int32_t on_key_aux(int32_t a, int32_t b, int32_t c);
  virtual int32_t ignore_event(int32_t, int32_t) { return CTL_OK; }
  virtual int32_t draw(BITMAP16* target);
  // The record without its kind word (the reader of a file of records reads that first).
  virtual int32_t load(plat::File& file);
  virtual int32_t save(plat::File& file);
  virtual CControlItem* new_item(int32_t ignored, CTL_RECT dest, CTL_RECT src);
  virtual void set_items_drawn(bool on) { set_flag(CTL_ITEMS_DRAWN, on); }
  virtual uint32_t items_drawn() const { return flags & CTL_ITEMS_DRAWN; }
  virtual void set_shown(bool on) { set_flag(CTL_SHOWN, on); }
  virtual uint32_t is_shown() const { return flags & CTL_SHOWN; }
  virtual void set_focused(bool on) { set_flag(CTL_FOCUSED, on); }
  virtual uint32_t is_focused() const { return flags & CTL_FOCUSED; }
  // The first item whose dest holds the point as given (hidden items included).
  virtual CControlItem* item_at(int32_t x, int32_t y);
  virtual void move_to(int32_t x, int32_t y);
  virtual void set_rect(const CTL_RECT& r) { rect = r; }
  // A screen point into the parent's coordinates; CTL_FAIL for null.
  virtual int32_t to_parent_coords(CTL_POINT* p) const;
  virtual int32_t query_zero(int32_t) { return CTL_OK; }

  void add_item(CControlItem* item);
  // The sum of the left and top of every control on the parent chain (not this one).
  CTL_POINT parent_origin() const;
  // The name as kept: at most 128 bytes, also when the record gave no NUL.
  std::string_view name_view() const { return {name, strnlen(name, CTL_NAME_SIZE)}; }

  int32_t kind;
  uint32_t id;
  CTL_RECT rect{};
  uint32_t flags = CTL_SHOWN | CTL_ITEMS_DRAWN;
  char name[CTL_NAME_SIZE] = {};
  GrowArray<CControlItem*> items;
  CControl* parent;

 private:
  void set_flag(uint32_t bit, bool on) { flags = on ? (flags | bit) : (flags & ~bit); }
};

// The hit test behind the pointer operations: the control when the point, taken to parent
// coordinates, lies in its rect (left and top inclusive), else null.
CControl* ctl_hit_test(CControl* control, int32_t x, int32_t y);

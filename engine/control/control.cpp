#include "engine/control/control.h"

#include <new>

#include "core/log/log.h"
#include "graphics/img256/img256_draw.h"
#include "graphics/mda/mda.h"
#include "plat/bytes.h"
#include "plat/files.h"

namespace {

void write_rect(plat::ByteWriter& w, const CTL_RECT& r) {
  w.i32(r.left);
  w.i32(r.top);
  w.i32(r.right);
  w.i32(r.bottom);
}

CTL_RECT read_rect(plat::ByteReader& r) {
  CTL_RECT out;
  out.left = r.i32("left");
  out.top = r.i32("top");
  out.right = r.i32("right");
  out.bottom = r.i32("bottom");
  return out;
}

bool write_all(plat::File& file, const plat::ByteWriter& w) {
  return file.write(w.data().data(), w.size()) == w.size();
}

bool read_exact(plat::File& file, uint8_t* buffer, size_t n) { return file.read(buffer, n) == n; }

}  // namespace

// ---- items ----------------------------------------------------------------------------------

CControlItem::CControlItem(const CTL_RECT* dest_rect, const CTL_RECT* src_rect, int32_t item_index) : index(item_index) {
  if (src_rect) {
    src = *src_rect;
  } else if (image) {
    src = {0, 0, image->frame.width(), image->frame.height()};
  }
  dest = dest_rect ? *dest_rect : src;
}

CControlItem::~CControlItem() { free_image(); }

void CControlItem::free_image() {
  if (!image) return;
  mda_frame_buffer_free(&image->frame_data);
  delete image;
  image = nullptr;
}

void CControlItem::move_to(CTL_POINT p) {
  dest.right = p.x + (dest.right - dest.left);
  dest.bottom = p.y + (dest.bottom - dest.top);
  dest.left = p.x;
  dest.top = p.y;
}

int32_t CControlItem::draw(CTL_POINT, BITMAP16* target) {
  if (image) img256_draw(image->rect.left, image->rect.top, &image->frame, target);
  return CTL_OK;
}

int32_t CControlItem::read(plat::File& file) {
  uint8_t buffer[CTL_RECORD_ITEM_SIZE];
  if (!read_exact(file, buffer, sizeof buffer)) return CTL_FAIL;
  plat::ByteReader r(buffer);
  dest = read_rect(r);
  src = read_rect(r);
  return CTL_OK;
}

int32_t CControlItem::write(plat::File& file) {
  plat::ByteWriter w;
  write_rect(w, dest);
  write_rect(w, src);
  return write_all(file, w) ? CTL_OK : CTL_FAIL;
}

int32_t CControlItem::load_image(const char* media_path, int32_t frame) {
  CTL_PICTURE* picture = new (std::nothrow) CTL_PICTURE;
  if (!picture) return CTL_FAIL;
  uint32_t size = 0;
  if (mda_read_frame_sized(media_path, frame, &picture->frame_data, &size) != 0 ||
      img256_open(picture->frame_data, size, &picture->frame) != 0) {
    sys_log_printf(1, "control item: frame %d of %s is not a picture", frame, media_path ? media_path : "(null)");
    mda_frame_buffer_free(&picture->frame_data);
    delete picture;
    return CTL_FAIL;
  }
  img256_get_rect(&picture->frame, &picture->rect);
  free_image();
  image = picture;
  dest = {picture->rect.left, picture->rect.top, picture->rect.right, picture->rect.bottom};
  return CTL_OK;
}

// ---- controls -------------------------------------------------------------------------------

CControl::CControl(CControl* parent_control, int32_t control_kind, uint32_t control_id)
    : kind(control_kind), id(control_id), parent(parent_control) {}

CControl::~CControl() {
  for (CControlItem*& item : items) {
    delete item;
    item = nullptr;
  }
  items.free();
}

CControl* ctl_hit_test(CControl* control, int32_t x, int32_t y) {
  CTL_POINT p{x, y};
  if (control->to_parent_coords(&p) < 0) return nullptr;
  return ctl_rect_holds(control->rect, p.x, p.y) ? control : nullptr;
}

CControl* CControl::on_click(int32_t x, int32_t y) { return ctl_hit_test(this, x, y); }
CControl* CControl::on_focus_click(int32_t x, int32_t y) { return ctl_hit_test(this, x, y); }
CControl* CControl::on_pointer3(int32_t x, int32_t y) { return ctl_hit_test(this, x, y); }
CControl* CControl::on_pointer4(int32_t x, int32_t y) { return ctl_hit_test(this, x, y); }
CControl* CControl::on_pointer5(int32_t x, int32_t y) { return ctl_hit_test(this, x, y); }
int32_t CControl::on_char(uint8_t, int32_t, int32_t) { return CTL_OK; }
int32_t CControl::on_key(uint8_t, int32_t, int32_t) { return CTL_OK; }
int32_t CControl::on_key_aux(int32_t, int32_t, int32_t) { return CTL_OK; }

CTL_POINT CControl::parent_origin() const {
  CTL_POINT o{0, 0};
  for (const CControl* c = parent; c; c = c->parent) {
    o.x += c->rect.left;
    o.y += c->rect.top;
  }
  return o;
}

int32_t CControl::to_parent_coords(CTL_POINT* p) const {
  if (!p) return CTL_FAIL;
  const CTL_POINT o = parent_origin();
  p->x -= o.x;
  p->y -= o.y;
  return CTL_OK;
}

int32_t CControl::draw(BITMAP16* target) {
  if (!(flags & CTL_ITEMS_DRAWN)) return CTL_OK;
  const CTL_POINT po = parent_origin();
  const CTL_POINT origin{rect.left + po.x, rect.top + po.y};
  for (CControlItem* item : items) {
    if (item->visible == 0) continue;
    if (item->draw(origin, target) < 0) return CTL_FAIL;
  }
  return CTL_OK;
}

int32_t CControl::save(plat::File& file) {
  plat::ByteWriter w;
  w.u32(static_cast<uint32_t>(kind));
  w.bytes(name, CTL_NAME_SIZE);
  write_rect(w, rect);
  w.u32(flags);
  w.u32(static_cast<uint32_t>(items.count));
  if (!write_all(file, w)) return CTL_FAIL;
  for (CControlItem* item : items) {
    if (item->write(file) < 0) return CTL_FAIL;
  }
  return CTL_OK;
}

int32_t CControl::load(plat::File& file) {
  uint8_t head[CTL_RECORD_HEAD_SIZE - 4];
  if (!read_exact(file, head, sizeof head)) return CTL_FAIL;
  plat::ByteReader r(head);
  r.copy(name, CTL_NAME_SIZE, "name");
  rect = read_rect(r);
  flags = r.u32("flags");
  const int32_t n = r.i32("item count");
  if (n < 1) return CTL_OK;
  for (int32_t i = 0; i < n; ++i) {
    CControlItem* item = new (std::nothrow) CControlItem;
    if (!item) return CTL_FAIL;
    if (item->read(file) < 0) {
      delete item;
      return CTL_FAIL;
    }
    add_item(item);
  }
  return CTL_OK;
}

CControlItem* CControl::new_item(int32_t, CTL_RECT dest, CTL_RECT src) {
  CControlItem* item = new CControlItem(&dest, &src, items.count);
  add_item(item);
  return item;
}

void CControl::add_item(CControlItem* item) { items.insert(items.count, item); }

CControlItem* CControl::item_at(int32_t x, int32_t y) {
  for (CControlItem* item : items) {
    if (ctl_rect_holds(item->dest, x, y)) return item;
  }
  return nullptr;
}

void CControl::move_to(int32_t x, int32_t y) {
  rect.right = x + (rect.right - rect.left);
  rect.bottom = y + (rect.bottom - rect.top);
  rect.left = x;
  rect.top = y;
}

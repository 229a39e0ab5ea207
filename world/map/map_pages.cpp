// The page cache. Every page stream is a whole 800 x 600 picture: it is decoded whole and copied
// clipped to the map into its slot.
#include "world/map/map_pages.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "client/ui/message_box.h"
#include "core/log/log.h"
#include "core/reset/module_resets.h"
#include "engine/system/system.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/img256/scene_view_origin.h"
#include "graphics/jpg/jpg_load.h"
#include "plat/bytes.h"
#include "social/chat_log/chat_log.h"
#include "world/map/map_data.h"

namespace {

constexpr uint16_t kFillColour = 0;
constexpr int32_t kHalfWidth = MAP_PAGE_WIDTH / 2, kHalfHeight = MAP_PAGE_HEIGHT / 2;
const size_t kPageBytes = rgb24_stride(MAP_PAGE_WIDTH) * MAP_PAGE_HEIGHT;

std::vector<uint8_t> page_rgb;  // one decoded page, reused

// The first page edge of the cache along one axis.
int32_t first_edge(int32_t at, int32_t page, int32_t size) {
  int32_t edge = (at / page) * page;
  if (at < page / 2 || edge == size - page) edge -= page;
  return edge < 0 ? 0 : edge;
}

// The page at (left, top) into a slot, clipped to the map: 0, or -2 when the slot has no bitmap.
int32_t fill_slot(int32_t slot, int32_t left, int32_t top) {
  const int32_t w = left + MAP_PAGE_WIDTH >= map_record.display.map_width ? map_record.display.map_width - left
                                                                           : MAP_PAGE_WIDTH;
  const int32_t h = top + MAP_PAGE_HEIGHT >= map_record.map_height ? map_record.map_height - top : MAP_PAGE_HEIGHT;
  if (w < 1 || h < 1) return 0;
  MAP_PAGE_SLOT& s = map_record.pages[slot];
  if (!s.bitmap) s.bitmap = bitmap16_create(MAP_PAGE_WIDTH, MAP_PAGE_HEIGHT);
  if (!s.bitmap) return -2;
  s.left = left;
  s.top = top;
  s.right = left + w;
  s.bottom = top + h;
  if (map_record.images.empty()) {
    bitmap16_fill(s.bitmap, kFillColour);
    return 0;
  }
  if (page_rgb.size() != kPageBytes) page_rgb.assign(kPageBytes, 0);
  const std::vector<uint8_t>& data = map_record.images[0].data;
  const bool decoded = map_decode_page(data.data(), data.size(), left, top, MAP_PAGE_WIDTH, MAP_PAGE_HEIGHT,
                                       page_rgb.data(), page_rgb.size()) == 0;
  // A whole decoded page covers the slot; anything less shows the fill colour around it.
  if (!decoded || w < MAP_PAGE_WIDTH || h < MAP_PAGE_HEIGHT) bitmap16_fill(s.bitmap, kFillColour);
  if (!decoded) {
    sys_log_printf(1, "%s file decode error", map_record.path);
    return 0;
  }
  convert_rgb24_block(page_rgb.data(), s.bitmap, 0, 0, w, h, MAP_PAGE_WIDTH, MAP_PAGE_HEIGHT);
  return 0;
}

// Where page (column, row)'s stream lies in image 0's data; false when it has none.
bool page_stream(const uint8_t* data, size_t size, int32_t column, int32_t row, uint64_t* offset, uint32_t* length) {
  if (!data || size < static_cast<size_t>(MAP_PAGE_STREAMS_OFFSET)) return false;
  plat::ByteReader r(data, size);
  const uint32_t across = r.u32("pages across");
  if (column < 0 || row < 0 || static_cast<uint32_t>(column) >= across || row >= MAP_PAGE_TABLE_SIDE ||
      column >= MAP_PAGE_TABLE_SIDE) {
    return false;
  }
  uint64_t at = MAP_PAGE_STREAMS_OFFSET;
  const auto page_size = [&r](int32_t c, int32_t rw) {
    r.seek(MAP_PAGE_SIZES_OFFSET + 4 * static_cast<size_t>(rw * MAP_PAGE_TABLE_SIDE + c), "page size");
    return uint64_t{r.u32("page size")};
  };
  for (int32_t rw = 0; rw < row; ++rw) {
    for (uint32_t c = 0; c < across; ++c) at += page_size(static_cast<int32_t>(c), rw);
  }
  for (int32_t c = 0; c < column; ++c) at += page_size(c, row);
  const uint64_t len = page_size(column, row);
  if (at > size || len > size - at) return false;
  *offset = at;
  *length = static_cast<uint32_t>(len);
  return true;
}

}  // namespace

int32_t map_decode_page(const uint8_t* data, size_t data_size, int32_t left, int32_t top, int32_t width,
                        int32_t height, uint8_t* out, size_t out_size) {
  if (left % MAP_PAGE_WIDTH != 0 || top % MAP_PAGE_HEIGHT != 0 || width != MAP_PAGE_WIDTH ||
      height != MAP_PAGE_HEIGHT) {
    show_system_message("map jpg erro set", 0);
    return MAP_DECODE_FAILED;
  }
  uint64_t offset = 0;
  uint32_t length = 0;
  int32_t channels = 0;
  bool ok = page_stream(data, data_size, left / MAP_PAGE_WIDTH, top / MAP_PAGE_HEIGHT, &offset, &length);
  // Three bytes a pixel fit the caller's rows; another layout would not.
  ok = ok && out && out_size >= kPageBytes &&
       jpeg_read_info(data + offset, length, nullptr, nullptr, &channels) == 0 && (channels == 1 || channels == 3);
  size_t decoded = 0;
  ok = ok && jpeg_decode(data + offset, length, 0, 0, MAP_PAGE_WIDTH, MAP_PAGE_HEIGHT, &out, &decoded) == 0;
  if (!ok) {
    show_message_box("map jpg erro read", 0);  // drawn and logged; a damaged map needs no click per page
    return MAP_DECODE_FAILED;
  }
  return 0;
}

int32_t map_page_cache_fill(int32_t x, int32_t y) {
  map_pages_clear_edges();
  const int32_t col = first_edge(x, MAP_PAGE_WIDTH, map_record.display.map_width);
  const int32_t row = first_edge(y, MAP_PAGE_HEIGHT, map_record.map_height);
  for (int32_t r = 0; r < 3; ++r) {
    const int32_t top = row + r * MAP_PAGE_HEIGHT;
    if (top >= map_record.map_height) break;
    for (int32_t c = 0; c < 3; ++c) {
      const int32_t left = col + c * MAP_PAGE_WIDTH;
      if (left >= map_record.display.map_width) continue;
      if (fill_slot(r * 3 + c, left, top) != 0) return -2;
    }
  }
  return 0;
}

void map_page_load(int32_t left, int32_t top, int32_t slot) {
  if (slot < 0 || slot >= MAP_PAGE_SLOTS) return;
  fill_slot(slot, left, top);
}

int32_t map_page_pick_slot(int32_t x, int32_t y) {
  const int32_t bl = std::max(scene_view_origin.x - 1, 0), bt = std::max(scene_view_origin.y - 1, 0);
  const int32_t br = std::min(scene_view_origin.x + MAP_PAGE_WIDTH + 1, map_record.display.map_width);
  const int32_t bb = std::min(scene_view_origin.y + MAP_PAGE_HEIGHT + 1, map_record.map_height);
  int32_t best = -1;
  int64_t best_distance = -1;
  for (int32_t i = 0; i < MAP_PAGE_SLOTS; ++i) {
    const MAP_PAGE_SLOT& s = map_record.pages[i];
    if (s.right >= bl && s.bottom >= bt && s.left <= br && s.top <= bb) continue;
    const int64_t dx = int64_t{s.left} + kHalfWidth - x, dy = int64_t{s.top} + kHalfHeight - y;
    const int64_t d = dx * dx + dy * dy;
    if (d > best_distance) {
      best = i;
      best_distance = d;
    }
  }
  if (best < 0) sys_log(1, "Inter error( select destory BMP not fing !");
  return best;
}

int32_t map_page_find(int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= map_record.display.map_width || y >= map_record.map_height) return -2;
  for (int32_t i = 0; i < MAP_PAGE_SLOTS; ++i) {
    const MAP_PAGE_SLOT& s = map_record.pages[i];
    if (s.left <= x && x < s.right && s.top <= y && y < s.bottom) return i;
  }
  int32_t slot = map_page_pick_slot(scene_view_origin.x + kHalfWidth, scene_view_origin.y + kHalfHeight);
  if (slot < 0) slot = 0;
  map_page_load((x / MAP_PAGE_WIDTH) * MAP_PAGE_WIDTH, (y / MAP_PAGE_HEIGHT) * MAP_PAGE_HEIGHT, slot);
  return slot;
}

int32_t map_page_missing(int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= map_record.display.map_width || y >= map_record.map_height) return -2;
  for (const MAP_PAGE_SLOT& s : map_record.pages) {
    if (s.left <= x && x < s.right && s.top <= y && y < s.bottom) return -2;
  }
  return 0;
}

void map_draw_view(BITMAP16* destination, int32_t x, int32_t y) {
  if (!destination) return;
  for (const MAP_PAGE_SLOT& s : map_record.pages) {
    if (!s.bitmap || s.left == MAP_PAGE_UNUSED) continue;
    // The part of the slot inside the view, the destination and the slot's bitmap.
    const int64_t x0 = std::max<int64_t>(s.left, x);
    const int64_t y0 = std::max<int64_t>(s.top, y);
    const int64_t x1 = std::min<int64_t>({s.right, int64_t{x} + MAP_PAGE_WIDTH, int64_t{x} + destination->width,
                                          int64_t{s.left} + s.bitmap->width});
    const int64_t y1 = std::min<int64_t>({s.bottom, int64_t{y} + MAP_PAGE_HEIGHT, int64_t{y} + destination->height,
                                          int64_t{s.top} + s.bitmap->height});
    if (x0 >= x1 || y0 >= y1) continue;
    const size_t bytes = static_cast<size_t>(x1 - x0) * 2;
    for (int64_t row = y0; row < y1; ++row) {
      std::memcpy(destination->rows[row - y] + (x0 - x), s.bitmap->rows[row - s.top] + (x0 - s.left), bytes);
    }
  }
}

void map_compose_view(BITMAP16* destination, BITMAP16* work, int32_t x, int32_t y) {
  if (!work) return;
  int32_t right = x + MAP_PAGE_WIDTH, bottom = y + MAP_PAGE_HEIGHT;
  if (right >= map_record.display.map_width) right -= MAP_PAGE_WIDTH;
  if (bottom >= map_record.map_height) bottom -= MAP_PAGE_HEIGHT;
  const int32_t corner_x[4] = {x, right, x, right}, corner_y[4] = {y, y, bottom, bottom};
  for (int i = 0; i < 4; ++i) {
    const int32_t slot = map_page_find(corner_x[i], corner_y[i]);
    if (slot < 0 || !map_record.pages[slot].bitmap) {
      chat_log_add(7, 0, "screen error", sys_message_buffer(), 0);
      continue;
    }
    const BITMAP16* page = map_record.pages[slot].bitmap;
    const uint32_t to_x = (i % 2) * MAP_PAGE_WIDTH, to_y = (i / 2) * MAP_PAGE_HEIGHT;
    const uint32_t lines = i < 2 ? MAP_PAGE_HEIGHT : MAP_PAGE_HEIGHT / 2;
    for (uint32_t r = 0; r < lines && to_y + r < work->height && r < page->height; ++r) {
      if (to_x >= work->width) break;
      const uint32_t n = std::min({uint32_t{MAP_PAGE_WIDTH}, work->width - to_x, page->width});
      std::memcpy(work->rows[to_y + r] + to_x, page->rows[r], n * 2);
    }
  }
  if (!destination || destination == work) return;
  const uint32_t w = std::min(work->width, destination->width), h = std::min(work->height, destination->height);
  for (uint32_t r = 0; r < h; ++r) std::memcpy(destination->rows[r], work->rows[r], w * 2);
}

static const ModuleReset k_reset("map pages", [] { std::vector<uint8_t>().swap(page_rgb); });

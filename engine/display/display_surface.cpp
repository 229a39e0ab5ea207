// Off-screen surfaces: plain 16-bit memory in the screen format.
#include <algorithm>
#include <cstring>

#include "engine/display/display.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/cpu/mmx.h"
#include "graphics/pixel_ops/pixel_ops.h"

namespace {

// Text cells until glyphs are drawn on surfaces: 8 x 16 pixels a byte.
constexpr int32_t kCellWidth = 8, kCellHeight = 16;

uint16_t gdi_colour(uint32_t colour) {
  return pixel_ops.pack(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                        static_cast<int>((colour >> 16) & 0xFF));
}

// Makes a surface object and runs fill on it; a failure frees it again.
template <class Fill>
int32_t new_surface(DDRAW_SURFACE** out, int32_t width, int32_t height, Fill fill) {
  auto* s = new DDRAW_SURFACE;
  int32_t hr = surface_make(s, width, height);
  if (hr == DD_OK) hr = fill(s);
  if (hr != DD_OK) {
    delete s;
    return hr;
  }
  *out = s;
  return DD_OK;
}

}  // namespace

int32_t surface_make(DDRAW_SURFACE* surface, int32_t width, int32_t height) {
  if (!surface) return DD_E_INVALIDARG;
  BITMAP16* bm = bitmap16_create(width, height);
  if (!bm) return DD_E_FAIL;
  surface->pixels = std::shared_ptr<BITMAP16>(bm, [](BITMAP16* p) { bitmap16_free(&p); });
  return DD_OK;
}

int32_t surface_wrap(DDRAW_SURFACE* surface, const DDRAW_SURFACE* existing) {
  if (!surface || !existing || !existing->pixels) return DD_E_INVALIDARG;
  surface->pixels = existing->pixels;
  return DD_OK;
}

int32_t surface_free(DDRAW_SURFACE* surface) {
  if (surface) surface->pixels.reset();
  return DD_OK;
}

void display_delete_surface(DDRAW_SURFACE* surface) { delete surface; }

int32_t surface_stretch_bitmap(DDRAW_SURFACE* surface, BITMAP16* bitmap, int32_t x, int32_t y, int32_t width,
                               int32_t height) {
  BITMAP16* target = surface_get(surface);
  if (!target) return DD_E_POINTER;
  if (!bitmap) return DD_E_INVALIDARG;
  if (width == 0) width = static_cast<int32_t>(bitmap->width);
  if (height == 0) height = static_cast<int32_t>(bitmap->height);
  BITMAP16* view = bitmap16_view_rect(bitmap, x, y, width, height);
  if (!view) return DD_E_INVALIDARG;
  bitmap16_stretch(0, 0, static_cast<int32_t>(target->width), static_cast<int32_t>(target->height), view, target);
  bitmap16_free(&view);
  return DD_OK;
}

// Glyphs are not drawn on surfaces: each byte's cell takes the background colour.
int32_t surface_write_text(DDRAW_SURFACE* surface, const void* /*font*/, const char* text, int32_t x, int32_t y,
                           uint32_t background, uint32_t /*foreground*/) {
  BITMAP16* target = surface_get(surface);
  if (!target) return DD_E_POINTER;
  if (!text) return DD_E_INVALIDARG;
  const auto n = static_cast<int64_t>(std::strlen(text));
  const uint16_t bg = gdi_colour(background);
  for (int64_t ty = std::max<int64_t>(y, 0); ty < std::min<int64_t>(y + kCellHeight, target->height); ++ty) {
    for (int64_t tx = std::max<int64_t>(x, 0); tx < std::min<int64_t>(x + n * kCellWidth, target->width); ++tx) {
      target->rows[ty][tx] = bg;
    }
  }
  return DD_OK;
}

// No picture loader is linked to surfaces: a load fails as a missing file does.
int32_t surface_reload(DDRAW_SURFACE* surface, const char* name, int32_t, int32_t) {
  if (!surface_get(surface)) return DD_E_POINTER;
  if (!name) return DD_E_INVALIDARG;
  return DD_E_FAIL;
}

int32_t surface_set_key(DDRAW_SURFACE* surface, uint32_t colour) {
  if (!surface_get(surface)) return DD_E_POINTER;
  surface->has_key = 1;
  surface->key = static_cast<uint16_t>(surface_gdi_to_pixel(surface, colour));
  return DD_OK;
}

uint32_t surface_gdi_to_pixel(DDRAW_SURFACE* surface, uint32_t colour) {
  BITMAP16* bm = surface_get(surface);
  if (colour == CLR_INVALID) return bm && bm->width > 0 && bm->height > 0 ? bm->rows[0][0] : 0;
  return gdi_colour(colour);
}

BITMAP16* surface_get(const DDRAW_SURFACE* surface) { return surface ? surface->pixels.get() : nullptr; }

int32_t surface_has_key(const DDRAW_SURFACE* surface) { return surface ? surface->has_key : 0; }

int32_t display_new_surface(DDRAW_SURFACE** out, int32_t width, int32_t height) {
  if (!ddraw_display().object) return DD_E_POINTER;
  if (!out) return DD_E_INVALIDARG;
  return new_surface(out, width, height, [](DDRAW_SURFACE*) { return DD_OK; });
}

int32_t display_new_bitmap_surface(DDRAW_SURFACE** out, const char* name, int32_t width, int32_t height) {
  if (!ddraw_display().object || !name || !out) return DD_E_INVALIDARG;
  return new_surface(out, width, height,
                     [&](DDRAW_SURFACE* s) { return surface_reload(s, name, width, height); });
}

int32_t display_new_text_surface(DDRAW_SURFACE** out, const void* font, const char* text, uint32_t background,
                                 uint32_t foreground) {
  if (!ddraw_display().object || !text || !out) return DD_E_INVALIDARG;
  const auto width = static_cast<int32_t>(std::min<size_t>(std::strlen(text) * kCellWidth, BITMAP16_MAX_SIZE));
  return new_surface(out, width, kCellHeight, [&](DDRAW_SURFACE* s) {
    return surface_write_text(s, font, text, 0, 0, background, foreground);
  });
}

// Off-screen surfaces: plain 16-bit memory in the screen format.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/display/display.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/cpu/mmx.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "plat/canvas24.h"

namespace {

// A GDI colour 0x00BBGGRR as the canvas's 0xRRGGBB.
uint32_t gdi_rgb(uint32_t colour) {
  return plat::rgb24(static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8), static_cast<uint8_t>(colour >> 16));
}

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

// The text is drawn on the software canvas as a device context would: each character's cell in
// the background colour, the glyphs in the text colour; then it is packed into the surface.
int32_t surface_write_text(DDRAW_SURFACE* surface, const void* /*font*/, const char* text, int32_t x, int32_t y,
                           uint32_t background, uint32_t foreground) {
  BITMAP16* target = surface_get(surface);
  if (!target) return DD_E_POINTER;
  if (!text) return DD_E_INVALIDARG;
  const std::string_view bytes(text);
  const plat::TextExtent extent = plat::Canvas24(0, 0).measure(bytes);
  const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{x} + extent.cx, target->width);
  const int64_t y1 = std::min<int64_t>(int64_t{y} + extent.cy, target->height);
  if (x0 >= x1 || y0 >= y1) return DD_OK;
  // Only the part that lands on the surface is drawn.
  plat::Canvas24 canvas(static_cast<int32_t>(x1 - x0), static_cast<int32_t>(y1 - y0));
  canvas.fill({0, 0, canvas.width(), canvas.height()}, gdi_rgb(background));
  canvas.text(static_cast<int32_t>(x - x0), static_cast<int32_t>(y - y0), bytes, gdi_rgb(foreground));
  for (int32_t cy = 0; cy < canvas.height(); ++cy) {
    uint16_t* row = target->rows[y0 + cy] + x0;
    for (int32_t cx = 0; cx < canvas.width(); ++cx) {
      const uint32_t c = canvas.pixel(cx, cy);
      row[cx] = pixel_ops.pack(static_cast<int>(c >> 16), static_cast<int>(c >> 8 & 0xFF), static_cast<int>(c & 0xFF));
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
  // The screen's text extent: the sum of the advances by the cell height.
  const plat::TextExtent extent = plat::Canvas24(0, 0).measure(text);
  const int32_t width = std::min(extent.cx, BITMAP16_MAX_SIZE);
  return new_surface(out, width, extent.cy, [&](DDRAW_SURFACE* s) {
    return surface_write_text(s, font, text, 0, 0, background, foreground);
  });
}

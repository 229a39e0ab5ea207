// The display object: opening, refreshing and releasing the platform display, and drawing on
// its back surface.
#include "engine/display/display.h"

#include <algorithm>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/cpu/mmx.h"
#include "plat/platform.h"

namespace {

DDRAW_DISPLAY display;

std::shared_ptr<BITMAP16> make_pixels(int32_t width, int32_t height) {
  BITMAP16* bm = bitmap16_create(width, height);
  if (!bm) return nullptr;
  return std::shared_ptr<BITMAP16>(bm, [](BITMAP16* p) { bitmap16_free(&p); });
}

BITMAP16* back_surface() {
  if (!display.back) return nullptr;
  if (!display.back_pixels) display.back_pixels = make_pixels(display.width, display.height);
  return display.back_pixels.get();
}

void store_open(plat::WindowId window, int32_t width, int32_t height, int32_t windowed) {
  display.object = display.primary = display.back = true;
  display.window = window;
  display.windowed = windowed;
  display.width = width;
  display.height = height;
  display_refresh_rect();
}

}  // namespace

DDRAW_DISPLAY& ddraw_display() { return display; }

int32_t display_release() {
  if (display.object) plat::get().display().close();
  display = DDRAW_DISPLAY{};
  return DD_OK;
}

int32_t display_open_fullscreen(plat::WindowId window, int32_t width, int32_t height, int32_t /*bits*/) {
  display_release();
  plat::IDisplay& d = plat::get().display();
  if (!d.open(window, true, plat::pixelFamilyFromEnvironment())) return DD_E_FAIL;
  display.object = true;
  if (!d.setFullscreen(true)) return DD_E_FAIL;
  store_open(window, width, height, 0);
  return DD_OK;
}

int32_t display_open_windowed(plat::WindowId window, int32_t width, int32_t height) {
  display_release();
  plat::Platform& p = plat::get();
  if (!p.display().open(window, false, plat::pixelFamilyFromEnvironment())) return DD_E_FAIL;
  display.object = true;
  // Keep the window's top-left edges inside the usable area.
  const plat::Rect area = p.windows().workArea();
  const plat::Rect r = p.windows().windowRect(window);
  if (r.left < area.left || r.top < area.top) {
    p.windows().move(window, plat::Point{std::max(r.left, area.left), std::max(r.top, area.top)});
  }
  store_open(window, width, height, 1);
  return DD_OK;
}

plat::Rect display_screen_rect(plat::WindowId window, bool windowed) {
  plat::IWindowSystem& w = plat::get().windows();
  if (!windowed) {
    const plat::Size s = w.screenSize();
    return plat::Rect{0, 0, s.w, s.h};
  }
  if (window == plat::kNoWindow) return plat::Rect{};
  const plat::Rect client = w.clientRect(window);
  const plat::Point tl = w.clientToScreen(window, plat::Point{client.left, client.top});
  const plat::Point br = w.clientToScreen(window, plat::Point{client.right, client.bottom});
  return plat::Rect{tl.x, tl.y, br.x, br.y};
}

int32_t display_refresh_rect() {
  display.screen_rect = display_screen_rect(display.window, display.windowed != 0);
  return DD_OK;
}

int32_t display_attach_clipper() { return DD_OK; }

int32_t display_flip() {
  if (!display.primary || !display.back) return DD_E_POINTER;
  BITMAP16* back = back_surface();
  if (!back) return DD_E_FAIL;
  const bool ok = plat::get().display().present(back->rows[0], static_cast<int>(back->pitch), 0,
                                                static_cast<int>(back->height));
  return ok ? DD_OK : DD_E_FAIL;
}

int32_t display_put(int32_t x, int32_t y, const DDRAW_SURFACE* source, const plat::Rect* rect, uint32_t flags) {
  BITMAP16* back = back_surface();
  if (!back) return DD_E_POINTER;
  const BITMAP16* src = surface_get(source);
  if (!src) return DD_E_INVALIDARG;
  plat::Rect r = rect ? *rect : plat::Rect{0, 0, static_cast<int32_t>(src->width), static_cast<int32_t>(src->height)};
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min<int32_t>(r.right, static_cast<int32_t>(src->width));
  r.bottom = std::min<int32_t>(r.bottom, static_cast<int32_t>(src->height));
  const bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) && source->has_key;
  for (int32_t sy = r.top; sy < r.bottom; ++sy) {
    const int64_t ty = static_cast<int64_t>(y) + (sy - r.top);
    if (ty < 0 || ty >= static_cast<int64_t>(back->height)) continue;
    for (int32_t sx = r.left; sx < r.right; ++sx) {
      const int64_t tx = static_cast<int64_t>(x) + (sx - r.left);
      if (tx < 0 || tx >= static_cast<int64_t>(back->width)) continue;
      const uint16_t p = src->rows[sy][sx];
      if (keyed && p == source->key) continue;
      back->rows[ty][tx] = p;
    }
  }
  return DD_OK;
}

int32_t display_put_keyed(int32_t x, int32_t y, const DDRAW_SURFACE* source, const plat::Rect* rect) {
  return display_put(x, y, source, rect, DDBLTFAST_SRCCOLORKEY);
}

int32_t display_put_surface(int32_t x, int32_t y, const DDRAW_SURFACE* source, const plat::Rect* rect) {
  if (!source) return DD_E_INVALIDARG;
  return display_put(x, y, source, rect, source->has_key ? DDBLTFAST_SRCCOLORKEY : 0);
}

int32_t display_fill(uint16_t colour) {
  BITMAP16* back = back_surface();
  if (!back) return DD_E_POINTER;
  bitmap16_fill(back, colour);
  return DD_OK;
}

int32_t display_use_palette(const DDRAW_PALETTE* palette) {
  if (!display.primary) return DD_E_POINTER;
  display.palette = palette;
  return DD_OK;
}

int32_t display_paint_bitmap(BITMAP16* bitmap, const DDRAW_PALETTE* palette) {
  if (palette) display_use_palette(palette);
  BITMAP16* back = back_surface();
  if (!back) return DD_E_POINTER;
  if (!bitmap) return DD_E_INVALIDARG;
  bitmap16_stretch(0, 0, static_cast<int32_t>(back->width), static_cast<int32_t>(back->height), bitmap, back);
  return display_flip();
}

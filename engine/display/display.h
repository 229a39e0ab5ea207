// The display object over the platform display, and plain 16-bit memory surfaces. DRAW opens,
// clips, refreshes and releases it; the other operations complete the set.
#pragma once
#include <cstdint>
#include <memory>

#include "plat/types.h"

struct BITMAP16;

// Result codes.
constexpr int32_t DD_OK = 0;
constexpr int32_t DD_E_FAIL = static_cast<int32_t>(0x80004005u);
constexpr int32_t DD_E_POINTER = static_cast<int32_t>(0x80004003u);
constexpr int32_t DD_E_INVALIDARG = static_cast<int32_t>(0x80070057u);
constexpr int32_t DD_E_NOTIMPL = static_cast<int32_t>(0x80004001u);

// Flags of display_put.
constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 1;
// The GDI colour that means "none".
constexpr uint32_t CLR_INVALID = 0xFFFFFFFFu;

// An off-screen surface: 16-bit pixels in the screen format, optionally with a colour key.
struct DDRAW_SURFACE {
  std::shared_ptr<BITMAP16> pixels;
  int32_t has_key = 0;
  uint16_t key = 0;
};

// 256 colours as 0xRRGGBB.
struct DDRAW_PALETTE {
  uint32_t entries[256] = {};
  int32_t count = 0;
};

struct DDRAW_DISPLAY {
  bool object = false;   // the platform display is open
  bool primary = false;  // the screen
  bool back = false;     // the picture behind it
  plat::WindowId window = plat::kNoWindow;
  plat::Rect screen_rect;
  int32_t windowed = 0;
  int32_t width = 0, height = 0;
  std::shared_ptr<BITMAP16> back_pixels;  // made on first use by the drawing operations
  const DDRAW_PALETTE* palette = nullptr;
};

// The one display object of the run.
DDRAW_DISPLAY& ddraw_display();

int32_t display_release();
// Desktop full screen with the logical size width x height.
int32_t display_open_fullscreen(plat::WindowId window, int32_t width, int32_t height, int32_t bits);
// A window whose client area is width x height, kept inside the usable area's top-left.
int32_t display_open_windowed(plat::WindowId window, int32_t width, int32_t height);
// The drawing area in screen coordinates: the client area, or the whole desktop in full screen.
int32_t display_refresh_rect();
plat::Rect display_screen_rect(plat::WindowId window, bool windowed);
// Nothing to attach on our platform.
int32_t display_attach_clipper();
// Shows the back surface.
int32_t display_flip();
int32_t display_put_keyed(int32_t x, int32_t y, const DDRAW_SURFACE* source, const plat::Rect* rect);
int32_t display_put(int32_t x, int32_t y, const DDRAW_SURFACE* source, const plat::Rect* rect, uint32_t flags);
int32_t display_put_surface(int32_t x, int32_t y, const DDRAW_SURFACE* source, const plat::Rect* rect);
int32_t display_fill(uint16_t colour);
int32_t display_use_palette(const DDRAW_PALETTE* palette);
int32_t display_paint_bitmap(BITMAP16* bitmap, const DDRAW_PALETTE* palette);
// Reads the colour table of an 8-bit BMP file (game path).
int32_t display_load_palette(DDRAW_PALETTE* out, const char* name);
int32_t display_new_surface(DDRAW_SURFACE** out, int32_t width, int32_t height);
int32_t display_new_bitmap_surface(DDRAW_SURFACE** out, const char* name, int32_t width, int32_t height);
int32_t display_new_text_surface(DDRAW_SURFACE** out, const void* font, const char* text, uint32_t background,
                                 uint32_t foreground);
// Frees a surface made by the operations above; null ignored.
void display_delete_surface(DDRAW_SURFACE* surface);

int32_t surface_make(DDRAW_SURFACE* surface, int32_t width, int32_t height);
int32_t surface_wrap(DDRAW_SURFACE* surface, const DDRAW_SURFACE* existing);
int32_t surface_free(DDRAW_SURFACE* surface);
int32_t surface_stretch_bitmap(DDRAW_SURFACE* surface, BITMAP16* bitmap, int32_t x, int32_t y, int32_t width,
                               int32_t height);
int32_t surface_write_text(DDRAW_SURFACE* surface, const void* font, const char* text, int32_t x, int32_t y,
                           uint32_t background, uint32_t foreground);
int32_t surface_reload(DDRAW_SURFACE* surface, const char* name, int32_t width, int32_t height);
int32_t surface_set_key(DDRAW_SURFACE* surface, uint32_t colour);
// The surface's pixel for a GDI colour 0x00BBGGRR; CLR_INVALID gives the pixel at (0, 0).
uint32_t surface_gdi_to_pixel(DDRAW_SURFACE* surface, uint32_t colour);
BITMAP16* surface_get(const DDRAW_SURFACE* surface);
int32_t surface_has_key(const DDRAW_SURFACE* surface);

// Zero bits below the lowest set bit and the run of set bits from there.
int32_t mask_shift_width(uint32_t mask, uint32_t* shift, uint32_t* width);
// Greatest common divisor of the absolute values; 1 when either is 0.
int32_t math_gcd(int32_t a, int32_t b);

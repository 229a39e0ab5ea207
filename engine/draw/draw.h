// The DRAW engine module: puts the software-drawn frame on the screen, switches between full
// screen and a window, and at start-up installs the pixel and whole-buffer routines that match
// the screen's 16-bit layout.
#pragma once
#include <cstdint>

struct BITMAP16;

// ---- module hooks ---------------------------------------------------------------------------

int draw_module_init();  // 0; failures are fatal
void draw_module_free();
void draw_module_notify(uint32_t active);  // does nothing

// ---- presenting -----------------------------------------------------------------------------

// The present slot: every screen loop calls it once a frame with the back bitmap, and the
// window procedure on WM_PAINT. Result 0 or a negative failure. DRAW fills it at init and
// empties it at free.
using DrawPresentFn = int32_t (*)(BITMAP16* bitmap);
extern DrawPresentFn draw_present_slot;

// Shows the upload band of the bitmap; E_POINTER (0x80004003) with no display.
int32_t draw_present(BITMAP16* bitmap);
// Copies only the band's non-zero pixels over the previous frame.
int32_t draw_present_keyed(BITMAP16* bitmap);
// The first occupant of the present slot, before DRAW is installed: opens the platform display
// on first use and shows a black frame whatever the bitmap.
int32_t draw_present_provisional(BITMAP16* bitmap);

// 1 installs draw_present_keyed, anything else draw_present.
void draw_set_present_mode(int mode);
// The rows every present uploads, clamped to the screen.
void draw_set_upload_rows(int32_t first, int32_t count);
int32_t draw_upload_first_row();
int32_t draw_upload_row_count();

// The screen-grab slot: copies the last presented frame into the bitmap.
extern DrawPresentFn draw_grab_slot;
int32_t draw_grab_screen(BITMAP16* bitmap);

// ---- display --------------------------------------------------------------------------------

// Where the picture goes on the screen; called on WM_MOVE and WM_SIZE. Result 0.
int draw_update_dest_rect();
// Switches between full screen and windowed display (Alt+Enter and the settings screens).
void draw_apply_display_mode();

// The video player's surface: an 800 x 600 bitmap in the screen format.
BITMAP16* draw_memory_surface();
// Direction 0 copies the rectangle of the bitmap into the memory surface; any other direction
// copies the same rectangle of the memory surface into the bitmap.
void draw_copy_memory_surface(BITMAP16* bitmap, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int direction);

// ---- pixel format ---------------------------------------------------------------------------

// Index 0-31 of the lowest / highest set bit; 0 for a zero mask.
int draw_mask_low_bit(uint32_t mask);
int draw_mask_high_bit(uint32_t mask);
// Describes the channels, names the format, fills the pixel and whole-buffer slots.
void draw_install_pixel_ops(uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask);
// 1 = 555, 2 = 655, 3 = 565 (and 888), 4 = 556, 5 = any other.
int draw_pixel_format_id();
const char* draw_pixel_format_name();

// The eight bars and the grey band that VELDRA_TEST_PATTERN=1 shows in place of every presented
// frame, drawn with the installed pixel and fill-blend routines.
void draw_test_pattern(BITMAP16* bitmap);

// ---- tests ----------------------------------------------------------------------------------

// Observers called before the display switch and the destination update.
struct DrawStubHooks {
  void (*update_dest_rect)() = nullptr;
  void (*apply_display_mode)() = nullptr;
};
DrawStubHooks& draw_stub_hooks();

// The staging surfaces a display offers. Our platform offers system memory (kind 0) only; a
// test can offer the video-memory kinds too and make their uploads cost time.
struct DrawStagingProvider {
  bool (*create)(int kind) = nullptr;    // null: only kind 0 can be made
  void (*uploaded)(int kind) = nullptr;  // after each upload into the staging surface
  bool nonlocal_blt = false;             // non-local video memory can blit to local
  uint32_t caps2 = 0;                    // bit 0x400: the non-local kind is 2
};
DrawStagingProvider& draw_staging_provider();
int draw_staging_kind();
// The 32-bit staging surface of a 32-bit screen (null for a 16-bit screen).
const uint32_t* draw_staging_pixels32();
// Back to the state at program start.
void draw_reset();

// DRAW's one global record, shared by its source files.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/draw/draw.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "plat/types.h"

constexpr int32_t DRAW_E_POINTER = static_cast<int32_t>(0x80004003u);
constexpr int32_t DRAW_E_FAIL = static_cast<int32_t>(0x80004005u);

struct DrawState {
  bool initialised = false;
  int format_id = 1;
  char format_name[16] = "";
  plat::Rect dest_rect;
  int32_t upload_first = 0;
  int32_t upload_count = 0;
  // Staging surface: the kind chosen by the first present, whether it exists, and for a 32-bit
  // screen its pixels (plus the row buffer of kind 3).
  int staging_kind = 0;
  int live_kind = 0;  // kind of the staging surface that exists now
  bool staging_test_pending = true;
  bool staging = false;
  bool screen32 = false;
  std::vector<uint32_t> staging32;
  std::vector<uint32_t> row32;
  BITMAP16* memory = nullptr;       // the video player's surface
  std::vector<uint16_t> keyed_back; // the keyed present's frame
  BITMAP16* last_presented = nullptr;  // one of the screen bitmaps, for the grab
};

DrawState& draw_state();

// Creates the display for the main window in the given mode (0 full screen, 1 windowed) and
// places the window.
int32_t draw_create_display(int mode);
// Staging surface of a kind: false when the display cannot make it.
bool draw_staging_create(int kind);
void draw_staging_release();
// Picks the staging kind by timing uploads (first present only).
void draw_staging_test(BITMAP16* bitmap);
// Steps 3-5 of a present: cursor, upload of the band, show.
int32_t draw_upload_and_show(BITMAP16* bitmap);

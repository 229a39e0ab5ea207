// The emote picture surface: the emote media and the menu media, a picture entry per command
// of the emote media, and the 128 x 128 canvas in which the GDI path builds its masks.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "engine/emote/pixel_block.h"
#include "plat/canvas24.h"

struct EMOTE_PICTURE {
  int32_t frame_count = 0;
  int32_t current_frame = 0;
  std::string command;     // "MainCommand%d"
  uint8_t drawn = 0;       // drawn in this frame already
  uint16_t width = 0, height = 0;
  uint32_t step_time = 0;  // when the current frame was taken, milliseconds
};

struct EMOTE_DIB_SURFACE {
  plat::Canvas24 dib{128, 128};
  std::map<std::string, EMOTE_PICTURE> pictures;
  uint32_t times[2] = {};
  uint32_t counter = 0;
  int32_t unused[4] = {-1, -1, -1, -1};
  int32_t emote_media = -1;
  int32_t menu_media = -1;
};

constexpr const char* EMOTE_MENU_MEDIA = "system/c1meu030.MDA";

// Loads the emote media and the menu media and builds the picture table: 0 or EMOTE_TEXT_FAIL.
int32_t surface_load(EMOTE_DIB_SURFACE& surface, const char* path);
void surface_release_media(EMOTE_DIB_SURFACE& surface);
void surface_clear_drawn_flags(EMOTE_DIB_SURFACE& surface);

// The GDI frame runner: step of the named command of a media into the pixel block, semi-
// transparent pixels blended over the background (black without one). rect comes in as
// (x, y, ...) and leaves as the frame's place and size. 0 when nothing was drawn (a missing
// command or step is reported in a message box), 1, or 2 for step 0.
int32_t emote_run_frame(int32_t media, const char* command, int32_t x, int32_t y, PIXEL_BLOCK24* block, int32_t step,
                        const PIXEL_BLOCK24* background, plat::Rect* rect);

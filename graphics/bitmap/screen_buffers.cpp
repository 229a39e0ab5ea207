// The five screen bitmaps, made and freed by DRAW.
#include "graphics/bitmap/screen_buffers.h"

BITMAP16* screen_back = nullptr;
BITMAP16* screen_new = nullptr;
BITMAP16* screen_work = nullptr;
BITMAP16* screen_saved = nullptr;
BITMAP16* screen_front_copy = nullptr;

namespace {
BITMAP16** const kScreens[] = {&screen_back, &screen_new, &screen_work, &screen_saved, &screen_front_copy};
}  // namespace

int screen_buffers_create() {
  for (BITMAP16** holder : kScreens) {
    *holder = bitmap16_create(SCREEN_WIDTH, SCREEN_HEIGHT);
    if (!*holder) return -1;
  }
  return 0;
}

void screen_buffers_free() {
  for (BITMAP16** holder : kScreens) bitmap16_free(holder);
}

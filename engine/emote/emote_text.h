// The '#'-coded text renderer: one IEmoteText object serves the whole client. Every operation
// ignores the object it is called on and works on the one manager record (emote_text_manager()).
// Main thread only.
#pragma once
#include <cstdint>

#include "plat/types.h"

struct BITMAP16;
struct PIXEL_BLOCK24;  // a 24-bit B,G,R image: width, height, row stride, row pointers
struct EMOTE_TEXT_MANAGER;
namespace plat {
class Canvas24;
}

constexpr int32_t EMOTE_TEXT_FAIL = static_cast<int32_t>(0x80004005u);

// The operations in their slot order.
class IEmoteText {
 public:
  virtual ~IEmoteText();
  // Loads the emote media (path) and "system/c1meu030.MDA"; 0 or EMOTE_TEXT_FAIL.
  virtual int32_t emote_text_init(const char* path);
  virtual int32_t emote_text_release();
  // Draws and empties the GDI frame queue onto dc, blending against background.
  virtual int32_t emote_text_tick(plat::Canvas24* dc, const PIXEL_BLOCK24* background);
  // Draws the software frame queue, then the kept texts, into target; only target is read.
  virtual int32_t emote_text_flush(int32_t a, int32_t b, float c, BITMAP16* target, int32_t d);
  // Lays text out in rect (written back with the rectangle used); keeps it when keep is set.
  // The height of line 1 minus 19, or EMOTE_TEXT_FAIL for a rectangle under 20 x 20.
  virtual int32_t emote_text_layout(const char* text, plat::Rect* rect, int32_t keep, plat::Canvas24* dc,
                                    uint8_t gdi);
  virtual int32_t emote_text_remove(int32_t id);
  virtual void emote_text_clear();
  // Queues text for the next emote_text_flush.
  virtual int32_t emote_text_draw_line(int32_t x, int32_t y, int32_t width, int32_t height, const char* text);
  // Queues text for the next emote_text_tick.
  virtual int32_t emote_text_draw(int32_t x, int32_t y, int32_t width, int32_t height, const char* text,
                                  int32_t ignored);
  // The chat window's button strip from the menu media.
  virtual int32_t emote_text_draw_emote(int32_t x, int32_t y, int32_t width, int32_t height, int32_t command,
                                        uint8_t blink, uint8_t button, const PIXEL_BLOCK24* background);
};

// The client's one object (null until the start-up task creates it with new IEmoteText).
extern IEmoteText* emote_text;

EMOTE_TEXT_MANAGER* emote_text_manager();

// The broadcast ticker: the started entries of the broadcast list scroll one after another from
// right to left through a strip of the game screen, one pixel per 15 ms.
#pragma once
#include <cstddef>
#include <cstdint>

#include "plat/types.h"

constexpr size_t TICKER_TEXT_SIZE = 300;
constexpr int32_t TICKER_START_OFFSET = 640;
constexpr uint32_t TICKER_MS_PER_PIXEL = 15;

// Where the ticker draws: the strip of the back bitmap, the rectangle where the pointer holds the
// text still (bounds inclusive), whether it moves on to the next entry after each pass, and the
// origin the emote text is drawn at.
struct TICKER_STRIP {
  plat::Rect strip;
  plat::Rect pause;
  int32_t advance;
  int32_t origin_x, origin_y;
};
// (80, 8)-(720, 28), 640 pixels wide so that a text enters at its right edge.
constexpr TICKER_STRIP TICKER_STRIP_DEFAULT = {{80, 8, 720, 28}, {80, 8, 720, 28}, 1, 0, 0};
extern TICKER_STRIP ticker_strip;

// The ticker's own state.
struct BROADCAST_TICKER {
  int32_t index = 0;                     // the entry shown
  char text[TICKER_TEXT_SIZE] = {};      // its text, cut at a character boundary
  int32_t offset = TICKER_START_OFFSET;  // the text's left edge in the strip
  uint32_t last_step = 0;                // ms
  bool started = false;
};
extern BROADCAST_TICKER broadcast_ticker;

// Once a frame on the game screen (not while a replay runs): the text moves on, is drawn into the
// strip and, once it has left the strip, the next started entry follows and expired entries go.
void broadcast_ticker_run();
// The strip bitmap the ticker keeps between frames is freed (the next frame makes a new one).
void broadcast_ticker_free_strip();

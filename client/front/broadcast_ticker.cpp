#include "client/front/broadcast_ticker.h"

#include <cstring>
#include <string_view>

#include "client/game/frame_input.h"
#include "client/state/broadcast_list.h"
#include "core/reset/module_resets.h"
#include "engine/emote/emote_manager.h"
#include "engine/emote/emote_text.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/primitives/gfx16.h"
#include "plat/cp936.h"
#include "plat/platform.h"
#include "plat/tier0.h"

TICKER_STRIP ticker_strip = TICKER_STRIP_DEFAULT;
BROADCAST_TICKER broadcast_ticker;

namespace {

constexpr int32_t kLineWidth = 1000;
constexpr float kEmoteSpeed = 0.07f;

// The strip's pixels, kept while the strip keeps its size.
BITMAP16* strip_bitmap = nullptr;

bool started(const BROADCAST_ENTRY& e, uint32_t now) { return e.start_time < now; }
bool expired(const BROADCAST_ENTRY& e, uint32_t now) { return e.end_time != 0 && e.end_time < now; }

bool any_started(uint32_t now) {
  for (const BROADCAST_ENTRY& e : broadcast_list) {
    if (started(e, now)) return true;
  }
  return false;
}

// Removals (here or by the handlers) may leave the index past the end.
void wrap_index() {
  if (broadcast_ticker.index >= broadcast_list.count || broadcast_ticker.index < 0) broadcast_ticker.index = 0;
}

// The entry's text, at most 299 bytes and never half a double-byte character.
void take_text(const BROADCAST_ENTRY& e) {
  const std::string_view text(e.text, strnlen(e.text, sizeof e.text));
  const size_t n = plat::cp936::fitLength(text, TICKER_TEXT_SIZE - 1);
  std::memset(broadcast_ticker.text, 0, sizeof broadcast_ticker.text);
  std::memcpy(broadcast_ticker.text, text.data(), n);
}

// The next entry after the current one that has started and not yet ended (the current one again
// when it is the only one).
void advance(uint32_t now) {
  const int32_t count = broadcast_list.count;
  for (int32_t k = 1; k <= count; ++k) {
    const int32_t i = (broadcast_ticker.index + k) % count;
    if (started(broadcast_list[i], now) && !expired(broadcast_list[i], now)) {
      broadcast_ticker.index = i;
      take_text(broadcast_list[i]);
      break;
    }
  }
}

void remove_expired(uint32_t now) {
  for (int32_t i = 0; i < broadcast_list.count;) {
    if (expired(broadcast_list[i], now)) {
      broadcast_list.remove(i);
      i = 0;
    } else {
      ++i;
    }
  }
  wrap_index();
}

bool inside(const plat::Rect& r, int32_t x, int32_t y) {
  return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

// The strip of the back bitmap in a bitmap of the strip's size; only the part on the screen is
// copied. Null when there is no bitmap.
BITMAP16* take_strip(const plat::Rect& strip) {
  const int32_t w = strip.right - strip.left, h = strip.bottom - strip.top;
  if (strip_bitmap &&
      (static_cast<int32_t>(strip_bitmap->width) != w || static_cast<int32_t>(strip_bitmap->height) != h)) {
    bitmap16_free(&strip_bitmap);
  }
  if (!strip_bitmap) strip_bitmap = bitmap16_create(w, h);
  if (strip_bitmap) gfx16_blit(-strip.left, -strip.top, screen_back, strip_bitmap);
  return strip_bitmap;
}

}  // namespace

void broadcast_ticker_free_strip() { bitmap16_free(&strip_bitmap); }

void broadcast_ticker_run() {
  BROADCAST_TICKER& t = broadcast_ticker;
  if (!t.started) {
    t.started = true;
    t.last_step = plat::tier0::msTime();
  }
  if (broadcast_list.count <= 0) return;
  wrap_index();
  const auto now = static_cast<uint32_t>(plat::get().clock().wallTime());
  if (!any_started(now)) return;

  const TICKER_STRIP& s = ticker_strip;
  const uint32_t ms = plat::tier0::msTime();
  if (!inside(s.pause, frame_input.raw_mouse_x, frame_input.raw_mouse_y)) {
    t.offset -= static_cast<int32_t>((ms - t.last_step) / TICKER_MS_PER_PIXEL);
  }
  t.last_step = ms;

  if (!screen_back || !emote_text) return;
  BITMAP16* strip = take_strip(s.strip);
  if (!strip) return;
  const int32_t height = s.strip.bottom - s.strip.top;
  emote_outline = 1;
  emote_text->emote_text_draw_line(t.offset, 0, kLineWidth, height, t.text);
  plat::Rect measured{t.offset, 0, t.offset + kLineWidth, height};
  emote_text->emote_text_layout(t.text, &measured, 0, nullptr, 0);
  emote_text->emote_text_flush(s.origin_x, s.origin_y, kEmoteSpeed, strip, 0);
  emote_outline = 0;

  if (measured.right < 1) {
    if (s.advance && broadcast_list.count > 0) {
      advance(now);
      remove_expired(now);
    }
    t.offset = TICKER_START_OFFSET;
  }
  gfx16_blit(s.strip.left, s.strip.top, strip, screen_back);
}

static const ModuleReset k_reset("broadcast ticker", [] {
  broadcast_ticker_free_strip();
  ticker_strip = TICKER_STRIP_DEFAULT;
  broadcast_ticker = BROADCAST_TICKER{};
});

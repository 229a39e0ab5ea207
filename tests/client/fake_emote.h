// A stand-in for the emote-text object with a fixed measure: each byte of text is 8 pixels wide
// and a line 20 pixels high; an empty text lays out nothing (the renderer's empty box). Lines
// queued with draw_line are painted as solid spans by the next flush, and every call is kept.
#pragma once
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/emote/emote_manager.h"
#include "engine/emote/emote_text.h"
#include "graphics/bitmap/bitmap16.h"
#include "plat/types.h"

namespace emote_fake {

class FakeEmote : public IEmoteText {
 public:
  static constexpr int32_t kCharWidth = 8, kLineHeight = 20;
  static constexpr uint16_t kInk = 0xFFFF;

  struct Call {
    std::string text;
    plat::Rect rect;  // as asked
    bool outlined;    // the ticker-drawing byte was set
  };
  std::vector<Call> layouts, lines;
  int clears = 0, flushes = 0;

  int32_t emote_text_layout(const char* text, plat::Rect* rect, int32_t, plat::Canvas24*, uint8_t) override {
    layouts.push_back({text, *rect, emote_outline != 0});
    const auto n = static_cast<int32_t>(std::strlen(text));
    *rect = n == 0 ? plat::Rect{1024, 768, 0, 0}
                   : plat::Rect{rect->left, rect->top, rect->left + kCharWidth * n, rect->top + kLineHeight};
    return 0;
  }
  void emote_text_clear() override { ++clears; }
  int32_t emote_text_draw_line(int32_t x, int32_t y, int32_t w, int32_t h, const char* text) override {
    lines.push_back({text, {x, y, x + w, y + h}, emote_outline != 0});
    pending_.push_back(lines.back());
    return 0;
  }
  int32_t emote_text_flush(int32_t, int32_t, float, BITMAP16* target, int32_t) override {
    ++flushes;
    for (const Call& c : pending_) {
      const int32_t right = c.rect.left + kCharWidth * static_cast<int32_t>(c.text.size());
      for (int32_t y = std::max(c.rect.top, 0); y < std::min<int32_t>(c.rect.bottom, target->height); ++y)
        for (int32_t x = std::max(c.rect.left, 0); x < std::min<int32_t>(right, target->width); ++x)
          target->rows[y][x] = kInk;
    }
    pending_.clear();
    return 0;
  }

 private:
  std::vector<Call> pending_;
};

// A new fake as the client's object; the module resets of the fixture's tear-down free it as
// they free the real one. Call after the fixture's set-up (its resets would free it too).
inline FakeEmote* install_fake_emote() {
  auto* fake = new FakeEmote;
  emote_text = fake;
  return fake;
}

}  // namespace emote_fake

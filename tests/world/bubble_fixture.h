// Fixture of the speech-bubble tests: the scene fixture with the fake emote-text object, the nine
// frame pieces each in its own colour, a bitmap to draw on and a bubble placer.
#pragma once
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/img256/img256_draw.h"
#include "graphics/img256/scene_view_origin.h"
#include "graphics/img256/window_frame.h"
#include "tests/client/fake_emote.h"
#include "tests/graphics/gfx_test_support.h"
#include "tests/world/scene_fixture.h"
#include "world/scene/chat_bubbles.h"

namespace bubble_test {

class BubbleTest : public scene_test::SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    emote = emote_fake::install_fake_emote();
    for (int i = 0; i < WINDOW_FRAME_PIECES; ++i) {
      pieces.push_back(std::make_unique<gfxt::Frame>(
          gfxt::solid_frame(8, 8, {static_cast<uint8_t>(24 * (i + 1)), 0, 0, 255})));
      window_frame_images[i] = pieces.back()->view;
    }
    hp().fakeClock().set(100000);
  }
  void TearDown() override {
    for (Img256Frame& f : window_frame_images) f = Img256Frame{};
    SceneTest::TearDown();
  }

  // The frame piece whose colour is at (x, y), or -1.
  static int pieceAt(const BITMAP16* b, int x, int y) {
    for (int i = 0; i < WINDOW_FRAME_PIECES; ++i) {
      gfxt::Bitmap one = gfxt::make_bitmap(1, 1);
      img256_draw(0, 0, &window_frame_images[i], one.get());
      if (one->rows[0][0] == b->rows[y][x]) return i;
    }
    return -1;
  }

  // A bubble in a fresh slot on that rectangle, bound to the speaker (0: none; where it stands
  // when it is in the scene), expiring in ms.
  static int32_t place(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t speaker = 0, uint32_t ms = 8000,
                       const char* text = "hi") {
    const int32_t slot = speech_bubble_find_free_slot();
    CHAT_BUBBLE& b = chat_bubbles[slot];
    b.in_use = 1;
    b.x0 = x0, b.y0 = y0, b.x1 = x1, b.y1 = y1;
    b.expiry = plat::tier0::msTime() + ms;
    std::strcpy(b.text, text);
    b.speaker_id = speaker;
    if (scene_find_char(speaker) >= 0) {
      b.speaker_x = of(speaker).x;
      b.speaker_y = of(speaker).y;
    }
    return slot;
  }

  static std::vector<int32_t> order() {
    std::vector<int32_t> out;
    for (int32_t e : chat_bubble_order)
      if (e >= 0) out.push_back(e);
    return out;
  }

  emote_fake::FakeEmote* emote = nullptr;
  std::vector<std::unique_ptr<gfxt::Frame>> pieces;
};

}  // namespace bubble_test

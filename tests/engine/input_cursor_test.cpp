// INPUT's hooks, cursor slots and the software cursor drawn from cake frames.
#include <gtest/gtest.h>

#include <cstdlib>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/cake/cake.h"
#include "graphics/rle/rle.h"
#include "tests/engine/input_fixture.h"

namespace engine_test {
namespace {

using InputCursor = InputTest;

TEST_F(InputCursor, HooksLogTheirLinesAndShowTheArrow) {
  whileRunning([this] {
    EXPECT_TRUE(headless().cursorRecord().shown);
    EXPECT_EQ(input_state().mouse.cursor_flags, 1);
    EXPECT_EQ(input_state().mouse.slots[63], plat::get().cursors().arrow());
    EXPECT_NE(input_state().cursor.save_under, nullptr);
  });
  const std::string log = errorTxt();
  const size_t start = log.find("INPUT module initialize starting...\r\nINPUT module initialized OKay.\r\n\r\n");
  const size_t free = log.find("INPUT module free OKay.\r\nTIMER module free OKay.\r\n");
  EXPECT_NE(start, std::string::npos) << log;
  EXPECT_NE(free, std::string::npos) << log;
  EXPECT_EQ(input_state().cursor.save_under, nullptr);
}

TEST_F(InputCursor, SlotsAcceptOnly0To63) {
  EXPECT_EQ(input_set_cursor_slot(-1, 5), -1);
  EXPECT_EQ(input_set_cursor_slot(64, 5), -1);
  EXPECT_EQ(input_set_cursor_slot(63, 5), 0);
  EXPECT_EQ(input_set_cursor_slot(0, 6), 0);
  input_set_cursor_hotspot(64, 9, 9);
  input_set_cursor_hotspot(-1, 9, 9);
  input_set_cursor_hotspot(63, 3, 4);
  EXPECT_EQ(input_state().mouse.hot_x[63], 3);
  EXPECT_EQ(input_state().mouse.hot_y[63], 4);
  EXPECT_EQ(input_state().mouse.hot_x[0], 0);
  // Selecting the current slot changes nothing; another slot takes its cursor.
  input_state().mouse.current_cursor = 1;
  input_select_cursor(0);
  EXPECT_EQ(input_state().mouse.current_cursor, 1u);
  input_select_cursor(63);
  EXPECT_EQ(input_state().mouse.current_cursor, 5u);
  EXPECT_EQ(input_state().mouse.current_slot, 63);
  input_select_cursor(64);
  EXPECT_EQ(input_state().mouse.current_slot, 63);
  // Until the cake files are read, frames cannot be loaded or copied.
  EXPECT_EQ(input_load_cursor_frames(64, "cursor.cak"), -2);
  EXPECT_EQ(input_load_cursor_frames(0, "cursor.cak"), -2);
  EXPECT_EQ(input_copy_cursor_frames(-1, nullptr, 1), -2);
}

// A frame list of fake frames whose "RLE image" the fake drawer fills with one colour.
struct FakeFrames {
  CAKE_FRAME frames[3]{};
  CAKE_NODE nodes[3]{};
  RLE_IMAGE* images[2]{};

  FakeFrames(uint32_t w, uint32_t h) {
    for (RLE_IMAGE*& img : images) {
      img = static_cast<RLE_IMAGE*>(std::calloc(1, sizeof(RLE_IMAGE)));
      img->width = w;
      img->height = h;
    }
    frames[1].rle = images[0];
    frames[2].rle = images[1];
    frames[2].offset_x = 1;
    for (int i = 0; i < 3; ++i) {
      nodes[i].frame = &frames[i];
      nodes[i].prev = i > 0 ? &nodes[i - 1] : nullptr;
      nodes[i].next = i < 2 ? &nodes[i + 1] : nullptr;
    }
  }
  ~FakeFrames() {
    for (RLE_IMAGE* img : images) std::free(img);
  }
  void attach(int slot) {
    input_state().cursor.lists[slot] = &nodes[0];
    input_state().cursor.current[slot] = &nodes[1];
  }
};

constexpr uint16_t kCursorColour = 0xF81F;

// Fills the image's rectangle at (x, y), clipped to the target.
void fake_rle_draw(int32_t x, int32_t y, const RLE_IMAGE* image, uint16_t* pixels, int32_t pitch, int32_t width,
                   int32_t height) {
  for (int32_t row = 0; row < static_cast<int32_t>(image->height); ++row) {
    for (int32_t col = 0; col < static_cast<int32_t>(image->width); ++col) {
      const int32_t px = x + col, py = y + row;
      if (px < 0 || py < 0 || px >= width || py >= height) continue;
      reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pixels) + py * pitch)[px] = kCursorColour;
    }
  }
}

class SoftwareCursor : public InputCursor {
 protected:
  void SetUp() override {
    InputCursor::SetUp();
    ASSERT_EQ(input_cursor_init(), 0);
    input_state().cursor.rle_draw = fake_rle_draw;
    target = bitmap16_create(100, 80);
    for (uint32_t y = 0; y < target->height; ++y)
      for (uint32_t x = 0; x < target->width; ++x) target->rows[y][x] = static_cast<uint16_t>(y * 131 + x);
  }
  void TearDown() override {
    for (auto& l : input_state().cursor.lists) l = nullptr;  // the fake lists are not the module's to free
    bitmap16_free(&target);
    InputCursor::TearDown();
  }
  std::vector<uint16_t> pixels() const {
    std::vector<uint16_t> out;
    for (uint32_t y = 0; y < target->height; ++y) out.insert(out.end(), target->rows[y], target->rows[y] + target->width);
    return out;
  }
  void draw(int32_t x, int32_t y) {
    cursor_draw_into(x, y, target->rows[0], static_cast<int32_t>(target->pitch), static_cast<int32_t>(target->width),
                     static_cast<int32_t>(target->height));
  }
  BITMAP16* target = nullptr;
};

TEST_F(SoftwareCursor, DrawThenRestoreLeavesTheTargetAsItWas) {
  struct Case {
    int32_t x, y;
    uint32_t size;
    bool visible;
  };
  const Case cases[] = {{50, 40, 16, true},  {0, 0, 16, true},     {-10, -10, 16, true}, {-16, 5, 16, false},
                        {95, 75, 16, true},  {99, 79, 16, true},   {103, 10, 16, false}, {10, 83, 16, false},
                        {-30, 70, 40, true}, {20, 20, 64, true},   {10, 5, 90, true},    {60, 50, 90, true}};
  for (const Case& c : cases) {
    FakeFrames f(c.size, c.size);
    f.attach(0);
    input_set_cursor_hotspot(0, 2, 3);
    const std::vector<uint16_t> before = pixels();
    draw(c.x, c.y);
    const int32_t px = c.x - 2, py = c.y - 3;
    if (px >= 0 && py >= 0 && px < 100 && py < 80) {
      EXPECT_EQ(target->rows[py][px], kCursorColour) << c.x << "," << c.y;
    }
    EXPECT_EQ(pixels() != before, c.visible) << c.x << "," << c.y;
    input_cursor_restore(target);
    EXPECT_TRUE(pixels() == before) << c.x << "," << c.y << " size " << c.size;
    input_cursor_restore(target);  // nothing saved any more
    EXPECT_TRUE(pixels() == before);
  }
}

TEST_F(SoftwareCursor, FramesStepWhenTheCursorCounterPassesFour) {
  FakeFrames f(8, 8);
  f.attach(0);
  timer_ticks[11] = 4;
  draw(10, 10);
  input_cursor_restore(target);
  EXPECT_EQ(input_state().cursor.current[0], &f.nodes[1]);
  EXPECT_EQ(timer_ticks[11].load(), 4u);
  timer_ticks[11] = 5;
  draw(10, 10);
  input_cursor_restore(target);
  EXPECT_EQ(input_state().cursor.current[0], &f.nodes[2]);
  EXPECT_EQ(timer_ticks[11].load(), 0u);
  // The second frame's x offset moves the picture one pixel right.
  draw(10, 10);
  EXPECT_EQ(target->rows[10][10], 10 * 131 + 10);
  EXPECT_EQ(target->rows[10][11], kCursorColour);
  input_cursor_restore(target);
  timer_ticks[11] = 9;
  draw(10, 10);
  input_cursor_restore(target);
  EXPECT_EQ(input_state().cursor.current[0], &f.nodes[1]);  // back to the first after the last
}

TEST_F(SoftwareCursor, PresentDrawsOnlyWithTheSoftwareFlagAndNothingWithoutAFrame) {
  const std::vector<uint16_t> before = pixels();
  draw(10, 10);  // no frame list
  EXPECT_TRUE(pixels() == before);
  FakeFrames f(8, 8);
  f.attach(0);
  input_state().mouse.x = 30;
  input_state().mouse.y = 20;
  input_cursor_draw(target->rows[0], static_cast<int32_t>(target->pitch), 100, 80);
  EXPECT_TRUE(pixels() == before);
  input_state().mouse.cursor_flags |= 2;
  input_cursor_draw(target->rows[0], static_cast<int32_t>(target->pitch), 100, 80);
  EXPECT_EQ(target->rows[20][30], kCursorColour);
  input_cursor_restore(target);
  EXPECT_TRUE(pixels() == before);
  // A frame without a picture draws nothing.
  f.frames[1].rle = nullptr;
  input_cursor_draw(target->rows[0], static_cast<int32_t>(target->pitch), 100, 80);
  EXPECT_TRUE(pixels() == before);
}

}  // namespace
}  // namespace engine_test

// The broadcast ticker over the fake clocks (milliseconds and the calendar) and a fake emote
// measure: which entry shows when, the scroll pace and pause, the removals, and the strip's
// pixels (copied back exactly, clipped to the screen).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "client/front/broadcast_ticker.h"
#include "client/handlers/client_handlers.h"
#include "client/state/broadcast_list.h"
#include "tests/client/fake_emote.h"
#include "tests/client/task_fixture.h"
#include "tools/mkgame/mkgame.h"

namespace {

constexpr uint32_t kNow = 1767225600;  // the fake calendar's start

struct Entry {
  const char* text;
  int32_t start;  // seconds from kNow
  int32_t end;    // seconds from kNow; 0 never expires
};

// One frame: time passes, the pointer sits somewhere, the server may remove entries first
// (0xf0009 through its handler); then what the ticker drew (nullptr: nothing) and where.
struct Frame {
  uint32_t ms;
  const char* drawn;
  int32_t x = 0;
  int32_t mouse_x = 0, mouse_y = 300;
  std::vector<int32_t> removed = {};  // ids (1, 2, ... in the list's order) removed before the frame
  int repeat = 1;
};

struct Case {
  const char* what;
  std::vector<Entry> entries;
  std::vector<Frame> frames;
  int32_t index, count;  // after the last frame
  plat::Rect strip = TICKER_STRIP_DEFAULT.strip;
};

class Ticker : public task_test::TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    fake = emote_fake::install_fake_emote();
    hp().fakeClock().setWallTime(kNow);
  }

  static void fill(const std::vector<Entry>& entries) {
    broadcast_list.count = 0;
    uint32_t id = 1;
    for (const Entry& e : entries) {
      BROADCAST_ENTRY b{};
      b.id = id++;
      b.start_time = kNow + e.start;
      b.end_time = e.end == 0 ? 0 : kNow + e.end;
      std::strncpy(b.text, e.text, sizeof b.text - 1);
      broadcast_list.append(b);
    }
  }

  // The screen as it must be: the pattern, with the drawn text's span inside the visible strip.
  int wrongPixels(const plat::Rect& strip, const char* drawn, int32_t x) {
    int wrong = 0;
    const int32_t from = strip.left + x;
    const int32_t width = drawn ? emote_fake::FakeEmote::kCharWidth * static_cast<int32_t>(std::strlen(drawn)) : 0;
    const int32_t to = from + width;
    for (int32_t py = 0; py < SCREEN_HEIGHT; ++py) {
      for (int32_t px = 0; px < SCREEN_WIDTH; ++px) {
        const bool ink = py >= strip.top && py < strip.bottom && px >= std::max(from, strip.left) &&
                         px < std::min(to, strip.right);
        wrong += screen_back->rows[py][px] != (ink ? emote_fake::FakeEmote::kInk : patternAt(px, py));
      }
    }
    return wrong;
  }

  emote_fake::FakeEmote* fake = nullptr;
};

TEST_F(Ticker, EntriesPaceAndRemovals) {
  const Case cases[] = {
      {"an empty list draws nothing", {}, {{0, nullptr}, {500, nullptr}}, 0, 0},
      {"the first pass lays out the empty text and shows entry 1 of two",
       {{"AA", -10, 0}, {"BB", -10, 0}},
       {{0, "", 640}, {30, "BB", 638}},
       1, 2},
      {"an entry waits for its start and is skipped until then",
       {{"A", -10, 0}, {"F", 25, 0}, {"C", -10, 0}},
       {{0, "", 640}, {10000, "C", -26}, {10000, "A", -26}, {10000, "C", -26}, {10000, "A", -26}, {30, "F", 638}},
       1, 3},
      {"no started entry leaves the screen alone; the pass starts once one has",
       {{"F", 15, 0}},
       {{0, nullptr}, {10000, nullptr}, {10000, "", -693}, {30, "F", 638}},
       0, 1},
      {"end time 0 stays; a past end goes after the pass",
       {{"K", -10, 0}, {"X", -10, 5}},
       {{0, "", 640}, {10000, "X", -26}, {10000, "K", -26}, {30, "K", 638}},
       0, 1},
      {"the pause rectangle (bounds inclusive) holds the text; leaving it does not jump",
       {{"HELLO", -1, 0}},
       {{0, "", 640}, {300, "HELLO", 640, 80, 8}, {300, "HELLO", 640, 720, 28}, {30, "HELLO", 638, 721, 28},
        {30, "HELLO", 636, 400, 29}},
       0, 1},
      {"31 ms frames move 2 pixels each, the remainder dropped",
       {{"A", -1, 0}},
       {{0, "", 640}, {31, "A", 610, 0, 300, {}, 15}},
       0, 1},
      {"a single entry enters again from 640",
       {{"S", -1, 0}},
       {{0, "", 640}, {10000, "S", -26}, {30, "S", 638}},
       0, 1},
      {"the ticker's own removals leave the index in the list",
       {{"A", -10, 0}, {"B", -10, 5}, {"C", -10, 15}},
       {{0, "", 640}, {10000, "B", -26}, {30, "C", 638}, {10000, "C", -28}, {30, "A", 638}},
       0, 1},
      {"an entry whose end has passed is skipped when advancing",
       {{"A", -10, 0}, {"C", -10, 0}, {"E", -10, 5}},
       {{0, "", 640}, {10000, "C", -26}, {30, "A", 638}},
       0, 2},
      {"the handlers' removals leave the index in the list",
       {{"A", -10, 0}, {"B", -10, 0}, {"C", -10, 0}},
       {{0, "", 640}, {30, "B", 638, 0, 300, {3, 2}}, {10000, "B", -28}, {30, "A", 638}},
       0, 1},
      {"a strip partly off the screen is clipped",
       {{"ABC", -1, 0}},
       {{0, "", 640}, {9000, "ABC", 40}, {300, "ABC", 20}},
       0, 1,
       {700, 590, 1340, 610}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // As at program start, then the case's strip (the pause rectangle elsewhere).
    broadcast_ticker = BROADCAST_TICKER{};
    ticker_strip = TICKER_STRIP_DEFAULT;
    ticker_strip.strip = c.strip;
    if (c.strip.left != TICKER_STRIP_DEFAULT.strip.left) ticker_strip.pause = {0, 0, 0, 0};
    hp().fakeClock().setWallTime(kNow);
    fill(c.entries);
    int n = 0;
    for (const Frame& f : c.frames) {
      for (int r = 0; r < f.repeat; ++r) {
        SCOPED_TRACE("frame " + std::to_string(++n));
        for (int32_t id : f.removed) event_on_notice_removed(0xf0009, id, net_msg::Payload{});
        hp().fakeClock().advance(f.ms);
        frame_input.raw_mouse_x = f.mouse_x;
        frame_input.raw_mouse_y = f.mouse_y;
        paintPattern();
        fake->lines.clear();
        broadcast_ticker_run();
        if (r + 1 < f.repeat) continue;
        if (!f.drawn) {
          EXPECT_TRUE(fake->lines.empty());
        } else {
          ASSERT_EQ(fake->lines.size(), 1u);
          EXPECT_EQ(fake->lines[0].text, f.drawn);
          EXPECT_EQ(fake->lines[0].rect.left, f.x);
          EXPECT_EQ(fake->lines[0].rect.top, 0);
          EXPECT_EQ(fake->lines[0].rect.right - fake->lines[0].rect.left, 1000);
          EXPECT_TRUE(fake->lines[0].outlined);
        }
        EXPECT_EQ(emote_outline, 0);
        EXPECT_EQ(wrongPixels(c.strip, f.drawn, f.x), 0);
        EXPECT_GE(broadcast_ticker.index, 0);
        EXPECT_TRUE(broadcast_list.count == 0 || broadcast_ticker.index < broadcast_list.count);
      }
    }
    EXPECT_EQ(broadcast_ticker.index, c.index);
    EXPECT_EQ(broadcast_list.count, c.count);
  }
}

// The current text keeps at most 299 bytes and never ends in half a double-byte character.
TEST_F(Ticker, LongTextIsCutAtACharacter) {
  std::string text(297, 'a');
  text += "\xd6\xd0\xce\xc4";  // two double-byte characters: the second would straddle byte 299
  fill({{"x", -1, 0}});
  std::memcpy(broadcast_list[0].text, text.c_str(), text.size() + 1);
  broadcast_ticker_run();
  EXPECT_EQ(std::string(broadcast_ticker.text), text.substr(0, 299));
  text = std::string(298, 'a') + "\xd6\xd0";  // a character on bytes 298 and 299: the cut backs off one byte
  std::memcpy(broadcast_list[0].text, text.c_str(), text.size() + 1);
  broadcast_ticker = BROADCAST_TICKER{};
  broadcast_ticker_run();
  EXPECT_EQ(std::string(broadcast_ticker.text), text.substr(0, 298));
}

// With the real renderer: the text moves through the strip frame by frame, outlined, nothing
// outside the strip changes, and once it has left the strip it enters again at the right.
TEST_F(Ticker, RealRendererScrollsThroughTheStrip) {
  for (const mkgame::GameFile& f : mkgame::startupFiles(mkgame::defaultStartupDir())) {
    if (f.path == "system/phiz.mda" || f.path == "system/c1meu030.mda")
      dir.write(f.path, {reinterpret_cast<const char*>(f.bytes.data()), f.bytes.size()});
  }
  emote_text = new IEmoteText;  // the fixture's resets free it
  delete fake;
  ASSERT_EQ(emote_text->emote_text_init("system\\Phiz.MDA"), 0);
  fill({{"#YBroadcast#N: the castle gates open tonight", -1, 0}});
  const plat::Rect& s = ticker_strip.strip;
  std::vector<uint16_t> last;
  int moved = 0, reentered = 0, outside = 0;
  for (int frame = 0; frame < 600; ++frame) {
    hp().fakeClock().advance(31);
    paintPattern();
    const int32_t before = broadcast_ticker.offset;
    broadcast_ticker_run();
    if (broadcast_ticker.offset > before) ++reentered;
    std::vector<uint16_t> strip;
    for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
      for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
        const bool in = x >= s.left && x < s.right && y >= s.top && y < s.bottom;
        if (in) {
          strip.push_back(screen_back->rows[y][x]);
        } else {
          outside += screen_back->rows[y][x] != patternAt(x, y);
        }
      }
    }
    moved += !last.empty() && strip != last;
    last = std::move(strip);
  }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(moved, 300);  // 2 pixels a frame while the text is in the strip
  EXPECT_EQ(reentered, 1);  // 1200 pixels: the text's one pass through and out
  EXPECT_EQ(emote_outline, 0);
}

}  // namespace

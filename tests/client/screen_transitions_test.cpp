// Screen transitions: every presented picture checked against the rule that makes it, the pass
// counts, the choosers, the pacing on the fake clock and the window lists drawn or not.
// With VELDRA_TEST_DUMP=<folder>, Transitions.Dump writes every presented picture as a PPM.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "client/game/frame_step.h"
#include "client/handover/replay_controls.h"
#include "client/screen_fx/screen_transitions.h"
#include "client/window/window_manager.h"
#include "core/timer/timer_ticks.h"
#include "engine/draw/draw.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "plat/crt.h"
#include "tests/client/task_fixture.h"
#include "tests/support/ppm_dump.h"

namespace {

constexpr int W = SCREEN_WIDTH, H = SCREEN_HEIGHT;

struct Shown {
  BITMAP16* bitmap;
  uint32_t ms;
  std::vector<uint16_t> pixels;  // W x H
};

uint16_t old_at(int x, int y) { return static_cast<uint16_t>(x * 7 + y * 13); }
uint16_t new_at(int x, int y) { return static_cast<uint16_t>((x * 3 + y * 5) ^ 0xA5A5); }

uint16_t blended(uint16_t fresh, uint16_t old, int level) {
  pixel_ops.blend(&fresh, &old, level);
  return old;
}

int window_draws = 0;
void count_window_draw() { ++window_draws; }

class Transitions : public task_test::TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    ASSERT_NE(screen_back, nullptr);
    ASSERT_NE(screen_work, nullptr);
    self() = this;
    chained_ = draw_present_slot;
    draw_present_slot = &Transitions::record;
    window_draws = 0;
    speed_divisor = 1;
  }
  void TearDown() override {
    draw_present_slot = chained_;
    self() = nullptr;
    TaskTest::TearDown();
  }

  static void fill(BITMAP16* b, uint16_t (*at)(int, int)) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) b->rows[y][x] = at(x, y);
  }
  void paintScreens() {
    fill(screen_back, old_at);
    fill(screen_new, new_at);
  }
  static bool equals(const BITMAP16* a, const BITMAP16* b) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (a->rows[y][x] != b->rows[y][x]) return false;
    return true;
  }

  // Consecutive presents are one frame period apart on the fake clock: paced, and no more.
  void expectPaced() const {
    for (size_t i = 1; i < shown.size(); ++i) ASSERT_EQ(shown[i].ms - shown[i - 1].ms, FRAME_PERIOD_MS) << "present " << i;
  }

  // A window in the normal list whose draw is counted.
  static void addCountingWindow() { window_add(700, 10, 790, 40, count_window_draw, nullptr, 0, 0); }

  std::vector<Shown> shown;

 private:
  static Transitions*& self() {
    static Transitions* s = nullptr;
    return s;
  }
  static int32_t record(BITMAP16* bm) {
    Transitions* t = self();
    if (!t) return 0;
    Shown s{bm, t->now(), std::vector<uint16_t>(static_cast<size_t>(W) * H)};
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) s.pixels[static_cast<size_t>(y) * W + x] = bm->rows[y][x];
    t->shown.push_back(std::move(s));
    return t->chained_ ? t->chained_(bm) : 0;
  }
  DrawPresentFn chained_ = nullptr;
};

// The first mismatch of a presented picture against a rule, "" when none.
template <typename Rule>
std::string mismatch(const Shown& s, Rule rule) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const uint16_t want = rule(x, y), got = s.pixels[static_cast<size_t>(y) * W + x];
      if (want != got) {
        char text[96];
        std::snprintf(text, sizeof text, "(%d, %d): %04x, want %04x", x, y, got, want);
        return text;
      }
    }
  return "";
}

// The fade shows the new screen blended over the old at 0, step, 2 x step ... below 255, the old
// screen coming back between passes, then the new screen itself.
TEST_F(Transitions, Passes) {
  for (int step : {16, 8}) {
    SCOPED_TRACE("fade step " + std::to_string(step));
    shown.clear();
    paintScreens();
    addCountingWindow();
    window_draws = 0;
    screen_transition_fade(step);
    const int blends = (254 + step) / step;
    ASSERT_EQ(static_cast<int>(shown.size()), blends + 1);
    EXPECT_EQ(blends, step == 16 ? 16 : 32);
    for (int k = 0; k < blends; ++k) {
      SCOPED_TRACE("level " + std::to_string(k * step));
      EXPECT_EQ(shown[k].bitmap, screen_back);
      EXPECT_EQ(mismatch(shown[k], [&](int x, int y) { return blended(new_at(x, y), old_at(x, y), k * step); }), "");
    }
    // Level 0 leaves the old screen; the last present is the new one.
    EXPECT_EQ(mismatch(shown[0], old_at), "");
    EXPECT_EQ(mismatch(shown.back(), new_at), "");
    EXPECT_TRUE(equals(screen_back, screen_new));
    EXPECT_EQ(window_draws, blends);  // every blended pass, not the final present
    expectPaced();
    window_manager_reset();
  }
}

// A wipe row is done in the pass whose edge has reached 1055: its delay, then edges e, e + 32 ...
// The transition ends in the pass where every row is done.
TEST_F(Transitions, DissolveRows) {
  struct Case {
    int delay, edge, done_in_pass;
  };
  for (const Case& c : {Case{3, 1, 37}, Case{0, 1, 34}, Case{0, 2, 34}, Case{2, 2, 36}}) {
    SCOPED_TRACE("delay " + std::to_string(c.delay) + " edge " + std::to_string(c.edge));
    std::vector<DISSOLVE_ROW> rows(DISSOLVE_ROWS, DISSOLVE_ROW{0, 2});
    rows[123] = DISSOLVE_ROW{c.delay, c.edge};
    int pass = 0, done = 0;
    while (done != DISSOLVE_ROWS && pass < 100) {
      done = dissolve_pass(rows.data());
      ++pass;
      if (pass < 34) {
        ASSERT_EQ(done, 0) << "pass " << pass;
      } else if (pass < c.done_in_pass) {
        ASSERT_EQ(done, DISSOLVE_ROWS - 1) << "pass " << pass;
      }
    }
    EXPECT_EQ(pass, c.done_in_pass);
  }
}

// Seeded: each row's delay then edge come from rand() in row order, and every present matches the
// wipe drawn from those numbers.
TEST_F(Transitions, Dissolve) {
  paintScreens();
  plat::crt_srand(20261211);
  std::vector<DISSOLVE_ROW> rows(DISSOLVE_ROWS);
  int longest = 0;
  for (DISSOLVE_ROW& r : rows) {
    r.delay = plat::crt_rand() % 4;
    r.edge = plat::crt_rand() % 2 + 1;
    longest = std::max(longest, r.delay);
  }
  plat::crt_srand(20261211);
  addCountingWindow();
  screen_transition_dissolve();
  ASSERT_EQ(static_cast<int>(shown.size()), longest + 34);
  EXPECT_EQ(window_draws, longest + 34);
  for (size_t p = 0; p < shown.size(); ++p) {
    const int pass = static_cast<int>(p) + 1;
    const auto rule = [&](int x, int y) -> uint16_t {
      const DISSOLVE_ROW& r = rows[static_cast<size_t>(y)];
      if (pass <= r.delay) return old_at(x, y);
      const int e = r.edge + 32 * std::min(pass - r.delay - 1, 33);
      if (x >= e) return old_at(x, y);
      return e - x >= 255 ? new_at(x, y) : blended(new_at(x, y), old_at(x, y), e - x);
    };
    ASSERT_EQ(mismatch(shown[p], rule), "") << "pass " << pass;
    ASSERT_EQ(shown[p].bitmap, screen_back);
  }
  EXPECT_TRUE(equals(screen_back, screen_new));
  expectPaced();
}

// The zoom: nine pictures of the old screen shrinking by 80 x 60 about the centre without the
// window lists, then nine of the new one growing from 80 x 60 with them, all in screen_work.
TEST_F(Transitions, Zoom) {
  const uint16_t a = 0x1234, b = 0x4321;
  bitmap16_fill(screen_back, a);
  bitmap16_fill(screen_new, b);
  addCountingWindow();
  screen_transition_zoom();
  ASSERT_EQ(shown.size(), 18u);
  for (int k = 0; k < 18; ++k) {
    SCOPED_TRACE("pass " + std::to_string(k));
    const int s = k < 9 ? k : 18 - k;  // steps in from the full screen: 0 to 8, then 9 to 1
    const int x0 = 40 * s, y0 = 30 * s, x1 = W - 40 * s, y1 = H - 30 * s;
    const uint16_t inside = k < 9 ? a : b;
    EXPECT_EQ(shown[k].bitmap, screen_work);
    EXPECT_EQ(mismatch(shown[k], [&](int x, int y) {
                return x >= x0 && x < x1 && y >= y0 && y < y1 ? inside : zoom_background_colour;
              }),
              "");
  }
  EXPECT_EQ(window_draws, 9);
  EXPECT_TRUE(equals(screen_back, screen_new));
  expectPaced();

  // The growing passes draw only when the frame number is a multiple of the divisor; no frame
  // step runs inside, so all nine draw or none do.
  struct Case {
    int32_t divisor;
    int frames_before;
    size_t presents;
  };
  for (const Case& c : {Case{2, 1, 9}, Case{2, 2, 18}, Case{4, 3, 9}, Case{4, 4, 18}}) {
    SCOPED_TRACE("divisor " + std::to_string(c.divisor) + " frame " + std::to_string(c.frames_before));
    frame_step_reset();
    for (int i = 0; i < c.frames_before; ++i) frame_step();
    speed_divisor = c.divisor;
    bitmap16_fill(screen_back, a);
    shown.clear();
    screen_transition_zoom();
    EXPECT_EQ(shown.size(), c.presents);
    EXPECT_TRUE(equals(screen_back, screen_new));
  }
}

// Which transition a chooser ran, told from what it presented.
enum class Kind { Dissolve, Zoom, Fade16, Fade8, Other };
Kind kind_of(const std::vector<Shown>& shown, const BITMAP16* work) {
  if (shown.size() == 18 && shown[0].bitmap == work) return Kind::Zoom;
  if (shown.size() == 17) return Kind::Fade16;
  if (shown.size() == 33) return Kind::Fade8;
  if (shown.size() >= 34 && shown.size() <= 37) return Kind::Dissolve;
  return Kind::Other;
}

// A seed whose first rand() % 13 is the value.
uint32_t seed_for(int value) {
  for (uint32_t s = 1;; ++s) {
    plat::crt_srand(s);
    if (plat::crt_rand() % 13 == value) return s;
  }
}

TEST_F(Transitions, Choosers) {
  // random3: the millisecond clock modulo 3; its argument changes nothing.
  const Kind by_clock[3] = {Kind::Dissolve, Kind::Zoom, Kind::Fade16};
  for (int m = 0; m < 3; ++m) {
    for (int32_t arg : {0, 5, 8, -1}) {
      SCOPED_TRACE("clock % 3 = " + std::to_string(m) + ", argument " + std::to_string(arg));
      const uint32_t t = hp().clock().ms();
      hp().fakeClock().set(t + (3 + m - t % 3) % 3);
      shown.clear();
      paintScreens();
      screen_transition_random3(arg);
      EXPECT_EQ(kind_of(shown, screen_work), by_clock[m]);
      EXPECT_TRUE(equals(screen_back, screen_new));
    }
  }
  // random: rand() % 13, with 4 to 12 handed to random3 (clock % 3 = 1 here: the zoom).
  const Kind by_rand[13] = {Kind::Dissolve, Kind::Zoom, Kind::Dissolve, Kind::Fade8, Kind::Zoom, Kind::Zoom,
                            Kind::Zoom,     Kind::Zoom, Kind::Zoom,     Kind::Zoom,  Kind::Zoom, Kind::Zoom,
                            Kind::Zoom};
  for (int v = 0; v < 13; ++v) {
    SCOPED_TRACE("rand() % 13 = " + std::to_string(v));
    const uint32_t t = hp().clock().ms();
    hp().fakeClock().set(t + (4 - t % 3) % 3);
    plat::crt_srand(seed_for(v));
    shown.clear();
    paintScreens();
    screen_transition_random();
    EXPECT_EQ(kind_of(shown, screen_work), by_rand[v]);
    EXPECT_TRUE(equals(screen_back, screen_new));
  }
}

// A fade step below 1 would never end: only the new screen is shown, with a log line. Without the
// scratch bitmap nothing is animated: the new screen is taken as it is and nothing presented.
TEST_F(Transitions, BadInput) {
  paintScreens();
  screen_transition_fade(0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(mismatch(shown[0], new_at), "");
  EXPECT_EQ(logged("screen fade: step 0 ignored"), 1);

  BITMAP16* const work = screen_work;
  screen_work = nullptr;
  for (void (*run)() : {screen_transition_dissolve, screen_transition_zoom, +[] { screen_transition_fade(16); }}) {
    shown.clear();
    paintScreens();
    run();
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(equals(screen_back, screen_new));
  }
  screen_work = work;
}

// The timed fade: from screen_saved towards what screen_back held, the level rising by 15 each
// time counter 0 passes the speed, ending on that picture drawn plainly.
TEST_F(Transitions, FadeScreen) {
  fill(screen_saved, old_at);
  fill(screen_back, new_at);
  timer_ticks[0] = 0;
  int n = 0;
  onPresent = [&n] {
    if (++n % 2 == 0) timer_ticks[0] = 3;  // passes speed 2 after every second present
  };
  gfx16_fade_screen(2);
  // Levels 0, 15 ... 255 twice each, then the picture.
  ASSERT_EQ(shown.size(), 18u * 2 + 1);
  for (size_t i = 0; i + 1 < shown.size(); i += 5) {
    const int level = static_cast<int>(i / 2) * 15;
    EXPECT_EQ(mismatch(shown[i], [&](int x, int y) { return blended(new_at(x, y), old_at(x, y), level); }), "")
        << "present " << i;
  }
  EXPECT_EQ(mismatch(shown.back(), new_at), "");
  EXPECT_EQ(shown.back().bitmap, screen_back);
}

// With VELDRA_TEST_DUMP=<folder>, every picture each transition presents is written there.
TEST_F(Transitions, Dump) {
  const char* folder = std::getenv("VELDRA_TEST_DUMP");
  if (!folder || !*folder) GTEST_SKIP() << "VELDRA_TEST_DUMP not set";
  struct Run {
    const char* name;
    void (*run)();
  };
  const Run runs[] = {{"dissolve", screen_transition_dissolve},
                      {"fade16", [] { screen_transition_fade(16); }},
                      {"zoom", screen_transition_zoom}};
  plat::crt_srand(1);
  for (const Run& r : runs) {
    shown.clear();
    paintScreens();
    r.run();
    for (size_t i = 0; i < shown.size(); ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "transition_%s_%02zu.ppm", r.name, i);
      const std::vector<uint16_t>& pixels = shown[i].pixels;
      const auto rgb = [&](int32_t x, int32_t y) { return pixel_ops.unpack_rgb(pixels[static_cast<size_t>(y) * W + x]); };
      ASSERT_TRUE(veldra_test::dumpPpm(name, W, H, rgb)) << name;
    }
    std::printf("%s: %zu pictures in %s\n", r.name, shown.size(), folder);
  }
}

}  // namespace

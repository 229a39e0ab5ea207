// The announcements screen over mkgame's art and pages, with a fake emote measure (20-pixel
// lines, so 15 lines fill the box): page buttons, the scroll arrows, the web buttons, the ways
// out and missing files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "client/front/announcements.h"
#include "tests/client/char_screens_fixture.h"
#include "tests/client/fake_emote.h"
#include "tests/support/ppm_dump.h"
#include "tools/mkgame/mkgame.h"

// Failures show the scroll state.
static void PrintTo(const ANNOUNCEMENT_VIEW& v, std::ostream* os) {
  *os << "{page " << v.page << ", first " << v.first_line << ", lines " << v.lines << ", "
      << (v.overflowed ? "overflowed" : "fits") << "}";
}

namespace {

using char_test::Box;

constexpr int kMarkerY[7] = {148, 189, 235, 278, 321, 363, 405};
// mkgame's buttons: 0-6 beside their markers, 7 (go on) at the lower main button, the arrows.
Box button(int i) { return i == 7 ? Box{612, 485, 128, 28} : Box{612, kMarkerY[i] - 2, 128, 28}; }
constexpr Box kUp{430, 120, 21, 21}, kDown{430, 419, 21, 21};
constexpr uint8_t kScanEnter = 0x1C;

class Announcements : public char_test::CharScreenTest {
 protected:
  // The forum's address is a deployment value; the other pages keep their defaults.
  void configure(plat::HeadlessOptions& o) override {
    CharScreenTest::configure(o);
    dir.write("registry.ini", "[HKLM\\Software\\Veldra\\Web]\nForum=https://forum.example.test/board\n");
  }
  void SetUp() override {
    CharScreenTest::SetUp();
    fake = emote_fake::install_fake_emote();
    leave_when_done = false;
    // A screen that does not leave fails and is sent Enter, rather than running on.
    auto base = onPresent;
    onPresent = [this, base] {
      base();
      if (frames_seen == 3000) {
        ADD_FAILURE() << "the screen did not leave";
        input_feed_scan_code(kScanEnter);
      }
    };
    for (const mkgame::GameFile& f : art()) {
      if (f.path.starts_with("download/Affiche") || f.path == "system/Button.mda" ||
          f.path.starts_with("system/c1meu005c")) {
        writeFile(f.path, f.bytes);
      }
    }
  }

  static const std::vector<mkgame::GameFile>& art() {
    static const std::vector<mkgame::GameFile> files = mkgame::frontEndArt();
    return files;
  }

  void look() {
    then([this] { views.push_back(announcements_view()); });
  }
  // Layouts asked for since the last mark, by their texts' tops.
  void markLayouts() {
    then([this] { fake->layouts.clear(); });
  }
  std::vector<int32_t> layoutTops() const {
    std::vector<int32_t> tops;
    for (const auto& l : fake->layouts) tops.push_back(l.rect.top);
    return tops;
  }

  // The real renderer in place of the fake, over mkgame's emote media.
  void useRenderer() {
    for (const mkgame::GameFile& f : mkgame::startupFiles(mkgame::defaultStartupDir())) {
      if (f.path == "system/phiz.mda" || f.path == "system/c1meu030.mda") writeFile(f.path, f.bytes);
    }
    emote_text = new IEmoteText;  // the fixture's resets free it, and the fake with it
    delete fake;
    fake = nullptr;
    ASSERT_EQ(emote_text->emote_text_init("system\\Phiz.MDA"), 0);
  }
  // Pixels of the back bitmap that differ from the clean background inside a rectangle.
  static int changed(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    int n = 0;
    for (int32_t y = top; y < bottom; ++y)
      for (int32_t x = left; x < right; ++x) n += screen_back->rows[y][x] != screen_new->rows[y][x];
    return n;
  }

  std::vector<ANNOUNCEMENT_VIEW> views;
  std::vector<emote_fake::FakeEmote::Call> first_pass;
  emote_fake::FakeEmote* fake = nullptr;
};

// Page buttons load their page and start it from its top; the shown page's button and a page
// that does not load (missing, or over 1 MiB) change nothing; the arrows scroll a long page and not one that fits.
TEST_F(Announcements, PagesAndScroll) {
  idle();
  look();
  press(kDown);
  look();
  press(button(1));
  look();
  for (int i = 0; i < 3; ++i) press(kDown);
  look();
  then([this] { dir.write("download/Affiche02.txt", "short#Lpage"); });
  press(button(1));
  look();
  then([this] { std::remove(dir.hostPath("download/Affiche03.txt").c_str()); });
  press(button(2));
  look();
  press(kUp);
  look();
  then([this] { dir.write("download/Affiche04.txt", std::string((1u << 20) + 1, 'x')); });
  press(button(3));
  look();
  press(button(0));
  look();
  key(kScanEnter);
  EXPECT_EQ(task_system_broadcast(), 0);
  const std::vector<ANNOUNCEMENT_VIEW> expected = {
      {0, 0, 3, false}, {0, 0, 3, false},  // a page that fits does not scroll
      {1, 0, 41, true}, {1, 3, 41, true},  // the long page scrolls
      {1, 3, 41, true},                    // its own button: not loaded again
      {1, 3, 41, true},                    // a missing page keeps page and scroll
      {1, 2, 41, true},
      {1, 2, 41, true},  // so does a page over 1 MiB
      {0, 0, 3, false},
  };
  EXPECT_EQ(views, expected);
  EXPECT_FALSE(worldLink()->connected);
}

// Lines go down the box from its top, each from the last one's foot, until one passes 439; the
// down arrow stops at the last line.
TEST_F(Announcements, LayoutFillsTheBoxAndScrollsToTheLastLine) {
  markLayouts();
  press(button(1));
  look();
  then([this] { first_pass = fake->layouts; });
  for (int i = 0; i < 44; ++i) press(kDown);
  markLayouts();
  press(kDown);  // at the last line already: it stays, laid out again
  look();
  press(button(7));
  EXPECT_EQ(task_system_broadcast(), 0);
  ASSERT_EQ(first_pass.size(), 16u);  // the 16th line (foot 440) is the one that overflows
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(first_pass[k].rect.top, 120 + 20 * k);
    EXPECT_EQ(first_pass[k].rect.left, 140);
    EXPECT_EQ(first_pass[k].rect.right, 420);
    EXPECT_EQ(first_pass[k].rect.bottom, 440);
  }
  EXPECT_EQ(first_pass[0].text, "#YRelease notes#N");
  ASSERT_EQ(views.size(), 2u);
  EXPECT_EQ(views[1], (ANNOUNCEMENT_VIEW{1, 40, 41, true}));
  EXPECT_EQ(layoutTops(), std::vector<int32_t>{120});  // the last line alone at the top
}

// An empty line lays out nothing: the next line goes on from the same top.
TEST_F(Announcements, EmptyLineKeepsTheTop) {
  dir.write("download/Affiche01.txt", "one#L#Ltwo");
  key(kScanEnter);
  EXPECT_EQ(task_system_broadcast(), 0);
  EXPECT_EQ(layoutTops(), (std::vector<int32_t>{120, 140, 140}));
}

// The three web buttons open their pages (the registry's address, else the default) and keep the
// screen; Enter and the go-on button leave.
TEST_F(Announcements, WebButtonsAndWaysOut) {
  for (int i : {4, 5, 6}) press(button(i));
  look();
  press(button(7));
  EXPECT_EQ(task_system_broadcast(), 0);
  EXPECT_EQ(hp().openedUrls(), (std::vector<std::string>{"https://example.invalid/", "https://forum.example.test/board",
                                                         "https://example.invalid/faq"}));
  EXPECT_EQ(views.size(), 1u);
  key(kScanEnter);
  EXPECT_EQ(task_system_broadcast(), 0);
  EXPECT_EQ(fake->clears, 4);  // each start's layout and each leaving
}

// With the real renderer the sample pages fit (page 1) and overflow (page 2) the box, and the
// text is drawn inside the box only (left of the buttons).
TEST_F(Announcements, SamplePagesWithTheRenderer) {
  useRenderer();
  std::vector<int> inside, outside;
  auto measure = [&] {
    inside.push_back(changed(140, 120, 420, 440));
    outside.push_back(changed(0, 120, 140, 600) + changed(140, 440, 430, 600));
  };
  idle();
  then(measure);
  look();
  then([] { veldra_test::dumpPpm("announcements_page1.ppm", screen_back); });
  press(button(1));
  then(measure);
  look();
  then([] { veldra_test::dumpPpm("announcements_page2.ppm", screen_back); });
  key(kScanEnter);
  EXPECT_EQ(task_system_broadcast(), 0);
  ASSERT_EQ(views.size(), 2u);
  EXPECT_FALSE(views[0].overflowed);
  EXPECT_EQ(views[1].lines, 41);
  EXPECT_TRUE(views[1].overflowed);
  ASSERT_EQ(inside.size(), 2u);
  EXPECT_GT(inside[0], 100);
  EXPECT_GT(inside[1], inside[0]);
  EXPECT_EQ(outside, (std::vector<int>{0, 0}));
}

TEST_F(Announcements, MissingArtEndsWithMinusOneAndAMissingPageShowsNothing) {
  for (const char* missing : {"system/Button.mda", "system/c1meu005c.MDA", "system/c1meu005c.JPG"}) {
    SCOPED_TRACE(missing);
    const std::string kept = dir.read(missing);
    std::remove(dir.hostPath(missing).c_str());
    EXPECT_EQ(task_system_broadcast(), -1);
    dir.write(missing, kept);
  }
  std::remove(dir.hostPath("download/Affiche01.txt").c_str());
  look();
  key(kScanEnter);
  EXPECT_EQ(task_system_broadcast(), 0);
  EXPECT_EQ(views, (std::vector<ANNOUNCEMENT_VIEW>{{0, 0, 0, false}}));
  EXPECT_TRUE(fake->layouts.empty());
}

}  // namespace

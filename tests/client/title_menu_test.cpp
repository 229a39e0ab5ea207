// The title and the main menu on the headless backend: the title's film and the menu background
// it leaves in work buffer 1, the menu's start, buttons, keys and replay road, and that every way
// out of either releases what it loaded.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "client/common/seam_calls.h"
#include "client/front/main_menu.h"
#include "client/front/title_screen.h"
#include "client/game/task_state.h"
#include "client/sound/music_state.h"
#include "client/startup/client_hooks.h"
#include "client/state/chat_input_state.h"
#include "client/state/login_state.h"
#include "engine/engine_main/engine_main.h"
#include "engine/video/video.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/img256/img256.h"
#include "graphics/img256/img256_draw.h"
#include "graphics/mda/mda.h"
#include "plat/video.h"
#include "social/chat_log/msg_history.h"
#include "tests/client/char_screens_fixture.h"
#include "tests/support/recording_music.h"

namespace {

using char_test::Box;

// A solid frame of a known colour at a box.
struct Solid {
  Box box;
  uint32_t rgb;
};

mdaw::Rgba rgba(uint32_t rgb) {
  return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), 255};
}

std::vector<uint8_t> frame_at(const Solid& s) {
  mdaw::FrameGeometry g;
  g.box_x = static_cast<uint16_t>(s.box.x);
  g.box_y = static_cast<uint16_t>(s.box.y);
  return mdaw::img256_encode(mdaw::picture_fill(s.box.w, s.box.h, rgba(s.rgb)), g);
}

// Loose frames first (read by number), then "MainCommand<n>" with one solid step each.
std::vector<uint8_t> media(const std::vector<Solid>& loose, const std::vector<Solid>& commands) {
  mdaw::MdaFile f;
  for (size_t i = 0; i < loose.size(); ++i) f.frame("loose" + std::to_string(i), frame_at(loose[i]));
  for (size_t n = 0; n < commands.size(); ++n) {
    const std::string name = "c" + std::to_string(n);
    f.frame(name, frame_at(commands[n]));
    f.command("MainCommand" + std::to_string(n)).step(name);
  }
  return mdaw::mda_build(f);
}

constexpr uint32_t kDecorationColours[7] = {0xF80000, 0x00FC00, 0x0000F8, 0xF8FC00, 0xF800F8, 0x00FCF8, 0x808080};
constexpr uint32_t kLogoColour = 0xF8F8F8;
// The button file's captions (0 to 3) and markers (4 to 7), far apart in colour.
constexpr uint32_t kButtonFileColours[8] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00,
                                            0xFF00FF, 0x00FFFF, 0x000000, 0xFFFFFF};
constexpr Box kLogoBox{300, 60, 200, 50};
Box decoration_box(int i) { return {40 + 70 * i, 530, 50, 40}; }

// The menu's buttons: start, quit, the four web buttons beside their markers, the maker's link.
constexpr Box kButtons[MAIN_MENU_BUTTONS] = {{612, 256, 128, 28}, {612, 485, 128, 28}, {612, 434, 128, 28},
                                             {612, 398, 128, 28}, {612, 356, 128, 28}, {612, 314, 128, 28},
                                             {40, 470, 160, 24}};

class FrontTitle : public char_test::CharScreenTest {
 protected:
  void SetUp() override {
    CharScreenTest::SetUp();
    leave_when_done = false;
    // A menu whose script ran out is left with Enter, so that no test can hang.
    auto step = onPresent;
    onPresent = [this, step] {
      step();
      if (frames_seen > 400) input_feed_scan_code(0x1C);
    };
    plat::setVideoDecoderFactory(plat::FakeVideoDecoder::factory({.width = 160, .height = 120, .frames = 3}, &film));
    settings.music = 1;
    settings.volume = 100;
    seam_calls_clear();
  }
  void TearDown() override {
    plat::setVideoDecoderFactory({});
    video_reset();
    client_process_start("main");
    CharScreenTest::TearDown();
  }

  void writeButtonFile() {
    std::vector<Solid> commands;
    for (int n = 0; n < 8; ++n) commands.push_back({{0, 0, 8, 8}, kButtonFileColours[n]});
    commands.push_back({kLogoBox, kLogoColour});
    writeFile("system/Button.mda", media({}, commands));
  }
  void writeMenuFile(int decorations = 7) {
    std::vector<Solid> loose;
    for (int i = 0; i < decorations; ++i) loose.push_back({decoration_box(i), kDecorationColours[i]});
    // A short file holds only the decorations, so that the title's reads run out.
    std::vector<Solid> commands;
    if (decorations == 7)
      for (const Box& b : kButtons) commands.push_back({b, 0x304050});
    writeFile("system/c1meu005b.MDA", media(loose, commands));
  }
  void writeArt() {
    writeButtonFile();
    writeMenuFile();
    writeBackground("system/c1meu005b.JPG");
    dir.write("system/title.avi", "stands for a film; the fake decoder makes the frames");
  }

  void removeFile(const std::string& rel) { std::filesystem::remove(dir.hostPath(rel)); }

  // The pixel a solid frame of that colour draws at the box's centre over the menu picture.
  static uint16_t drawn(uint32_t rgb, const Box& box) {
    std::vector<uint8_t> bytes = frame_at({box, rgb});
    Img256Frame frame;
    if (img256_open(bytes.data(), bytes.size(), &frame) != 0) return 0;
    if (jpg_load_region("system\\c1meu005b.JPG", screen_work, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT) != 0) return 0;
    img256_draw(box.x, box.y, &frame, screen_work);
    return pixel(screen_work, box);
  }
  static uint16_t pixel(BITMAP16* b, const Box& box) { return b->rows[box.y + box.h / 2][box.x + box.w / 2]; }

  // error.txt holds the lines in this order.
  void expectLinesInOrder(const std::vector<std::string>& lines) {
    const std::string log = errorTxt();
    size_t at = 0;
    for (const std::string& l : lines) {
      const size_t found = log.find(l + "\r\n", at);
      ASSERT_NE(found, std::string::npos) << "\"" << l << "\" missing or out of order";
      at = found + l.size();
    }
  }

  plat::FakeVideoDecoder::Record film;
};

// ---- title ----------------------------------------------------------------------------------

using TitleScreen = FrontTitle;

// With and without a replay the background is built in work buffer 1: the picture, the logo and
// the seven decorations where their boxes lie; only without a replay the film plays.
TEST_F(TitleScreen, BuildsTheMenuBackground) {
  writeArt();
  dir.write("r.rec", task_test::RecordBytes().entry(10, 0x30001, 0, RECORD_KIND_WORLD).str());
  for (const bool replay : {false, true}) {
    SCOPED_TRACE(replay ? "replay" : "no replay");
    client_process_start(replay ? "\"main\" r.rec" : "main");
    film = {};
    bitmap16_clear_pixels(screen_new);
    EXPECT_EQ(task_show_title(), 0);
    EXPECT_EQ(film.opens, replay ? 0 : 1);
    EXPECT_EQ(replaying, replay ? 1 : 0);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(pixel(screen_new, decoration_box(i)), drawn(kDecorationColours[i], decoration_box(i))) << i;
    EXPECT_EQ(pixel(screen_new, kLogoBox), drawn(kLogoColour, kLogoBox));
    EXPECT_EQ(mda_table.count, 0) << "the button file is released";
  }
  expectLinesInOrder({"show_title begin", "show_title at processing", "show_title at processing2", "show_title at end"});
}

// Each missing file ends the title with -1 and releases what was loaded so far (the sanitizer
// build checks the decorations read before the failing one).
TEST_F(TitleScreen, MissingFilesReleaseWhatWasLoaded) {
  const struct {
    const char* what;
    const char* remove;
    int decorations;
    const char* told;
  } cases[] = {
      {"no button file", "system/Button.mda", 7, "Unable to launch system\\Button.mda file"},
      {"no picture", "system/c1meu005b.JPG", 7, nullptr},
      {"five decorations", nullptr, 5, "Read mda frame no error (5/5)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeArt();
    writeMenuFile(c.decorations);
    if (c.remove) removeFile(c.remove);
    EXPECT_EQ(task_show_title(), -1);
    EXPECT_EQ(mda_table.count, 0);
    if (c.told) {
      EXPECT_EQ(logged(c.told), 1);
    }
    EXPECT_EQ(logged("show_title at end"), 0);
  }
}

TEST_F(TitleScreen, MissingFilmIsToldAndTheTitleGoesOn) {
  writeArt();
  removeFile("system/title.avi");
  scheduleClick(elapsedMs() + 300);
  EXPECT_EQ(task_show_title(), 0);
  EXPECT_EQ(logged("File system\\title.avi open error"), 1);
  EXPECT_EQ(film.opens, 0);
  EXPECT_EQ(pixel(screen_new, kLogoBox), drawn(kLogoColour, kLogoBox));
}

// ---- main menu ------------------------------------------------------------------------------

class MainMenu : public FrontTitle {
 protected:
  void SetUp() override {
    FrontTitle::SetUp();
    writeArt();
  }
  void pressButton(int i) { press(kButtons[i]); }
  void enter() { key(0x1C); }
  veldra_test::RecordingMusicPlayer music;
};

// The start clears what a previous session left (the chat input and the private messages among
// it), sets the title and plays the music; leaving
// resets the guild lists and saves nothing.
TEST_F(MainMenu, StartAndLeave) {
  link_lost_word = 2;
  login_state.wait_seconds = 5;
  login_state.queue_position = 3;
  task_state_words.selection[0] = 3;
  chat_input_state = CHAT_INPUT_STATE{2, 1234, 77, "friend", 5};
  msg_history.records[4] = MSG_HISTORY_RECORD{11, 12, 13, "friend", "hello"};
  msg_history.head = 5;
  msg_history.tail = 2;
  plat::get().windows().setTitle(sys_main_window(), "before");
  bool checked = false;
  then([&] {
    checked = true;
    EXPECT_EQ(hp().windowTitle(sys_main_window()), "Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 )");
    EXPECT_EQ(link_lost_word, 0);
    EXPECT_EQ(login_state.wait_seconds, 0);
    EXPECT_EQ(login_state.queue_position, 0);
    EXPECT_EQ(task_state_words.selection[0], -1);
    EXPECT_EQ(chat_input_state.channel, CHAT_CHANNEL_NONE);
    EXPECT_EQ(chat_input_state.last_sent_time, 0u);
    EXPECT_EQ(chat_input_state.target_id, -1);
    EXPECT_STREQ(chat_input_state.target_name, "");
    EXPECT_EQ(chat_input_state.attachment, 0u);
    const MSG_HISTORY_RECORD& r = msg_history.records[4];
    EXPECT_EQ(r.sender_id + r.recipient_id + r.time, 0u);
    EXPECT_STREQ(r.name, "");
    EXPECT_STREQ(r.text, "");
    EXPECT_EQ(msg_history.head, 0);
    EXPECT_EQ(msg_history.tail, 0);
    EXPECT_GE(worldLink()->disconnects, 1);
    EXPECT_EQ(seam_call_names(), std::vector<std::string>{"chat_window_show"});
    EXPECT_EQ(seam_calls()[0].a, 0);
  });
  enter();
  EXPECT_EQ(task_select_mainfunction(), 0);
  EXPECT_TRUE(checked);
  EXPECT_STREQ(music_current_name, "music\\menu01.MP3");
  EXPECT_EQ(music_loop_flag, 1u);
  int32_t volume = -1;
  for (const veldra_test::MusicCall& c : music.calls)
    if (c.op == "music_set_volume") volume = c.value;
  EXPECT_EQ(volume, 100) << "menu volume 100 at the settings' 100 percent";
  EXPECT_EQ(seam_call_names(), (std::vector<std::string>{"chat_window_show", "guild_paged_list_reset",
                                                         "guild_members_reset", "guild_applicants_free"}));
  EXPECT_FALSE(dir.exists("veldra.cfg"));
  EXPECT_EQ(mda_table.count, 0);
  expectLinesInOrder({"menu begin", "menu begin play mp3", "menu begin end mp3", "menu begin changeeffect",
                      "menu end changeeffect", "menu begin init record", "menu begin loop", "menu end loop",
                      "menu end"});
  // Work buffer 1 holds the clean background again: no button drawn into it.
  EXPECT_NE(pixel(screen_new, kButtons[0]), drawn(0x304050, kButtons[0]));
}

// Whether a screen pixel shows the colour, each channel within two steps (drawing blends a trace
// of what lies below).
bool shows(uint16_t pixel, uint32_t rgb) {
  const plat::PixelMasks m = plat::get().display().masks();
  const uint16_t want = plat::videoPack16(rgb, m);
  for (uint32_t mask : {m.red, m.green, m.blue}) {
    const int shift = __builtin_ctz(mask);
    const int a = static_cast<int>((pixel & mask) >> shift), b = static_cast<int>((want & mask) >> shift);
    if (a - b > 2 || b - a > 2) return false;
  }
  return true;
}

// The anchor table: under the pointer a button shows the caption of its set and the hover marker
// of its kind (enabled or not); the others show the idle marker of theirs.
TEST_F(MainMenu, MarkersAndCaptionsFollowTheTable) {
  struct Look {
    int idle_x, idle_y, hover_x, hover_y, caption_x, caption_y;
    bool enabled;
    int set;
  };
  const Look looks[6] = {{752, 263, 741, 252, 468, 271, true, 1},  {752, 498, 741, 487, 609, 513, true, 0},
                         {758, 447, 749, 439, 620, 456, false, 0}, {758, 405, 749, 397, 470, 408, false, 1},
                         {758, 363, 749, 355, 468, 364, false, 1}, {758, 321, 749, 313, 470, 324, false, 1}};
  // The bottom row of each 8 x 8 frame: clear of the buttons that a caption slips under.
  auto at = [](int x, int y) { return screen_back->rows[y + 7][x + 4]; };
  int checks = 0;
  for (int i = 0; i < 6; ++i) {
    then([i] { input_on_mouse_message(plat::WM_MOUSEMOVE, 0, ((kButtons[i].y + 10) << 16) | (kButtons[i].x + 10)); });
    then([&, i] {
      SCOPED_TRACE(i);
      ++checks;
      const Look& l = looks[i];
      EXPECT_TRUE(shows(at(l.caption_x, l.caption_y), kButtonFileColours[l.set == 1 ? 0 : 2]));
      EXPECT_TRUE(shows(at(l.hover_x, l.hover_y), kButtonFileColours[l.enabled ? 5 : 7]));
      for (int j = 0; j < 6; ++j) {
        if (j == i) continue;
        EXPECT_TRUE(shows(at(looks[j].idle_x, looks[j].idle_y), kButtonFileColours[looks[j].enabled ? 4 : 6])) << j;
      }
    });
  }
  enter();
  EXPECT_EQ(task_select_mainfunction(), 0);
  EXPECT_EQ(checks, 6);
}

// Start and quit end the menu; the web buttons open their addresses (the registry's where it
// sets one) and keep the menu open until Enter.
TEST_F(MainMenu, Buttons) {
  const struct {
    const char* what;
    std::vector<int> presses;
    int32_t result;
    std::vector<std::string> urls;
  } cases[] = {
      {"start", {0}, 0, {}},
      {"quit", {1}, -1, {}},
      {"web buttons, then Enter",
       {2, 3, 4, 5, 6},
       0,
       {"https://example.invalid/", "https://example.invalid/updater", "https://publisher.example/",
        "https://example.invalid/register", "https://example.invalid/updater"}},
  };
  hp().setRegistryValue(plat::Hive::LocalMachine, "Software\\Veldra\\Web", "Publisher", "https://publisher.example/");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    hp().openedUrls().clear();
    frames_seen = 0;
    idle();
    for (int b : c.presses) pressButton(b);
    if (!c.urls.empty()) enter();
    EXPECT_EQ(task_select_mainfunction(), c.result);
    EXPECT_EQ(hp().openedUrls(), c.urls);
    script.clear();
  }
}

// During a replay the menu leaves at once for the character select.
TEST_F(MainMenu, ReplayGoesToCharacterSelect) {
  replaying = 1;
  EXPECT_EQ(task_select_mainfunction(), 1006);
  EXPECT_EQ(task_current_row, 9);
  EXPECT_EQ(mda_table.count, 0);
  replaying = 1;
  task_current_row = 2;
  EXPECT_EQ(task_run_current(), 7);
  EXPECT_EQ(task_table[7].id, 6);
  replaying = 0;
}

TEST_F(MainMenu, MissingArtEndsWithMinusOne) {
  removeFile("system/c1meu005b.JPG");
  EXPECT_EQ(task_select_mainfunction(), -1);
  EXPECT_EQ(mda_table.count, 0);
  EXPECT_EQ(seam_call_count("guild_members_reset"), 0);
}

}  // namespace

// The character select screens: the texts of a character, the slots that take the pointer and
// the arrows (never past the five shown, whatever the count), create, back, enter and the
// nickname case, and the opening animation.
#include <gtest/gtest.h>

#include "client/charsel/char_select.h"
#include "client/charsel/race_names.h"
#include "client/game/game_login.h"

namespace {

CHAR_RECORD record(uint8_t race, int16_t look, int16_t rebirth, int16_t level) {
  CHAR_RECORD c{};
  c.race = race;
  c.look = look;
  c.rebirth = rebirth;
  c.level = level;
  return c;
}

TEST(CharacterSelectTexts, LevelRaceAndPictureNumbers) {
  struct Case {
    uint8_t race;
    int16_t look, rebirth, level;
    const char* level_text;
    int32_t picture;
  };
  const Case cases[] = {
      {0, 0, 0, 45, "45Level", 0},  // no space before "Level"
      {1, 1, 0, 1, "1Level", 3},
      {3, 1, -1, 7, "7Level", 15},  // a negative count: the level text has none, the picture one
      {0, 0, 2, 45, "2-45", 8},     // reborn: the race counts 4 further on
      {2, 1, 1, 99, "1-99", 13},
  };
  for (const Case& c : cases) {
    const CHAR_RECORD r = record(c.race, c.look, c.rebirth, c.level);
    EXPECT_EQ(char_select_level_text(r), c.level_text);
    EXPECT_EQ(char_select_picture(r), c.picture) << c.level_text;
  }
  EXPECT_STREQ(race_name(0), "Human");
  EXPECT_STREQ(race_name(1), "Centaur");
  EXPECT_STREQ(race_name(2), "Mage");
  EXPECT_STREQ(race_name(3), "Borg");
  EXPECT_STREQ(race_name(4), "");  // a race past the table has no name
  EXPECT_STREQ(race_name(9), "");
  EXPECT_STREQ(race_name(255), "");
}

}  // namespace

#ifdef VELDRA_HAVE_JPEGREF
#include "client/game/task_table.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "tests/client/char_screens_fixture.h"
#include "ui/nickname/nickname_window.h"

namespace {

using char_test::CharScreenTest;
using char_test::slot_box;

constexpr uint8_t kScanEnter = 0x1C, kScanUp = 0x48, kScanDown = 0x50;

class CharacterSelect : public CharScreenTest {
 protected:
  void SetUp() override {
    CharScreenTest::SetUp();
    writeSelectArt();
  }
};

TEST_F(CharacterSelect, EnterSendsTheChosenCharacterAndWaitsForTheReply) {
  setCharacters(3);
  map_already_loaded = 1;  // a map of an earlier entry
  key(kScanDown);
  key(kScanEnter);
  then([this] {
    // The request does not end the screen: the reply's flag does.
    ASSERT_EQ(sent(MSG_SELECT_CHARACTER).size(), 1u);
    EXPECT_TRUE(popupShows("Connecting, please wait......"));
  });
  idle(3);
  then([] { char_selected_flag = 1; });
  EXPECT_EQ(task_select_character(), 0);
  const auto select = sent(MSG_SELECT_CHARACTER);
  ASSERT_EQ(select.size(), 1u);
  EXPECT_EQ(select[0].arg, 101);
  EXPECT_TRUE(select[0].payload.empty());
  EXPECT_EQ(selected_char_id, 101u);
  EXPECT_EQ(char_selected_flag, 0);  // taken by the screen
  EXPECT_EQ(map_already_loaded, 0);  // the chosen character's entry loads its map
}

TEST_F(CharacterSelect, EnterButtonAndAClickOnASlot) {
  setCharacters(4);
  press(slot_box(2));
  press(char_test::kEnterBox);
  then([] { char_selected_flag = 1; });
  EXPECT_EQ(task_select_character(), 0);
  const auto select = sent(MSG_SELECT_CHARACTER);
  ASSERT_EQ(select.size(), 1u);
  EXPECT_EQ(select[0].arg, 102);
}

// Seven characters: five are shown, the arrows stop at the fifth and at the first, and the
// slots past the count take no click.
TEST_F(CharacterSelect, ArrowsStopAtTheShownCharacters) {
  setCharacters(7);
  for (int i = 0; i < 6; ++i) key(kScanDown);
  then([] { EXPECT_EQ(selected_char_id, 104u); });
  for (int i = 0; i < 6; ++i) key(kScanUp);
  then([] { EXPECT_EQ(selected_char_id, 100u); });
  key(kScanUp);
  then([] { EXPECT_EQ(selected_char_id, 100u); });
  EXPECT_EQ(task_select_character(), -2);
  EXPECT_EQ(char_select_shown(), 5);
}

TEST_F(CharacterSelect, SlotsPastTheCountTakeNoClick) {
  setCharacters(2);
  press(slot_box(1));
  then([] { EXPECT_EQ(selected_char_id, 101u); });
  press(slot_box(3));
  then([] { EXPECT_EQ(selected_char_id, 101u); });
  EXPECT_EQ(task_select_character(), -2);
}

TEST_F(CharacterSelect, NoCharacterSelectsNothingAndEnterSendsNothing) {
  selected_char_id = 77;
  key(kScanEnter);
  press(char_test::kEnterBox);
  press(slot_box(0));
  EXPECT_EQ(task_select_character(), -2);
  EXPECT_TRUE(sent(MSG_SELECT_CHARACTER).empty());
  EXPECT_EQ(selected_char_id, 77u);
}

TEST_F(CharacterSelect, CreateWithFourOpensTheCreateScreenWithFiveShowsTheMessage) {
  setCharacters(4);
  press(char_test::kCreateBox);
  task_current_row = task_find_row(6);
  EXPECT_EQ(task_run_current(), task_find_row(8));  // 1008 names TASK_CREATE_CHARACTER
  EXPECT_EQ(task_table[task_find_row(6)].last_result, 1008);

  setCharacters(5);
  press(char_test::kCreateBox);
  then([] { EXPECT_TRUE(popupShows("~C2 You have created 5 characters, unable to create any more~C0")); });
  EXPECT_EQ(task_select_character(), -2);  // the screen stayed until the leave request
}

TEST_F(CharacterSelect, BackReturnsMinusTwoTheMenuMusicLoops) {
  settings.music = 1;
  setCharacters(1);
  press(char_test::kBackBox);
  leave_when_done = false;
  EXPECT_EQ(task_select_character(), -2);
  EXPECT_TRUE(sent(MSG_SELECT_CHARACTER).empty());
  EXPECT_STREQ(music_current_name, "music\\menu02.MP3");
  EXPECT_EQ(music_playing, 1u);
  EXPECT_EQ(music_loop_flag, 1u);
}

TEST_F(CharacterSelect, ANameStartingWithADotOpensTheNicknameWindowInstead) {
  char_list = {character(300, ".newbie"), character(301, "Named")};
  key(kScanEnter);
  then([] {
    EXPECT_EQ(nickname_window_open, 1);
    EXPECT_EQ(selected_char_id, 300u);
  });
  EXPECT_EQ(task_select_character(), -2);
  EXPECT_TRUE(sent(MSG_SELECT_CHARACTER).empty());
}

TEST_F(CharacterSelect, LeavingTheDottedCharacterForAnotherOpensTheNicknameWindow) {
  char_list = {character(300, ".newbie"), character(301, "Named")};
  press(slot_box(1));
  then([] {
    EXPECT_EQ(nickname_window_open, 1);
    EXPECT_EQ(selected_char_id, 301u);
  });
  EXPECT_EQ(task_select_character(), -2);
}

// Race colour pixels in slot i's text rows: the race name is drawn there, in its own colour.
int race_pixels(int slot) {
  const uint16_t colour = pixel_ops.pack(245, 185, 86);
  int n = 0;
  for (int y = 130 + 68 * slot; y < 130 + 68 * slot + 24 && y < 600; ++y)
    for (int x = 600; x < 800; ++x) n += screen_back->rows[y][x] == colour;
  return n;
}

TEST_F(CharacterSelect, SevenCharactersDrawFiveSlotsAndAnUnknownRaceNoName) {
  setCharacters(7);
  char_list[2].race = 9;
  std::vector<int> pixels;
  then([&] {
    for (int i = 0; i < 7; ++i) pixels.push_back(race_pixels(i));
  });
  EXPECT_EQ(task_select_character(), -2);
  ASSERT_EQ(pixels.size(), 7u);
  EXPECT_GT(pixels[0], 0);
  EXPECT_GT(pixels[1], 0);
  EXPECT_EQ(pixels[2], 0);  // race 9
  EXPECT_GT(pixels[3], 0);
  EXPECT_GT(pixels[4], 0);
  EXPECT_EQ(pixels[5], 0);  // never drawn past five
  EXPECT_EQ(pixels[6], 0);
}

TEST_F(CharacterSelect, ReplayEndsTheScreenAsAccepted) {
  setCharacters(1);
  leave_when_done = false;
  replaying = 1;
  replay_entries.append(REPLAY_ENTRY{0x70000000u, 0, 0, RECORD_KIND_WORLD, 0, 0});  // far in the future
  EXPECT_EQ(task_select_character(), 0);
  replaying = 0;
  EXPECT_EQ(char_selected_flag, 0);
  EXPECT_TRUE(sent(MSG_SELECT_CHARACTER).empty());
}

TEST_F(CharacterSelect, MissingArtEndsWithMinusOne) {
  dir.write("system/Head.MDA", "not a media file");
  EXPECT_EQ(task_select_character(), -1);
}

TEST_F(CharacterSelect, OpeningPlaysEachStepOnce) {
  int frames = 0;
  onPresent = [&] { ++frames; };
  EXPECT_EQ(task_select_character_in(), 0);
  EXPECT_EQ(frames, 8 + 1);  // one present a step, then the plain background
  onPresent = nullptr;
  dir.write("system/c1meu011.JPG", "no picture");
  EXPECT_EQ(task_select_character_in(), -1);
}

}  // namespace
#endif

// The character create screen and its request: the 28 bytes for every model, the name cut to 14
// bytes on a character boundary, the refusals before anything is sent, and the turn animation.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "client/charsel/create_request.h"
#include "plat/bytes.h"

namespace {

std::vector<uint8_t> expected_request(uint8_t race, uint8_t look, const std::string& name) {
  plat::ByteWriter w;
  w.u32(0xFFFFFFFFu);
  w.fixedString(name, 15);
  w.u8(race);
  w.u8(look);
  w.u8(0);
  w.i16(0);  // rebirth
  w.i16(0);  // level
  w.zeros(2);
  return w.take();
}

TEST(CharacterCreateRequest, TwentyEightBytesForEveryModel) {
  for (int32_t model = 0; model < 8; ++model) {
    const std::vector<uint8_t> bytes = create_request_bytes(model, "Hero");
    ASSERT_EQ(bytes.size(), 28u);
    EXPECT_EQ(bytes, expected_request(static_cast<uint8_t>(model / 2), static_cast<uint8_t>(model % 2), "Hero"))
        << "model " << model;
    EXPECT_EQ(bytes[19], model / 2);
    EXPECT_EQ(bytes[20], model % 2);
  }
}

TEST(CharacterCreateRequest, NameKeepsFourteenBytesWithoutSplittingACharacter) {
  struct Case {
    std::string typed, kept;
  };
  const std::string wide = "\xD6\xD0";  // one double-byte character
  const Case cases[] = {
      {"abcdefghijklmnopqrst", "abcdefghijklmn"},                  // 20 characters: 14 kept
      {"abcdefghijklm" + wide, "abcdefghijklm"},                   // 13 + 2 bytes: the character goes
      {"abcdefghijkl" + wide, "abcdefghijkl" + wide},              // exactly 14 bytes
      {wide + wide + wide + wide + wide + wide + wide + wide, wide + wide + wide + wide + wide + wide + wide},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(create_name_cut(c.typed.c_str()), c.kept) << c.typed;
    const std::vector<uint8_t> bytes = create_request_bytes(0, c.typed);
    EXPECT_EQ(bytes, expected_request(0, 0, c.kept)) << c.typed;
    EXPECT_EQ(bytes[4 + 14], 0);  // always terminated
  }
  EXPECT_EQ(create_name_cut(nullptr), "");
}

}  // namespace

#ifdef VELDRA_HAVE_JPEGREF
#include "client/charsel/char_create.h"
#include "client/common/bad_words.h"
#include "tests/client/char_screens_fixture.h"

namespace {

using char_test::CharScreenTest;

// Race buttons by their base: box 0 base 4, box 1 base 2, box 2 base 0, box 3 base 6.
constexpr char_test::Box kRace4{24, 117, 80, 80}, kRace2{116, 117, 80, 80}, kRace0{24, 212, 80, 80},
    kRace6{116, 212, 80, 80};
constexpr char_test::Box kLook0{77, 307, 32, 32}, kLook1{121, 306, 32, 32};

class CharacterCreate : public CharScreenTest {
 protected:
  void SetUp() override {
    CharScreenTest::SetUp();
    nickname_accepted_flag = 0;
    writeCreateArt();
  }
  void TearDown() override {
    filter_bad_words_set_provider(nullptr);
    CharScreenTest::TearDown();
  }
  std::vector<veldra_test::FakeMessage> creates() { return sent(MSG_CREATE_CHARACTER); }
};

TEST_F(CharacterCreate, RaceLookAndNameGoOutAndTheReplyEndsTheScreen) {
  press(kRace2);  // Centaur
  press(kLook1);
  type("Swift");
  press(char_test::kCreateCreateBox);
  then([this] {
    ASSERT_EQ(creates().size(), 1u);
    EXPECT_EQ(char_create_state.model, 3);
  });
  idle(2);
  then([] { nickname_accepted_flag = 1; });
  EXPECT_EQ(task_create_character(), 0);
  const auto sent_creates = creates();
  ASSERT_EQ(sent_creates.size(), 1u);
  EXPECT_EQ(sent_creates[0].arg, 1);
  EXPECT_EQ(sent_creates[0].payload, expected_request(1, 1, "Swift"));
  EXPECT_EQ(nickname_accepted_flag, 0);  // taken by the screen
}

TEST_F(CharacterCreate, ModelIsRaceBasePlusLook) {
  struct Case {
    char_test::Box race;
    int look_model_0, look_model_1;
  };
  const Case cases[] = {{kRace4, 4, 5}, {kRace2, 2, 3}, {kRace0, 0, 1}, {kRace6, 6, 7}};
  for (const Case& c : cases) {
    press(c.race);
    then([c] { EXPECT_EQ(char_create_state.model, c.look_model_0); });
    press(kLook1);
    then([c] { EXPECT_EQ(char_create_state.model, c.look_model_1); });
    press(kLook0);
  }
  EXPECT_EQ(task_create_character(), -2);
}

TEST_F(CharacterCreate, ATwentyCharacterNameIsSentAsFourteen) {
  press(kRace0);
  type("abcdefghijklmnopqrst");
  press(char_test::kCreateCreateBox);
  EXPECT_EQ(task_create_character(), -2);  // the screen stays after the request
  const auto sent_creates = creates();
  ASSERT_EQ(sent_creates.size(), 1u);
  // The box itself keeps at most 14 bytes; the request holds them and the NUL.
  EXPECT_EQ(sent_creates[0].payload, expected_request(0, 0, "abcdefghijklmn"));
}

TEST_F(CharacterCreate, NoRaceChosenRefusesEvenWithAName) {
  type("Named");
  press(char_test::kCreateCreateBox);
  then([] { EXPECT_TRUE(char_test::CharScreenTest::popupShows("Please choose a race!")); });
  EXPECT_EQ(task_create_character(), -2);
  EXPECT_TRUE(creates().empty());
}

BAD_WORD_LIST banned_list() {
  static const char words[1][BAD_WORD_SIZE] = {"ogre"};
  return {words, 1};
}

TEST_F(CharacterCreate, EmptyOrBannedNameAsksForANickname) {
  filter_bad_words_set_provider(banned_list);
  press(kRace6);
  press(char_test::kCreateCreateBox);
  then([] { EXPECT_TRUE(char_test::CharScreenTest::popupShows("Please enter a nickname!")); });
  type("bigogre");
  press(char_test::kCreateCreateBox);
  EXPECT_EQ(task_create_character(), -2);
  EXPECT_TRUE(creates().empty());
}

TEST_F(CharacterCreate, TheSameLookAgainDoesNotRestartTheTurn) {
  int32_t reached = 0;
  press(kRace4);
  press(kLook1);  // look 1: c1meu012's command 30, four steps
  idle(6);
  then([&] {
    reached = char_create_state.turn_step;
    EXPECT_EQ(char_create_state.turn_steps, 4);
  });
  press(kLook1);
  then([&] { EXPECT_GE(char_create_state.turn_step, reached); });
  press(kLook0);  // a change: command 31, six steps, from the start
  then([] {
    EXPECT_EQ(char_create_state.turn_steps, 6);
    EXPECT_LE(char_create_state.turn_step, 1);
  });
  idle(20);
  then([] { EXPECT_EQ(char_create_state.turn_step, 6); });  // and there it stops
  EXPECT_EQ(task_create_character(), -2);
  EXPECT_GT(reached, 0);
}

TEST_F(CharacterCreate, DescriptionsOfTheChosenModelScroll) {
  std::string role;
  for (int i = 0; i < 12; ++i) role += "line " + std::to_string(i) + "#L";
  dir.write("download/role5.txt", role);
  dir.write("download/merit5.txt", "one#Ltwo");
  press(kRace4);
  press(kLook1);
  then([] {
    EXPECT_EQ(char_create_state.role.lines.size(), 13u);
    EXPECT_EQ(char_create_state.merit.lines.size(), 2u);
  });
  press({769, 185, 21, 21});  // role down
  then([] { EXPECT_EQ(char_create_state.role.first, 1); });
  press({769, 158, 21, 21});  // role up
  press({769, 158, 21, 21});  // not above the first line
  then([] { EXPECT_EQ(char_create_state.role.first, 0); });
  press({769, 406, 21, 21});  // merit down: both lines fit already
  then([] { EXPECT_EQ(char_create_state.merit.first, 0); });
  press(kLook0);              // model 4 has no texts: model 5's stay
  then([] { EXPECT_EQ(char_create_state.role.lines.size(), 13u); });
  EXPECT_EQ(task_create_character(), -2);
}

TEST_F(CharacterCreate, BackReturnsMinusTwoAndMissingArtMinusOne) {
  press(char_test::kCreateBackBox);
  leave_when_done = false;
  EXPECT_EQ(task_create_character(), -2);
  dir.write("system/c1meu005c.MDA", "not a media file");
  leave_when_done = true;
  EXPECT_EQ(task_create_character(), -1);
}

TEST_F(CharacterCreate, AMissingPreviewIsReportedAndTheScreenStillOpens) {
  std::filesystem::remove(dir.hostPath("NPC/NPC003a.MDA"));
  dir.write("NPC/NPC004a.MDA", "");  // only the first failure is reported
  scheduleClick(elapsedMs() + 200);  // closes the box
  EXPECT_EQ(task_create_character(), -2);
  EXPECT_EQ(logged("Unable to create NPC\\NPC003a.MDA file"), 1);
  EXPECT_EQ(logged("NPC004a"), 0);
}

}  // namespace
#endif

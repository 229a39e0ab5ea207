// Battle control files written by aniwrite, with media from the media-file writer: the check, the
// loader's mapping of media numbers to ids, its messages, and truncated or oversized files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/common/view_frames_free.h"
#include "tests/graphics/gfx_test_support.h"
#include "tools/aniwrite/aniwrite.h"
#include "world/ani/ani_control.h"
#include "world/ani/char_view_data.h"
#include "world/scene/view_frames.h"

namespace {

class Ani : public gfxt::MediaFixture {
 protected:
  struct SystemMessage {
    std::string text;
    uint8_t flag;
  };
  static std::vector<SystemMessage>& system_messages() {
    static std::vector<SystemMessage> m;
    return m;
  }
  static void record_system(const char* text, uint8_t flag) { system_messages().push_back({text, flag}); }

  void SetUp() override {
    MediaFixture::SetUp();
    system_messages().clear();
    mda_set_system_message(record_system);
  }
  void TearDown() override {
    mda_set_system_message(nullptr);
    MediaFixture::TearDown();
  }

  void media(const std::string& name) {
    mdaw::MdaFile f;
    f.frame("a", gfxt::solid_frame(2, 2, {10, 20, 30, 255}));
    f.command("MainCommand0").step("a");
    write_file("ANI/" + name, mdaw::mda_build(f));
  }
  void write(const std::vector<uint8_t>& bytes) { write_file("battle.ani", bytes); }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const SystemMessage& m : system_messages()) out.push_back(m.text);
    return out;
  }

  // Two characters (numbers 7 and 300), a layer of each and two view frames, one empty.
  static aniwrite::ControlFile sample() {
    aniwrite::ControlFile f;
    f.chars = {{7, "one.mda", 0xAB}, {300, "two.mda", 0xCD}};
    f.layers = {300, 7};
    aniwrite::ViewFrame v;
    v.values = {11, 1, 2, 3, 4, 5, 6, 7, 8};
    v.tables[0] = {7, 300, 7};
    for (int k = 1; k < 7; ++k) v.tables[k] = {k, k * 10, k * 100};
    aniwrite::ViewFrame empty;
    empty.values = {22, 0, 0, 0, 0, 0, 0, 0, 0};
    f.frames = {v, empty};
    return f;
  }
};

TEST_F(Ani, LoadMapsMediaNumbersToIds) {
  media("one.mda");
  media("two.mda");
  write(aniwrite::build(sample()));
  ASSERT_EQ(ani_load_char_view("battle.ani"), 0) << testing::PrintToString(texts());
  EXPECT_TRUE(system_messages().empty());
  ASSERT_EQ(char_view_data.size(), 2u);
  const int32_t id1 = char_view_data[0].media, id2 = char_view_data[1].media;
  EXPECT_GE(id1, 0);
  EXPECT_GE(id2, 0);
  EXPECT_NE(id1, id2);
  EXPECT_EQ(char_view_data[0].battle_head[3], 0xAB) << "the battle's bytes are kept as read";
  EXPECT_EQ(char_view_data[1].battle_tail[10], 0xCD);
  ASSERT_EQ(layer_view_data.size(), 2u);
  EXPECT_EQ(layer_view_data[0].media, id2);
  EXPECT_EQ(layer_view_data[1].media, id1);
  EXPECT_EQ(ani_control_head.char_count, 2u);
  ASSERT_EQ(view_frames.size(), 2u);
  EXPECT_EQ(view_frames[0].values[0], 11);
  EXPECT_EQ(view_frames[0].values[9], 3);
  EXPECT_EQ(view_frames[0].tables[0], (std::vector<int32_t>{id1, id2, id1}));
  EXPECT_EQ(view_frames[0].tables[6], (std::vector<int32_t>{6, 60, 600}));
  EXPECT_EQ(view_frames[1].values[0], 22);
  for (const auto& t : view_frames[1].tables) EXPECT_TRUE(t.empty()) << "n = 0 reads no tables";

  // The check accepts it; any ASCII case of the magic does.
  EXPECT_EQ(ani_check_control_file("battle.ani"), 0);
  aniwrite::ControlFile lower = sample();
  lower.magic = "vorn Control FILE";
  write_file("lower.ani", aniwrite::build(lower));
  EXPECT_EQ(ani_check_control_file("lower.ani"), 0);
}

TEST_F(Ani, DuplicateNumbersTakeTheLastIdAndLoadBoth) {
  media("one.mda");
  media("two.mda");
  aniwrite::ControlFile f;
  f.chars = {{5, "one.mda"}, {5, "two.mda"}};
  f.layers = {5};
  write(aniwrite::build(f));
  const int32_t before = mda_table.count;
  ASSERT_EQ(ani_load_char_view("battle.ani"), 0);
  EXPECT_EQ(mda_table.count, before + 2);
  EXPECT_EQ(layer_view_data[0].media, char_view_data[1].media);
}

TEST_F(Ani, FailuresShowTheirMessages) {
  media("one.mda");
  struct Case {
    const char* why;
    aniwrite::ControlFile file;
    std::string text;
  };
  aniwrite::ControlFile unused_layer;
  unused_layer.chars = {{1, "one.mda"}};
  unused_layer.layers = {2};
  aniwrite::ControlFile big_number;
  big_number.chars = {{1024, "one.mda"}};
  aniwrite::ControlFile missing;
  missing.chars = {{1, "gone.mda"}};
  aniwrite::ControlFile bad_table;
  bad_table.chars = {{1, "one.mda"}};
  aniwrite::ViewFrame v;
  v.tables[0] = {1, 9};
  for (int k = 1; k < 7; ++k) v.tables[k] = {0, 0};
  bad_table.frames = {v};
  const Case cases[] = {
      {"a layer number no character loaded", unused_layer, "Handle error"},
      {"a character number past 1023", big_number, "Handle error"},
      {"a missing media file", missing, "File ANI\\gone.mda open error"},
      {"a table number no character loaded", bad_table, "Handle error"},
  };
  for (const Case& c : cases) {
    system_messages().clear();
    write(aniwrite::build(c.file));
    EXPECT_EQ(ani_load_char_view("battle.ani"), -2) << c.why;
    ASSERT_EQ(texts(), std::vector<std::string>{c.text}) << c.why;
    EXPECT_EQ(system_messages()[0].flag, 1);
  }
  system_messages().clear();
  EXPECT_EQ(ani_load_char_view("nothing.ani"), -2);
  EXPECT_EQ(texts(), std::vector<std::string>{"Can Read file nothing.ani"});
}

TEST_F(Ani, CheckRefusesOtherMagicAndTypes) {
  aniwrite::ControlFile two = sample();
  two.type = 2;
  write_file("two.ani", aniwrite::build(two));
  EXPECT_EQ(ani_check_control_file("two.ani"), -2);
  EXPECT_EQ(messages(), std::vector<std::string>{"Ani file type error !"});
  messages().clear();
  aniwrite::ControlFile other = sample();
  other.magic = "VORN CONTROL FILX";
  write_file("other.ani", aniwrite::build(other));
  EXPECT_EQ(ani_check_control_file("other.ani"), -2);
  EXPECT_EQ(ani_check_control_file("absent.ani"), -2);
  write_file("short.ani", {'V', 'O', 'R', 'N'});
  EXPECT_EQ(ani_check_control_file("short.ani"), -2);
  EXPECT_TRUE(messages().empty());
}

// Every cut of a valid file, and counts far beyond the file, end with "Can Read file" and -2
// (a cut inside a character name may first fail to open a media file instead).
TEST_F(Ani, TruncatedAndOversizedFilesAreRefused) {
  media("one.mda");
  media("two.mda");
  const std::vector<uint8_t> whole = aniwrite::build(sample());
  for (size_t cut = 0; cut < whole.size(); cut += 3) {
    system_messages().clear();
    write(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(cut)));
    EXPECT_EQ(ani_load_char_view("battle.ani"), -2) << cut;
    ASSERT_FALSE(system_messages().empty()) << cut;
    EXPECT_EQ(system_messages().back().text, "Can Read file battle.ani") << cut;
  }
  const auto patch = [&](size_t offset, uint32_t value) {
    std::vector<uint8_t> b = whole;
    for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    return b;
  };
  const size_t first_frame = 40 + 2 * 532 + 2 * 16;
  const std::pair<size_t, uint32_t> patches[] = {
      {24, 0xFFFFFFFFu},               // view frames
      {32, 0x7FFFFFFFu},               // character records
      {36, 0xFFFFFFF0u},               // layer records
      {first_frame + 36, 0x40000000u}, // entries of the first view frame
  };
  for (const auto& [offset, value] : patches) {
    system_messages().clear();
    write(patch(offset, value));
    EXPECT_EQ(ani_load_char_view("battle.ani"), -2) << offset;
    EXPECT_EQ(texts(), std::vector<std::string>{"Can Read file battle.ani"}) << offset;
  }
  // A failed step keeps nothing half-made: the frame that ran short has no tables.
  for (const auto& f : view_frames) {
    for (const auto& t : f.tables) EXPECT_TRUE(t.empty() || t.size() == 3);
  }
}

TEST_F(Ani, ANewLoadFreesThePreviousViewFrames) {
  media("one.mda");
  media("two.mda");
  write(aniwrite::build(sample()));
  ASSERT_EQ(ani_load_char_view("battle.ani"), 0);
  aniwrite::ControlFile none;
  write(aniwrite::build(none));
  ASSERT_EQ(ani_load_char_view("battle.ani"), 0);
  EXPECT_TRUE(view_frames.empty());
  view_frames_create(2);
  view_frames[0].tables[3] = {1, 2};
  view_frames_free();
  EXPECT_TRUE(view_frames.empty());
}

TEST_F(Ani, ManifestBuildsTheSameFile) {
  const aniwrite::ControlFile f = aniwrite::parse_manifest(
      "# sample\nchar 7 one.mda\nchar 300 two.mda\nlayer 300\nlayer 7\n"
      "frame 11 1 2 3 4 5 6 7 8 | 7 300 7 | 1 10 100 | 2 20 200 | 3 30 300 | 4 40 400 | 5 50 500 | 6 60 600\n"
      "frame 22 0 0 0 0 0 0 0 0\n");
  aniwrite::ControlFile want = sample();
  for (auto& c : want.chars) c.battle_fill = 0;
  EXPECT_EQ(aniwrite::build(f), aniwrite::build(want));
  EXPECT_THROW(aniwrite::parse_manifest("frame 1 2 3 | 4\n"), std::invalid_argument);
}

}  // namespace

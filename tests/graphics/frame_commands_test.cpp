// The frame-command interpreter: steps and flags, palette changes, second frames, external
// commands, buttons and the map effect list.
#include <gtest/gtest.h>

#include <cstring>

#include "graphics/bitmap/screen_buffers.h"
#include "graphics/img256/img256_draw.h"
#include "tests/graphics/gfx_test_support.h"
#include "tests/graphics/img256_reference.h"

namespace {

using gfxt::Bitmap;
using gfxt::make_bitmap;
using mdaw::MdaFile;

class FrameCommands : public gfxt::MediaFixture {
 protected:
  // Frames f0, f1, f2: 1 x 1 images in distinct reds; "snd" a sound.
  static MdaFile three_steps(const char* last = "f2") {
    MdaFile f;
    for (int i = 0; i < 3; ++i) {
      f.frame("f" + std::to_string(i), gfxt::solid_frame(1, 1, {static_cast<uint8_t>(64 * (i + 1)), 0, 0, 255}));
    }
    f.frame("snd", mdaw::wave_tone(300, 5));
    f.command("MainCommand0").step("f0").step("f1").step(last);
    return f;
  }
  // Which of f0..f2 the call drew at (0, 0), or -1.
  int run(int32_t id, uint32_t flags, int32_t* result, int32_t step = 0) {
    Bitmap t = make_bitmap(1, 1);
    *result = mda_run_command(id, "MainCommand0", 0, 0, t.get(), flags, 0, 0, step);
    for (int i = 0; i < 3; ++i) {
      if (t->rows[0][0] == gfxt::ref::blend(static_cast<uint16_t>((64 * (i + 1)) >> 3 << 11), 0, 31)) return i;
    }
    return t->rows[0][0] == 0 ? -1 : -9;
  }
  int32_t current(int32_t id) { return mda_table.entries[mda_find_by_id(id)].current_step[0]; }
};

TEST_F(FrameCommands, StepTable) {
  const int32_t id = load("a.mda", three_steps());
  struct Call {
    uint32_t flags;
    int32_t result, drawn, after;
    int32_t step = 0;
  };
  struct Case {
    const char* what;
    std::vector<Call> calls;
  };
  const Case cases[] = {
      {"advance stays on the last step", {{0x2, 2, 0, 1}, {0x2, 1, 1, 2}, {0x2, 3, 2, 2}, {0x2, 3, 2, 2}}},
      {"loop", {{0x12, 2, 0, 1}, {0x12, 1, 1, 2}, {0x12, 3, 2, 0}, {0x12, 2, 0, 1}, {0x12, 1, 1, 2}, {0x12, 3, 2, 0}}},
      {"no advance", {{0x0, 2, 0, 0}, {0x0, 2, 0, 0}}},
      {"explicit step past the end", {{0x80, 3, -1, 0, 3}, {0x82, 3, -1, 0, 7}}},
      {"explicit step", {{0x80, 1, 1, 0, 1}, {0x82, 3, 2, 2, 2}}},
      {"first then last", {{0xC, 1, 2, 2}}},
      {"first", {{0x8, 1, 2, 2}, {0x4, 2, 0, 0}}},
  };
  for (const Case& c : cases) {
    mda_table.entries[0].current_step[0] = 0;
    for (size_t i = 0; i < c.calls.size(); ++i) {
      const Call& k = c.calls[i];
      int32_t result = -1;
      EXPECT_EQ(run(id, k.flags, &result, k.step), k.drawn) << c.what << " call " << i;
      EXPECT_EQ(result, k.result) << c.what << " call " << i;
      EXPECT_EQ(current(id), k.after) << c.what << " call " << i;
    }
  }
  EXPECT_TRUE(messages().empty());
}

TEST_F(FrameCommands, GotoOfTheLastExternalCommandWinsAfterTheAdvance) {
  const int32_t id = load("g.mda", three_steps("goto 0"));
  mda_table.entries[0].current_step[0] = 2;
  int32_t result = 0;
  EXPECT_EQ(run(id, 0x2, &result), -1);
  EXPECT_EQ(result, 3);
  EXPECT_EQ(current(id), 0);
  // A goto outside the command is ignored; a later external command clears an earlier goto.
  MdaFile f = three_steps("goto 7");
  f.command("Two").step("goto 1").second("front");
  const int32_t other = load("h.mda", f);
  const int32_t index = mda_find_by_id(other);
  mda_table.entries[index].current_step[0] = 2;
  EXPECT_EQ(run(other, 0x2, &result), -1);
  EXPECT_EQ(current(other), 2);
  Bitmap t = make_bitmap(1, 1);
  EXPECT_EQ(mda_run_command(other, "two", 0, 0, t.get(), 0x2, 0, 0, 0), 3);
  EXPECT_EQ(mda_goto_step, -1);
  EXPECT_EQ(mda_external_flags.front, 1);
  EXPECT_EQ(mda_table.entries[index].current_step[1], 0);
}

TEST_F(FrameCommands, HandlesAndNamesThatFindNothing) {
  const int32_t id = load("a.mda", three_steps());
  Bitmap t = make_bitmap(2, 2);
  EXPECT_EQ(mda_run_command(-1, "MainCommand0", 0, 0, t.get(), 0x2, 0, 0, 0), 0);
  EXPECT_EQ(mda_run_command(77, "MainCommand0", 0, 0, t.get(), 0x2, 0, 0, 0), 0);
  EXPECT_TRUE(messages().empty());
  // A wrong name shows its message on every call.
  EXPECT_EQ(mda_run_command(id, "MainCommand9", 0, 0, t.get(), 0x2, 0, 0, 0), 0);
  EXPECT_EQ(mda_run_command(id, "MainCommand9", 0, 0, t.get(), 0x2, 0, 0, 0), 0);
  EXPECT_EQ(messages(), (std::vector<std::string>{"MDA wrong command(MainCommand9)", "MDA wrong command(MainCommand9)"}));
  messages().clear();
  EXPECT_EQ(mda_run_command(id, "MainCommand0", 0, 0, t.get(), 0x80, 0, 0, -1), 0);
  EXPECT_EQ(messages(), std::vector<std::string>{"MDA frame number error(-1)"});
}

TEST_F(FrameCommands, PaletteFlagsChangeOnlyTheDrawAndRestoreTheFrame) {
  MdaFile f;
  f.frame("p", gfxt::solid_frame(1, 1, {200, 100, 40, 255}));
  f.command("MainCommand0").step("p");
  const int32_t id = load("p.mda", f);
  std::vector<uint8_t> table(768);
  for (size_t i = 0; i < 768; i += 3) {
    table[i] = 50;
    table[i + 1] = 0x0F;
    table[i + 2] = 150;
  }
  mda_palette_table = table.data();
  const MDA_ENTRY& e = mda_table.entries[0];
  const std::vector<uint8_t> before(e.data, e.data + e.data_size);
  struct Case {
    uint32_t flag;
    int r, g, b;
  };
  const Case cases[] = {
      {0x100, 50, 15, 150},                 // replaced by the table
      {0x200, 200 | 50, 100 | 15, 40 | 150},
      {0x400, 200 & 50, 100 & 15, 40 & 150},
      {0x800, 100, 15, 60},                 // table x byte / 100
      {0x1000, 255, 115, 100},              // grows by table x byte / 100, up to 255
      {0x2000, 200, 200, 200},              // grey from the red
      {0x100 | 0x800, 25, 2, 225},          // replaced first, then the percentage of that
      {0x100 | 0x2000, 50, 50, 50},
  };
  for (const Case& c : cases) {
    Bitmap t = make_bitmap(1, 1);
    ASSERT_EQ(mda_run_command(id, "MainCommand0", 0, 0, t.get(), c.flag, 0, 0, 0), 2);
    const uint16_t want = gfxt::ref::blend(
        static_cast<uint16_t>((c.r & 0xF8) << 8 | (c.g & 0xFC) << 3 | (c.b & 0xFF) >> 3), 0, 31);
    EXPECT_EQ(t->rows[0][0], want) << std::hex << c.flag;
    EXPECT_EQ(std::vector<uint8_t>(e.data, e.data + e.data_size), before) << "frame bytes after " << c.flag;
  }
  Bitmap t = make_bitmap(1, 1);
  mda_run_command(id, "MainCommand0", 0, 0, t.get(), 0, 0, 0, 0);
  EXPECT_EQ(t->rows[0][0], gfxt::ref::blend(static_cast<uint16_t>(200 >> 3 << 11 | 100 >> 2 << 5 | 40 >> 3), 0, 31))
      << "colour again without the flag";
}

TEST_F(FrameCommands, BlitterChoiceFollowsTheFlags) {
  MdaFile f;
  f.frame("p", gfxt::solid_frame(4, 4, {200, 100, 40, 200}));
  f.command("MainCommand0").step("p");
  const int32_t id = load("b.mda", f);
  const Img256Frame* frame = mda_frame_image(0, 0);
  const uint16_t bg = pixel_ops.pack(30, 60, 90);
  struct Case {
    uint32_t flags;
    void (*direct)(const Img256Frame*, BITMAP16*);
  };
  const Case cases[] = {
      {0x0, [](const Img256Frame* fr, BITMAP16* t) { img256_draw(3, 2, fr, t); }},
      {0x20, [](const Img256Frame* fr, BITMAP16* t) { img256_draw_faded(3, 2, fr, t, 70); }},
      {0x1, [](const Img256Frame* fr, BITMAP16* t) { img256_draw_scaled(3, 2, fr, t, 150); }},
      {0x21, [](const Img256Frame* fr, BITMAP16* t) { img256_draw_scaled_faded(3, 2, fr, t, 150, 70); }},
      {0x40, [](const Img256Frame* fr, BITMAP16* t) { img256_draw_additive(3, 2, fr, t); }},
      {0x61, [](const Img256Frame* fr, BITMAP16* t) { img256_draw_additive_scaled(3, 2, fr, t, 150); }},
  };
  for (const Case& c : cases) {
    Bitmap a = make_bitmap(12, 12, bg), b = make_bitmap(12, 12, bg);
    mda_run_command(id, "MainCommand0", 3, 2, a.get(), c.flags, 150, 70, 0);
    c.direct(frame, b.get());
    EXPECT_EQ(gfxt::difference(a.get(), b.get()), "") << std::hex << c.flags;
    EXPECT_EQ(mda_last_drawn_frame(0), frame);
  }
}

TEST_F(FrameCommands, SecondFramesPlayAtMinusOneThousandAndNeverAdditively) {
  MdaFile f;
  f.frame("own", mdaw::wave_tone(200, 5)).frame("extra", mdaw::wave_tone(900, 5));
  f.frame("img", gfxt::solid_frame(1, 1, {0, 0, 200, 255})).frame("img2", gfxt::solid_frame(1, 1, {100, 0, 0, 255}));
  f.command("MainCommand0").step("own").second("extra");
  f.command("Pic").step("img").second("img2");
  const int32_t id = load("s.mda", f);
  Bitmap t = make_bitmap(1, 1);
  EXPECT_EQ(mda_run_command(id, "MainCommand0", 0, 0, t.get(), 0x40, 0, 0, 0), 2);
  ASSERT_EQ(sounds().size(), 2u);
  EXPECT_EQ(sounds()[0].volume, 0);
  EXPECT_EQ(sounds()[0].bytes, f.frames[0].data) << "played from memory as it stands";
  EXPECT_EQ(sounds()[1].volume, -1000);
  EXPECT_EQ(sounds()[1].bytes, f.frames[1].data);

  const uint16_t bg = pixel_ops.pack(40, 40, 40);
  Bitmap a = make_bitmap(1, 1, bg), b = make_bitmap(1, 1, bg);
  mda_run_command(id, "Pic", 0, 0, a.get(), 0x40, 0, 0, 0);
  img256_draw_additive(0, 0, mda_frame_image(0, 2), b.get());
  img256_draw(0, 0, mda_frame_image(0, 3), b.get());
  EXPECT_EQ(a->rows[0][0], b->rows[0][0]);
  EXPECT_EQ(mda_last_drawn_frame(0), mda_frame_image(0, 3)) << "the second image was drawn last";
}

TEST_F(FrameCommands, ExternalCommands) {
  struct Case {
    const char* text;
    MDA_EXTERNAL_FLAGS flags;
    int32_t go;
    const char* message;
  };
  const Case cases[] = {
      {"attack 150", {1, 150, 0, 0}, -1, nullptr},
      {"ATTACK -20", {1, -20, 0, 0}, -1, nullptr},
      {"goto 2", {0, 100, 0, 0}, 2, nullptr},
      {"front", {0, 100, 1, 0}, -1, nullptr},
      {"Magic", {0, 100, 0, 1}, -1, nullptr},
      {" \t attack\t 7", {1, 7, 0, 0}, -1, nullptr},
      {"\t\tgoto 1", {0, 100, 0, 0}, 1, nullptr},
      {"jump 3", {0, 100, 0, 0}, -1, "Unreadable MDA external command(jump)"},
      {"attacks 3", {0, 100, 0, 0}, -1, "Unreadable MDA external command(attacks)"},
      {"", {0, 100, 0, 0}, -1, "Unreadable MDA external command()"},
  };
  for (const Case& c : cases) {
    mda_interpreter_reset();
    mda_goto_step = 5;
    messages().clear();
    mda_parse_external_command(c.text);
    EXPECT_EQ(mda_external_flags.attack, c.flags.attack) << c.text;
    EXPECT_EQ(mda_external_flags.attack_value, c.flags.attack_value) << c.text;
    EXPECT_EQ(mda_external_flags.front, c.flags.front) << c.text;
    EXPECT_EQ(mda_external_flags.magic, c.flags.magic) << c.text;
    EXPECT_EQ(mda_goto_step, c.go) << c.text;
    EXPECT_EQ(messages(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}) << c.text;
  }
  // The word is cut at 200 characters.
  messages().clear();
  mda_parse_external_command(std::string(300, 'z').c_str());
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "Unreadable MDA external command(" + std::string(200, 'z') + ")");

  // Frames that are neither image nor sound, and names no frame has, are external commands.
  MdaFile f;
  f.frame("hitframe", {'x', 'y'});
  f.command("MainCommand0").step("hitframe").step("attack 120").step("magic");
  const int32_t id = load("e.mda", f);
  messages().clear();
  Bitmap t = make_bitmap(1, 1);
  EXPECT_EQ(mda_run_command(id, "MainCommand0", 0, 0, t.get(), 0x2, 0, 0, 0), 2);
  EXPECT_EQ(messages(), std::vector<std::string>{"Unreadable MDA external command(hitframe)"});
  EXPECT_EQ(mda_run_command(id, "MainCommand0", 0, 0, t.get(), 0x2, 0, 0, 0), 1);
  EXPECT_EQ(mda_external_flags.attack_value, 120);
  EXPECT_EQ(mda_run_command(id, "MainCommand0", 0, 0, t.get(), 0x2, 0, 0, 0), 3);
  EXPECT_EQ(mda_external_flags.magic, 1);
}

TEST_F(FrameCommands, ButtonsTakeTheRectangleOfTheFrameTheyDraw) {
  MdaFile f;
  f.frame("up", gfxt::solid_frame(30, 12, {1, 2, 3, 255}, 3, 4, 100, 200)).frame("cmd", {'q'});
  f.command("MainCommand0").step("up");
  f.command("MainCommand1").step("cmd");
  const int32_t id = load("b.mda", f);
  MDA_BUTTON b{};
  ASSERT_EQ(mda_init_button(id, 0, &b, "Start", 42), 0);
  EXPECT_EQ((std::vector<int32_t>{b.command, b.left, b.top, b.right, b.bottom, b.user_value}),
            (std::vector<int32_t>{0, 100, 200, 130, 212, 42}));
  EXPECT_STREQ(b.name, "Start");
  EXPECT_EQ(mda_init_button(id + 1, 0, &b, "x", 0), -2);
  messages().clear();
  EXPECT_EQ(mda_init_button(id, 1, &b, "x", 0), 0) << "the image drawn before still counts";
  reset_all();
  const int32_t fresh = load("b.mda", f);
  EXPECT_EQ(mda_init_button(fresh, 1, &b, "x", 0), -2) << "a command that draws no image";
  EXPECT_EQ(mda_init_button(fresh, 5, &b, "x", 0), -2);
  EXPECT_EQ(messages().back(), "MDA wrong command(MainCommand5)");
}

class FrameCommandsEffects : public FrameCommands {
 protected:
  void SetUp() override {
    FrameCommands::SetUp();
    ASSERT_EQ(screen_buffers_create(), 0);
  }
  void TearDown() override {
    screen_buffers_free();
    FrameCommands::TearDown();
  }
};

TEST_F(FrameCommandsEffects, EffectListLifecycle) {
  const int32_t id = load("fx.mda", three_steps());
  scene_view_origin = {1000, 2000};
  const int32_t on = map_effect_add(id, 0, 1100, 2100, 3);        // on screen at (100, 100)
  const int32_t late = map_effect_add(id, -2, 1200, 2100, 3);     // starts two frames later
  const int32_t off = map_effect_add(id, 0, 5000, 2100, 3);       // off screen
  const int32_t gone = map_effect_add(77, 0, 1100, 2100, 3);      // no such handle
  const int32_t free_slot = map_effect_add(-1, 0, 1100, 2100, 3);  // handle -1: left alone
  mda_draw_effects();
  EXPECT_EQ(map_effect_list[gone], nullptr);
  EXPECT_EQ(map_effect_list[on]->counter, 1);
  EXPECT_NE(screen_back->rows[100][100], 0) << "step 0 drawn additively";
  EXPECT_EQ(map_effect_list[late]->counter, -1);
  EXPECT_EQ(screen_back->rows[100][200], 0);
  EXPECT_EQ(map_effect_list[off]->counter, 1);
  EXPECT_NE(map_effect_list[free_slot], nullptr);
  mda_draw_effects();
  mda_draw_effects();  // step 2 of 3: still there
  EXPECT_EQ(map_effect_list[on]->counter, 3);
  mda_draw_effects();  // step 3 is past the end: result 3 deletes it
  EXPECT_EQ(map_effect_list[on], nullptr);
  EXPECT_EQ(map_effect_list[late]->counter, 2);
  for (int i = 0; i < 996; ++i) mda_draw_effects();
  EXPECT_NE(map_effect_list[off], nullptr) << "counter 1000";
  mda_draw_effects();
  EXPECT_EQ(map_effect_list[off], nullptr) << "deleted once past 1000";
  // A new record takes a free slot.
  EXPECT_EQ(map_effect_add(id, 0, 0, 0, 1), std::min({on, late, off, gone}));
  EXPECT_TRUE(messages().empty());
}

// Boxes run nested frames whose handlers may load and release media: the call finds its entry
// again afterwards and never touches a freed one.
TEST_F(FrameCommands, NestedBoxesMayReleaseOrMoveTheEntry) {
  MdaFile f;
  f.frame("img", gfxt::solid_frame(1, 1, {255, 0, 0, 255}));
  f.command("MainCommand0").step("bogus").second("img").step("img");
  write_file("n.mda", mdaw::mda_build(f));
  write_file("other.mda", mdaw::mda_build(three_steps()));
  static int32_t victim;
  victim = load("n.mda", f);
  mda_set_message_box([](const char*) { mda_object_release(&victim); });
  Bitmap t = make_bitmap(1, 1);
  EXPECT_EQ(mda_run_command(victim, "MainCommand0", 0, 0, t.get(), 0x2, 0, 0, 0), 0);
  EXPECT_EQ(victim, -1);
  EXPECT_EQ(t->rows[0][0], 0) << "the released entry's second frame is not drawn";

  // Loads during the box move the table; the call goes on with its own entry.
  static int32_t loaded[8];
  mda_set_message_box([](const char*) {
    for (int32_t& id : loaded) mda_load_file("other.mda", &id);
  });
  const int32_t id = load("n.mda", f);
  EXPECT_EQ(mda_run_command(id, "MainCommand0", 0, 0, t.get(), 0x2, 0, 0, 0), 2);
  EXPECT_NE(t->rows[0][0], 0);
  EXPECT_EQ(current(id), 1);
  EXPECT_EQ(mda_table.entries.count, 9);
}

}  // namespace

// Media files: loading, ids, release, the script compiler, lookups and single-frame reads.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "graphics/img256/img256_draw.h"
#include "graphics/img256/sprite_slot.h"
#include "tests/graphics/gfx_test_support.h"
#include "tests/graphics/img256_reference.h"

namespace {

using mdaw::MdaFile;

class MediaTable : public gfxt::MediaFixture {
 protected:
  // Three frames: an image, a sound and a raw command frame; one command of two steps.
  static MdaFile sample() {
    MdaFile f;
    f.frame("Idle", gfxt::solid_frame(4, 3, {200, 10, 10, 255}, 2, 1, 5, 6))
        .frame("hit", mdaw::wave_tone(440, 10))
        .frame("boom", {'a', 't', 't', 'a', 'c', 'k', ' ', '5'});
    f.command("MainCommand0").step("idle").second("HIT").step("boom");
    return f;
  }
  int32_t entry_count() const { return mda_table.entries.count; }
};

TEST_F(MediaTable, LoadsTheWholeFileWithItsFramesAndCommands) {
  const int32_t id = load("system/Button.mda", sample());
  ASSERT_EQ(id, 0);
  ASSERT_EQ(entry_count(), 1);
  EXPECT_EQ(mda_table.count, 1);
  const MDA_ENTRY& e = mda_table.entries[0];
  EXPECT_STREQ(e.file_name, "system/Button.mda");
  EXPECT_EQ(e.frame_count, 3);
  EXPECT_EQ(e.command_count, 1);
  EXPECT_EQ(e.frame_table_offset, 40u);
  EXPECT_EQ(e.last_frame, -1);
  EXPECT_EQ(mda_find_command("maincommand0", 0), 0);
  EXPECT_EQ(mda_find_command("MainCommand1", 0), -2);
  EXPECT_EQ(mda_find_frame(0, "IDLE"), 0);
  EXPECT_EQ(mda_find_frame(0, "Boom"), 2);
  EXPECT_EQ(mda_find_frame(0, "nothing"), -2);
  char name[MDA_NAME_SIZE];
  ASSERT_EQ(mda_get_step_frame_name(0, 1, 0, name), 0);
  EXPECT_STREQ(name, "boom");
  EXPECT_EQ(mda_get_step_frame_name(0, 2, 0, name), -2);
  EXPECT_EQ(mda_get_step_frame_name(1, 0, 0, name), -2);
  ASSERT_EQ(mda_get_step_sound(0, 0, 0, name), 0);
  EXPECT_STREQ(name, "HIT");
  EXPECT_EQ(mda_get_step_sound(0, 1, 0, name), -2);

  uint8_t* data = nullptr;
  EXPECT_EQ(mda_get_frame_data(0, 1, &data), e.data + e.frames[1].offset);
  EXPECT_EQ(mda_frame_kind(data, e.frames[1].size), MDA_FRAME_SOUND);
  EXPECT_EQ(mda_frame_kind(e.data + e.frames[0].offset, e.frames[0].size), MDA_FRAME_IMAGE);
  EXPECT_EQ(mda_frame_kind(e.data + e.frames[2].offset, e.frames[2].size), MDA_FRAME_OTHER);
  EXPECT_EQ(mda_get_frame_data(0, 3, &data), nullptr) << "a frame index equal to the count";
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(mda_get_frame_data(1, 0, &data), nullptr);
  EXPECT_NE(mda_frame_image(0, 0), nullptr);
  EXPECT_EQ(mda_frame_image(0, 1), nullptr);
  EXPECT_TRUE(messages().empty());
}

TEST_F(MediaTable, IdsCountUpAndSkipIdsInUse) {
  write_file("a.mda", mdaw::mda_build(sample()));
  int32_t ids[3];
  for (int32_t& id : ids) ASSERT_EQ(mda_load_file("a.mda", &id), 0);
  EXPECT_EQ((std::vector<int32_t>{ids[0], ids[1], ids[2]}), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(mda_find_by_name("A.MDA"), 0) << "two loads of one path: the first is found";
  int32_t handle = 1;
  mda_object_release(&handle);
  EXPECT_EQ(handle, -1);
  EXPECT_EQ(mda_find_by_id(2), 1) << "indexes move, ids do not";
  int32_t next = -1;
  ASSERT_EQ(mda_load_file("a.mda", &next), 0);
  EXPECT_EQ(next, 3);
  EXPECT_EQ(mda_table.next_id, 4) << "the search starts at the count 3, which is taken";
  EXPECT_EQ(mda_find_by_id(1), -2);
}

TEST_F(MediaTable, ReleaseFreesOnlyTheMatchingEntry) {
  write_file("a.mda", mdaw::mda_build(sample()));
  int32_t id = -1;
  ASSERT_EQ(mda_load_file("a.mda", &id), 0);
  // A release of -1 or of a handle nobody has leaves the one loaded entry alone.
  int32_t none = -1, stale = 57;
  mda_object_release(&none);
  mda_object_release(&stale);
  mda_object_release(nullptr);
  EXPECT_EQ(entry_count(), 1);
  EXPECT_EQ(stale, 57);
  mda_object_release(&id);
  EXPECT_EQ(entry_count(), 0);
  EXPECT_EQ(id, -1);
  mda_object_release(&id);
}

TEST_F(MediaTable, PathsResolveInAnyCaseAndSeparatorButCompareAsStored) {
  write_file("system/c1meu010.MDA", mdaw::mda_build(sample()));
  int32_t a = -1, b = -1;
  ASSERT_EQ(mda_load_file("SYSTEM\\C1MEU010.mda", &a), 0);
  ASSERT_EQ(mda_load_file("system/c1meu010.mda", &b), 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(mda_find_by_name("system\\c1meu010.MDA"), a);
  EXPECT_EQ(mda_find_by_name("System/C1meu010.mda"), b);
  EXPECT_EQ(mda_find_by_name("system\\other.mda"), -2);
  EXPECT_EQ(mda_check_file("system\\c1meu010.mda"), 0);
  EXPECT_EQ(mda_check_file("system\\missing.mda"), -2);
}

TEST_F(MediaTable, ScriptCompilesCommandsStepsAndSecondFrames) {
  MdaFile f;
  f.frame("f1", {'x'});
  f.second("early");  // before any step: key c x 10000 - 1
  f.command("A").step("f1").step("f2").second("s").command("B").second("t").step("g1");
  load("s.mda", f);
  const MDA_ENTRY& e = mda_table.entries[0];
  EXPECT_EQ(e.command_records, 2);
  EXPECT_EQ(e.step_count[0], 2);
  EXPECT_EQ(e.step_count[1], 1);
  ASSERT_EQ(e.second_records, 3);
  EXPECT_EQ(e.seconds[0].key, static_cast<uint32_t>(-10001));
  EXPECT_EQ(e.seconds[1].key, 1u) << "command 0, step 1";
  EXPECT_EQ(e.seconds[2].key, 9999u) << "B's second before its first step: 1 x 10000 - 1";
  EXPECT_EQ(e.steps[2].command, 1u);
  char name[MDA_NAME_SIZE];
  ASSERT_EQ(mda_get_step_frame_name(1, 0, 0, name), 0);
  EXPECT_STREQ(name, "g1");
  ASSERT_EQ(mda_get_step_sound(0, 1, 0, name), 0);
  EXPECT_STREQ(name, "s");
}

TEST_F(MediaTable, LongScriptNamesAreReportedAndKeptEmpty) {
  MdaFile f;
  f.frame("x", {'x'});
  f.command("MainCommand0").step("abcdefghijklmnopqr").step("abcdefghijklmnopqrs");
  load("n.mda", f);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], "MDA file name of database is too long, please reinstall the client or contact GM!");
  const MDA_ENTRY& e = mda_table.entries[0];
  EXPECT_EQ(e.step_records, 2);
  EXPECT_STREQ(e.steps[0].frame, "abcdefghijklmnopqr");
  EXPECT_STREQ(e.steps[1].frame, "");
  EXPECT_EQ(e.step_count[0], 2);
}

TEST_F(MediaTable, ScriptFlagBelowOneCompilesNothing) {
  MdaFile f = sample();
  f.script_flag = 0;
  load("f.mda", f);
  EXPECT_EQ(mda_table.entries[0].command_records, 0);
  EXPECT_EQ(mda_table.entries[0].command_count, 1) << "still counted at load";
  EXPECT_EQ(mda_find_command("MainCommand0", 0), -2);
  EXPECT_EQ(mda_find_frame(0, "idle"), 0);
}

TEST_F(MediaTable, FailedLoadsLeaveNoEntryAndReportTheirText) {
  write_file("bad.mda", std::vector<uint8_t>(64, 'x'));
  write_file("short.mda", {'V', 'O', 'R', 'N'});
  struct Case {
    const char* path;
    std::string message;
  };
  const Case cases[] = {{"", "Unable to launch  file"},
                        {"missing.mda", "Unable to launch missing.mda file"},
                        {"bad.mda", "bad.mda is not MDA file"},
                        {"short.mda", "short.mda is not MDA file"}};
  for (const Case& c : cases) {
    messages().clear();
    int32_t id = 5;
    EXPECT_EQ(mda_load_file(c.path, &id), -2) << c.path;
    EXPECT_EQ(id, -1);
    EXPECT_EQ(messages(), std::vector<std::string>{c.message}) << c.path;
  }
  EXPECT_EQ(entry_count(), 0);
}

// Every allocation of a load can fail; each failure removes the entry it had added.
TEST_F(MediaTable, EveryAllocationFailureOfALoadLeavesNoEntry) {
  write_file("a.mda", mdaw::mda_build(sample()));
  int failures = 0;
  for (int n = 1; n < 50; ++n) {
    messages().clear();
    gfx_alloc_fail_at(n);
    int32_t id = 9;
    const int result = mda_load_file("a.mda", &id);
    gfx_alloc_fail_at(0);
    if (result == 0) {
      EXPECT_GE(n, 7) << "data, frame table, images, two step arrays, three script tables, index";
      break;
    }
    ++failures;
    EXPECT_EQ(id, -1) << n;
    EXPECT_EQ(entry_count(), 0) << n;
    EXPECT_EQ(messages(), std::vector<std::string>{"Unable to collocate memory"}) << n;
  }
  EXPECT_GE(failures, 7);
  EXPECT_EQ(entry_count(), 1);
}

// Malformed files: the frame table and frames are checked at load (refused as a whole); the
// script is cut where a record does not fit.
TEST_F(MediaTable, MalformedFilesAreRefusedOrCut) {
  auto with = [](auto change) {
    MdaFile f = sample();
    change(f);
    return f;
  };
  struct Case {
    const char* what;
    MdaFile file;
    bool loads;
    int32_t steps;  // of MainCommand0 when it loads
  };
  const Case cases[] = {
      {"frame offset past the end", with([](MdaFile& f) { f.frames[1].offset = 1u << 30; }), false, 0},
      {"frame size past the end", with([](MdaFile& f) { f.frames[1].size = 1u << 20; }), false, 0},
      {"offset plus size wraps", with([](MdaFile& f) {
         f.frames[1].offset = 0xFFFFFFF0u;
         f.frames[1].size = 0x20;
       }), false, 0},
      {"count x 40 past the end", with([](MdaFile& f) { f.frame_count = 0x08000000; }), false, 0},
      {"negative count", with([](MdaFile& f) { f.frame_count = 0xFFFFFFFF; }), false, 0},
      {"image frame shorter than its head", with([](MdaFile& f) { f.frames[0].data.resize(600); }), false, 0},
      {"stream past its frame", with([](MdaFile& f) { f.frames[0].data.resize(f.frames[0].data.size() - 6); }), false, 0},
      {"file cut inside the frames", with([](MdaFile& f) { f.truncate_to = 900; }), false, 0},
      {"script length too long", with([](MdaFile& f) { f.script_length = 1u << 30; }), true, 2},
      {"script offset past the end", with([](MdaFile& f) { f.script_offset = 1u << 30; }), true, 0},
      {"record length 0", with([](MdaFile& f) { f.script[2].length = 0; }), true, 1},
      {"record length 1", with([](MdaFile& f) { f.script[2].length = 1; }), true, 1},
      {"record past the script", with([](MdaFile& f) { f.script[3].length = 200; }), true, 1},
      {"unterminated last text", with([](MdaFile& f) { f.script[3].terminate = false; }), true, 2},
  };
  for (const Case& c : cases) {
    reset_all();
    messages().clear();
    write_file("m.mda", mdaw::mda_build(c.file));
    int32_t id = -1;
    const int result = mda_load_file("m.mda", &id);
    EXPECT_EQ(result == 0, c.loads) << c.what;
    if (!c.loads) {
      EXPECT_EQ(entry_count(), 0) << c.what;
      EXPECT_EQ(messages(), std::vector<std::string>{"m.mda is not MDA file"}) << c.what;
      continue;
    }
    const int32_t command = mda_find_command("MainCommand0", 0);
    EXPECT_EQ(command < 0 ? 0 : mda_table.entries[0].step_count[command], c.steps) << c.what;
  }
  // An unterminated text is cut at its record: "boom" without its NUL is still "boom".
  reset_all();
  load("u.mda", with([](MdaFile& f) { f.script[3].terminate = false; }));
  char name[MDA_NAME_SIZE];
  ASSERT_EQ(mda_get_step_frame_name(0, 1, 0, name), 0);
  EXPECT_STREQ(name, "boom");
}

TEST_F(MediaTable, SingleFramesAreReadFromDiskWithTheSameChecks) {
  const MdaFile f = sample();
  write_file("r.mda", mdaw::mda_build(f));
  uint8_t* buffer = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(mda_read_frame_sized("R.MDA", 0, &buffer, &size), 0);
  EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + size), f.frames[0].data);
  mda_frame_buffer_free(&buffer);
  EXPECT_EQ(buffer, nullptr);
  ASSERT_EQ(mda_read_frame("r.mda", 1, &buffer), 0);
  EXPECT_EQ(is_wave_format(buffer, 12), 0);
  mda_frame_buffer_free(&buffer);

  struct Case {
    const char* path;
    int32_t frame;
    std::string message;
  };
  write_file("bad.mda", std::vector<uint8_t>(64, 'x'));
  MdaFile cut = f;
  cut.frames[0].data.resize(cut.frames[0].data.size() - 6);
  write_file("cut.mda", mdaw::mda_build(cut));
  MdaFile far = f;
  far.frames[2].offset = 1u << 30;
  write_file("far.mda", mdaw::mda_build(far));
  const Case cases[] = {{"r.mda", 3, "Read mda frame no error (3/3)"},
                        {"r.mda", -1, "Read mda frame no error (-1/3)"},
                        {"nope.mda", 0, "Unable to launch nope.mda file"},
                        {"bad.mda", 0, "bad.mda file check error"},
                        {"cut.mda", 0, "cut.mda file check error"},
                        {"far.mda", 2, "far.mda file check error"}};
  for (const Case& c : cases) {
    messages().clear();
    EXPECT_EQ(mda_read_frame(c.path, c.frame, &buffer), -2) << c.path;
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(messages(), std::vector<std::string>{c.message});
  }
  messages().clear();
  ASSERT_EQ(mda_read_frame("cut.mda", 1, &buffer), 0) << "only the frame read is checked";
  mda_frame_buffer_free(&buffer);

  for (int n = 1; n <= 2; ++n) {
    messages().clear();
    gfx_alloc_fail_at(n);
    EXPECT_EQ(mda_read_frame("r.mda", 0, &buffer), -2);
    EXPECT_EQ(messages(), std::vector<std::string>{"Unable to collocate memory"});
  }
  gfx_alloc_fail_at(0);

  EXPECT_EQ(mda_read_frame_to_slot("r.mda", 0, &buffer, 2), 0);
  EXPECT_EQ(sprite_slots[2].built, 1);
  mda_frame_buffer_free(&buffer);
  EXPECT_EQ(mda_read_frame_to_slot("r.mda", 1, &buffer, 3), -2) << "a sound is no image";
  mda_frame_buffer_free(&buffer);
}

// A frame whose runs pass its width or whose rows pass its height loads, and every blitter draws
// what fits in the frame's box and nothing else; a stream that reads past its own end is still
// refused, by a load and by a single-frame read.
TEST_F(MediaTable, FramesPastTheirBoxLoadAndDrawWhatFits) {
  using Pairs = std::vector<std::pair<uint8_t, uint8_t>>;
  auto frame = [](uint16_t w, uint16_t h, auto build) {
    mdaw::RawFrame f;
    f.width = w;
    f.height = h;
    f.palette[3] = f.palette[4] = f.palette[5] = 255;  // 1: white
    f.palette[7] = 255;                                 // 2: green
    build(f.stream);
    return f;
  };
  // 3 wide: a run of 5 from the left; then a run of 3 from x 1; then a skip to x 4 and a run there.
  const mdaw::RawFrame wide = frame(3, 2, [](std::vector<uint8_t>& s) {
    mdaw::stream_run(s, Pairs(5, {1, 255}));
    mdaw::stream_row_end(s);
    mdaw::stream_skip(s, 1);
    mdaw::stream_run(s, Pairs(3, {2, 255}));
    mdaw::stream_skip(s, 0);
    mdaw::stream_run(s, Pairs(2, {1, 255}));
    mdaw::stream_row_end(s);
  });
  // 2 high, four rows in the stream.
  const mdaw::RawFrame tall = frame(2, 2, [](std::vector<uint8_t>& s) {
    for (int row = 0; row < 4; ++row) {
      mdaw::stream_run(s, {{1, 255}, {2, 255}});
      mdaw::stream_row_end(s);
    }
  });
  struct Case {
    const char* file;
    mdaw::RawFrame frame;
    std::vector<std::string> drawn;  // the frame's rows as drawn at (1, 1) on 6 x 5: '#' changed
  };
  const Case cases[] = {
      {"wide.mda", wide, {"......", ".###..", "..##..", "......", "......"}},
      {"tall.mda", tall, {"......", ".##...", ".##...", "......", "......"}},
  };
  using Blit = std::function<void(const Img256Frame*, BITMAP16*)>;
  const std::pair<const char*, Blit> blitters[] = {
      {"faded", [](const Img256Frame* f, BITMAP16* b) { img256_draw_faded(1, 1, f, b, 0); }},
      {"additive", [](const Img256Frame* f, BITMAP16* b) { img256_draw_additive(1, 1, f, b); }},
      {"width-limited", [](const Img256Frame* f, BITMAP16* b) { img256_draw_width_limited(1, 1, 50, f, b); }},
      {"scaled", [](const Img256Frame* f, BITMAP16* b) { img256_draw_scaled(1, 1, f, b, 100); }},
      {"scaled and faded", [](const Img256Frame* f, BITMAP16* b) { img256_draw_scaled_faded(1, 1, f, b, 100, 0); }},
      {"additive scaled", [](const Img256Frame* f, BITMAP16* b) { img256_draw_additive_scaled(1, 1, f, b, 100); }},
  };
  auto changed = [](const BITMAP16* b) {
    std::vector<std::string> rows;
    for (uint32_t y = 0; y < b->height; ++y) {
      rows.emplace_back();
      for (uint32_t x = 0; x < b->width; ++x) rows.back() += b->rows[y][x] ? '#' : '.';
    }
    return rows;
  };
  for (const Case& c : cases) {
    reset_all();
    messages().clear();
    MdaFile file;
    file.frame("f", mdaw::img256_build(c.frame));
    write_file(c.file, mdaw::mda_build(file));
    int32_t id = -1;
    ASSERT_EQ(mda_load_file(c.file, &id), 0) << c.file;
    EXPECT_TRUE(messages().empty()) << c.file;
    const Img256Frame* view = mda_frame_image(mda_find_by_id(id), 0);
    ASSERT_NE(view, nullptr) << c.file;

    gfxt::Bitmap got = gfxt::make_bitmap(6, 5), want = gfxt::make_bitmap(6, 5);
    img256_draw(1, 1, view, got.get());
    gfxt::ref::draw(1, 1, view->data(), want.get());
    EXPECT_EQ(gfxt::difference(got.get(), want.get()), "") << c.file;
    EXPECT_EQ(changed(got.get()), c.drawn) << c.file;
    // Cut by the target as well: the frame's right column and bottom row off its edge.
    gfxt::Bitmap small_got = gfxt::make_bitmap(3, 2), small_want = gfxt::make_bitmap(3, 2);
    img256_draw(1, 1, view, small_got.get());
    gfxt::ref::draw(1, 1, view->data(), small_want.get());
    EXPECT_EQ(gfxt::difference(small_got.get(), small_want.get()), "") << c.file;
    for (const auto& [name, blit] : blitters) {
      gfxt::Bitmap b = gfxt::make_bitmap(6, 5);
      blit(view, b.get());
      EXPECT_EQ(changed(b.get()), c.drawn) << c.file << " " << name;
    }
    uint8_t* buffer = nullptr;
    ASSERT_EQ(mda_read_frame_to_slot(c.file, 0, &buffer, 5), 0) << c.file;
    mda_frame_buffer_free(&buffer);
    gfxt::Bitmap slot = gfxt::make_bitmap(6, 5);
    img256_draw_slot(1, 1, 5, slot.get());
    EXPECT_EQ(gfxt::difference(slot.get(), got.get()), "") << c.file << " slot";

    // The same frame with its stream cut inside its last run reads past its own end.
    mdaw::RawFrame cut = c.frame;
    cut.stream_length = static_cast<uint32_t>(cut.stream.size() - 2);
    MdaFile bad;
    bad.frame("f", mdaw::img256_build(cut));
    write_file("cut.mda", mdaw::mda_build(bad));
    messages().clear();
    EXPECT_EQ(mda_load_file("cut.mda", &id), -2) << c.file;
    EXPECT_EQ(messages(), std::vector<std::string>{"cut.mda is not MDA file"}) << c.file;
    messages().clear();
    EXPECT_EQ(mda_read_frame("cut.mda", 0, &buffer), -2) << c.file;
    EXPECT_EQ(messages(), std::vector<std::string>{"cut.mda file check error"}) << c.file;
  }
}

TEST_F(MediaTable, NewIdsSkipTakenOnes) {
  MDA_ENTRY record{};
  record.id = 2;
  mda_table_insert_at(&mda_table, 0, record);
  record.id = 3;
  mda_table_insert_at(&mda_table, 1, record);
  mda_table.count = 2;
  EXPECT_EQ(mda_new_id(), 4);
  mda_table_remove_at(&mda_table, 0);
  mda_table.count = 1;
  EXPECT_EQ(mda_new_id(), 1);
  EXPECT_EQ(mda_find_by_id(3), 0);
}

}  // namespace

// The res tables: the field reader, the five loaders, the start-up load and damaged files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "client/common/bad_words.h"
#include "client/res/res_tables.h"
#include "core/log/log.h"
#include "plat/bytes.h"
#include "tests/support/headless_fixture.h"
#include "tools/reswrite/reswrite.h"

namespace {

using resw::Cell;
using resw::Table;

Table chatTable(int words) {
  Table t{{3201, 2004}, {"id", "word"}, {}};
  for (int i = 0; i < words; ++i) t.rows.push_back({int64_t{i}, "{w" + std::to_string(i) + "}"});
  return t;
}

Table npcTable(int rows) {
  Table t;
  t.types = {3201, 3201, 3204, 3204, 3204, 3201, 3201, 3201, 3201, 3204, 3201, 3201, 3201, 3201};
  t.names.assign(t.types.size(), "f");
  for (int i = 0; i < rows; ++i) {
    t.rows.push_back({int64_t{i}, int64_t{7}, "npc" + std::to_string(i), "dropped", "dropped", int64_t{5},
                      int64_t{6}, int64_t{100 + i}, int64_t{200 + i}, "map" + std::to_string(i % 2),
                      int64_t{i % 3 == 0 ? 0 : 1}, int64_t{11}, int64_t{12}, int64_t{13}});
  }
  return t;
}

Table helpTable() {
  return {{3201, 3201, 3204, 204804},
          {"id", "parent", "title", "body"},
          {{int64_t{1}, int64_t{0}, "Top", "top body"},
           {int64_t{2}, int64_t{1}, "Child", "child body"},
           {int64_t{3}, int64_t{0}, "Second top", "second body"}}};
}

Table skillTable() {
  return {{3201, 3201, 3204, 3201, 3201, 25604},
          {"id", "level", "name", "a", "b", "text"},
          {{int64_t{9}, int64_t{2}, std::string(32, 'N'), int64_t{3}, int64_t{4}, std::string(256, 'D')}}};
}

Table questTable() {
  Table t;
  t.types = {3201, 3201, 6404, 3201, 30004, 6404, 3201, 3201};
  for (int i = 0; i < 9; ++i) t.types.push_back(3201);
  t.names.assign(t.types.size(), "q");
  std::vector<Cell> row(t.types.size(), Cell{int64_t{0}});
  row[0] = int64_t{10};
  row[1] = int64_t{19};
  row[2] = std::string("Quest");
  row[3] = int64_t{0x1234};
  row[4] = std::string("Quest text");
  row[5] = std::string("Goal");
  row[6] = int64_t{66};
  row[7] = int64_t{2};
  for (int i = 0; i < 8; ++i) row[8 + i] = int64_t{80 + i};
  row[16] = int64_t{16};
  t.rows.push_back(row);
  return t;
}

class ResTablesTest : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    sys_log_open();
  }
  void write(const std::string& name, const std::vector<uint8_t>& bytes) {
    dir.write("res/" + name, std::string(bytes.begin(), bytes.end()));
  }
  void write(const std::string& name, const Table& t) { write(name, resw::write_table(t)); }
  void writeAll() {
    write("task_mission.res", questTable());
    write("npc.res", npcTable(3));
    write("chat.res", chatTable(RES_CHAT_MIN_WORDS));
    write("help.res", helpTable());
    write("skill.res", skillTable());
  }
  bool logged(const std::string& line) { return errorTxt().find(line + "\r\n") != std::string::npos; }
};

std::string filtered(const char* text) {
  std::vector<char> buf(text, text + std::strlen(text) + 1);
  filter_bad_words(buf.data(), false);
  return buf.data();
}

// ---- the field reader -------------------------------------------------------------------------

using ResTables = ResTablesTest;

TEST_F(ResTables, Fields) {
  struct Case {
    uint32_t code;
    size_t width;
    uint64_t value;  // of bytes 1, 2, 3, ... (0xF1 .. for wide ones) read little-endian
  } cases[] = {
      {3201, 4, 0x04030201},  {802, 1, 0x01},      {1601, 2, 0x0201},  {6401, 8, 0x0807060504030201},
      {6402, 8, 0x0807060504030201}, {6403, 8, 0x0807060504030201}, {3203, 4, 0x04030201},
      {3, 4, 0x04030201},     {2401, 4, 0x04030201}, {5, 0, 0},        {0, 0, 0}, {6499, 0, 0},
  };
  const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (const Case& c : cases) {
    plat::ByteReader r(bytes, sizeof bytes);
    RES_FIELD f;
    f.value = 0xDEAD;
    ASSERT_EQ(res_read_field(c.code, r, f), RES_FIELD_OK) << c.code;
    EXPECT_EQ(r.position(), c.width) << c.code;
    EXPECT_EQ(f.value, c.value) << c.code;
    EXPECT_EQ(f.text_length, 0u) << c.code;
    EXPECT_EQ(res_field_width(c.code), c.width) << c.code;
  }

  // A 32-byte text is taken as it is, NULs included, and followed by a NUL.
  std::string text = "abc";
  text.append(1, '\0');
  text.append(28, 'x');
  plat::ByteReader r(text.data(), text.size() + 0);
  RES_FIELD f;
  ASSERT_EQ(res_read_field(3204, r, f), RES_FIELD_OK);
  EXPECT_EQ(f.text_length, 32u);
  EXPECT_EQ(std::string(f.text, 32), text);
  EXPECT_EQ(f.text[32], 0);
  EXPECT_EQ(f.value, 0u);

  // A narrow integer after a wide one keeps nothing of it.
  const uint8_t wideThenNarrow[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x00};
  plat::ByteReader w(wideThenNarrow, sizeof wideThenNarrow);
  ASSERT_EQ(res_read_field(6401, w, f), RES_FIELD_OK);
  EXPECT_EQ(f.value, ~uint64_t{0});
  ASSERT_EQ(res_read_field(802, w, f), RES_FIELD_OK);
  EXPECT_EQ(f.value, 1u);
  ASSERT_EQ(res_read_field(1601, w, f), RES_FIELD_OK);
  EXPECT_EQ(f.value, 2u);

  // Short data and over-wide texts consume nothing.
  plat::ByteReader shortData(bytes, 3);
  EXPECT_EQ(res_read_field(3201, shortData, f), RES_FIELD_SHORT);
  EXPECT_EQ(res_read_field(404, shortData, f), RES_FIELD_SHORT);
  EXPECT_EQ(res_read_field(409704, shortData, f), RES_FIELD_TOO_WIDE);
  EXPECT_EQ(shortData.position(), 0u);
  EXPECT_EQ(res_read_field(304, shortData, f), RES_FIELD_OK);
  EXPECT_EQ(std::string(f.text, f.text_length), "\x01\x02\x03");
}

TEST_F(ResTables, ManifestRoundTrip) {
  const std::string manifest =
      "# every width\n"
      "802\t1601\t3201\t6401\t3203\t6403\t504\t5\n"
      "byte\tshort\t\"in\\\"t\"\twide\tfloat\tdouble\ttext\tnothing\n"
      "\n"
      "255\t65535\t-1\t-2\t1.5\t-0.25\t\"\\xB0\\xA1tab\\x09q\\\\\"\t7\n"
      "0x7F\t300\t123456\t4294967296\t2e3\t1e100\t\"\"\t0\n";
  const Table in = resw::parse_manifest(manifest);
  ASSERT_EQ(in.rows.size(), 2u);
  EXPECT_EQ(in.names[2], "in\"t");
  const std::vector<uint8_t> bytes = resw::write_table(in);
  EXPECT_EQ(bytes.size(), resw::row_offset(in, 2));
  const Table out = resw::read_table(bytes);
  EXPECT_EQ(out.types, in.types);
  EXPECT_EQ(out.names, in.names);
  const std::vector<std::vector<Cell>> expected = {
      // the 8-byte text is cut to its 5-byte field, without a NUL
      {int64_t{255}, int64_t{65535}, int64_t{0xFFFFFFFF}, int64_t{-2}, 1.5, -0.25, std::string("\xB0\xA1tab"),
       int64_t{0}},
      {int64_t{0x7F}, int64_t{300}, int64_t{123456}, int64_t{4294967296}, 2000.0, 1e100, std::string(), int64_t{0}},
  };
  EXPECT_EQ(out.rows, expected);

  const char* bad[] = {
      "3201\nid\n1\t2\n",           // more cells than fields
      "3204\nname\nplain\n",        // a text without quotes
      "3201\nid\n\"text\"\n",       // a text for a number
      "3204\nname\n\"\\q\"\n",      // an unknown escape
      "32x1\nid\n",                 // a bad type code
      "3201\n",                     // no name line
      "3201\t3201\nid\n",           // names and codes differ
  };
  for (const char* m : bad) EXPECT_THROW(resw::parse_manifest(m), std::runtime_error) << m;
}

// ---- loading ----------------------------------------------------------------------------------

TEST_F(ResTables, Load) {
  // chat.res needs 380 words.
  write("chat.res", chatTable(RES_CHAT_MIN_WORDS - 1));
  EXPECT_EQ(res_load_chat(), -1);
  EXPECT_EQ(res_chat_word_count(), 0);
  EXPECT_TRUE(logged("res file res\\chat.res: 379 records, 380 needed"));
  Table chat = chatTable(RES_CHAT_MIN_WORDS);
  chat.rows[5][1] = std::string(20, 'W');  // full width: kept without a NUL
  chat.rows[6][1] = std::string(25, 'V');  // cut to 20
  write("chat.res", chat);
  EXPECT_EQ(res_load_chat(), 0);
  ASSERT_EQ(res_chat_word_count(), RES_CHAT_MIN_WORDS);
  EXPECT_STREQ(res_chat_word(0), "{w0}");
  EXPECT_EQ(std::string(res_chat_word(5), 20), std::string(20, 'W'));
  EXPECT_EQ(std::string(res_chat_word(6), 20), std::string(20, 'V'));
  EXPECT_EQ(res_chat_word(RES_CHAT_MIN_WORDS), nullptr);
  EXPECT_EQ(filtered("say {w12} now"), "say ***** now");

  // Help: top-level pages are in both tables, in file order.
  write("help.res", helpTable());
  ASSERT_TRUE(res_load_help());
  ASSERT_EQ(res_help_count(), 3);
  ASSERT_EQ(res_help_top_count(), 2);
  EXPECT_EQ(res_help_top_entry(0)->id, 1u);
  EXPECT_STREQ(res_help_top_entry(0)->body, "top body");
  EXPECT_EQ(res_help_top_entry(1)->id, 3u);
  EXPECT_STREQ(res_help_entry(1)->title, "Child");
  EXPECT_EQ(res_help_entry(1)->parent_id, 1u);

  // NPCs: the second list still names the right entries after the table grew many times.
  write("npc.res", npcTable(100));
  ASSERT_EQ(res_load_npc(), 0);
  ASSERT_EQ(res_npc_count(), 100);
  ASSERT_EQ(res_npc_sub_count(), 34);
  for (int32_t i = 0; i < res_npc_sub_count(); ++i) {
    const RES_NPC_ENTRY* e = res_npc_sub_entry(i);
    EXPECT_EQ(e->id, static_cast<uint32_t>(3 * i));
    EXPECT_EQ(e->field10, 0u);
  }
  const RES_NPC_ENTRY* n = res_npc_entry(7);
  EXPECT_STREQ(n->name, "npc7");
  EXPECT_EQ(n->x, 107);
  EXPECT_EQ(n->y, 207);
  EXPECT_STREQ(reinterpret_cast<const char*>(n) + 48, "map1");
  EXPECT_EQ(n->field11, 11u);
  EXPECT_EQ(n->field13, 13u);

  // Skills: a full-width name has no NUL; the description keeps at most 255 bytes.
  write("skill.res", skillTable());
  ASSERT_TRUE(res_load_skill());
  ASSERT_EQ(res_skill_count(), 1);
  const RES_SKILL_ENTRY* s = res_skill_entry(0);
  EXPECT_EQ(s->skill_id, 9u);
  EXPECT_EQ(s->level, 2u);
  EXPECT_EQ(s->field3, 3u);
  EXPECT_EQ(s->field4, 4u);
  EXPECT_EQ(std::string(s->name, 32), std::string(32, 'N'));
  EXPECT_EQ(std::string(s->description), std::string(255, 'D'));

  // Quests: the level keeps the low byte; field 6 is dropped.
  write("task_mission.res", questTable());
  ASSERT_EQ(res_load_task_mission(), 0);
  const RES_QUEST_ENTRY* q = res_quest_entry(0);
  EXPECT_EQ(q->first_id, 10u);
  EXPECT_EQ(q->last_id, 19u);
  EXPECT_STREQ(q->name, "Quest");
  EXPECT_EQ(q->level, 0x34);
  EXPECT_STREQ(q->text, "Quest text");
  EXPECT_STREQ(q->text2, "Goal");
  EXPECT_EQ(q->type, 2u);
  EXPECT_EQ(q->values[0], 80u);
  EXPECT_EQ(q->values[7], 87u);
  EXPECT_EQ(q->field16, 16u);
  EXPECT_EQ(res_quest_entry(1), nullptr);
  EXPECT_EQ(res_quest_entry(-1), nullptr);
}

TEST_F(ResTables, LoadAll) {
  writeAll();
  ASSERT_EQ(res_load_all(), 0);
  EXPECT_EQ(res_quest_count(), 1);
  EXPECT_EQ(res_npc_count(), 3);
  EXPECT_EQ(res_chat_word_count(), RES_CHAT_MIN_WORDS);
  EXPECT_EQ(res_help_count(), 3);
  EXPECT_EQ(res_skill_count(), 1);
  EXPECT_EQ(filtered("{w379}"), "******");
  EXPECT_EQ(filtered("ordinary text"), "ordinary text");
  // A load that fails keeps the table that was there.
  write("help.res", resw::write_damaged(helpTable(), {.field_count = 1000000}));
  EXPECT_FALSE(res_load_help());
  EXPECT_EQ(res_help_count(), 3);
  EXPECT_EQ(res_help_top_count(), 2);

  // A missing table stops the load there: the later ones stay unloaded.
  res_tables_reset();
  EXPECT_EQ(filtered("{w1}"), "{w1}");
  std::remove(dir.hostPath("res/npc.res").c_str());
  EXPECT_EQ(res_load_all(), -1);
  EXPECT_EQ(res_quest_count(), 1);
  EXPECT_EQ(res_npc_count(), 0);
  EXPECT_EQ(res_chat_word_count(), 0);
  EXPECT_EQ(res_help_count(), 0);
  EXPECT_EQ(res_skill_count(), 0);
  EXPECT_EQ(filtered("{w1}"), "{w1}");
  EXPECT_TRUE(logged("res file res\\npc.res: cannot open"));
}

// ---- damaged files ----------------------------------------------------------------------------

TEST_F(ResTables, Damaged) {
  const Table npc10 = npcTable(10);
  Table wide = helpTable();
  wide.types[3] = 10000004;  // a 100,000-byte text
  Table fewFields = npcTable(2);
  fewFields.types.resize(3);
  Table empty{{5}, {"nothing"}, {{int64_t{0}}, {int64_t{0}}}};
  std::vector<uint8_t> tiny(300, 0);

  struct Case {
    const char* what;
    const char* file;
    std::vector<uint8_t> bytes;
    bool loads;
    const char* log;
    int32_t count;
  } cases[] = {
      {"a million fields", "npc.res", resw::write_damaged(npc10, {.field_count = 1000000}), false,
       "res file res\\npc.res: 1000000 fields do not fit in ", 0},
      {"data offset past the end", "npc.res", resw::write_damaged(npc10, {.data_offset = 0x7FFFFFF0}), false,
       "res file res\\npc.res: data offset 2147483632 past the end (", 0},
      {"a header cut short", "npc.res", tiny, false, "res file res\\npc.res: header cut short (300 bytes)", 0},
      {"cut inside record 5", "npc.res", resw::write_damaged(npc10, {.cut_at = resw::row_offset(npc10, 4) + 50}),
       true, "res file res\\npc.res damaged: 4 of 10 records read", 4},
      {"more records claimed than held", "npc.res", resw::write_damaged(npc10, {.record_count = 0xFFFFFFFF}), true,
       "res file res\\npc.res damaged: 10 of 4294967295 records read", 10},
      {"fields the file lacks", "npc.res", resw::write_table(fewFields), true, nullptr, 2},
      {"records of no bytes", "npc.res", resw::write_table(empty), false, "res file res\\npc.res: records hold no bytes",
       0},
      {"a 100,000-byte text", "help.res", resw::write_table(wide), false, "res file res\\help.res: field 3 too wide", 0},
      {"400 words claimed, 379 held", "chat.res",
       resw::write_damaged(chatTable(400), {.cut_at = resw::row_offset(chatTable(400), 379) + 3}), false,
       "res file res\\chat.res damaged: 379 of 400 records read", 0},
  };
  const std::function<bool()> loaders[] = {
      [] { return res_load_npc() == 0; }, [] { return res_load_help(); }, [] { return res_load_chat() == 0; }};
  const std::function<int32_t()> counts[] = {res_npc_count, res_help_count, res_chat_word_count};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    res_tables_reset();
    write(c.file, c.bytes);
    const int which = std::string(c.file) == "npc.res" ? 0 : std::string(c.file) == "help.res" ? 1 : 2;
    EXPECT_EQ(loaders[which](), c.loads);
    EXPECT_EQ(counts[which](), c.count);
    if (c.log) {
      EXPECT_NE(errorTxt().find(c.log), std::string::npos) << errorTxt();
    }
  }

  // The complete records of a cut table are whole; the missing fields read as 0 and empty.
  res_tables_reset();
  write("npc.res", resw::write_damaged(npc10, {.cut_at = resw::row_offset(npc10, 4) + 50}));
  ASSERT_EQ(res_load_npc(), 0);
  EXPECT_STREQ(res_npc_entry(3)->name, "npc3");
  EXPECT_EQ(res_npc_entry(3)->field13, 13u);
  write("npc.res", resw::write_table(fewFields));
  ASSERT_EQ(res_load_npc(), 0);
  const RES_NPC_ENTRY* e = res_npc_entry(1);
  EXPECT_EQ(e->id, 1u);
  EXPECT_STREQ(e->name, "npc1");
  EXPECT_EQ(e->x, 0);
  EXPECT_EQ(e->map_name[0], 0);
  EXPECT_EQ(res_npc_sub_count(), 2);  // field 10 reads as 0
}

}  // namespace

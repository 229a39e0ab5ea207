// server.cfg's key reader: comments, the loose key comparison, words and numbers, long lines.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "tests/support/headless_fixture.h"
#include "updater/config_keys.h"

namespace {

using updater::CONFIG_FOUND;
using updater::CONFIG_NUMBER;
using updater::CONFIG_QUERY;
using updater::CONFIG_WORD;

class ConfigKeys : public veldra_test::HeadlessTest {};

CONFIG_QUERY query(const char* key, uint32_t flags) {
  CONFIG_QUERY q;
  q.key = key;
  q.flags = flags;
  return q;
}

TEST_F(ConfigKeys, Table) {
  struct Case {
    const char* name;
    std::string text;
    const char* key;
    bool found;
    std::string word;
  };
  const std::string longValue(200, 'v');
  // 5,000 characters: a comment's first 4,096, then a tail that reads as a line of its own.
  const std::string tailLine = "# " + std::string(4094, 'c') + "id2=9 " + std::string(5000 - 4096 - 6, 'z') + "\r\n";
  const Case cases[] = {
      {"a comment line", "  # id1=5\r\nid1=6\r\n", "id1", true, "6"},
      {"blanks around = and inside the key", " i d 1 =  42\r\n", "id1", true, "42"},
      {"ended by ;", "loginPort1= 12;\r\n", "loginPort1", true, "12"},
      {"two words", "name1=a b\r\n", "name1", true, "a"},
      {"ended by # ) ,", "ver1=1.0#x\r\nver2=(2),3\r\n", "ver1", true, "1.0"},
      {"the prefix match", "id10=5\r\nid1=7\r\n", "id1", true, "5"},
      {"a match without =", "id1 7\r\nid1=8\r\n", "id1", true, "8"},
      {"# in the key ends the comparison", "id#1=3\r\n", "id1", false, ""},
      {"no line", "id2=1\r\n", "id1", false, ""},
      {"a 200-character value", "name1=" + longValue + "\r\n", "name1", true, std::string(128, 'v')},
      {"a tail after 4,096 characters reads as a line", tailLine, "id2", true, "9"},
      {"an LF file", "id1=1\nid2=2\n", "id2", true, "2"},
      {"a tab before the value", "id1=\t 5\r\n", "id1", true, "5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("server.cfg", c.text);
    CONFIG_QUERY q = query(c.key, CONFIG_WORD);
    ASSERT_EQ(updater::ReadConfigKeys("server.cfg", &q, 1), 0);
    EXPECT_EQ((q.flags & CONFIG_FOUND) != 0, c.found);
    EXPECT_EQ(q.word, c.word);
  }
}

TEST_F(ConfigKeys, RefusedCallsAndNumbers) {
  CONFIG_QUERY q = query("id1", CONFIG_WORD);
  EXPECT_EQ(updater::ReadConfigKeys("missing.cfg", &q, 1), -1);
  dir.write("server.cfg", "id1=1\r\n");
  EXPECT_EQ(updater::ReadConfigKeys("server.cfg", nullptr, 1), -1);
  EXPECT_EQ(updater::ReadConfigKeys("server.cfg", &q, 0), -1);
  EXPECT_EQ(q.flags & CONFIG_FOUND, 0u);

  // Numbers are read in the C locale whatever the process's locale is.
  const std::string before = std::setlocale(LC_ALL, nullptr);
  const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  dir.write("server.cfg", "rate= 2.5;\r\n");
  CONFIG_QUERY n = query("rate", CONFIG_NUMBER);
  ASSERT_EQ(updater::ReadConfigKeys("server.cfg", &n, 1), 0);
  std::setlocale(LC_ALL, before.c_str());
  EXPECT_FLOAT_EQ(n.number, 2.5f) << (german ? "under de_DE" : "de_DE missing, C locale");
}

TEST_F(ConfigKeys, QueriesAnswerInOrderAndFirstLineWins) {
  dir.write("server.cfg", "id1=1\r\nid1=2\r\nname1=Alpha\r\n");
  CONFIG_QUERY q[2] = {query("name1", CONFIG_WORD), query("id1", CONFIG_WORD | CONFIG_NUMBER)};
  ASSERT_EQ(updater::ReadConfigKeys("server.cfg", q, 2), 0);
  EXPECT_EQ(q[0].word, "Alpha");
  EXPECT_EQ(q[1].word, "1");
  EXPECT_FLOAT_EQ(q[1].number, 1.0f);
}

}  // namespace

// Section files: the CRLF line index across read blocks, sections and entries, folded lookups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/headless_fixture.h"
#include "updater/section_file.h"

namespace {

using updater::CSectionFile;

class SectionFile : public veldra_test::HeadlessTest {};

std::string valueOf(const CSectionFile& f, const char* section, const char* key) {
  std::string v;
  return f.GetValue(section, key, v) == 0 ? v : "<none>";
}

TEST_F(SectionFile, Table) {
  struct Case {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::string value;  // "<none>": -1
  };
  const Case cases[] = {
      {"a header found folded", "[Version+]\r\n1.2=10/a.zip\r\n", "version+", "1.2", "10/a.zip"},
      {"blanks trimmed around key and value", "[p]\r\n patch = 1.2 \r\n", "P", "PATCH", "1.2"},
      {"values keep their case", "[p]\r\nKey=MiXed\r\n", "p", "key", "MiXed"},
      {"a key before the first section", "k=1\r\n[s]\r\n", "s", "k", "<none>"},
      {"an LF-only file is one line", "[s]\nk=1\n", "s", "k", "<none>"},
      {"an empty value", "[s]\r\nk=\r\n", "s", "k", ""},
      {"a tab kept in a value", "[s]\r\nk=\ta b\t\r\n", "s", "k", "\ta b\t"},
      {"a tab is no blank in a key", "[s]\r\n\tk=1\r\n", "s", "k", "<none>"},
      {"the last line without CRLF", "[s]\r\nk=last", "s", "k", "last"},
      {"a lone CR stays in the line", "[s]\r\nk=a\rb\r\n", "s", "k", "a\rb"},
      {"a BOM hides the first header", "\xEF\xBB\xBF[s]\r\nk=1\r\n", "s", "k", "<none>"},
      {"an empty key is ignored", "[s]\r\n=1\r\n", "s", "", "<none>"},
      {"a name of blanks starts no section", "[s]\r\n[  ]\r\nk=1\r\n", "s", "k", "1"},
      {"a key longer than any loaded", "[s]\r\nk=1\r\n", "s", "kk", "<none>"},
      {"a section longer than any loaded", "[s]\r\nk=1\r\n", "ss", "k", "<none>"},
      {"a double-byte name folds ASCII only", "[\xC4\x41X]\r\nk=1\r\n", "\xC4\x41x", "k", "1"},
      {"a trail byte is never folded", "[\xC4\x41x]\r\nk=1\r\n", "\xC4\x61x", "k", "<none>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("version.txt", c.text);
    CSectionFile f;
    ASSERT_EQ(f.Load("version.txt"), 0);
    EXPECT_EQ(valueOf(f, c.section, c.key), c.value);
  }
}

TEST_F(SectionFile, RepeatedSectionsAndEntries) {
  dir.write("version.txt", "[Patch]\r\na=1\r\nb=2\r\n[other]\r\n[PATCH]\r\nc=3\r\na=9\r\n");
  CSectionFile f;
  ASSERT_EQ(f.Load("version.txt"), 0);
  EXPECT_EQ(f.GetKeyCount("patch"), 2);  // the first section of the name
  EXPECT_EQ(f.GetKeyCount("other"), 0);
  EXPECT_EQ(f.GetKeyCount("none"), -1);
  EXPECT_EQ(valueOf(f, "patch", "c"), "3");  // found in the second
  EXPECT_EQ(valueOf(f, "patch", "a"), "1");  // the first in file order
  std::string k, v;
  ASSERT_EQ(f.GetEntry(1, "PATCH", k, v), 0);
  EXPECT_EQ(k, "b");
  EXPECT_EQ(v, "2");
  EXPECT_EQ(f.GetEntry(2, "patch", k, v), -1);
  EXPECT_EQ(f.GetEntry(-1, "patch", k, v), -1);
  f.Close();
  EXPECT_EQ(f.GetKeyCount("patch"), -1);
  EXPECT_EQ(f.Load("missing.txt"), -1);
}

TEST_F(SectionFile, CrlfAcrossReadBlocks) {
  // "\r" is the 2,048th byte and "\n" the first of the next block.
  std::string text = "[s]\r\nk=";
  text += std::string(2047 - text.size(), 'v');
  text += "\r\nnext=2\r\n";
  ASSERT_EQ(text[2047], '\r');
  dir.write("version.txt", text);
  CSectionFile f;
  ASSERT_EQ(f.Load("version.txt"), 0);
  EXPECT_EQ(valueOf(f, "s", "k"), std::string(2047 - 7, 'v'));
  EXPECT_EQ(valueOf(f, "s", "next"), "2");
  // Any block size indexes the same lines.
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  for (size_t block : {1u, 2u, 3u, 7u, 2048u, 5000u}) {
    SCOPED_TRACE(block);
    CSectionFile m;
    ASSERT_EQ(m.LoadBytes(bytes, block), 0);
    EXPECT_EQ(valueOf(m, "s", "next"), "2");
    EXPECT_EQ(m.GetKeyCount("s"), 2);
  }
}

}  // namespace

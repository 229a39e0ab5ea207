// Shared helpers of the client core: line splitting, token readers, the chat input history,
// the banned-word filter, the notice list, browser launching and file checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "client/common/bad_words.h"
#include "client/common/chat_history.h"
#include "client/common/exception_log.h"
#include "client/common/item_flags.h"
#include "client/common/registry_read.h"
#include "client/common/screen_state.h"
#include "client/common/spew_box.h"
#include "client/common/text_tokens.h"
#include "client/common/version_text.h"
#include "client/common/web_pages.h"
#include "core/file/file_checks.h"
#include "core/file/whole_file.h"
#include "plat/platform.h"
#include "engine/system/system.h"
#include "plat/cp936.h"
#include "plat/headless.h"
#include "plat/tier0.h"
#include "plat/winmsg.h"
#include "tests/support/fake_item_defs.h"
#include "tests/support/headless_fixture.h"
#include "ui/notices/notice_lines.h"
#include "world/scene/view_rect.h"

namespace {

class CoreUtils : public veldra_test::HeadlessTest {
 protected:
  // A buffer over the given bytes, as load_whole_file would leave it.
  static FILE_BUFFER bufferOver(std::vector<uint8_t>& bytes) {
    FILE_BUFFER b;
    b.length = static_cast<uint32_t>(bytes.size());
    b.data = bytes.empty() ? nullptr : bytes.data();
    return b;
  }
  static std::vector<uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }
  static std::string gb(const char* utf8) { return plat::cp936::fromUtf8(utf8); }
};

std::string lineOf(const std::string& text, int index) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  FILE_BUFFER b;
  b.length = static_cast<uint32_t>(bytes.size());
  b.data = bytes.empty() ? nullptr : bytes.data();
  char out[TEXT_LINE_SIZE];
  std::memset(out, 'Z', sizeof out);
  get_text_line(index, &b, out);
  return out;
}

// ---- version, tilde codes ---------------------------------------------------------------------

TEST_F(CoreUtils, VersionTextAndTildeCount) {
  char text[VERSION_TEXT_SIZE];
  version_text_format(text, 1, 0, 3);
  EXPECT_STREQ(text, "1.0.3 - 6137");
  EXPECT_EQ(text_count_tilde_codes("~C4name~C0 says ~Z1hi"), 3u);
  EXPECT_EQ(text_count_tilde_codes(""), 0u);
}

// ---- "#L" lines -------------------------------------------------------------------------------

TEST_F(CoreUtils, TextLinesTable) {
  const std::string longLine(1100, 'x');
  // 1022 single bytes, then a double-byte character straddling the 1023-byte cut.
  const std::string straddle = std::string(1022, 'y') + "\xB0\xA1" + "tail";
  struct Case {
    std::string text;
    int index;
    std::string expected;
  } cases[] = {
      {"ab#Lcd#Lef", 0, "ab"},
      {"ab#Lcd#Lef", 1, "cd"},
      {"ab#Lcd#Lef", 2, "ef"},
      {"ab#Lcd#Lef", 5, ""},
      {"a\r\nb#L\r\nc\nd\r\n", 0, "ab"},
      {"a\r\nb#L\r\nc\nd\r\n", 1, "cd"},
      {"#L#Lthird", 2, "third"},
      {"#L#Lthird", 0, ""},
      {"one#", 0, "one#"},
      {longLine + "#Lnext", 0, std::string(1023, 'x')},
      {longLine + "#Lnext", 1, "next"},
      {straddle, 0, std::string(1022, 'y')},
      {"", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lineOf(c.text, c.index), c.expected) << "text '" << c.text.substr(0, 20) << "' line " << c.index;
  }
}

TEST_F(CoreUtils, CountLineSeparatorsTable) {
  struct Case {
    std::string text;
    int expected;
  } cases[] = {
      {"ab#Lcd#Lef", 2},
      {"#L#Lx", 2},   // two separators and a final byte
      {"ab#L", 1},    // the pair starts inside the first length - 1 bytes
      {"ab#", 0},
      {"#", 0},
      {"", 0},        // length 0: no unsigned wrap
      {"#LL#L#", 2},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes = bytesOf(c.text);
    FILE_BUFFER b = bufferOver(bytes);
    EXPECT_EQ(count_line_separators(&b), c.expected) << c.text;
  }
  FILE_BUFFER empty;
  EXPECT_EQ(count_line_separators(&empty), 0);
}

// ---- files ------------------------------------------------------------------------------------

TEST_F(CoreUtils, LoadWholeFileReplacesTheBufferAndRefusesFolders) {
  dir.write("notes.txt", "first#Lsecond");
  dir.write("Other.TXT", "x");
  dir.mkdir("folder");

  FILE_BUFFER buffer;
  ASSERT_EQ(load_whole_file("notes.txt", &buffer), 0);
  EXPECT_EQ(buffer.length, 13u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data), buffer.length), "first#Lsecond");
  EXPECT_EQ(buffer.data[buffer.length], 0);

  // The old block is freed before the next load (ASan would report a leak otherwise).
  ASSERT_EQ(load_whole_file("other.txt", &buffer), 0);
  EXPECT_EQ(buffer.length, 1u);

  EXPECT_EQ(load_whole_file("folder", &buffer), -2);
  EXPECT_EQ(buffer.data, nullptr);
  EXPECT_EQ(buffer.length, 0u);
  EXPECT_EQ(load_whole_file("missing.txt", &buffer), -2);
  EXPECT_EQ(load_whole_file("", &buffer), -2);

  // A length bound refuses a longer file and takes one of exactly its length.
  EXPECT_EQ(load_whole_file("notes.txt", &buffer, 12), -2);
  EXPECT_EQ(buffer.data, nullptr);
  ASSERT_EQ(load_whole_file("notes.txt", &buffer, 13), 0);
  EXPECT_EQ(buffer.length, 13u);

  dir.write("empty.txt", "");
  ASSERT_EQ(load_whole_file("empty.txt", &buffer), 0);
  EXPECT_EQ(buffer.length, 0u);
  EXPECT_EQ(count_line_separators(&buffer), 0);
  file_buffer_free(&buffer);
  EXPECT_EQ(buffer.data, nullptr);
}

TEST_F(CoreUtils, FileExistsAndLength) {
  dir.write("data/item.cfg", "12345");
  dir.mkdir("maps");
  EXPECT_EQ(file_exists("data\\item.cfg"), 0);
  EXPECT_EQ(file_exists("DATA/Item.CFG"), 0);
  EXPECT_EQ(file_exists("maps"), -2);  // a folder is not a file
  EXPECT_EQ(file_exists("missing.cfg"), -2);
  EXPECT_EQ(file_exists(""), -2);

  EXPECT_EQ(file_length("data/item.cfg"), 5);
  EXPECT_EQ(file_length(""), -1);

  ASSERT_EQ(system_module_init(), 0);
  EXPECT_EQ(file_length("missing.cfg"), -1);
  system_module_free();
  EXPECT_NE(dir.read("error.txt").find("Unable to launch missing.cfg file"), std::string::npos);
  system_module_reset();
}

// ---- text -------------------------------------------------------------------------------------

TEST_F(CoreUtils, TrimLeadingBlanksAnyLength) {
  std::string text = " \t  " + std::string(296, 'w');  // 300 characters
  std::vector<char> buf(text.begin(), text.end());
  buf.push_back(0);
  trim_leading_blanks(buf.data());
  EXPECT_EQ(std::string(buf.data()), std::string(296, 'w'));

  char blanks[] = " \t ";
  trim_leading_blanks(blanks);
  EXPECT_STREQ(blanks, "");
  char inner[] = "a  b ";
  trim_leading_blanks(inner);
  EXPECT_STREQ(inner, "a  b ");
}

TEST_F(CoreUtils, TokenReadersTable) {
  enum Reader { Token, Word };
  struct Case {
    Reader reader;
    std::string text;
    int start;
    int flagOrDelimiter;
    int max;
    std::string expected;
    int endPos;
  } cases[] = {
      {Token, "abcdef", 0, 0, 3, "abc", 3},                 // exactly max
      {Token, "abcdef", 2, 0, 10, "cdef", 6},
      {Token, " a b ,rest", 0, 1, 10, "ab", 5},             // blanks skipped, stops on ','
      {Token, "key = value", 0, 1, 10, "key", 4},
      {Token, "key = value", 5, 1, 10, "value", 11},
      {Token, "a b,c", 0, 0, 10, "a b,c", 5},               // no separators without the flag
      {Token, "ab\xB0\xA1" "cd", 0, 0, 3, "ab", 2},         // a double-byte character is not split
      {Token, "ab\xB0\xA1" "cd", 0, 0, 4, "ab\xB0\xA1", 4},
      {Word, "hello world", 0, ',', 20, "hello", 5},         // a blank ends the word
      {Word, "abc,def", 0, ',', 20, "abc", 3},
      {Word, "abcdef", 0, ',', 4, "abcd", 4},                // exactly max
      {Word, "ab cd", 0, 0, 20, "ab cd", 5},                 // delimiter 0: to the end
      {Word, "ab cd", 0, 0, 2, "ab", 2},
      {Word, "\xB0\xA1\xB0\xA1", 0, 0, 3, "\xB0\xA1", 2},
  };
  for (const auto& c : cases) {
    // Exactly max + 1 bytes on the heap, so a write past them is caught under ASan.
    std::vector<char> out(static_cast<size_t>(c.max) + 1, 'Z');
    int pos = c.start;
    if (c.reader == Token)
      next_token(c.text.c_str(), out, &pos, c.flagOrDelimiter, c.max);
    else
      next_word(c.text.c_str(), out, &pos, static_cast<char>(c.flagOrDelimiter), c.max);
    EXPECT_EQ(std::string(out.data()), c.expected) << c.text << " max " << c.max;
    EXPECT_EQ(pos, c.endPos) << c.text << " max " << c.max;
  }
}

// ---- chat input history -----------------------------------------------------------------------

TEST_F(CoreUtils, ChatHistoryTable) {
  struct Step {
    char op;  // 'a' add, 'n' browse to newest, 'H' or 'P' browse, 'x' another key
    std::string text;  // added text, or the expected browse result
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
      {"up and down",
       {{'a', "one"}, {'a', "two"}, {'a', "three"}, {'n', ""}, {'H', "three"}, {'H', "two"}, {'P', "three"},
        {'P', ""}, {'H', "two"}}},
      {"down at the write index leaves the index",
       {{'a', "one"}, {'n', ""}, {'P', ""}, {'P', ""}, {'H', "one"}}},
      {"empty history", {{'H', ""}, {'P', ""}, {'H', ""}}},
      {"duplicate ignoring case",
       {{'a', "Hello"}, {'a', "hELLO"}, {'a', "HELLO"}, {'n', ""}, {'H', "Hello"}, {'H', ""}}},
      {"other keys do nothing", {{'a', "one"}, {'n', ""}, {'x', "unchanged"}, {'H', "one"}}},
  };
  for (const auto& c : cases) {
    chat_line_history_reset();
    for (const auto& s : c.steps) {
      char out[CHAT_HISTORY_LINE_SIZE];
      std::strcpy(out, "unchanged");
      switch (s.op) {
        case 'a': chat_line_history_add(s.text.c_str()); continue;
        case 'n': chat_line_history_browse_to_newest(); continue;
        case 'x': chat_line_history_browse(out, 'K'); break;
        default: chat_line_history_browse(out, s.op); break;
      }
      EXPECT_EQ(std::string(out), s.text) << c.name;
    }
  }
}

TEST_F(CoreUtils, ChatHistoryWrapsAtSixteenAndCutsOnACharacter) {
  for (int i = 0; i <= 16; ++i) chat_line_history_add(("line" + std::to_string(i)).c_str());
  // line16 took slot 0; the write index is now 1.
  chat_line_history_browse_to_newest();
  char out[CHAT_HISTORY_LINE_SIZE];
  chat_line_history_browse(out, CHAT_HISTORY_KEY_UP);
  EXPECT_STREQ(out, "line16");
  for (int i = 15; i >= 2; --i) {
    chat_line_history_browse(out, CHAT_HISTORY_KEY_UP);
    EXPECT_EQ(std::string(out), "line" + std::to_string(i));
  }
  chat_line_history_browse(out, CHAT_HISTORY_KEY_UP);  // reaches the write index
  EXPECT_STREQ(out, "");
  chat_line_history_browse(out, CHAT_HISTORY_KEY_DOWN);
  EXPECT_STREQ(out, "line3");

  chat_line_history_reset();
  const std::string cut = std::string(158, 'c') + "\xB0\xA1" + "more";  // the character spans 158-159
  chat_line_history_add(cut.c_str());
  chat_line_history_browse_to_newest();
  chat_line_history_browse(out, CHAT_HISTORY_KEY_UP);
  EXPECT_EQ(std::string(out), std::string(158, 'c'));
}

// ---- banned words -----------------------------------------------------------------------------

char g_words[4][BAD_WORD_SIZE];
BAD_WORD_LIST testWords() { return {g_words, 4}; }

TEST_F(CoreUtils, FilterBadWords) {
  const std::string bad = gb("坏蛋");
  std::memset(g_words, 0, sizeof g_words);
  std::strcpy(g_words[0], "darn");
  std::memcpy(g_words[1], bad.data(), bad.size());
  g_words[2][0] = 0;                // an empty entry must not match everywhere
  std::strcpy(g_words[3], "*");     // a word that survives its own replacement
  filter_bad_words_set_provider(&testWords);

  struct Case {
    std::string text;
    std::string expected;
  } cases[] = {
      {"well darn it", "well **** it"},
      {"darn darn, darndarn", "**** ****, ********"},
      {"ab" + bad + "cd" + bad, "ab**cd**"},  // one '*' per double-byte character
      {"Darn is fine", "Darn is fine"},       // the match keeps case
      {"a*b", "a*b"},
      {"clean text", "clean text"},
  };
  for (const auto& c : cases) {
    std::vector<char> buf(c.text.begin(), c.text.end());
    buf.push_back(0);
    EXPECT_FALSE(filter_bad_words(buf.data(), false));
    EXPECT_EQ(std::string(buf.data()), c.expected);
  }

  // A double-byte character whose trail byte looks like a word's first byte does not match.
  std::strcpy(g_words[0], "@x");
  std::string tricky = "\x81@x";  // 0x81 0x40 is one character, then 'x'
  std::vector<char> tb(tricky.begin(), tricky.end());
  tb.push_back(0);
  filter_bad_words(tb.data(), false);
  EXPECT_EQ(std::string(tb.data()), tricky);
  std::strcpy(g_words[0], "darn");

  char test[] = "oh darn";
  EXPECT_TRUE(filter_bad_words(test, true));
  EXPECT_STREQ(test, "oh darn");
  char clean[] = "oh dear";
  EXPECT_FALSE(filter_bad_words(clean, true));

  filter_bad_words_set_provider(nullptr);
  char noList[] = "darn";
  EXPECT_FALSE(filter_bad_words(noList, true));
  EXPECT_STREQ(noList, "darn");
}

// ---- notices, view rectangle, items -----------------------------------------------------------

TEST_F(CoreUtils, ElevenNoticePushesKeepTheNewestTen) {
  for (int i = 1; i <= 11; ++i) notice_lines_push(("notice " + std::to_string(i)).c_str());
  const NOTICE_LINES& n = notice_lines();
  EXPECT_EQ(n.count, 10);
  EXPECT_STREQ(n.lines[0], "notice 11");
  EXPECT_STREQ(n.lines[9], "notice 2");

  const std::string cut = std::string(46, 'n') + "\xB0\xA1";  // the character spans 46-47
  notice_lines_push(cut.c_str());
  EXPECT_EQ(std::string(notice_lines().lines[0]), std::string(46, 'n'));
  EXPECT_STREQ(notice_lines().lines[1], "notice 11");
  notice_lines_push(std::string(60, 'm').c_str());
  EXPECT_EQ(std::string(notice_lines().lines[0]), std::string(47, 'm'));
}

TEST_F(CoreUtils, ViewRectAndItemFlag) {
  view_rect_set(0, 0, 800, 600);
  const SCENE_VIEW_RECT& r = scene_view_rect();
  EXPECT_EQ(r.x0, 0);
  EXPECT_EQ(r.y0, 0);
  EXPECT_EQ(r.x1, 800);
  EXPECT_EQ(r.y1, 600);

  EXPECT_FALSE(item_flag_check(1001));  // no table yet: no definition
  FakeItemDefs defs;
  defs.add({1001, ITEM_FLAG_MAILABLE});
  defs.add({1002, static_cast<uint8_t>(~ITEM_FLAG_MAILABLE)});
  EXPECT_TRUE(item_flag_check(1001));
  EXPECT_FALSE(item_flag_check(1002));
  EXPECT_FALSE(item_flag_check(1003));
}

// ---- registry, browser, boxes, logs -----------------------------------------------------------

TEST_F(CoreUtils, RegistryReadDefault) {
  char out[REGISTRY_VALUE_SIZE];
  EXPECT_EQ(registry_read_default(plat::Hive::ClassesRoot, "no\\such\\key", out), REGISTRY_NOT_FOUND);
  EXPECT_STREQ(out, "");
  ASSERT_EQ(registry_read_default(plat::Hive::ClassesRoot, ".htm", out), 0);
  EXPECT_STREQ(out, "htmlfile");
  hp().setRegistryValue(plat::Hive::ClassesRoot, "long", "", std::string(300, 'v'));
  EXPECT_EQ(registry_read_default(plat::Hive::ClassesRoot, "long", out), REGISTRY_MORE_DATA);
}

const char* kHostileUrl = "http://example.test/a b?q=\"x\";rm -rf ~&y=\x81\\\"z\\";

TEST_F(CoreUtils, OpenUrlPassesTheUrlAsOneArgument) {
  EXPECT_GT(open_url(kHostileUrl, plat::SW_SHOW), 32);
  ASSERT_EQ(hp().openedUrls().size(), 1u);
  EXPECT_EQ(hp().openedUrls()[0], kHostileUrl);
  EXPECT_TRUE(hp().execs().empty());
  EXPECT_EQ(open_web_page("http://example.test/"), 1);
}

TEST_F(CoreUtils, OpenUrlFallbackRunsTheRegistryCommand) {
  struct Case {
    std::string command;
    std::vector<std::string> expected;
  } cases[] = {
      {"xdg-open \"%1\"", {"xdg-open", kHostileUrl}},
      {"browser --new-tab %1", {"browser", "--new-tab", kHostileUrl}},
      {"\"my browser\" -x", {"my browser", "-x", kHostileUrl}},
  };
  for (const auto& c : cases) {
    hp().execs().clear();
    hp().setShellResult(2, 33);
    hp().setRegistryValue(plat::Hive::ClassesRoot, ".htm", "", "testhtml");
    hp().setRegistryValue(plat::Hive::ClassesRoot, "testhtml\\shell\\open\\command", "", c.command);
    EXPECT_EQ(open_url(kHostileUrl, plat::SW_SHOW), 33) << c.command;
    ASSERT_EQ(hp().execs().size(), 1u) << c.command;
    EXPECT_EQ(hp().execs()[0], c.expected) << c.command;
  }
}

TEST_F(CoreUtils, OpenWebPageFailureAndHtmlPage) {
  hp().setShellResult(2, 2);
  EXPECT_EQ(open_web_page("http://example.test/"), 0);

  hp().setShellResult(42, 33);
  hp().execs().clear();
  open_html_page(kHostileUrl);
  ASSERT_EQ(hp().execs().size(), 1u);
  std::vector<std::string> expected{"xdg-open", kHostileUrl};
  EXPECT_EQ(hp().execs()[0], expected);
}

TEST_F(CoreUtils, SpewMessageBoxResults) {
  struct Case {
    int type;
    int result;
  } cases[] = {{plat::SPEW_ASSERT, 0}, {plat::SPEW_ERROR, 2}, {plat::SPEW_MESSAGE, 1}, {plat::SPEW_WARNING, 1}};
  for (const auto& c : cases) {
    hp().boxes().clear();
    EXPECT_EQ(spew_message_box(c.type, "broken"), c.result) << c.type;
    ASSERT_EQ(hp().boxes().size(), 1u);
    EXPECT_EQ(hp().boxes()[0].caption, "Error");
    EXPECT_EQ(hp().boxes()[0].text, "broken");
    EXPECT_EQ(hp().boxes()[0].style, plat::MB_ICONHAND);
  }
}

TEST_F(CoreUtils, ExceptionLogLines) {
  ASSERT_EQ(system_module_init(), 0);
  exception_log("game", 12);
  exception_log_msg("msg.cpp", 345, 0x1a0005, -7);
  system_module_free();
  system_module_reset();
  const std::string log = dir.read("error.txt");
  EXPECT_NE(log.find("Except code : game 12\r\n"), std::string::npos);
  EXPECT_NE(log.find("Except code : msg.cpp 345,MSG: 1a0005,-7\r\n"), std::string::npos);
  const auto& debug = hp().debugLines();
  EXPECT_NE(std::find(debug.begin(), debug.end(), "Except code : game 12"), debug.end());
}

}  // namespace

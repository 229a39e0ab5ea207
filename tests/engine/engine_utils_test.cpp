// The engine utilities: the edge cases of paths, flags, bytes and lines, double-byte cutting,
// the path normaliser on the resolver's drive model, and the folder routines in the game folder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/util/util.h"
#include "plat/crt.h"
#include "tests/support/headless_fixture.h"

namespace {

using EngineUtils = veldra_test::HeadlessTest;

// "中" and "文" in code page 936; 0x5C is a trail byte of the second (a back slash byte).
const std::string ZHONG = "\xD6\xD0";
const std::string TRAIL_5C = "\x95\x5C";

TEST_F(EngineUtils, PathTextEdgeCases) {
  struct Case {
    std::string got, want;
  };
  const Case cases[] = {
      {path_join("", "a", ".txt"), "a.txt"},
      {path_join("c:\\", "a", ".txt"), "c:\\a.txt"},
      {path_join("c:\\x", "a", ""), "c:\\x\\a"},
      {path_join("c:/x/", "a", ""), "c:/x/a"},
      {path_join(TRAIL_5C, "a", ""), TRAIL_5C + "\\a"},  // a trail 0x5C is no separator
      {path_change_ext("a.b.c", ".d"), "a.b.d"},
      {path_change_ext("a.b.c", "d"), "a.b.d"},
      {path_change_ext("abc", "d"), "abc.d"},
      {path_get_dir("x"), ""},
      {path_get_dir("\\x"), ""},
      {path_get_dir("a/b/c"), "a/b"},
      {path_get_dir("a\\b/c"), "a\\b"},
      {path_get_dir("d\\" + TRAIL_5C), "d"},
      {path_get_name("a/b\\c.txt"), "c.txt"},
      {path_get_name("c.txt"), "c.txt"},
      {path_strip_ext("a\\b.txt"), "a\\b"},
      {path_strip_ext(".."), ".."},
      {path_get_ext("a\\b.txt"), ".txt"},
      {path_get_ext("abc"), ""},
      {path_get_ext(".."), ""},
      {path_to_forward_slashes("a\\b\\" + TRAIL_5C), "a/b/" + TRAIL_5C},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cases[i].got, cases[i].want);
  }
}

TEST_F(EngineUtils, NormaliseOnTheResolversDriveModel) {
  struct Case {
    const char* in;
    const char* want;
  };
  const Case cases[] = {
      {"data\\a.txt", "C:\\DATA\\A.TXT"},  // relative: the current folder is the root
      {"\\data", "C:\\DATA"},              // the current drive's letter
      {"d:data", "D:\\DATA"},              // that drive's current folder (its root)
      {"d:.", "D:"},                       // a rest beginning with "." adds nothing
      {"c:\\x\\y", "C:\\X\\Y"},            // taken as it stands
      {"c:\\", "C:"},                      // alone, the back slash goes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(path_normalise(c.in), c.want);
  }
}

TEST_F(EngineUtils, DoubleByteCutsNeverSplitACharacter) {
  const std::string text = "ab" + ZHONG + "c" + ZHONG;  // 7 bytes: a b [2] c [2]
  struct Fit {
    int start, count, want;
  };
  const Fit fits[] = {
      {0, 3, 2},   // the character at 2 would end at 4
      {0, 4, 4},
      {0, 100, 7},
      {2, 1, 2},   // covers nothing rather than half a character
      {2, 3, 5},
      {6, 1, 7},   // a lead byte at the very end counts as one byte
      {7, 1, -1},
      {9, 1, -1},
  };
  for (const Fit& f : fits) {
    SCOPED_TRACE(std::to_string(f.start) + "," + std::to_string(f.count));
    EXPECT_EQ(str_mbcs_fit(text, f.start, f.count), f.want);
  }
  struct Tail {
    int count, want;
  };
  const Tail tails[] = {{1, 5}, {2, 5}, {3, 4}, {4, 2}, {7, 0}, {8, 0}};
  for (const Tail& t : tails) {
    SCOPED_TRACE(t.count);
    EXPECT_EQ(str_mbcs_tail_start(text, t.count), t.want);
  }

  char cut[16];
  std::strcpy(cut, ("a" + ZHONG).c_str());
  str_cut_last_char(cut);
  EXPECT_STREQ(cut, "a");
  str_cut_last_char(cut);
  EXPECT_STREQ(cut, "");

  std::string mixed = "ab" + std::string("\xC1\x61") + "Z";  // 0x61 'a' as a trail byte
  char buf[16];
  std::strcpy(buf, mixed.c_str());
  str_upper(buf);
  EXPECT_EQ(std::string(buf), "AB\xC1\x61Z");
  str_lower(buf);
  EXPECT_EQ(std::string(buf), "ab\xC1\x61z");
}

TEST_F(EngineUtils, FlagsSumsAndBytes) {
  uint32_t flags = 0x3;
  EXPECT_EQ(flag_op(&flags, 0x6, 6), 0);
  EXPECT_EQ(flags, 0x1u);
  EXPECT_EQ(flag_toggle(&flags, 0x6), 0);
  EXPECT_EQ(flags, 0x7u);
  EXPECT_EQ(flag_op(&flags, 0x4, 1), 1);
  EXPECT_EQ(flag_op(&flags, 0x8, 1), 0);
  flag_op(&flags, 0x2, 5);
  EXPECT_EQ(flags, 0x5u);
  flag_op(&flags, 0x8, 2);
  flag_op(&flags, 0x10, 4);
  flag_op(&flags, 0x1, 3);
  flag_op(&flags, 0x1, 9);
  EXPECT_EQ(flags, 0x1Du);

  // Five bytes: the second word has one byte, the three after it count as 0.
  const uint8_t five[8] = {1, 0, 0, 0, 2, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(sum_words(five, 5), 3u);
  EXPECT_EQ(sum_words(five, 8), 0xEEEEEE03u);
  const uint8_t bytes[3] = {0xF0, 0x20, 0x01};
  EXPECT_EQ(sum_bytes(bytes, 3), 0x11);

  uint8_t buf[7] = {};
  size_t w = 0, r = 0;
  EXPECT_EQ(put_u8(buf, 0xAB, &w), 0);
  EXPECT_EQ(put_u16(buf, 0x1234, &w), 0);
  EXPECT_EQ(put_u32(buf, 0xDEADBEEF, &w), 0);
  EXPECT_EQ(w, 7u);
  EXPECT_EQ(put_u8(buf, 1, &w), -1);  // full: nothing written, cursor kept
  EXPECT_EQ(w, 7u);
  EXPECT_EQ(buf[1], 0x34);
  uint8_t b8 = 0;
  uint16_t b16 = 0;
  uint32_t b32 = 0;
  EXPECT_EQ(get_u8(buf, &r, &b8), 0);
  EXPECT_EQ(get_u16(buf, &r, &b16), 0);
  EXPECT_EQ(r, 3u);
  EXPECT_EQ(get_u32(buf, &r, &b32), 0);
  EXPECT_EQ(b8, 0xAB);
  EXPECT_EQ(b16, 0x1234);
  EXPECT_EQ(b32, 0xDEADBEEFu);
  EXPECT_EQ(get_u16(buf, &r, &b16), -1);
}

TEST_F(EngineUtils, LinesAndTokens) {
  const char buffer[] = "ab\r\ncd";
  const int length = 6;
  char out[8];
  int cursor = 0;
  EXPECT_EQ(buf_read_line(buffer, &cursor, length, out, 7), 0);
  EXPECT_STREQ(out, "ab");
  EXPECT_EQ(cursor, 4);
  EXPECT_EQ(buf_read_line(buffer, &cursor, length, out, 7), 0);
  EXPECT_STREQ(out, "");  // no CR after cd
  EXPECT_EQ(cursor, length);
  EXPECT_EQ(buf_read_line(buffer, &cursor, length, out, 7), -2);

  const char longLine[] = "abcdefgh\rx\r";
  cursor = 0;
  EXPECT_EQ(buf_read_line(longLine, &cursor, 11, out, 3), 0);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(cursor, 9);

  const char text[] = "key = value,next";
  char token[6];
  int index = 0;
  EXPECT_EQ(buf_read_token(token, 5, text, &index, " =,", 3), 3);
  EXPECT_STREQ(token, "key");
  EXPECT_EQ(index, 3);
  EXPECT_EQ(buf_skip_delimiters(text, &index, " =,", 3), 'v');
  EXPECT_EQ(index, 6);
  EXPECT_EQ(buf_read_token(token, 3, text, &index, " =,", 3), 3);  // out fills at 3
  EXPECT_STREQ(token, "val");
  EXPECT_EQ(index, 9);
  EXPECT_EQ(buf_read_token(token, 5, text, &index, " =,", 3), 2);
  EXPECT_STREQ(token, "ue");
  buf_skip_delimiters(text, &index, " =,", 3);
  EXPECT_EQ(buf_read_token(token, 5, text, &index, " =,", 3), 4);
  EXPECT_STREQ(token, "next");
  EXPECT_EQ(buf_skip_delimiters(text, &index, " =,", 3), '\0');
}

TEST_F(EngineUtils, MathFuncs) {
  float zero[3] = {0, 0, 0};
  EXPECT_EQ(MATH_FUNCS.normalise_length(zero), 0.0f);
  EXPECT_EQ(zero[0], 0.0f);
  EXPECT_EQ(zero[2], 0.0f);
  float v[3] = {3, 0, 4};
  EXPECT_FLOAT_EQ(MATH_FUNCS.normalise_length(v), 5.0f);
  EXPECT_NEAR(v[0], 0.6f, 1e-6);
  EXPECT_NEAR(v[2], 0.8f, 1e-6);
  const float small[3] = {0.1f, 0.1f, 0.1f};
  const float big[3] = {2, 0, 0};
  EXPECT_EQ(MATH_FUNCS.inv_length_sq(small), 1.0f);
  EXPECT_FLOAT_EQ(MATH_FUNCS.inv_length_sq(big), 0.25f);
  EXPECT_FLOAT_EQ(MATH_FUNCS.sqrt(16.0f), 4.0f);
  EXPECT_FLOAT_EQ(MATH_FUNCS.inv_sqrt(4.0f), 0.5f);
  EXPECT_FLOAT_EQ(MATH_FUNCS.inv_sqrt_again(4.0f), 0.5f);
  float s = 0, c = 0;
  MATH_FUNCS.sin_cos(0.0f, &s, &c);
  EXPECT_EQ(s, 0.0f);
  EXPECT_EQ(c, 1.0f);
  EXPECT_FLOAT_EQ(MATH_FUNCS.cos(static_cast<float>(M_PI)), -1.0f);
}

TEST_F(EngineUtils, FoldersAndFilesInTheGameFolder) {
  EXPECT_EQ(dir_create_path("data\\sub/deep"), 0);
  EXPECT_TRUE(dir.exists("data/sub/deep"));
  EXPECT_EQ(dir_create_path("data\\sub"), -2);  // already there
  EXPECT_EQ(path_is_dir("data\\sub"), 1);
  EXPECT_EQ(path_is_dir("C:\\data"), 1);
  EXPECT_EQ(path_is_dir("\\"), 1);
  EXPECT_EQ(path_is_dir("missing"), 0);

  dir.write("data/file.txt", "x");
  EXPECT_EQ(util_file_exists("data\\file.txt"), 1);
  EXPECT_EQ(util_file_exists("data\\sub"), 0);  // regular files only
  EXPECT_EQ(util_file_exists("data\\none.txt"), 0);
  EXPECT_EQ(path_is_dir("data\\file.txt"), 0);

  // Deepest first; "data" keeps its file, so the last removal fails.
  EXPECT_EQ(dir_remove_path("data\\sub\\deep"), -2);
  EXPECT_FALSE(dir.exists("data/sub"));
  EXPECT_TRUE(dir.exists("data/file.txt"));
  EXPECT_EQ(dir_create_path("x/y"), 0);
  EXPECT_EQ(dir_remove_path("x/y"), 0);
  EXPECT_FALSE(dir.exists("x"));
}

TEST_F(EngineUtils, TimeTextAndSeed) {
  hp().fakeClock().setWallTime(1767225600);  // 2026-01-01 00:00 UTC, a Thursday
  EXPECT_EQ(time_text(), "Thu Jan  1 00:00:00 2026\n");
  rand_seed_clock();
  const int first = plat::crt_rand();
  plat::crt_srand(1767225600u);
  EXPECT_EQ(plat::crt_rand(), first);
}

}  // namespace

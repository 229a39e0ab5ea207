// The '#' code parser and the line breaker: one table of texts and their runs, and random texts
// checked against the layout's rules and a breaker that measures every piece again.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "engine/emote/text_layout.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"

namespace {

// The software measure (6 per unit below 129, 12 above, height 19) and a small picture table.
struct FakeMeasure : LayoutMeasure {
  std::map<std::string, std::pair<uint8_t, uint8_t>> pictures{{"047", {32, 32}}, {"005", {20, 10}}};
  TextSize measure_char(char16_t c) override { return {c < 129 ? 6 : 12, 19}; }
  void picture_size(const std::string& name, uint8_t* w, uint8_t* h) override {
    const auto it = pictures.find(name);
    *w = it == pictures.end() ? 0 : it->second.first;
    *h = it == pictures.end() ? 0 : it->second.second;
  }
};

std::string narrow(const std::u16string& s) {
  std::string out;
  for (const char16_t c : s) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

// "text@left,top colour flash underline Lline" or "#name@x,y Lline", joined by "; ".
std::string describe(const std::vector<TEXT_RUN>& runs) {
  std::string out;
  char buf[160];
  for (const TEXT_RUN& r : runs) {
    if (!out.empty()) out += "; ";
    if (r.kind == TEXT_RUN_EMOTE) {
      std::snprintf(buf, sizeof buf, "#%s@%d,%d L%d", r.picture_name.c_str(), r.picture_x, r.picture_y, r.line);
    } else {
      std::snprintf(buf, sizeof buf, "%s@%d,%d %04x %d%d L%d", narrow(r.text).c_str(), r.rect.left, r.rect.top,
                    r.colour, r.flash, r.underline, r.line);
    }
    out += buf;
  }
  return out;
}

class EmoteLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
    gfx16_init_colours();
    text_layout_reset_parser();
  }
  void TearDown() override { text_layout_reset_parser(); }

  TEXT_REQUEST lay(std::u16string text, plat::Rect r = {0, 0, 200, 100}) {
    TEXT_REQUEST req;
    req.text = std::move(text);
    req.requested = r;
    layout_text(layout, req, r.left, r.top, r.right, r.bottom, measure);
    return req;
  }

  TEXT_LAYOUT layout;
  FakeMeasure measure;
};

TEST_F(EmoteLayout, Codes) {
  struct Case {
    std::u16string text;
    std::string runs;
    plat::Rect rect{0, 0, 200, 100};
  };
  const Case cases[] = {
      {u"a##b", "a#b@0,0 ffff 00 L1"},
      {u"#1234", "#123@0,19 L1; 4@0,0 ffff 00 L1"},
      {u"#7x", "#007@0,19 L1; x@0,0 ffff 00 L1"},
      {u"#S#U#Rred#Nwhite", "red@0,0 f800 11 L1; white@18,0 ffff 00 L1"},
      {u"#rlow#gcase", "low@0,0 f800 00 L1; case@18,0 07e0 00 L1"},
      {u"#\u7D05r#\u9583s#\u4E00t", "r@0,0 f800 00 L1; s@6,0 f800 10 L1; t@12,0 f800 10 L1"},
      {u"#Qa#", "a@0,0 ffff 00 L1"},
      {u"#C00FF00ab", "ab@0,0 07e0 00 L1"},
      {u"#C00FFFFab", "ab@0,0 07ff 00 L1"},
      {u"#C00FF00", "", {0, 0, 200, 100}},
      {u"#C00FF0", "0@0,0 ffff 00 L1"},  // a short code: its last unit is text
      {u"x#C0F", "x@0,0 ffff 00 L1; F@6,0 ffff 00 L1"},
      {u"#C12G456", "G456@0,0 0002 00 L1"},
      {u"a#E#E#Eb", "a@0,0 ffff 00 L1; b@0,19 ffff 00 L2"},
      {u"#E#Ea", "a@0,0 ffff 00 L1"},
      {u"#Mtitle#M", "title@85,0 ffff 00 L1"},
      {u"#M#Mtitle#M", "title@85,0 ffff 00 L1"},
      {u"ab#Mtitle#Mcd", "ab@0,0 ffff 00 L1; title@85,19 ffff 00 L2; cd@0,38 ffff 00 L3"},
      {u"", ""},
      // Every run stands on the bottom of its line; the picture makes line 1 32 high.
      {u"a#47b#E#5", "a@0,13 ffff 00 L1; #047@6,0 L1; b@38,13 ffff 00 L1; #005@0,32 L2"},
      // A picture that does not fit the rest of the line starts the next one.
      {u"aaaaaaaaaaaaaaa#47", "aaaaaaaaaaaaaaa@0,0 ffff 00 L1; #047@0,19 L2", {0, 0, 100, 100}},
      // The word moves whole; a word longer than the line is cut where it overflows.
      {u"aaaaaaaaaa bbbbbbbbbb", "aaaaaaaaaa @0,0 ffff 00 L1; bbbbbbbbbb@0,19 ffff 00 L2", {0, 0, 100, 100}},
      {u"cccccccccccccccccccc", "cccccccccccccccc@0,0 ffff 00 L1; cccc@0,19 ffff 00 L2", {0, 0, 100, 100}},
      {u"12345678901234567890", "1234567890123456@0,0 ffff 00 L1; 7890@0,19 ffff 00 L2", {0, 0, 100, 100}},
      {u"ab #Rcdefghijklmnopq", "ab @0,0 ffff 00 L1; cdefghijklmnopq@0,19 f800 00 L2", {0, 0, 100, 100}},
      // Chinese breaks anywhere; the rectangle's place moves every run.
      {u"\u4E2D\u4E2D\u4E2D\u4E2D", "??@10,50 ffff 00 L1; ??@10,69 ffff 00 L2", {10, 50, 40, 120}},
  };
  for (const Case& k : cases) {
    const TEXT_REQUEST req = lay(k.text, k.rect);
    EXPECT_EQ(describe(layout.runs), k.runs) << narrow(k.text);
    if (k.text.empty()) {
      EXPECT_EQ(req.used.left, 1024);
      EXPECT_EQ(req.used.top, 768);
      EXPECT_EQ(req.used.right, 0);
      EXPECT_EQ(req.used.bottom, 0);
    }
  }
  // The bounding box of a two-line text.
  const TEXT_REQUEST two = lay(u"ab#Ecde", {5, 7, 200, 100});
  EXPECT_EQ(two.used.left, 5);
  EXPECT_EQ(two.used.top, 7);
  EXPECT_EQ(two.used.right, 5 + 18);
  EXPECT_EQ(two.used.bottom, 7 + 38);
  EXPECT_EQ(layout.line_heights.at(1), 19);
}

// An unclosed "#M" in one text does not centre a line of the next.
TEST_F(EmoteLayout, CentredModeStartsOffInEveryText) {
  lay(u"#Mtitle");
  lay(u"plain#Emore");
  EXPECT_EQ(describe(layout.runs), "plain@0,0 ffff 00 L1; more@0,19 ffff 00 L2");
}

// Widths that differ per character, so that a cut in the wrong place shows.
struct UnevenMeasure : FakeMeasure {
  TextSize measure_char(char16_t c) override {
    if (c == u'W') return {9, 19};
    return FakeMeasure::measure_char(c);
  }
  int32_t piece(std::u16string_view s) {
    int32_t w = 0;
    for (const char16_t c : s) w += measure_char(c).width;
    return w;
  }
};

bool letter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// The breaker as first written: every piece measured again from the line's start.
std::vector<std::pair<std::u16string, int>> reference_lines(const std::u16string& t, int32_t width, UnevenMeasure& m) {
  std::vector<std::pair<std::u16string, int>> out;
  size_t s = 0;
  int line = 1;
  while (s < t.size()) {
    size_t j = s;
    while (j < t.size() && m.piece(std::u16string_view(t).substr(s, j - s + 1)) <= width) ++j;
    if (j == t.size()) {
      out.emplace_back(t.substr(s), line);
      break;
    }
    size_t cut = j;
    if (letter(t[j])) {
      size_t w = j;
      while (w > s && letter(t[w - 1])) --w;
      if (w > s) cut = w;
    }
    if (cut == s) cut = s + 1;
    out.emplace_back(t.substr(s, cut - s), line++);
    s = cut;
  }
  return out;
}

TEST_F(EmoteLayout, Properties) {
  std::mt19937 rng(1234);
  const std::u16string pieces[] = {u"#R", u"#G", u"#N", u"#S", u"#U", u"#E", u"#C00FF00", u"#47", u"#5", u"#12",
                                   u"##", u"#", u" ", u"word", u"Wide", u"x", u"9", u"\u4E2D", u"\u6587",
                                   u"longerwordhere", u"#\u7DA0"};
  for (int round = 0; round < 300; ++round) {
    std::u16string text;
    const int n = static_cast<int>(rng() % 30);
    for (int i = 0; i < n; ++i) text += pieces[rng() % std::size(pieces)];
    const int32_t left = static_cast<int32_t>(rng() % 50), top = static_cast<int32_t>(rng() % 50);
    const plat::Rect r{left, top, left + 20 + static_cast<int32_t>(rng() % 300), top + 20 + static_cast<int32_t>(rng() % 300)};
    // The counted software widths lay out as the measure does.
    FakeMeasure counted;
    counted.software_widths = true;
    TEXT_REQUEST fast{text, r, {}, {}};
    layout_text(layout, fast, r.left, r.top, r.right, r.bottom, counted);
    const std::string fast_runs = describe(layout.runs);
    const TEXT_REQUEST req = lay(text, r);
    EXPECT_EQ(describe(layout.runs), fast_runs);
    std::map<int, int32_t> bottom, height;
    for (const TEXT_RUN& run : layout.runs) {
      const bool emote = run.kind == TEXT_RUN_EMOTE;
      const int32_t x0 = emote ? run.picture_x : run.rect.left;
      const int32_t x1 = emote ? run.picture_x + run.picture_width : run.rect.right;
      const int32_t y0 = emote ? run.picture_y : run.rect.top;
      const int32_t y1 = run.bottom();
      // Only a piece that starts its line may pass the right edge.
      EXPECT_TRUE(x1 <= r.right || x0 == r.left) << narrow(text);
      if (bottom.count(run.line)) {
        EXPECT_EQ(bottom[run.line], y1) << narrow(text);
      }
      bottom[run.line] = y1;
      height[run.line] = std::max(height[run.line], y1 - y0);
      EXPECT_TRUE(x0 >= req.used.left && y0 >= req.used.top && x1 <= req.used.right && y1 <= req.used.bottom);
    }
    // Lines stack down from the top: each line's bottom is the top plus the heights so far.
    int32_t sum = r.top;
    for (int line = 1; line <= 255; ++line) {
      if (!height.count(line)) continue;
      sum += height[line];
      EXPECT_EQ(bottom[line], sum) << narrow(text) << " line " << line;
    }
  }
  // Plain texts: the running width cuts exactly where measuring every piece again does.
  UnevenMeasure uneven;
  const std::u16string words[] = {u"W", u"WWide", u"a", u"ab", u" ", u"\u4E2D", u"x.y", u"supercalifragilistic"};
  for (int round = 0; round < 300; ++round) {
    std::u16string text;
    const int n = 1 + static_cast<int>(rng() % 20);
    for (int i = 0; i < n; ++i) text += words[rng() % std::size(words)];
    const int32_t width = 20 + static_cast<int32_t>(rng() % 150);
    TEXT_REQUEST req;
    req.text = text;
    layout_text(layout, req, 0, 0, width, 500, uneven);
    const auto expected = reference_lines(text, width, uneven);
    ASSERT_EQ(layout.runs.size(), expected.size()) << narrow(text) << " in " << width;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(narrow(layout.runs[i].text), narrow(expected[i].first)) << narrow(text) << " in " << width;
      EXPECT_EQ(layout.runs[i].line, expected[i].second);
      EXPECT_EQ(layout.runs[i].rect.width(), uneven.piece(expected[i].first));
    }
  }
}

}  // namespace

// The '#' code parser, the line breaker and the finish that stacks the lines.
#include "engine/emote/text_layout.h"

#include <algorithm>

#include "graphics/primitives/gfx16.h"

namespace {

// Process-wide, as the coded-text loop has always kept it.
struct ParserState {
  bool m_just_seen = false;
  uint32_t m_counter = 0;
  int32_t saved_x = 0;
  uint8_t previous_centred = 0;
};
ParserState parser;

bool is_ascii_letter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

int hex_value(char16_t c) {
  if (is_digit(c)) return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

void new_line(TEXT_LAYOUT& l) {
  ++l.line;
  l.x_offset = 0;
}

void grow_line(TEXT_LAYOUT& l, uint8_t line, uint8_t height) {
  l.heights[line] = std::max(l.heights[line], height);
  l.has_height[line] = true;
}

TextSize char_size(LayoutMeasure& m, char16_t c) {
  if (m.software_widths) return {c < 129 ? 6 : 12, 19};
  return m.measure_char(c);
}

void add_text_run(TEXT_LAYOUT& l, std::u16string_view piece, TextSize size) {
  TEXT_RUN run;
  run.kind = TEXT_RUN_TEXT;
  run.text.assign(piece);
  run.rect.left = l.rect.left + l.x_offset;
  run.rect.right = run.rect.left + size.width;
  run.rect.bottom = l.rect.bottom;
  run.rect.top = run.rect.bottom - size.height;
  run.colour = l.colour;
  run.flash = l.flash;
  run.underline = l.underline;
  run.line = l.line;
  grow_line(l, l.line, static_cast<uint8_t>(size.height));
  l.runs.push_back(std::move(run));
}

// One segment of plain text in the current state. The width of the piece on the line is kept
// as a running sum, which is what measuring the piece again would give.
void break_lines(TEXT_LAYOUT& l, std::u16string_view text, size_t start, size_t end, LayoutMeasure& m) {
  size_t line_start = start, i = start;
  int32_t width = 0, height = 0;
  const auto fits = [&](int64_t w) { return int64_t{l.rect.left} + l.x_offset + w <= l.rect.right; };
  while (i < end) {
    const TextSize c = char_size(m, text[i]);
    if (fits(int64_t{width} + c.width)) {
      width += c.width;
      height = std::max(height, c.height);
      ++i;
      continue;
    }
    size_t cut = i;
    if (is_ascii_letter(text[i])) {
      size_t word = i;
      while (word > line_start && is_ascii_letter(text[word - 1])) --word;
      // The word moves whole to the next line, unless it starts the line.
      if (word > line_start || l.x_offset > 0) cut = word;
    }
    if (cut == line_start && l.x_offset == 0) {
      // Not even one character fits an empty line: it goes there anyway, or the text never ends.
      cut = line_start + 1;
      width = c.width;
      height = c.height;
    } else {
      for (size_t k = cut; k < i; ++k) width -= char_size(m, text[k]).width;
    }
    if (cut > line_start) add_text_run(l, text.substr(line_start, cut - line_start), {width, height});
    new_line(l);
    line_start = i = cut;
    width = height = 0;
  }
  if (end > line_start) {
    add_text_run(l, text.substr(line_start, end - line_start), {width, height});
    l.x_offset += width;
  }
}

void place_picture(TEXT_LAYOUT& l, int32_t number, LayoutMeasure& m) {
  const char name[4] = {static_cast<char>('0' + number / 100 % 10), static_cast<char>('0' + number / 10 % 10),
                        static_cast<char>('0' + number % 10), 0};
  uint8_t w = 0, h = 0;
  m.picture_size(name, &w, &h);
  if (int64_t{l.rect.left} + l.x_offset + w > l.rect.right) new_line(l);
  TEXT_RUN run;
  run.kind = TEXT_RUN_EMOTE;
  run.size_flag = TEXT_RUN_EMOTE_SIZE_FLAG;
  run.picture_name = name;
  run.picture_x = l.rect.left + l.x_offset;
  run.picture_y = l.rect.bottom - h;
  run.picture_width = w;
  run.picture_height = h;
  run.colour = l.colour;
  run.flash = l.flash;
  run.underline = l.underline;
  run.line = l.line;
  grow_line(l, l.line, h);
  l.runs.push_back(std::move(run));
  l.x_offset += w;
}

uint16_t named_colour(char16_t c) {
  switch (c) {
    case u'R': case u'\u7D05': return gfx16_colours[GFX16_RED];
    case u'G': case u'\u7DA0': return gfx16_colours[GFX16_GREEN];
    case u'B': case u'\u85CD': return gfx16_colours[GFX16_BLUE];
    case u'Y': case u'\u78FA': return gfx16_colours[GFX16_YELLOW];
    case u'P': case u'\u7C89': return gfx16_colours[GFX16_MAGENTA];
    case u'W': case u'\u767D': return gfx16_colours[GFX16_WHITE];
    case u'K': case u'\u9ED1': return gfx16_colours[GFX16_BLACK];
    default: return 0;
  }
}

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// A two-character code (or a final '#'); *position is behind it.
void apply_code(TEXT_LAYOUT& l, std::u16string_view text, const ScanToken& t, size_t* position) {
  const char16_t c = upper(t.code);
  if (c != u'M') parser.m_just_seen = false;
  switch (c) {
    case u'R': case u'G': case u'B': case u'Y': case u'P': case u'W': case u'K':
    case u'\u7D05': case u'\u7DA0': case u'\u85CD': case u'\u78FA': case u'\u7C89': case u'\u767D': case u'\u9ED1':
      l.colour = named_colour(c);
      break;
    case u'N':
      l.colour = gfx16_colours[GFX16_WHITE];
      l.flash = 0;
      l.underline = 0;
      break;
    case u'S': case u'\u9583': l.flash = !l.flash; break;
    case u'U': l.underline = !l.underline; break;
    case u'E':
      if (l.x_offset != 0) new_line(l);
      l.x_offset = 0;
      break;
    case u'M':
      ++parser.m_counter;
      if (parser.m_just_seen && parser.m_counter % 2 == 0) {
        --parser.m_counter;
        break;
      }
      parser.m_just_seen = true;
      if (l.x_offset != 0) new_line(l);
      l.x_offset = 0;
      l.centred = !l.centred;
      break;
    case u'C':
      // "#C" and six more units; a shorter code leaves only its last unit, as text.
      if (text.size() - t.hash >= 8) {
        size_t advance = 0;
        l.colour = parse_hex_colour(text.substr(t.hash + 2, 6), &advance);
        *position = t.hash + 2 + advance;
      } else {
        *position = text.size() - 1;
      }
      break;
    default:
      break;  // dropped
  }
}

void centre_previous_line(TEXT_LAYOUT& l) {
  const int32_t shift = (l.rect.right - l.rect.left - parser.saved_x) / 2;
  const auto line = static_cast<uint8_t>(l.line - 1);
  for (TEXT_RUN& r : l.runs) {
    if (r.line != line) continue;
    if (r.kind == TEXT_RUN_EMOTE) {
      r.picture_x += shift;
    } else {
      r.rect.left += shift;
      r.rect.right += shift;
    }
  }
}

void coded_text(TEXT_LAYOUT& l, std::u16string_view text, LayoutMeasure& m) {
  parser.m_just_seen = false;
  parser.m_counter = 0;
  new_line(l);
  // Text up to the next code; "##" adds its '#' and the text goes on.
  std::u16string segment;
  const auto flush_segment = [&] {
    break_lines(l, segment, 0, segment.size(), m);
    segment.clear();
  };
  size_t position = 0;
  while (position < text.size()) {
    const size_t from = position;
    const ScanToken t = scan_code(text, &position);
    if (t.kind == SCAN_NONE) {
      segment.append(text.substr(from));
      break;
    }
    segment.append(text.substr(from, t.hash - from));
    if (t.kind == SCAN_CODE && t.code == u'#') {
      segment.push_back(u'#');
      parser.m_just_seen = false;
      continue;
    }
    flush_segment();
    parser.saved_x = l.x_offset;
    if (t.kind == SCAN_EMOTE) {
      place_picture(l, t.number, m);
    } else {
      apply_code(l, text, t, &position);
    }
    if (parser.previous_centred && !l.centred) centre_previous_line(l);
    parser.previous_centred = l.centred;
  }
  flush_segment();
}

void finish(TEXT_LAYOUT& l, TEXT_REQUEST& request) {
  // Prefix sums of the line heights: above[k] is the height of lines 1 .. k.
  std::array<int64_t, 256> above{};
  for (int k = 1; k <= 255; ++k) above[k] = above[k - 1] + l.heights[k];
  for (int k = 0; k <= 255; ++k) {
    if (l.has_height[k]) l.line_heights.emplace_hint(l.line_heights.end(), static_cast<uint8_t>(k), l.heights[k]);
  }
  const int64_t total = above[l.line];
  const int64_t lift = int64_t{l.rect.bottom} - l.rect.top - total;
  plat::Rect box{1024, 768, 0, 0};
  for (TEXT_RUN& r : l.runs) {
    const int64_t up = lift + (r.line <= l.line ? total - above[r.line] : 0);
    if (r.kind == TEXT_RUN_EMOTE) {
      r.picture_y = static_cast<int32_t>(r.picture_y - up);
      box.left = std::min(box.left, r.picture_x);
      box.top = std::min(box.top, r.picture_y);
      box.right = std::max(box.right, r.picture_x + r.picture_width);
      box.bottom = std::max(box.bottom, r.picture_y + r.picture_height);
    } else {
      r.rect.top = static_cast<int32_t>(r.rect.top - up);
      r.rect.bottom = static_cast<int32_t>(r.rect.bottom - up);
      box.left = std::min(box.left, r.rect.left);
      box.top = std::min(box.top, r.rect.top);
      box.right = std::max(box.right, r.rect.right);
      box.bottom = std::max(box.bottom, r.rect.bottom);
    }
  }
  request.used = box;
  request.layout = l.rect_copy;
}

}  // namespace

ScanToken scan_code(std::u16string_view text, size_t* position) {
  ScanToken t;
  const size_t hash = text.find(u'#', *position);
  if (hash == std::u16string_view::npos) {
    *position = 0;
    parser.m_just_seen = false;
    return t;
  }
  if (hash != *position) parser.m_just_seen = false;
  t.hash = hash;
  t.kind = SCAN_CODE;
  if (hash + 1 >= text.size()) {
    *position = text.size();
    return t;
  }
  const char16_t c = text[hash + 1];
  if (c < 128 && is_digit(c)) {
    size_t p = hash + 1;
    int32_t n = 0;
    while (p < text.size() && p < hash + 4 && text[p] < 127 && is_digit(text[p])) n = n * 10 + (text[p++] - u'0');
    t.kind = SCAN_EMOTE;
    t.number = n;
    *position = p;
    return t;
  }
  t.code = c;
  *position = hash + 2;
  return t;
}

uint16_t parse_hex_colour(std::u16string_view six, size_t* position) {
  uint32_t value = 0;
  int place = 0;
  for (size_t k = std::min<size_t>(six.size(), 6); k-- > 0;) {
    const int v = hex_value(six[k]);
    if (v < 0) {
      value = 0;
      place = 0;
      continue;
    }
    value |= static_cast<uint32_t>(v) << (4 * place);
    ++place;
  }
  *position += static_cast<size_t>(place);
  const uint32_t r = value >> 16 & 0xFF, g = value >> 8 & 0xFF, b = value & 0xFF;
  return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

void layout_text(TEXT_LAYOUT& l, TEXT_REQUEST& request, int32_t left, int32_t top, int32_t right, int32_t bottom,
                 LayoutMeasure& measure) {
  l.rect = {left, top, right, bottom};
  l.rect_copy = l.rect;
  l.colour = gfx16_colours[GFX16_WHITE];
  l.underline = l.flash = 0;
  l.line = 0;
  l.x_offset = 0;
  l.centred = 0;
  l.runs.clear();
  l.line_heights.clear();
  l.heights.fill(0);
  l.has_height.fill(false);
  l.text_buffer[0] = 0;
  // Each text starts uncentred, whatever the text before it left open.
  parser.previous_centred = 0;
  const std::u16string_view text = request.text;
  if (text.find(u'#') == std::u16string_view::npos) {
    new_line(l);
    break_lines(l, text, 0, text.size(), measure);
  } else {
    coded_text(l, text, measure);
  }
  finish(l, request);
}

void text_layout_reset_parser() { parser = ParserState{}; }

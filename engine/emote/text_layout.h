// '#'-coded text and its layout: the parser turns a UTF-16 text and a rectangle into positioned
// runs of text and emote pictures. Codes: "##" a '#'; '#' and 1 to 3 digits a picture ("%03d");
// R G B Y P W K colours (also 紅 綠 藍 磺 粉 白 黑); N white, flash and underline off; S (閃)
// and U switch flash and underline; E a line break; M a line break and centred mode switched;
// C and six hex digits a colour. Main thread only: the parser keeps process-wide state.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "plat/types.h"

enum TextRunKind : uint8_t { TEXT_RUN_TEXT = 0, TEXT_RUN_EMOTE = 1 };
constexpr uint16_t TEXT_RUN_EMOTE_SIZE_FLAG = 0xFFFF;
constexpr size_t EMOTE_TEXT_BUFFER_SIZE = 2048;

struct TEXT_RUN {
  uint8_t kind = TEXT_RUN_TEXT;
  uint16_t size_flag = 0;
  std::string picture_name;  // "%03d" of an emote run
  int32_t picture_x = 0, picture_y = 0;
  uint8_t picture_width = 0, picture_height = 0;
  std::u16string text;  // of a text run
  plat::Rect rect;      // of a text run
  uint16_t colour = 0;
  uint8_t flash = 0, underline = 0, line = 0;

  int32_t bottom() const { return kind == TEXT_RUN_EMOTE ? picture_y + picture_height : rect.bottom; }
};

// One queued text: its UTF-16 text, the rectangle asked for, the one the runs use and the one
// the layout ran in.
struct TEXT_REQUEST {
  std::u16string text;
  plat::Rect requested;
  plat::Rect used;
  plat::Rect layout;
};

// Shown and hidden milliseconds of the flash cycle.
struct FLASH_TIMER {
  uint32_t shown = 0, hidden = 0;
};

struct TEXT_LAYOUT {
  plat::Rect rect, rect_copy;
  uint16_t colour = 0;
  uint8_t underline = 0, flash = 0;
  uint8_t line = 0;  // the current line, from 1
  int32_t x_offset = 0;
  uint8_t centred = 0;
  std::vector<TEXT_RUN> runs;
  std::map<uint8_t, uint8_t> line_heights;  // filled by the finish from the array below
  std::array<uint8_t, 256> heights{};         // the same while the layout runs
  std::array<bool, 256> has_height{};
  std::array<char, EMOTE_TEXT_BUFFER_SIZE> text_buffer{};  // cleared, never read
  FLASH_TIMER flash_timer;
};

struct TextSize {
  int32_t width = 0, height = 0;
};

// What the layout needs from the back end and the picture surface. Widths add up: the width
// of a piece is the sum of its characters' widths.
struct LayoutMeasure {
  virtual ~LayoutMeasure() = default;
  // Set when every unit measures 6 (below 129) or 12 wide and 19 high: the breaker then counts
  // without calling measure_char.
  bool software_widths = false;
  virtual TextSize measure_char(char16_t c) = 0;
  // Width and height of the named picture, 0 x 0 when there is none.
  virtual void picture_size(const std::string& name, uint8_t* width, uint8_t* height) = 0;
};

enum ScanKind : uint8_t { SCAN_NONE = 0, SCAN_EMOTE = 1, SCAN_CODE = 2 };

struct ScanToken {
  ScanKind kind = SCAN_NONE;
  size_t hash = 0;      // where the '#' is
  char16_t code = 0;    // the character after '#' of a SCAN_CODE token (0 for a final '#')
  int32_t number = 0;   // the picture number of a SCAN_EMOTE token
};

// The next code at or after *position; *position moves behind it (to the end for a final '#').
// SCAN_NONE (position 0) when no '#' is left.
ScanToken scan_code(std::u16string_view text, size_t* position);
// The 16-bit colour of up to six characters read as RRGGBB; *position advances by the length
// of the leading run of hex digits.
uint16_t parse_hex_colour(std::u16string_view six, size_t* position);

// Lays the request's text out in the rectangle: the runs go to layout.runs, the bounding box
// (1024, 768, 0, 0 when empty) to request.used.
void layout_text(TEXT_LAYOUT& layout, TEXT_REQUEST& request, int32_t left, int32_t top, int32_t right,
                 int32_t bottom, LayoutMeasure& measure);

// The parser's process-wide state back to its start.
void text_layout_reset_parser();

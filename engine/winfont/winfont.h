// WINFONT engine module: text into 16-bit bitmaps. Glyphs come from the platform rasteriser as
// 1-bit rows, up to 99 of them are cached, and the module draws their pixels itself with 16
// text colours, 16 second colours (outline, shadow, opaque background), six font sizes and the
// inline tilde codes ("~C4%s~C0").
#pragma once
#include <cstdint>

struct BITMAP16;

constexpr int WINFONT_COLOURS = 16;
constexpr int WINFONT_SLOTS = 6;           // font sizes: cell (12 + 4n) x (12 + 4n)
constexpr int WINFONT_GLYPH_ENTRIES = 100;  // entry 0 is the head of the list
constexpr int WINFONT_GLYPH_ROWS = 32;

struct WINFONT_GLYPH_ENTRY {
  uint32_t cell_width;
  uint32_t cell_height;
  uint16_t character;  // 0: free
  int16_t next;        // index of the next node, 0 at the end of the list
};

struct WINFONT_STATE {
  uint16_t colours[WINFONT_COLOURS];
  uint16_t second_colours[WINFONT_COLOURS];  // entry 0 is also the opaque background
  int32_t colour_index;
  int32_t background_index;
  uint32_t glyph_rows[WINFONT_GLYPH_ENTRIES][WINFONT_GLYPH_ROWS];
  WINFONT_GLYPH_ENTRY directory[WINFONT_GLYPH_ENTRIES];
  int32_t font_slot;
  int32_t draw_mode;     // 0 solid, 1 blended by level, 2 glyph pixels not drawn
  int32_t level;         // 0..28; the blend uses level x 8 of 255
  int32_t outline_mode;  // 0 none, 1 outline, 2 shadow
  uint32_t face_kind;    // bit 2 the fixed-pitch Latin face, bits 1, 0, 3 the CJK faces
  uint32_t conversion;   // double-byte codes pass font_convert_gb with the GB face
  uint32_t weight;
  char face_name[64];
  uint8_t fonts_ready;   // the rasteriser opened its font at init
};

// ---- module hooks ---------------------------------------------------------------------------

// Builds the glyph tables and the colour table; 0 (also when no font could be opened: text
// then draws nothing, and error.txt names the font file that was tried).
int winfont_module_init();
void winfont_module_free();                 // does nothing
void winfont_module_notify(uint32_t active);  // does nothing

// ---- drawing --------------------------------------------------------------------------------

// Style 1: transparent text with the outline mode; any other style: opaque text on second
// colour 0, which becomes the style's high 16 bits. A null target applies the codes and draws
// nothing. Result: the x after the last glyph (the x reached when the text ends with a code).
int32_t font_draw_text(int32_t x, int32_t y, const char* text, uint32_t style, BITMAP16* target);

// The glyph rows of a character (lead x 256 + trail, or a byte x 256) in the current slot.
const uint32_t* font_glyph(uint16_t character);

// ---- services -------------------------------------------------------------------------------

uint16_t font_get_color();
void font_set_color(uint16_t colour);      // colour[0], index 0
void font_set_bg_color(uint16_t colour);   // second colour[0], background index 0
void font_set_table_color(int32_t index, uint16_t colour);
void font_set_outline_color(int32_t index, uint16_t colour);
int32_t font_char_width();                 // the current slot's cell width
void font_set_face_kind(uint32_t kind);
void font_set_weight(uint32_t weight);
void font_set_face_name(const char* name);
void font_set_conversion(uint32_t on);
// The conversion tables are ours to choose; none is needed with the one face the platform has,
// so both give the code unchanged.
uint16_t font_convert_big5(uint16_t code);
uint16_t font_convert_gb(uint16_t code);

// The state, for tests and the opaque callers that read it.
const WINFONT_STATE& winfont_state();
// Tests only: back to the state after construction (face kind 1, conversion 1, weight 700).
void winfont_reset();

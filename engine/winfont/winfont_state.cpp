// The WINFONT state, its init hook and the small services.
#include <cstring>
#include <string>

#include "core/reset/module_resets.h"
#include "engine/system/system.h"
#include "engine/winfont/winfont_internal.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "plat/glyphs.h"

namespace {

WINFONT_STATE g_state;

struct ColourPair {
  uint32_t text, second;
};
constexpr ColourPair kColourTable[WINFONT_COLOURS] = {
    {0xFFFFFF, 0x000000}, {0xFF0000, 0xFFFF00}, {0x00FF00, 0x0000FF}, {0x0000FF, 0xFFFFFF},
    {0xFFFF00, 0x0000FF}, {0x00FFFF, 0xFF00FF}, {0xFF00FF, 0x0000FF}, {0xFFFFFF, 0x000000},
    {0x000000, 0xFFFFFF}, {0x202020, 0xE0E0E0}, {0x404040, 0xE0E0E0}, {0x606060, 0xE0E0E0},
    {0x808080, 0xE0E0E0}, {0xA0A0A0, 0x202020}, {0xC0C0C0, 0x000000}, {0xE0E0E0, 0x202020},
};

void construct(WINFONT_STATE& s) {
  std::memset(&s, 0, sizeof s);
  s.face_kind = 1;
  s.conversion = 1;
  s.weight = 700;
}

struct Constructed {
  Constructed() { construct(g_state); }
} g_constructed;

bool valid_index(int32_t i) { return i >= 0 && i < WINFONT_COLOURS; }

}  // namespace

WINFONT_STATE& winfont_mutable_state() { return g_state; }
const WINFONT_STATE& winfont_state() { return g_state; }

void winfont_reset() { construct(g_state); }

int winfont_module_init() {
  WINFONT_STATE& s = g_state;
  std::memset(s.glyph_rows, 0, sizeof s.glyph_rows);
  std::memset(s.directory, 0, sizeof s.directory);
  s.fonts_ready = 0;
  // A missing font leaves the module without glyphs, as a failed font creation would; the
  // init still succeeds, but error.txt names the file so that the blank text has a cause.
  std::string tried;
  if (!plat::glyphs().open(&tried)) {
    sys_log_printf(1, "WINFONT font not found: %s", tried.c_str());
    return 0;
  }
  s.fonts_ready = 1;
  for (int i = 0; i < WINFONT_COLOURS; ++i) {
    s.colours[i] = pixel_ops.pack_rgb(kColourTable[i].text);
    s.second_colours[i] = pixel_ops.pack_rgb(kColourTable[i].second);
  }
  return 0;
}

void winfont_module_free() {}
void winfont_module_notify(uint32_t) {}

uint16_t font_get_color() { return g_state.colours[g_state.colour_index]; }

void font_set_color(uint16_t colour) {
  g_state.colours[0] = colour;
  g_state.colour_index = 0;
}

void font_set_bg_color(uint16_t colour) {
  g_state.second_colours[0] = colour;
  g_state.background_index = 0;
}

void font_set_table_color(int32_t index, uint16_t colour) {
  if (valid_index(index)) g_state.colours[index] = colour;
}

void font_set_outline_color(int32_t index, uint16_t colour) {
  if (valid_index(index)) g_state.second_colours[index] = colour;
}

int32_t font_char_width() { return winfont_cell(g_state.font_slot); }

void font_set_face_kind(uint32_t kind) { g_state.face_kind = kind; }
void font_set_weight(uint32_t weight) { g_state.weight = weight; }
void font_set_conversion(uint32_t on) { g_state.conversion = on; }

void font_set_face_name(const char* name) {
  if (!name) name = "";
  std::strncpy(g_state.face_name, name, sizeof g_state.face_name - 1);
  g_state.face_name[sizeof g_state.face_name - 1] = '\0';
}

uint16_t font_convert_big5(uint16_t code) { return code; }
uint16_t font_convert_gb(uint16_t code) { return code; }

static const ModuleReset k_reset("WINFONT", winfont_reset);

// The frame-command interpreter: one step of a media file's command played per call (an image
// drawn, a sound played or an external command obeyed), plus buttons made from commands and
// the map's one-shot effect animations.
#pragma once
#include <cstdint>

struct BITMAP16;

// Flags of mda_run_command.
enum MdaRunFlags : uint32_t {
  MDA_SCALED = 0x1,
  MDA_ADVANCE = 0x2,
  MDA_FIRST_STEP = 0x4,
  MDA_LAST_STEP = 0x8,
  MDA_LOOP = 0x10,
  MDA_FADED = 0x20,
  MDA_ADDITIVE = 0x40,
  MDA_EXPLICIT_STEP = 0x80,
  MDA_PAL_REPLACE = 0x100,
  MDA_PAL_OR = 0x200,
  MDA_PAL_AND = 0x400,
  MDA_PAL_PERCENT = 0x800,
  MDA_PAL_GROW = 0x1000,
  MDA_PAL_GREY = 0x2000,
};
constexpr uint32_t MDA_PALETTE_FLAGS = 0x3F00;

// The external-command state that frames set and the battle reads and clears.
struct MDA_EXTERNAL_FLAGS {
  int32_t attack;        // 1 when set
  int32_t attack_value;
  int32_t front;         // 1 when set
  int32_t magic;         // 1 when set
};
extern MDA_EXTERNAL_FLAGS mda_external_flags;
// Set by a "goto n" external command during a call; -1 none.
extern int32_t mda_goto_step;
// 768 bytes the palette flags take their operands from (percentages for 0x800 and 0x1000).
extern const uint8_t* mda_palette_table;

constexpr int MDA_BUTTON_NAME_SIZE = 32;
struct MDA_BUTTON {
  int32_t command;
  int32_t left, top, right, bottom;
  int32_t user_value;
  char name[MDA_BUTTON_NAME_SIZE];
};

// Plays one step of the named command at (x, y) into target. 0 for a handle of -1, an unknown
// handle or an error (the last two kinds with a message); else 2 when step 0 played, 1 for
// another step, 3 at the end of the command (or an explicit step past it, which plays nothing).
int32_t mda_run_command(int32_t handle, const char* command, int32_t x, int32_t y, BITMAP16* target, uint32_t flags,
                        int32_t percent, int32_t level, int32_t step);
// Sets MDA_EXTERNAL_FLAGS or the goto step from a one-line command ("attack 120", "goto 0",
// "front", "magic"); anything else shows "Unreadable MDA external command(%s)".
void mda_parse_external_command(const char* text);
// A button from "MainCommand<n>": 0, or -2 for an unknown handle or a command that drew nothing.
int32_t mda_init_button(int32_t handle, int32_t n, MDA_BUTTON* out, const char* name, int32_t user_value);
// Plays and ages the map effect list once a frame.
void mda_draw_effects();

// Tests: flags cleared (attack value 100), no goto step, no palette table.
void mda_interpreter_reset();

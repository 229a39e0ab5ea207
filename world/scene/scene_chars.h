// The map scene's character table and what the rest of the client asks of it: add, find, move,
// remove and clear characters, the zoom level and the in-scene word. The looks, frame tracks and
// drawing come with the scene itself; until then adding a character loads no look.
#pragma once
#include <cstdint>
#include <vector>

#include "plat/bytes.h"

struct BITMAP16;

// 0 to 14; each level shows 16 by 12 pixels less of the 800 x 600 scene, centred.
extern int32_t scene_zoom_level;
// Non-zero while the player is in a scene (set and cleared by the scene entry and leave).
extern int32_t scene_in_scene;
// The player's character id as the last scene entry gave it.
extern uint32_t scene_player_id;
// Set by whoever must keep the map (or its drawing) as it is across a scene entry; 0 in play.
extern int32_t scene_map_hold;
extern int32_t scene_draw_hold;

constexpr int32_t SCENE_CHAR_RECORD_SIZE = 84;
constexpr int32_t SCENE_CHAR_NAME_SIZE = 21;
constexpr int32_t SCENE_CHAR_RECORD_TITLE_SIZE = 27;  // the record's field
constexpr int32_t SCENE_CHAR_TITLE_SIZE = 28;         // 27 characters and a NUL
constexpr int32_t SCENE_CHAR_NICKNAME_SIZE = 16;  // 15 characters and a NUL

// A character placed by the server stands still this long before it may idle.
constexpr uint32_t SCENE_IDLE_DELAY_MS = 15000;

// Status bits of the flags word; the writers and the drawing agree on these.
enum SCENE_CHAR_FLAG : uint32_t {
  SCENE_FLAG_PARTY_LEADER = 0x01,
  SCENE_FLAG_IN_BATTLE = 0x02,
  SCENE_FLAG_LEVEL_UP = 0x04,
  SCENE_FLAG_PARTY_MEMBER = 0x08,
  SCENE_FLAG_RESTORED = 0x10,
  SCENE_FLAG_STALL = 0x20,
  SCENE_FLAG_TINT_1 = 0x40,
  SCENE_FLAG_TINT_2 = 0x80,
};

// The server's character record.
struct SCENE_CHAR_RECORD {
  uint32_t id;
  char name[SCENE_CHAR_NAME_SIZE];
  char title[SCENE_CHAR_RECORD_TITLE_SIZE];
  int32_t look;
  uint8_t byte_56, byte_57;
  uint16_t x, y;
  uint16_t target_x, target_y;
  uint8_t walking;
  uint8_t posture;  // signed on the wire
  uint8_t direction, mode;
  uint32_t status;  // the flags word
  uint8_t class_byte;
  int32_t icon;
};

constexpr plat::FieldSpec SCENE_CHAR_RECORD_FIELDS[] = {
    {"id", 0, 4},         {"name", 4, 21},      {"title", 25, 27},   {"look", 52, 4},
    {"byte 56", 56, 1},   {"byte 57", 57, 1},   {"x", 58, 2},        {"y", 60, 2},
    {"target x", 62, 2},  {"target y", 64, 2},  {"walking", 66, 1},  {"posture", 67, 1},
    {"direction", 68, 1}, {"mode", 69, 1},      {"pad 70", 70, 2},   {"status", 72, 4},
    {"class", 76, 1},     {"pad 77", 77, 3},    {"icon", 80, 4},
};
static_assert(plat::checkLayout(SCENE_CHAR_RECORD_FIELDS, SCENE_CHAR_RECORD_SIZE));
constexpr auto SCENE_CHAR_RECORD_WALK = [](auto& r, auto& v) {
  v.u32(r.id);
  v.bytes(r.name, SCENE_CHAR_NAME_SIZE);
  v.bytes(r.title, SCENE_CHAR_RECORD_TITLE_SIZE);
  v.i32(r.look);
  v.u8(r.byte_56);
  v.u8(r.byte_57);
  v.u16(r.x);
  v.u16(r.y);
  v.u16(r.target_x);
  v.u16(r.target_y);
  v.u8(r.walking);
  v.u8(r.posture);
  v.u8(r.direction);
  v.u8(r.mode);
  v.zeros(2);
  v.u32(r.status);
  v.u8(r.class_byte);
  v.zeros(3);
  v.i32(r.icon);
};
static_assert(plat::walkMatchesLayout<SCENE_CHAR_RECORD>(SCENE_CHAR_RECORD_FIELDS, SCENE_CHAR_RECORD_WALK));

// A position message's record: id, walk target and walking state, 3 bytes not read.
constexpr int32_t SCENE_POSITION_RECORD_SIZE = 12;
struct SCENE_POSITION_RECORD {
  uint32_t id;
  uint16_t target_x, target_y;
  uint8_t walking;
};

// One character of the scene. Never keep a pointer into the table across a nested frame loop.
struct SCENE_CHAR {
  uint32_t id;
  char name[SCENE_CHAR_NAME_SIZE];
  char title[SCENE_CHAR_TITLE_SIZE];
  uint16_t x, y;
  uint16_t target_x, target_y;
  uint8_t walking;
  uint32_t time_stamp;  // next idle time
  int8_t posture;
  uint32_t flags;  // SCENE_FLAG_*
  char nickname[SCENE_CHAR_NICKNAME_SIZE];
  uint8_t status;
};

extern std::vector<SCENE_CHAR> scene_chars;

// The index of the scene character with that id, or -2.
int32_t scene_find_char(uint32_t id);
// Adds a character from the server's record (names NUL-terminated in their fields): its index,
// or -2 when the id is already present.
int32_t scene_add_char(const SCENE_CHAR_RECORD& record);
void scene_remove_char(uint32_t id);
// Empties the table (start-up, the account input, a scene entry).
void scene_clear_chars();
// The walk target and walking state of the character with the record's id.
void scene_update_char_position(const SCENE_POSITION_RECORD& record);
// Nothing for an index outside the table.
void scene_set_char_posture(int32_t index, int8_t posture);
void scene_load_char_display(int32_t index);

// Loads the current map, its music, title and weather (a stand-in that records its calls).
void map_change();
// Draws the scene into the bitmap (until the scene draws: a dark fill with the map and character names).
void scene_draw_frame(BITMAP16* target);


// The map record of the scene entry (0x30100) and the map state kept from it for the game login
// and the in-game title.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "plat/bytes.h"

constexpr int32_t SCENE_MAP_RECORD_SIZE = 172;
constexpr int32_t SCENE_MAP_RECORD_NAME_SIZE = 16;
constexpr int32_t MAP_DISPLAY_NAME_SIZE = 13;  // 12 characters and a NUL
constexpr int32_t MAP_FILE_NAME_SIZE = 17;

// The scene entry payload as it arrives.
struct SCENE_MAP_RECORD {
  char name[SCENE_MAP_RECORD_NAME_SIZE];  // display name, NUL-terminated within 16 bytes when sound
  int32_t map_number;
  int32_t music_number;
  int32_t music_value;
  int32_t music2_number;
  int32_t music2_value;
  int32_t music3_number;
  int32_t word_40;  // not read
  int32_t values[4];        // 44..59
  int32_t block_60[7];      // 60..87: the weather word first
  int32_t block_88[21];     // 88..171: the player's 84-byte character record
};

constexpr plat::FieldSpec SCENE_MAP_RECORD_FIELDS[] = {
    {"name", 0, 16},          {"map number", 16, 4},    {"music number", 20, 4},
    {"music value", 24, 4},   {"music 2 number", 28, 4}, {"music 2 value", 32, 4},
    {"music 3 number", 36, 4}, {"word 40", 40, 4},       {"values", 44, 16},
    {"block 60", 60, 28},     {"character", 88, 84},
};
static_assert(plat::checkLayout(SCENE_MAP_RECORD_FIELDS, SCENE_MAP_RECORD_SIZE));
constexpr auto SCENE_MAP_RECORD_WALK = [](auto& r, auto& v) {
  v.bytes(r.name, SCENE_MAP_RECORD_NAME_SIZE);
  v.i32(r.map_number);
  v.i32(r.music_number);
  v.i32(r.music_value);
  v.i32(r.music2_number);
  v.i32(r.music2_value);
  v.i32(r.music3_number);
  v.i32(r.word_40);
  v.i32s(r.values, 4);
  v.i32s(r.block_60, 7);
  v.i32s(r.block_88, 21);
};
static_assert(plat::walkMatchesLayout<SCENE_MAP_RECORD>(SCENE_MAP_RECORD_FIELDS, SCENE_MAP_RECORD_WALK));

struct MAP_STATE {
  uint32_t scene_start_time;  // frame time of the last scene entry
  uint8_t scene_loaded;       // the map file is loaded
  int32_t session_word;
  char display_name[MAP_DISPLAY_NAME_SIZE];
  char map_file[MAP_FILE_NAME_SIZE];
  char music_files[3][MAP_FILE_NAME_SIZE];
  int32_t music_values[3];
  int32_t values[4];
  int32_t block_60[7];
  int32_t block_88[21];  // the character id first, its name from byte 4
};
extern MAP_STATE map_state;
// The NPC table entries (indexes) that stand on the current map, rebuilt by each scene entry.
extern std::vector<int32_t> map_npcs;

// Keeps the scene entry's names, numbers and blocks: "MAP%03d.MAP", "MUS%03d.MP3" and twice
// "MUS%03d.mp3" in their 17-byte fields (a number whose name does not fit gives an empty name,
// whose load then fails with the normal message); the first music value as received, the
// second clamped at 0 and kept for the third too.
void map_record_store(const SCENE_MAP_RECORD& record);

// The own character's id and name as the last scene entry's record gave them (record offsets 88
// and 92); the name ends at its NUL or at its 21-byte field.
constexpr int32_t MAP_CHAR_NAME_OFFSET = 4;  // within block_88
constexpr int32_t MAP_CHAR_NAME_SIZE = 21;
uint32_t map_state_char_id();
std::string map_state_char_name();

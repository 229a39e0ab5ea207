// The res tables: five typed tables of game data under res/ that the client reads once at
// start-up and keeps for the whole run (chat words, skills, help pages, quests, NPCs).
//
// File layout (little-endian): u32 data offset at 256, u32 record count R at 260, u32 field count F
// at 264, F u32 type codes at 568, F 20-byte field names after them, R records at the data offset,
// each its F fields back to back. Type code = bits * 100 + kind: kinds 1 and 2 are integers of 1, 2,
// 8 or 4 bytes (8, 16, 64 or any other bits), kind 3 a float of 8 bytes (64 bits) or 4, kind 4 a
// text of exactly bits bytes; any other kind has no bytes.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plat {
class ByteReader;
}

constexpr size_t RES_TEXT_MAX = 4096;  // the widest text field a table may have

// One field as read: integers and floats as their raw little-endian bits, zero-extended; texts as
// text_length bytes (only those are meaningful; they are followed by a NUL).
struct RES_FIELD {
  uint64_t value = 0;
  uint32_t text_length = 0;
  char text[RES_TEXT_MAX + 1];
};

enum : int {
  RES_FIELD_OK = 0,
  RES_FIELD_SHORT = -1,      // the data ended inside the field; nothing consumed
  RES_FIELD_TOO_WIDE = -2,   // a text wider than RES_TEXT_MAX; nothing consumed
};

// Bytes a field of this type code takes in a record.
uint64_t res_field_width(uint32_t type_code);
// Resets the scratch field (value 0, text empty), then reads one field of the code's width.
int res_read_field(uint32_t type_code, plat::ByteReader& reader, RES_FIELD& scratch);

// ---- the in-memory tables ---------------------------------------------------------------------
// Entries are zero-filled; texts are cut to their size with no NUL when they fill it.

constexpr size_t RES_CHAT_WORD_SIZE = 20;
constexpr int32_t RES_CHAT_MIN_WORDS = 380;  // fewer fails the start-up

struct RES_SKILL_ENTRY {       // res/skill.res, 304 bytes
  uint32_t skill_id;           // field 0
  uint32_t level;              // field 1
  uint32_t field3;
  uint32_t field4;
  char name[32];               // field 2
  char description[256];       // field 5, at most 255 bytes copied
};
static_assert(sizeof(RES_SKILL_ENTRY) == 304);

struct RES_HELP_ENTRY {        // res/help.res, 2088 bytes
  uint32_t id;                 // field 0
  uint32_t parent_id;          // field 1: 0 for a top-level page
  char title[32];              // field 2
  char body[2048];             // field 3
};
static_assert(sizeof(RES_HELP_ENTRY) == 2088);

struct RES_QUEST_ENTRY {       // res/task_mission.res, 480 bytes
  uint32_t first_id;           // field 0: lowest quest id of the range
  uint32_t last_id;            // field 1: highest quest id of the range
  char name[64];               // field 2
  uint8_t level;               // field 3, its low byte
  char text[300];              // field 4
  char text2[64];              // field 5 (field 6 is dropped)
  uint8_t pad[3];
  uint32_t type;               // field 7
  uint32_t values[8];          // fields 8..15
  uint32_t field16;
};
static_assert(sizeof(RES_QUEST_ENTRY) == 480);
static_assert(offsetof(RES_QUEST_ENTRY, text) == 73 && offsetof(RES_QUEST_ENTRY, type) == 440);

struct RES_NPC_ENTRY {         // res/npc.res, 96 bytes (fields 3 to 6 are dropped)
  uint32_t id;                 // field 0
  uint32_t field1;
  char name[32];               // field 2
  int32_t x;                   // field 7, map pixels
  int32_t y;                   // field 8
  char map_name[32];           // field 9: the map the NPC stands on
  uint32_t field10;            // 0 puts the entry on the second list
  uint32_t field11;
  uint32_t field12;
  uint32_t field13;
};
static_assert(sizeof(RES_NPC_ENTRY) == 96 && offsetof(RES_NPC_ENTRY, map_name) == 48);

// Counts and entries; an index outside 0..count-1 gives nullptr.
int32_t res_chat_word_count();
const char* res_chat_word(int32_t i);  // RES_CHAT_WORD_SIZE bytes, not always NUL-terminated
int32_t res_skill_count();
const RES_SKILL_ENTRY* res_skill_entry(int32_t i);
int32_t res_help_count();
const RES_HELP_ENTRY* res_help_entry(int32_t i);
int32_t res_help_top_count();                          // the top-level pages, in file order
const RES_HELP_ENTRY* res_help_top_entry(int32_t i);
int32_t res_quest_count();
const RES_QUEST_ENTRY* res_quest_entry(int32_t i);
int32_t res_npc_count();
const RES_NPC_ENTRY* res_npc_entry(int32_t i);
int32_t res_npc_sub_count();                           // the entries whose field 10 is 0
const RES_NPC_ENTRY* res_npc_sub_entry(int32_t i);

// ---- loading ----------------------------------------------------------------------------------
// Each loader replaces its table only when the file loads; a failure logs why and changes nothing.
// A table whose last records are cut short keeps the complete ones.

int res_load_chat();          // 0 or -1; fewer than RES_CHAT_MIN_WORDS words fails
bool res_load_skill();
bool res_load_help();
int res_load_task_mission();  // 0 or -1
int res_load_npc();           // 0 or -1

// Loads task_mission, npc, chat, help and skill in that order: 0, or -1 at the first failure (the
// later tables are not loaded). A failure stops the start-up.
int res_load_all();

// Empties every table and removes the banned-word list (the module reset does the same).
void res_tables_reset();

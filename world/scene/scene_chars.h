// The map scene's character table: every player character, NPC and pet on the current map, their
// looks and frame tracks, and the scene words the rest of the client reads (zoom level, in-scene
// word, the player's id and index).
#pragma once
#include <cstdint>
#include "core/grow_array.h"
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

// Who a scene character is, from the top bits of its id.
enum SCENE_CHAR_KIND : int32_t { SCENE_KIND_PLAYER = 0, SCENE_KIND_NPC = 1, SCENE_KIND_PET = 2 };
constexpr uint32_t SCENE_ID_NPC_BIT = 0x80000000u;
constexpr uint32_t SCENE_ID_PET_BIT = 0x40000000u;

// Movement modes of the record's mode byte.
enum SCENE_MOVE_MODE : int8_t { SCENE_MOVE_WANDER = 0, SCENE_MOVE_WALK = 1, SCENE_MOVE_WANDER_2 = 2,
                                SCENE_MOVE_FOLLOW = 3 };

constexpr int32_t SCENE_TRACKS = 8;  // one frame track per direction
constexpr uint32_t SCENE_NO_OWNER = 0xFFFFFFFFu;

// Which step of which command one direction of a look shows.
struct SCENE_FRAME_TRACK {
  uint32_t step_count;  // steps of the command the track shows
  uint32_t step;        // the current one
};

// One character of the scene: the server's record, then the scene's own state. Plain data (the
// table moves it as bytes). Never keep a pointer or index into the table across a look load, a
// message box or anything else that runs a nested frame: find the character again by id.
struct SCENE_CHAR {
  // The server's record.
  uint32_t id;
  char name[SCENE_CHAR_NAME_SIZE];
  char title[SCENE_CHAR_TITLE_SIZE];
  int32_t look;  // "NPC\\NPC%03da.MDA"
  uint8_t byte_56;
  uint16_t x, y;
  uint16_t target_x, target_y;
  uint8_t walking;
  int8_t posture;    // 0 standing, 1 a one-shot action, 2 and 3 further postures
  int8_t direction;  // 0..7 (0..3 for NPCs and pets)
  int8_t mode;       // SCENE_MOVE_*
  uint32_t flags;    // the status word, SCENE_FLAG_*
  int8_t class_byte;
  int32_t icon;  // status icon, -1 none; 1 on a pet shows the pet badge
  // The scene's own.
  int32_t look_handle;  // media id of the look, -1 not loaded
  int32_t kind;         // SCENE_KIND_*
  uint32_t created_time, moved_time;
  uint32_t time_stamp;  // next idle time
  SCENE_FRAME_TRACK tracks[SCENE_TRACKS];
  int32_t counter;
  uint32_t server_value;  // the status word as the server first sent it
  uint32_t owner_id;      // a follower's owner, SCENE_NO_OWNER none
  int32_t follower_ordinal;
  int32_t counter_2, counter_3;
  uint8_t byte_extra;
  uint8_t rank;  // low 5 bits: the rank name; high 3 bits: its colour
  int32_t name_height;  // the look's first frame height, taken when the label is first drawn
  char nickname[SCENE_CHAR_NICKNAME_SIZE];
  uint8_t status;  // the status byte of the entry message
};

extern GrowArray<SCENE_CHAR> scene_chars;
// The player's index in the table: -2 after a clear, -1 once removed.
extern int32_t scene_player_index;
// The character under the mouse and the one picked for a context action; -1 none.
extern int32_t scene_hover_index;
extern int32_t scene_picked_index;

// The player's index, found again by the player's id when the kept one no longer names it; below
// 0 when the player is not in the scene.
int32_t scene_player_slot();

// "NPC\\NPC%03da.MDA" of a look number ("%03d" is a minimum width).
constexpr size_t SCENE_LOOK_PATH_SIZE = 32;
void scene_look_path(char (&out)[SCENE_LOOK_PATH_SIZE], int32_t look);

// The index of the scene character with that id, or -2.
int32_t scene_find_char(uint32_t id);
// Adds a character from the server's record (texts cut to their fields with a NUL, never inside
// a character) and loads its look: its index, or -2 when the id is already present or the look
// cannot be had (after a message box).
int32_t scene_add_char(const SCENE_CHAR_RECORD& record);
// Removes the character, flags its look for release and keeps the player, hovered and picked
// indexes on their characters (-1 for the removed one).
void scene_remove_char(uint32_t id);
// Releases every look and timed animation and empties the table (start-up, the account input,
// a scene entry, a map change).
void scene_clear_chars();
// A copy of the empty record at the end of the table: its index, or -1 without memory.
int32_t scene_alloc_char();
// Closes the gap at the index; indexes outside the table change nothing.
void scene_delete_char_at(int32_t index);
// The walk target and walking state of the character with the record's id; the player's look and
// the others are re-examined at most every 2 s, another character's look at once; a character
// without a look jumps to its target.
void scene_update_char_position(const SCENE_POSITION_RECORD& record);
// Nothing for an index outside the table. NPCs and pets take posture 3 as 2; only a change
// rebuilds the frame tracks.
void scene_set_char_posture(int32_t index, int8_t posture);
// Loads or drops the look of one character by the player's reach, and for the player the looks
// of the map objects around; nothing for an index outside the table.
void scene_load_char_display(int32_t index);
// The 8 frame tracks from the look's commands and the posture; every current step 0.
void scene_build_frame_tracks(int32_t index);
// The command number a track of the character shows (-1 for an unknown kind or track).
int32_t scene_track_command(const SCENE_CHAR& c, int32_t track);
// One step on the track of the direction (NPCs and pets mod 4), wrapping at its count.
void scene_advance_frame(int32_t index, int32_t direction);
// Moves the character 7 pixels in direction 0..7: 0, or -2 (nothing changed) when the cell ahead
// inside the map is blocked.
int32_t scene_step_char(int32_t index, int32_t direction);
// The clicked character's request: a player's battle request, an NPC's interaction, a pet nothing.
void scene_click_char(uint32_t id);
// The per-frame update: movement steps, the end of one-shot actions, the ambient sounds and one
// orphaned follower.
void scene_update_chars();

// Release bytes of media entries the scene flags.
enum SCENE_RELEASE : uint8_t { SCENE_RELEASE_NONE = 0, SCENE_RELEASE_CHAR_LOOK = 1, SCENE_RELEASE_OBJECT_LOOK = 2 };
// Sets the release byte of the media entry of that handle (unknown handles: nothing).
void mda_flag_release(int32_t handle, uint8_t flag);
// Clears the release byte of entries a character or a look object still shows.
void mda_table_keep_used_entries();

// Loads the current map, its music, title and weather (a stand-in that records its calls).
void map_change();
// The scene's frame: the characters updated, the view around the player, the map and each
// character's look and name.
void scene_draw_frame(BITMAP16* target);


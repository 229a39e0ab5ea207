// Media files and the media table. A media file holds named frames (IMG256 images, RIFF WAVE
// sounds, one-line external commands) and a script grouping frames into named commands. Loaded
// files live in the media table, one MDA_ENTRY each, known to the rest of the client by id.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/grow_array.h"
#include "graphics/img256/img256.h"
#include "plat/bytes.h"

constexpr size_t MDA_HEAD_SIZE = 40;
constexpr size_t MDA_MAGIC_SIZE = 16;  // "VORN MEDIA FILE" and its NUL, compared exactly
constexpr size_t MDA_FRAME_RECORD_SIZE = 40;
constexpr size_t MDA_FRAME_NAME_SIZE = 32;
constexpr size_t MDA_NAME_SIZE = 20;     // names in the compiled script tables
constexpr size_t MDA_MAX_TEXT = 18;      // longest script text that is kept
constexpr size_t MDA_PATH_SIZE = 256;
constexpr int32_t MDA_MAX_ID = 1000000;
constexpr int32_t MDA_KEY_STEP = 10000;  // second-frame key = command x 10000 + step

inline constexpr plat::FieldSpec kMdaHeadLayout[] = {
    {"magic", 0, 24}, {"frame_count", 24, 4}, {"script_flag", 28, 4}, {"frame_table", 32, 4}, {"script", 36, 4}};
static_assert(plat::checkLayout(kMdaHeadLayout, MDA_HEAD_SIZE));
inline constexpr plat::FieldSpec kMdaFrameRecordLayout[] = {{"name", 0, 32}, {"offset", 32, 4}, {"size", 36, 4}};
static_assert(plat::checkLayout(kMdaFrameRecordLayout, MDA_FRAME_RECORD_SIZE));

// Script record types.
enum MdaRecordType : uint8_t { MDA_RECORD_COMMAND = 1, MDA_RECORD_STEP = 2, MDA_RECORD_SECOND = 3,
                               MDA_RECORD_SECOND_ALT = 4 };

// Frame kinds.
enum MdaFrameKind { MDA_FRAME_OTHER = 0, MDA_FRAME_SOUND = 1, MDA_FRAME_IMAGE = 2 };

struct MDA_FRAME_RECORD {
  char name[MDA_FRAME_NAME_SIZE];  // not always NUL-terminated in a file
  uint32_t offset;
  uint32_t size;
};
struct MDA_COMMAND {
  uint32_t number;
  char name[MDA_NAME_SIZE];
};
struct MDA_STEP {
  uint32_t command;
  char frame[MDA_NAME_SIZE];
};
struct MDA_STEP_FRAME {
  uint32_t key;
  char frame[MDA_NAME_SIZE];
};

struct MdaIndex;  // lookup tables built at load (names by folded hash, steps per command)

// Plain data only: the table moves entries as bytes. Owned blocks are freed by the release and
// by a failed load; never keep a pointer to an entry across a call that may load or release.
struct MDA_ENTRY {
  int32_t id;
  char file_name[MDA_PATH_SIZE];
  int32_t frame_count;
  int32_t command_count;           // type-1 records counted at load
  uint32_t frame_table_offset;
  uint32_t script_offset;
  int32_t command_records;
  MDA_COMMAND* commands;
  int32_t step_records;
  MDA_STEP* steps;
  int32_t second_records;
  MDA_STEP_FRAME* seconds;
  int32_t last_frame;              // frame index drawn last by the interpreter, -1 none
  int32_t* current_step;           // command_count each
  int32_t* step_count;
  MDA_FRAME_RECORD* frames;
  uint8_t* data;                   // the whole file
  uint32_t data_size;
  Img256Frame* images;             // per frame: the checked view of an image frame, else empty
  MdaIndex* index;
  uint64_t serial;                 // tells a reloaded id from the entry a caller saw before
  uint8_t release_flag;            // the map scene's; not read here
};

struct MDA_TABLE {
  GrowArray<MDA_ENTRY> entries;
  int32_t count;    // kept beside the array
  int32_t next_id;  // the id the next entry takes
};

extern MDA_TABLE mda_table;

// ---- loading and release --------------------------------------------------------------------

// Loads the whole file into a new entry: 0 and the id in out, or -2 with out = -1 (and no entry).
int mda_load_file(const char* path, int32_t* out_id);
// Frees the entry of that handle and sets the handle to -1; -1 and unknown handles are left alone.
void mda_object_release(int32_t* handle);
// 0 when the file's first 40 bytes hold the magic; -2 when not or when it cannot be opened.
int mda_check_file(const char* path);

// ---- the script -----------------------------------------------------------------------------

// Type-1 records of the script at offset (a u32 length, then records) within size bytes.
int32_t mda_count_commands(const uint8_t* data, size_t size, uint32_t offset);
// Builds the entry's command, step and second-frame tables and the per-command arrays from its
// script: 0, or -1 when memory runs out (after the message).
int mda_compile_commands(int32_t entry);

// ---- the table ------------------------------------------------------------------------------

int32_t mda_table_add_entry();
int32_t mda_table_insert_at(MDA_TABLE* table, int32_t index, const MDA_ENTRY& record);
void mda_table_remove_at(MDA_TABLE* table, int32_t index);
void mda_table_free_all();
// Tests: every entry freed and the next id back to 0.
void mda_table_reset();
int32_t mda_new_id();

// ---- lookups --------------------------------------------------------------------------------

int32_t mda_find_by_id(int32_t id);           // index, or -2
int32_t mda_find_by_name(const char* path);   // id of the first entry loaded from that path, or -2
int32_t mda_find_command(const char* name, int32_t entry);  // command number, or -2
int32_t mda_find_frame(int32_t entry, const char* name);    // frame index, or -2
// out holds MDA_NAME_SIZE bytes: 0 and the name, or -2.
int mda_get_step_frame_name(int32_t command, int32_t step, int32_t entry, char* out);
int mda_get_step_sound(int32_t command, int32_t step, int32_t entry, char* out);
// out = file data + the frame's offset, or null when either index is out of range.
uint8_t* mda_get_frame_data(int32_t entry, int32_t frame, uint8_t** out);
// The checked image view of a frame; null unless it is an image.
const Img256Frame* mda_frame_image(int32_t entry, int32_t frame);
// The image the interpreter drew last for the entry; null when none.
const Img256Frame* mda_last_drawn_frame(int32_t entry);

int mda_frame_kind(const uint8_t* data, size_t size);
// 0 when bytes 8 to 11 read "WAVE", else -2.
int is_wave_format(const uint8_t* data, size_t size);

// ---- single frames from disk ----------------------------------------------------------------

// One frame of a file into a new buffer (free it with mda_frame_buffer_free): 0 or -2.
int mda_read_frame(const char* path, int32_t frame, uint8_t** out);
int mda_read_frame_sized(const char* path, int32_t frame, uint8_t** out, uint32_t* size);
// The same, then converted into sprite slot slot: 0 when the slot was built, else -2.
int mda_read_frame_to_slot(const char* path, int32_t frame, uint8_t** out, int slot);
void mda_frame_buffer_free(uint8_t** buffer);

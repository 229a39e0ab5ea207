// The play recorder and replay. Recording appends every world and chat message the dispatchers
// handle, a sample of the player's input on each frame with input, and map picks to a record
// file; replay feeds such a file back on its recorded time line into the same dispatchers and
// FRAME_INPUT. The same entries can be mirrored to the server as message 0x19000c.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "client/game/frame_input.h"
#include "client/game/record_capture.h"
#include "client/net/net_link.h"
#include "core/grow_array.h"
#include "plat/bytes.h"

constexpr uint32_t RECORD_TAG = 26;
constexpr uint8_t RECORD_FORMAT = 26;
constexpr uint32_t RECORD_VERSION = 1010103;
constexpr size_t RECORD_LEAD_SIZE = 256;    // zero bytes before the header
constexpr size_t RECORD_HEADER_SIZE = 332;
constexpr size_t RECORD_ENTRIES_AT = RECORD_LEAD_SIZE + RECORD_HEADER_SIZE;  // 588
constexpr size_t RECORD_HEAD_SIZE = 24;
constexpr size_t RECORD_SAMPLE_SIZE = 24;
constexpr uint32_t RECORD_HEADER_UPDATE_MS = 1000;
// The link's frame cap: no entry payload is larger.
constexpr uint32_t RECORD_MAX_PAYLOAD = 1u << 20;
constexpr uint32_t MSG_RECORD_MIRROR = 0x19000c;
// The entry that waits while the task table is before the game login row.
constexpr uint32_t MSG_RECORD_WAIT_FOR_LOGIN = 0x50001;
constexpr int32_t RECORD_LOGIN_ROW = 9;
constexpr int RECORD_PATH_SIZE = 1024;
constexpr int RECORD_NAME_SIZE = 64;
constexpr size_t DOWNLOAD_STATE_SIZE = 56;

enum RecordKind : uint32_t {
  RECORD_KIND_NONE = 0,
  RECORD_KIND_WORLD = 1,
  RECORD_KIND_CHAT = 2,
  RECORD_KIND_INPUT = 3,
  RECORD_KIND_PICK = 6,
};

constexpr size_t RECORD_SERVER_NAME_SIZE = 15;

// The header (file offset 256).
struct RECORD_HEADER {
  uint8_t format;
  uint32_t version;
  uint32_t created;     // seconds since 1970, 32 bits on disk
  uint32_t first_time;  // frame time of the first header update, 0 until then
  uint32_t last_time;   // frame time of the latest header update
  char server_name[RECORD_SERVER_NAME_SIZE];  // the line chosen at the server select, NUL-ended
};
constexpr plat::FieldSpec RECORD_HEADER_FIELDS[] = {
    {"zero", 0, 19},        {"format", 19, 1},     {"version", 20, 4},   {"created", 24, 4},
    {"first time", 28, 4},  {"last time", 32, 4},  {"server name", 36, 15},
    {"zero tail", 51, 281},
};
static_assert(plat::checkLayout(RECORD_HEADER_FIELDS, RECORD_HEADER_SIZE));
// File offsets of the header's two times.
constexpr int64_t RECORD_FIRST_TIME_AT = RECORD_LEAD_SIZE + plat::fieldOffset(RECORD_HEADER_FIELDS, "first time");
constexpr int64_t RECORD_LAST_TIME_AT = RECORD_LEAD_SIZE + plat::fieldOffset(RECORD_HEADER_FIELDS, "last time");

// One entry to write: the head and its payload.
struct RECORD_ENTRY {
  uint32_t tag;
  uint32_t time;
  uint32_t code;  // message id of kinds 1 and 2, else 0
  uint32_t arg;   // the message's argument; the picked id of kind 6
  uint32_t kind;  // RecordKind
  uint32_t length;
  const uint8_t* payload;
};
constexpr plat::FieldSpec RECORD_HEAD_FIELDS[] = {
    {"tag", 0, 4}, {"time", 4, 4}, {"code", 8, 4}, {"argument", 12, 4}, {"kind", 16, 4}, {"length", 20, 4},
};
static_assert(plat::checkLayout(RECORD_HEAD_FIELDS, RECORD_HEAD_SIZE));

// The input sample payload.
constexpr plat::FieldSpec RECORD_SAMPLE_FIELDS[] = {
    {"raw x", 0, 4},  {"raw y", 4, 4},   {"mouse x", 8, 4}, {"mouse y", 12, 4}, {"event", 16, 1},
    {"key", 17, 1},   {"scan", 18, 1},   {"alt", 19, 1},    {"ctrl", 20, 1},    {"zero", 21, 3},
};
static_assert(plat::checkLayout(RECORD_SAMPLE_FIELDS, RECORD_SAMPLE_SIZE));

// A loaded entry: its head and where its payload lies in replay_payloads.
struct REPLAY_ENTRY {
  uint32_t time;
  uint32_t code;
  uint32_t arg;
  uint32_t kind;
  uint32_t length;
  uint32_t payload_at;
};

struct RECORD_STATE {
  uint32_t start_time;      // entry time at which the current replay stretch starts
  int32_t cursor;           // index of the next entry to replay
  uint8_t hold;             // holds the replay and lets the player's input through
  uint8_t recording;
  uint8_t capture;          // save every replayed frame as a BMP file
  uint32_t capture_offset;  // ms spent saving frames, given back to the replay clock
  uint32_t base_time;       // frame time at which the current stretch started
  int32_t replay_mouse_x, replay_mouse_y;
  char path[RECORD_PATH_SIZE];       // the loaded file
  char file_name[RECORD_NAME_SIZE];  // the file being recorded
  RECORD_HEADER header;              // copy of the recorded or loaded file's header
  int32_t capture_counter;
  uint8_t mirror;                  // mirror entries to the server (the server switches it on)
  uint8_t first_message_recorded;  // the input samples start after the first world message
  uint8_t header_update_primed;    // record_write_entry has run once
  uint32_t last_header_update;
  uint32_t picked_id;  // the last replayed map pick
  // Set by the reset: the recorder may start a record file or a replay.
  uint8_t replay_clear;
};

// The header, an entry's head and the input sample in their file form, each described by one
// field list. The readers throw plat::MalformedInput on short input.
void record_header_write(plat::ByteWriter& w, const RECORD_HEADER& header);
RECORD_HEADER record_header_read(plat::ByteReader& r);
// The head only: head.length as given, the payload not written.
void record_head_write(plat::ByteWriter& w, const RECORD_ENTRY& head);
RECORD_ENTRY record_head_read(plat::ByteReader& r);  // no payload
void record_sample_write(plat::ByteWriter& w, const FRAME_INPUT& in);
// Sets only the sampled fields of in.
void record_sample_read(plat::ByteReader& r, FRAME_INPUT& in);

extern RECORD_STATE record_state;
// The replay's entries and the payload bytes they point into. Only the main thread touches them.
extern GrowArray<REPLAY_ENTRY> replay_entries;
extern std::vector<uint8_t> replay_payloads;

// Where the replay feeds messages; tests replace them.
struct RECORD_DISPATCH {
  NetDispatchFn world;
  NetDispatchFn chat;
};
extern RECORD_DISPATCH record_dispatch;
void record_dispatch_reset();

// The name a recording started at that time gets: "record/rd%d-%d-%d-%d-%d-%d.rec" from the UTC
// date and the UTC hour plus 8 modulo 24 (the date stays).
std::string record_file_name(int64_t unix_seconds);
// The record file the command line names: when the text from its last double quote on is at
// least 3 characters long, the text from 2 characters after that quote; else "".
std::string record_file_from_command_line(std::string_view command_line);

void record_start();
void record_write_entry(const RECORD_ENTRY& entry);
void record_input_sample();
void record_pick_event(uint32_t id);
void record_load(const char* path);
void replay_step();
int32_t replay_progress_percent();
// The same percent from explicit times, in 64 bits and clamped to 0..100.
int32_t replay_percent_of(uint32_t cursor_time, uint32_t first_time, uint32_t last_time);
// Clears the state and sets the replay-clear byte.
void record_state_reset();
// Frees the loaded entries.
void replay_entries_free();

// The 56-byte state block kept per character in "download/%d".
extern uint8_t download_state[DOWNLOAD_STATE_SIZE];
void download_state_save();
void download_state_load();

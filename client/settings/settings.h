// The player's options: one 180-byte record, stored whole as veldra.cfg in the game folder and
// read directly by every part of the client. The updater writes the same file.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "plat/bytes.h"

constexpr size_t SETTINGS_RECORD_SIZE = 180;
constexpr size_t SETTINGS_MAGIC_SIZE = 15;
constexpr size_t SETTINGS_ACCOUNT_SIZE = 64;
constexpr int SETTINGS_CHAT_CHANNELS = 6;
constexpr const char* SETTINGS_FILE_NAME = "veldra.cfg";
constexpr uint32_t MSG_SETTINGS_OPTIONS = 0x3001C;

struct SETTINGS_RECORD {
  char magic[SETTINGS_MAGIC_SIZE];  // "PARVENT SYSTEM" and its NUL; never checked
  uint32_t zero_word;               // unaligned at 15 in the file
  uint8_t byte_19;                  // 26
  int32_t full_screen;              // non-zero: full screen, which also hides the separate chat window
  int32_t music;
  int32_t effects;
  int32_t volume;                   // percent, effects and music
  int32_t record_play;
  int32_t player_option_1;          // 40
  int32_t player_option_2;          // 44
  int32_t player_option_3;          // 48
  int32_t player_option_4;          // 52
  int32_t player_option_5;          // 56
  int32_t bubbles;                  // 60
  int32_t player_option_6;          // 64
  int32_t display_option_1;         // 68
  int32_t display_option_2;         // 72
  int32_t last_server_id;           // 76: above 0 chosen (group id + line number 1..99); -1 none
  int32_t chat_channels[SETTINGS_CHAT_CHANNELS];  // 80..100
  int32_t chat_panel;               // 104
  int32_t remember_account;         // 108
  char account_name[SETTINGS_ACCOUNT_SIZE + 1];   // 112; the extra byte is always NUL in memory
  int32_t battle_display;           // 176
};

// The file form, field by field.
constexpr plat::FieldSpec SETTINGS_FIELDS[] = {
    {"magic", 0, 15},           {"zero word", 15, 4},        {"byte 19", 19, 1},
    {"full screen", 20, 4},     {"music", 24, 4},            {"effects", 28, 4},
    {"volume", 32, 4},          {"record play", 36, 4},      {"player option 1", 40, 4},
    {"player option 2", 44, 4}, {"player option 3", 48, 4},  {"player option 4", 52, 4},
    {"player option 5", 56, 4}, {"bubbles", 60, 4},          {"player option 6", 64, 4},
    {"display option 1", 68, 4}, {"display option 2", 72, 4}, {"last server id", 76, 4},
    {"chat channel 1", 80, 4},  {"chat channel 2", 84, 4},   {"chat channel 3", 88, 4},
    {"chat channel 4", 92, 4},  {"chat channel 5", 96, 4},   {"chat channel 6", 100, 4},
    {"chat panel", 104, 4},     {"remember account", 108, 4}, {"account name", 112, 64},
    {"battle display", 176, 4},
};
static_assert(plat::checkLayout(SETTINGS_FIELDS, SETTINGS_RECORD_SIZE));

extern SETTINGS_RECORD settings;

// Reads veldra.cfg, or makes and saves the defaults when it is missing, not exactly 180 bytes or
// unreadable; then settings_apply.
void settings_load();
// The defaults, saved.
void settings_default();
// Writes veldra.cfg whole; nothing while replaying. A file that cannot be created is logged.
void settings_save();
// Sends the 12-byte option block on the world link, then the chat link; the chat send's result.
int settings_apply();

// The 12 option bytes: the low bytes of the words at 40, 44, 48, 52, 56, 64 and 80 to 100.
std::array<uint8_t, 12> settings_option_block(const SETTINGS_RECORD& record);
// The file form and back (the account name is terminated in memory).
std::array<uint8_t, SETTINGS_RECORD_SIZE> settings_encode(const SETTINGS_RECORD& record);
// Throws plat::MalformedInput when fewer than 180 bytes are given.
SETTINGS_RECORD settings_decode(std::span<const uint8_t> bytes);
SETTINGS_RECORD settings_defaults();

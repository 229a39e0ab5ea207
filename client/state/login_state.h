// The front end's login state: what the account screen and the login handlers share, and the
// account's character list that the character screens show.
#pragma once
#include <cstdint>
#include <vector>

#include "plat/bytes.h"

class CEditBox;

// Zero at program start; the account screen resets the words it uses.
struct LOGIN_STATE {
  int32_t done;            // 1 once the login reply admitted the account without a queue
  int32_t wait_seconds;    // seconds still to wait in the server's queue
  int32_t queue_position;  // the account's place in that queue
  int32_t result_code;     // the account screen's result: 0, or -2 to change server
  CEditBox* focused;       // the login field that has the keyboard focus
};
extern LOGIN_STATE login_state;

// One character of the account, 28 bytes on the wire in this order.
constexpr int32_t CHAR_RECORD_SIZE = 28;
constexpr int32_t CHAR_NAME_SIZE = 15;  // at most 14 characters and a NUL
struct CHAR_RECORD {
  uint32_t id;
  char name[CHAR_NAME_SIZE];  // a leading '.' marks a character that still needs a nickname
  uint8_t race;               // index into the race names
  int16_t look;               // picture variant
  int16_t rebirth;
  int16_t level;
  // two bytes of alignment on the wire
};

// The wire form, shared by the character list reply and the create request.
constexpr plat::FieldSpec CHAR_RECORD_FIELDS[] = {
    {"id", 0, 4},      {"name", 4, 15},     {"race", 19, 1}, {"look", 20, 2},
    {"rebirth", 22, 2}, {"level", 24, 2},   {"pad", 26, 2},
};
static_assert(plat::checkLayout(CHAR_RECORD_FIELDS, CHAR_RECORD_SIZE));
constexpr auto CHAR_RECORD_WALK = [](auto& r, auto& v) {
  v.u32(r.id);
  v.bytes(r.name, CHAR_NAME_SIZE);
  v.u8(r.race);
  v.i16(r.look);
  v.i16(r.rebirth);
  v.i16(r.level);
  v.zeros(2);
};
static_assert(plat::walkMatchesLayout<CHAR_RECORD>(CHAR_RECORD_FIELDS, CHAR_RECORD_WALK));

// The account's characters as the last character list reply gave them (count = size).
extern std::vector<CHAR_RECORD> char_list;
// 1 once the server accepted the chosen character (0x30008 with status 0).
extern int32_t char_selected_flag;
// 1 once the server accepted a new character's name (0x3000e with status 0).
extern int32_t nickname_accepted_flag;
// The character the player chose, kept for the game login and the nickname window.
extern uint32_t selected_char_id;

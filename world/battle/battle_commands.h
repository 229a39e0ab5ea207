// The player's and the pet's battle commands: the record being chosen, the one sent this round
// and the last one of the battle, which the auto command repeats.
#pragma once
#include <cstdint>

#include "plat/bytes.h"

constexpr int32_t BATTLE_COMMAND_SIZE = 16;
constexpr uint8_t BATTLE_CODE_NONE = 255;
constexpr uint16_t BATTLE_ARGUMENT_NONE = 0xFFFF;

// Sent to the server as it is.
struct BATTLE_COMMAND {
  uint8_t code;      // BATTLE_CODE_NONE: none
  uint32_t actor;    // the unit id of the player's character or of its pet
  uint32_t target;   // 0: none
  uint16_t argument;  // skill id, bag slot or pet index; BATTLE_ARGUMENT_NONE: none
};
constexpr plat::FieldSpec BATTLE_COMMAND_FIELDS[] = {
    {"code", 0, 1}, {"zero 1", 1, 3}, {"actor", 4, 4}, {"target", 8, 4}, {"argument", 12, 2}, {"zero 14", 14, 2},
};
static_assert(plat::checkLayout(BATTLE_COMMAND_FIELDS, BATTLE_COMMAND_SIZE));
constexpr auto BATTLE_COMMAND_WALK = [](auto& r, auto& v) {
  v.u8(r.code);
  v.zeros(3);
  v.u32(r.actor);
  v.u32(r.target);
  v.u16(r.argument);
  v.zeros(2);
};
static_assert(plat::walkMatchesLayout<BATTLE_COMMAND>(BATTLE_COMMAND_FIELDS, BATTLE_COMMAND_WALK));

struct BATTLE_COMMAND_SIDE {
  BATTLE_COMMAND current;
  BATTLE_COMMAND last;  // what went out last
  uint8_t ready;        // the current command is complete
  uint8_t sent;         // sent this round and not changed since
};

struct BATTLE_COMMANDS {
  BATTLE_COMMAND_SIDE side[2];  // player, pet
  uint8_t last_stored;          // the two last commands are valid
};
extern BATTLE_COMMANDS battle_commands;

// Both records empty (code none, actor and target 0, no argument), nothing ready or sent.
void battle_commands_reset();

// Automatic fighting: the state word the game main task tests each frame and what the server's
// auto-fight messages (0x130007, 0x130009, 0x130010) keep for it.
#pragma once
#include <cstdint>

constexpr int AUTO_FIGHT_BLOCK_WORDS = 15;

// Above 0 while the player fights automatically; the game main task then runs auto_fight_step.
extern int32_t AUTO_FIGHT_STATE;

struct AUTO_FIGHT_DATA {
  uint8_t mode;                              // 0x130007 kinds 0 and 1
  uint32_t block[AUTO_FIGHT_BLOCK_WORDS];    // 0x130009
  uint8_t block_valid;
  uint32_t object_id;                        // 0x130010: the object to fight
  int32_t bout;                              // the bouts left
  uint32_t skill_word;                       // bouts in the low half, skill id in the upper half
  uint16_t pre;                              // hp (low byte) and mp (high byte) thresholds, %
  int32_t request;                           // 1: the next round fights by itself
  uint32_t skill_id;
};
extern AUTO_FIGHT_DATA auto_fight_data;

// One frame of automatic fighting.
void auto_fight_step();

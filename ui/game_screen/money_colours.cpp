#include "ui/game_screen/money_colours.h"

// Placeholders until the game screen sets its own: light grey, green, blue, orange, red (565).
uint16_t money_colours[MONEY_COLOUR_COUNT] = {0xE71C, 0x07E0, 0x051F, 0xFD20, 0xF800};

uint16_t money_colour_of(uint32_t value) {
  if (value <= 99999u) return money_colours[0];
  if (value <= 999999u) return money_colours[1];
  if (value <= 9999999u) return money_colours[2];
  if (value <= 99999999u) return money_colours[3];
  return money_colours[4];
}

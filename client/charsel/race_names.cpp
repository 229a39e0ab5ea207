#include "client/charsel/race_names.h"

const char race_names[RACE_COUNT][RACE_NAME_SIZE] = {"Human", "Centaur", "Mage", "Borg"};

const char* race_name(uint8_t race) { return race < RACE_COUNT ? race_names[race] : ""; }

// The replaying flag of the play recorder: 1 while a play record is fed back, when the server
// links do nothing.
#pragma once
#include <cstdint>

extern uint8_t replaying;

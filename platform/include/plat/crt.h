// The 32-bit Windows C runtime's rand(), so that seeded runs reproduce. Every rand() of the game
// uses this, never glibc's.
#pragma once
#include <cstdint>

namespace plat {

void crt_srand(uint32_t seed);
int crt_rand();  // 0..32767; state = state * 214013 + 2531011, bits 16-30; thread-local, starts at 1
constexpr int CRT_RAND_MAX = 0x7FFF;

}  // namespace plat

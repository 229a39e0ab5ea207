// Waiting loops: each pumps the window's messages until its condition holds.
#include "engine/input/input_state.h"
#include "engine/system/system.h"
#include "engine/timer/timer.h"
#include "plat/platform.h"

namespace {

constexpr int WAIT_TICK_COUNTER = 12;

// One round of a wait: the messages, then a short rest so that the loop does not hold a core
// (the headless backend rests in fake time, which its frame budget watches).
void pump_once() {
  sys_pump_messages();
  plat::get().events().wait(1);
}

uint32_t wait_ticks() { return timer_ticks[WAIT_TICK_COUNTER].load(std::memory_order_relaxed); }

}  // namespace

void input_wait_ticks(uint32_t n) {
  timer_ticks[WAIT_TICK_COUNTER].store(0, std::memory_order_relaxed);
  while (wait_ticks() < n) pump_once();
}

void input_wait_key(uint8_t code) {
  input_flush();
  for (;;) {
    pump_once();
    const uint8_t got = input_get_scan_code();
    if (got == 0) continue;
    input_flush();
    if (got == code) return;
  }
}

uint8_t input_wait_any_key() {
  input_flush();
  for (;;) {
    pump_once();
    if (!input_any_key()) continue;
    const uint8_t got = input_get_scan_code();
    input_flush();
    return got;
  }
}

int input_wait_key_or_ticks(uint8_t code, uint32_t n) {
  timer_ticks[WAIT_TICK_COUNTER].store(0, std::memory_order_relaxed);
  int came = 0;
  while (wait_ticks() < n) {
    pump_once();
    if (input_get_scan_code() == code) {
      came = 1;
      break;
    }
  }
  input_flush();
  return came;
}

void input_set_wait_start() { input_state().keys.wait_start = plat::get().clock().ms(); }

uint32_t input_wait_elapsed() { return plat::get().clock().ms() - input_state().keys.wait_start; }

void input_wait_since_start(uint32_t ms) {
  while (input_wait_elapsed() < ms) pump_once();
}

void input_wait_mouse_event() {
  while ((input_state().mouse.event & 0x80) == 0) pump_once();
}

void input_wait_event(uint8_t code) {
  while (input_state().mouse.event != code) pump_once();
}

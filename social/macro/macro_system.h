// The macro system library binding.
#pragma once
#include <cstdint>

// Loads the macro system library at start-up: 1 when bound, 0 when it cannot be (the caller
// ignores the result).
int macro_system_load();

// Raises a macro event (10: a character accepted by the chat line). Until the macro system is
// built the calls are only counted.
void macro_raise_event(int32_t event, int32_t arg);
struct MACRO_EVENT_RECORD {
  int32_t event, arg;
};
// The events raised since the last reset (tests).
const MACRO_EVENT_RECORD* macro_raised_events(int32_t* count);

// A fatal error met on a worker thread is ended on the main thread: the text is kept here and
// a private message asks the main window's procedure to take the fatal road with it.
#pragma once
#include <string>

// Thread-safe. Keeps the first text until taken and posts plat::WM_FATAL_HANDOVER to the main
// window.
void sys_hand_over_fatal_error(const char* text);
// The kept text ("" when none), cleared.
std::string sys_take_handed_over_fatal_error();

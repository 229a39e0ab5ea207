// The engine main: the client's skeleton. It creates the main window, calls the client's four
// hooks in a fixed order, routes the window's messages to the engine modules and tears
// everything down on one of three roads (normal return, window destroyed, fatal error).
#pragma once
#include <cstdint>

#include "plat/platform.h"

// The client's hooks, called in this order. pre_init and init: non-zero stops the start.
struct ClientHooks {
  int (*pre_init)() = nullptr;
  int (*init)() = nullptr;
  int (*run)() = nullptr;
  void (*shutdown)() = nullptr;
  // The game's part of the main window: a close request it takes (non-zero: taken, the window
  // stays), and the music player's event message.
  int (*close_request)() = nullptr;
  void (*music_event)() = nullptr;
};

// Result: -1 when the init hook failed, else the exit status (0 unless the client set one); the
// roads that end inside the window procedure or a fatal error end the process through the
// platform instead of returning.
int engine_main(const ClientHooks& hooks, const char* command_line, int show_command);

// The status the normal end (a return or the window destroyed with exit-on-close) ends the
// process with: 0 at start; the client sets -1 while a failure must not read as success.
void sys_set_exit_status(int status);
int sys_get_exit_status();

// ---- set-up options (before the window exists) ----------------------------------------------

constexpr int APP_TITLE_SIZE = 256;
// Copies the title (cut at 255 bytes on a character boundary) and returns the title buffer.
char* sys_set_app_title(const char* title);
const char* sys_get_app_title();
void sys_set_icons(uintptr_t large_icon, uintptr_t small_icon);
void sys_set_single_instance(int flag);
// 0 = full screen, 1 = windowed.
void sys_set_display_mode(int mode);
int sys_get_display_mode();
void sys_set_exit_on_close(int flag);
// Only 640 x 480, 800 x 600, 1024 x 768, 1152 x 864 and 1280 x 1024; any other pair is ignored.
void sys_set_screen_size(int32_t width, int32_t height);
int32_t sys_get_screen_width();
int32_t sys_get_screen_height();
// Stores the position and turns centring off.
void sys_set_window_pos(int32_t x, int32_t y);
// Replaces the main window's procedure; null is ignored.
void sys_set_window_proc(plat::WindowProc proc);
// Called for each dropped file with the file count, its index and its code page 936 path.
using DropHandler = void (*)(int count, int index, const char* path);
DropHandler sys_set_drop_handler(DropHandler handler);
void sys_set_alt_enter(int flag);
void sys_set_double_clicks(int flag);

// ---- running state --------------------------------------------------------------------------

plat::WindowId sys_main_window();
// 1 while the application is active and its window is not minimised, else 0.
uint32_t sys_get_active_state();

// The platform's text for the last error in an information box captioned caption ("INFO" when
// null).
void sys_show_last_error(const char* caption);

// Runs the shutdown hook and the free hooks (each at most once), shows text in a box captioned
// with the application title, destroys the window and ends the process with -1.
[[noreturn]] void sys_fatal_error(const char* text);

// The main window's procedure.
int32_t engine_window_proc(const plat::Msg& m);

// Tests only: back to the state at program start (module tables included).
void engine_reset();

// The client's four hooks into the engine main, and what the process does before it.
#pragma once
#include <cstdint>
#include <string>

#include "engine/engine_main/engine_main.h"

// Before the main window exists: title, single instance, settings, window set-up, macros. 0.
int client_pre_init();
// After the window exists: spew handler, network library, engine modules, chat window, res
// tables, the screenshots folder. 0, or -1 when the network library or the res tables fail;
// a failed engine-module install ends the program.
int client_init();
// The whole game; 1.
int client_run();
// Once, at the end.
void client_shutdown();

// The main window's close request while the game main task runs (1: the game took it), and the
// music player's event.
int client_close_request();
void client_music_event();
// The message box and sound front that the media files use.
void client_install_media_services();

inline ClientHooks client_hooks() {
  return ClientHooks{client_pre_init, client_init, client_run, client_shutdown, client_close_request, client_music_event};
}

// The game's name in the window title.
constexpr const char* GAME_TITLE = "Veldra Saga II Online";
// The main window's title: the game's name and the version text, "%s( ENGLISH version %s )".
std::string client_window_title();
// The main window, when it exists, shows the title (the menu's, or the game's with the server and
// the character after it).
void client_show_window_title(const std::string& title);

// Process start, before engine_main: keeps the command line, clears the server line count and
// starts the hand-over reader when the updater passed a pipe.
void client_process_start(const std::string& command_line);
const std::string& client_command_line();

// The services start-up calls that live in other parts of the client; tests replace them to
// drive the failure roads.
struct CLIENT_START_CALLS {
  int (*net_load_client)();
  int (*res_load_all)();
  int32_t (*chat_window_create)(uintptr_t instance, int32_t language);
  int (*macro_system_load)();
};
extern CLIENT_START_CALLS client_start_calls;
// Tests only: the program's calls.
void client_start_calls_reset();

// The automatic performance mode: six words that start-up clears and nothing sets, so the frame
// step neither counts frames nor adjusts the speed divisor.
struct AUTO_PERFORMANCE_BLOCK {
  int32_t words[6];
};
extern AUTO_PERFORMANCE_BLOCK auto_performance;

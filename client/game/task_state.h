// The task dispatcher's state that other parts of the client read and write: the current row,
// the link-lost word, the reconnect address and the stored login credentials.
#pragma once
#include <cstdint>

constexpr int32_t TASK_SERVER_SELECT = 4;
constexpr int32_t TASK_SELECT_CHARACTER_IN = 7;
constexpr int32_t TASK_GAME_MAIN = 100;
constexpr int32_t TASK_SYSTEM_QUIT = 9999;

// Row index into the task table; 9999 when the game is to end.
extern int32_t task_current_row;
// 0 none; 2 the world link was lost during the game main task; 1 a retried login goes to the
// character selection. The dispatcher tells 0, 1 and any other value apart.
extern int32_t link_lost_word;

// The world server last connected, where a login retry connects.
extern uint32_t reconnect_host;
extern int32_t reconnect_port;

constexpr int LOGIN_FIELD_SIZE = 17;
// Account name and password as the account input submitted them.
struct LOGIN_CREDENTIALS {
  char account[LOGIN_FIELD_SIZE];
  char password[LOGIN_FIELD_SIZE];
};
extern LOGIN_CREDENTIALS login_credentials;
// Sends the login (0x20000, 64-byte block) from the stored credentials on the world link:
// net_send_world's result.
int login_send_stored_credentials();

// The task id of the current row; 9999 when there is none.
int32_t task_current_id();

// The dispatcher-level selections, counters and flags that the start-up task resets.
constexpr int TASK_SELECTIONS = 5;
struct TASK_STATE_WORDS {
  int32_t selection[TASK_SELECTIONS];  // -1 none
  int32_t counters[4];
  uint8_t flags[4];
};
extern TASK_STATE_WORDS task_state_words;

// The task-level state back to its start: the five selections -1, the counters and flags 0, the
// scene characters cleared and record mirroring off.
void task_state_reset();

// The account input screen (task TASK_ACCOUNT_INPUT): connects the world link to a server line,
// takes the account name and password, sends the login and waits for the login reply, which
// ends the screen. It also offers the quit button, the lost-password and registration pages,
// the remember-account option and the server-full queue notice.
#pragma once
#include <cstddef>
#include <cstdint>

#include "client/handover/server_lines.h"

class CAccountEdit;
class CLoginPasswordEdit;

constexpr int32_t ACCOUNT_FIELD_MAX = 16;
constexpr size_t ACCOUNT_NAME_SIZE = 100;
constexpr uint32_t MSG_LOGIN = 0x20000;
constexpr uint32_t LOGIN_BLOCK_SIZE = 64;
constexpr int32_t LINE_LOAD_LIMIT = 501;  // a start line's load is below it

// The account name of the last submission, kept for the rest of the session.
extern char login_account_name[ACCOUNT_NAME_SIZE];

// The screen, then a new record file when recording is asked for, no replay runs and the
// recorder is enabled: the screen's result.
int32_t task_account_input();
// 0 logged in, -2 change server, -1 no server or missing art; 0 at once while a replay runs.
int32_t account_input_screen();
// The server-full notice loop: 1 change server, 0 give up, 2 admitted (both counters 0).
int32_t login_queue_notice();
// Sends the login from the two fields (the password field's Enter): 0, or 0x80004005 when a
// field is empty.
int32_t account_input_submit();

// The first line that is available with a load below 501; 0 when none is (the ring search then
// starts at the table's first line).
int32_t account_start_line(const SERVER_LINE_TABLE& table);
// Tries up to count lines in ring order from the start line; the row connected, or -1.
int32_t account_connect_line(const SERVER_LINE_TABLE& table);

// The fields while the screen runs, else null (tests).
CAccountEdit* account_field();
CLoginPasswordEdit* account_password_field();

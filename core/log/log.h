// The game's log, error.txt: every layer writes to it; SYSTEM opens and closes it.
#pragma once

// Appends text and a line end to error.txt while the log is open and level != 0 (stderr when
// error.txt cannot be created). Lines logged before the first open are kept and written when the
// log opens; after a close they are dropped.
void sys_log(int level, const char* text);
void sys_log_printf(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The shared 2048-byte message buffer modules format into (bounded formatters only).
constexpr int SYS_MESSAGE_BUFFER_SIZE = 2048;

// Starts writing: the lines kept from before go out first.
void sys_log_open();
// Stops writing; later lines are dropped.
void sys_log_close();
// Tests only: forgets the kept lines and whether the log has opened.
void sys_log_reset();

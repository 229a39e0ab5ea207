// The server select screen (tasks TASK_SERVER_SELECT and TASK_SERVER_LINE_SELECT): up to ten
// server lines with their load, a choice, then the world link moved to the chosen line and the
// login sent again with the kept credentials.
#pragma once
#include <cstddef>
#include <cstdint>

#include "client/handover/server_lines.h"

constexpr size_t SERVER_NAME_SIZE = 256;
constexpr int32_t SERVER_SLOTS = 10;

// The name of the line the player connected to, for the game screens.
extern char current_server_name[SERVER_NAME_SIZE];

// 0 connected and login sent, -2 back, -1 no server table, missing art or a refused connect;
// 0 at once while a replay runs.
int32_t task_server_select();

// The load mark's command of a line: "MainCommand21" unavailable, else 17 below 201, 18 below
// 501, 20 above 800 and 19 between.
const char* server_select_mark(const SERVER_LINE_RECORD& line);
// The record each of the ten slots shows, -1 for an empty slot.
void server_select_slots(const SERVER_LINE_TABLE& table, int32_t slots[SERVER_SLOTS]);

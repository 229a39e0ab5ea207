// The two other sources of Door.DAT: a door list text ("N|name@id@addr@port@load@flag|...") and
// the event-driven gateway reply (after its leading count):
//   i32 A, i32 B, A bytes FTP server, B bytes FTP directory, i32 N,
//   N entries: i32 name length n, i32 id, u32 address, i32 port, i32 load, u8 flag, 3 padding,
//              n bytes of name.
#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "updater/server_lines.h"

namespace updater {

constexpr size_t DOOR_NAME_MAX = plat::SERVER_LINE_NAME_SIZE - 1;  // a NUL always follows

// Results of the event-driven reply.
constexpr int DOOR_STORE_OK = 0;
constexpr int DOOR_STORE_BAD_HEAD = 1926;       // the two texts and the count do not fit
constexpr int DOOR_STORE_BAD_COUNT = 1942;      // N outside 2..DOOR_LINE_MAX
constexpr int DOOR_STORE_CUT_NAME_LENGTH = 1951;
constexpr int DOOR_STORE_CUT_ID = 1959;
constexpr int DOOR_STORE_CUT_ADDRESS = 1967;
constexpr int DOOR_STORE_CUT_PORT = 1975;
constexpr int DOOR_STORE_CUT_LOAD = 1983;
constexpr int DOOR_STORE_CUT_FLAG = 1991;
constexpr int DOOR_STORE_BAD_NAME = 1999;       // the name runs past the end
constexpr int DOOR_STORE_NO_FILE = 2016;

// The records of a door list text; false when it has no "|", a count outside 1..DOOR_LINE_MAX,
// or fewer complete entries than its count. Names are cut to DOOR_NAME_MAX bytes on a character.
bool parseDoorList(std::string_view text, std::vector<ServerLineBytes>& out);

// The records of an event-driven reply: DOOR_STORE_OK or the code of the first check that fails.
// The FTP texts are read past and not kept.
int parseDoorReply(std::span<const uint8_t> bytes, std::vector<ServerLineBytes>& out);

}  // namespace updater

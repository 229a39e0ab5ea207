// One server group of the launcher's list, and the entry the player chose, shared by the whole
// program: its id goes back into veldra.cfg, its gateway address feeds the gateway query.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace updater {

constexpr int SERVER_ENTRY_MAX = 100;
constexpr int SERVER_IP_CHARS = 15;    // loginIP and ver keep at most this many characters
constexpr int SERVER_NAME_BYTES = 12;  // name keeps at most this many bytes, cut on a character

struct SERVER_ENTRY {
  int32_t id = 0;                          // group id; id / 100000 is its group tab
  char loginIP[SERVER_IP_CHARS + 1] = {};  // gateway address, dotted text
  uint16_t loginPort = 0;                  // gateway port (host order)
  uint8_t line = 0;                        // line state 0..4; 0: the group cannot be entered
  char ver[SERVER_IP_CHARS + 1] = {};
  char name[SERVER_NAME_BYTES + 1] = {};   // code page 936
};

// Bounded copies into an entry: loginIP and ver keep SERVER_IP_CHARS characters, name keeps
// SERVER_NAME_BYTES bytes of whole code page 936 characters.
void SetEntryIP(SERVER_ENTRY& e, std::string_view text);
void SetEntryVersion(SERVER_ENTRY& e, std::string_view text);
void SetEntryName(SERVER_ENTRY& e, std::string_view text);

// The program-wide chosen entry. Copied in whole by the launcher, read by the gateway query and
// the start road.
SERVER_ENTRY& chosenServer();

}  // namespace updater

// Handlers not built yet: each is a placeholder that drops its message, writing one line to
// error.txt the first time its id arrives in a run. The placeholders themselves are listed in
// pending_handlers.cpp; a handler that gets built leaves that list.
#pragma once
#include <cstdint>
#include <vector>

// Counts the dropped message and logs "net_msg %x %s: no handler yet" for its first arrival.
void net_msg_pending_drop(uint32_t id, const char* handler_name);
// How many messages of that id placeholders dropped since the last reset.
uint32_t net_msg_pending_drops(uint32_t id);
// The names of the handlers still placeholders.
std::vector<const char*> net_msg_pending_names();
// The table's ids whose handler is still a placeholder, ascending.
std::vector<uint32_t> net_msg_pending_ids();
// Forgets the counts, so that each id logs again.
void net_msg_pending_reset();

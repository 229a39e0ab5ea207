// The world link's receive dispatcher, also fed by the replay.
#pragma once
#include <cstdint>

struct RECORD_ENTRY;

// (message id, argument, payload, length, do_not_record): marks the world link busy and the
// scene for redrawing, records the message when recording or mirroring (unless do_not_record),
// then runs the one handler of the id inside the guard. An id in no row is dropped with a debug
// line the first time it comes in a session. Returns 0, as every receive callback of the link
// does (NetDispatchFn).
int net_dispatch_message(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, bool do_not_record);

// How many ids in no row get their own debug line in a session; past it one line says the rest
// go quietly.
constexpr uint32_t NET_DISPATCH_UNKNOWN_IDS_TOLD = 256;

// The guard sites named in the "Except code" line.
constexpr int NET_MSG_SITE_RECORD = 1;
constexpr int NET_MSG_SITE_HANDLER = 2;

// Tests: where recorded messages go (record_write_entry unless replaced); returns the previous
// writer. net_dispatch_reset restores it, the table, the placeholder counts and the unknown ids
// already told.
using NetRecordWriter = void (*)(const RECORD_ENTRY& entry);
NetRecordWriter net_dispatch_set_record_writer(NetRecordWriter writer);
void net_dispatch_reset();

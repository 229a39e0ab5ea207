// The client's two server links (world and chat) over the network library "client_net.dll":
// binding, connect, send, poll, and what a lost link means. Main thread only.
#pragma once
#include <cstdint>

#include "plat/modules.h"
#include "plat/netclient.h"

// A receive dispatcher: (id, argument, payload, length, do_not_record). Links pass
// do_not_record = false; the replay passes true.
using NetDispatchFn = int (*)(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, bool do_not_record);

constexpr uint32_t NET_WORLD_VERSION = 0x2030001;
constexpr uint32_t NET_LOSS_EXIT_MS = 30000;

struct NET_LINK_STATE {
  const char* library_name;
  plat::ModuleHandle module;
  plat::INetClient* world;
  plat::INetClient* chat;
  uint8_t world_connected;
  uint8_t chat_connected;
  uint8_t own_disconnect;      // the client asked for the disconnect
  uint32_t loss_time;          // frame time of the first loss seen, 0 none
  // Set by the dispatchers while they run, so that a nested frame loop does not poll the same
  // link again. Dispatchers that can nest save and restore them.
  uint8_t world_dispatching;
  uint8_t chat_dispatching;
  NetDispatchFn world_callback;
  NetDispatchFn chat_callback;
  // The debug line saying why a link was lost is written; cleared by a connect.
  uint8_t world_loss_told;
  uint8_t chat_loss_told;
};

extern NET_LINK_STATE net_link;

// Binds the library and makes the two link objects; failures are fatal (tier0 Error).
int net_load_client();
int net_unload_client();
int net_connect_world(uint32_t host, int32_t port, NetDispatchFn callback);
int net_connect_chat(uint32_t host, int32_t port, uint32_t version, NetDispatchFn callback);
int net_chat_is_connected();
int net_send_world(uint32_t id, int32_t arg, const void* payload, uint32_t len);
int net_send_chat(uint32_t id, int32_t arg, const void* payload, uint32_t len);
int net_build_login_block(const char* account, const char* password, uint8_t* out, uint32_t len);
int net_disconnect_all(int requested);
// 0 both links idle; 1 something delivered or a link not polled (or replaying); 3 a link lost.
int net_poll_links();

// Tests only: the state at program start (link objects are not released).
void net_link_reset();

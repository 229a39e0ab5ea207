// Server links: binding, operations, polling and loss handling.
#include "client/net/net_link.h"

#include <cstdio>
#include <string>

#include "client/game/frame_input.h"
#include "client/game/replay_state.h"
#include "client/game/task_state.h"
#include "client/ui/message_box.h"
#include "core/reset/module_resets.h"
#include "engine/interface/interface_registry.h"
#include "plat/platform.h"
#include "plat/tier0.h"

namespace {

constexpr NET_LINK_STATE kInitialState = {"client_net.dll", 0, nullptr, nullptr, 0, 0, 0,
                                          0, 0, 0, nullptr, nullptr, 0, 0};

int world_receive(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, void* /*ctx*/) {
  if (net_link.world_callback) net_link.world_callback(id, arg, payload, len, false);
  return 0;
}

int chat_receive(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, void* /*ctx*/) {
  if (net_link.chat_callback) net_link.chat_callback(id, arg, payload, len, false);
  return 0;
}

plat::INetClient* make_link(plat::CreateInterfaceFn factory) {
  return static_cast<plat::INetClient*>(factory(plat::kNetClientInterface, nullptr));
}

int connect_link(plat::INetClient* link, uint8_t& connected, uint8_t& loss_told, uint32_t host, int32_t port,
                 uint32_t version, plat::NetReceiveFn receive) {
  if (!link || connected) return -1;
  if (link->connect(host, port, 0, version, receive, 0, 0) == -1) return -1;
  connected = 1;
  loss_told = 0;
  return 0;
}

int send_on(plat::INetClient* link, uint8_t connected, uint32_t id, int32_t arg, const void* payload, uint32_t len) {
  if (replaying) return 0;
  if (!link || !connected) return -1;
  return link->send(id, arg, payload, len);
}

int handle_loss(const char* message) {
  if (!net_link.own_disconnect) {
    if (task_current_id() == TASK_GAME_MAIN) {
      if (link_lost_word == 0) link_lost_word = 2;
    } else if (link_lost_word == 0) {
      net_disconnect_all(0);
      show_message_box(message, 1);
    }
  }
  if (net_link.loss_time == 0) {
    net_link.loss_time = frame_input.frame_time;
  } else if (frame_input.frame_time - net_link.loss_time > NET_LOSS_EXIT_MS) {
    plat::get().process().exit(0);  // no shutdown hooks
  }
  return 3;
}

const char* loss_reason_text(plat::NetLossReason reason) {
  switch (reason) {
    case plat::NetLossReason::PeerClosed: return "the server closed the link";
    case plat::NetLossReason::CutShort: return "the server closed the link inside a frame";
    case plat::NetLossReason::TooLong: return "a length field over the payload cap";
    case plat::NetLossReason::ReadError: return "read error";
    case plat::NetLossReason::WriteError: return "write error";
    case plat::NetLossReason::SendQueueFull: return "the send queue is full (the server stopped reading)";
    case plat::NetLossReason::None: break;
  }
  return "no reason given";
}

// One debug line per loss: the box and the log line say only that the link went, this says why.
void tell_loss(const char* link_name, const plat::NetLossInfo& l) {
  using std::to_string;
  std::string line = std::string(link_name) + " link lost: " + loss_reason_text(l.reason) + "; " +
                     to_string(l.receivedBytes) + " bytes received in " + to_string(l.frames) + " frames, " +
                     to_string(l.pendingBytes) + " bytes pending";
  if (l.lengthKnown) line += ", length field " + to_string(l.declaredLength) + ", cap " + to_string(l.maxPayload);
  if (l.osError != 0) line += ", system error " + to_string(l.osError);
  if (l.headLength > 0) {
    line += ", first bytes";
    for (uint8_t i = 0; i < l.headLength && i < sizeof l.head; ++i) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02X", l.head[i]);
      line += hex;
    }
  }
  plat::get().debugOut(line);
}

// 0 idle, 1 delivered or not polled, 3 lost.
int poll_link(plat::INetClient* link, uint8_t connected, uint8_t dispatching, uint8_t& loss_told,
              const char* link_name, const char* loss_message) {
  if (!link || !connected || dispatching) return 1;
  plat::NetPoll r = link->poll(0);
  if (r == plat::NetPoll::Lost) {
    // Before the loss handling, which disconnects and so forgets why.
    if (!loss_told) tell_loss(link_name, link->lossInfo());
    loss_told = 1;
    return handle_loss(loss_message);
  }
  return static_cast<int>(r) == 1 ? 0 : 1;
}

}  // namespace

NET_LINK_STATE net_link = kInitialState;

int net_load_client() {
  const char* name = net_link.library_name;
  net_link.module = module_load(name);
  if (net_link.module == 0) {
    plat::tier0::error("could not load %s", name);
  }
  plat::CreateInterfaceFn factory = module_get_factory(net_link.module);
  if (!factory) {
    plat::tier0::error("could not get %s's interface", name);
  }
  net_link.world = make_link(factory);
  if (!net_link.world) {
    plat::tier0::error("could not get %s's interface %s", name, plat::kNetClientInterface);
  }
  net_link.chat = make_link(factory);
  if (!net_link.chat) {
    plat::tier0::error("could not get %s's interface %s", name, plat::kNetClientInterface);
  }
  return 0;
}

// The objects are released before the module goes, so that their sockets close and nothing
// leaks at exit.
int net_unload_client() {
  if (net_link.world) net_link.world->release();
  if (net_link.chat) net_link.chat->release();
  net_link.world = net_link.chat = nullptr;
  net_link.world_connected = net_link.chat_connected = 0;
  if (net_link.module != 0) plat::get().modules().unload(net_link.module);
  net_link.module = 0;
  return 0;
}

int net_connect_world(uint32_t host, int32_t port, NetDispatchFn callback) {
  if (replaying) return 0;
  if (!net_link.world || net_link.world_connected) return -1;
  net_link.world_callback = callback;
  return connect_link(net_link.world, net_link.world_connected, net_link.world_loss_told, host, port,
                      NET_WORLD_VERSION, world_receive);
}

int net_connect_chat(uint32_t host, int32_t port, uint32_t version, NetDispatchFn callback) {
  if (replaying) return 0;
  if (!net_link.chat || net_link.chat_connected) return -1;
  net_link.chat_callback = callback;
  return connect_link(net_link.chat, net_link.chat_connected, net_link.chat_loss_told, host, port, version,
                      chat_receive);
}

int net_chat_is_connected() { return net_link.chat_connected; }

int net_send_world(uint32_t id, int32_t arg, const void* payload, uint32_t len) {
  return send_on(net_link.world, net_link.world_connected, id, arg, payload, len);
}

int net_send_chat(uint32_t id, int32_t arg, const void* payload, uint32_t len) {
  return send_on(net_link.chat, net_link.chat_connected, id, arg, payload, len);
}

int net_build_login_block(const char* account, const char* password, uint8_t* out, uint32_t len) {
  if (replaying) return 0;
  if (!net_link.world || !net_link.world_connected) return -1;
  return net_link.world->buildLoginBlock(account, password, out, len);
}

int net_disconnect_all(int requested) {
  net_link.own_disconnect = requested != 0;
  if (net_link.world && net_link.world_connected) {
    net_link.world_connected = 0;
    net_link.world->disconnect();
  }
  if (net_link.chat && net_link.chat_connected) {
    net_link.chat_connected = 0;
    return net_link.chat->disconnect();
  }
  return -1;
}

// A loss on either link wins over everything else in the same call, so that a healthy chat link
// cannot hide a dead world link (and its 30-second exit); the loss time is cleared only when
// neither link reported a loss.
int net_poll_links() {
  if (replaying) return 1;
  const int world = poll_link(net_link.world, net_link.world_connected, net_link.world_dispatching,
                              net_link.world_loss_told, "World", "World server is disconnected");
  const int chat = poll_link(net_link.chat, net_link.chat_connected, net_link.chat_dispatching,
                             net_link.chat_loss_told, "Chat", "Chat server is disconnected");
  if (world == 3 || chat == 3) return 3;
  net_link.loss_time = 0;
  return world == 1 || chat == 1 ? 1 : 0;
}

void net_link_reset() { net_link = kInitialState; }

static const ModuleReset k_reset("net links", net_link_reset);

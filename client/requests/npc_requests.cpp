#include "client/net/net_link.h"
#include "client/requests/requests.h"
#include "plat/bytes.h"
#include "ui/game_screen/interaction_target.h"
#include "ui/player_walk/player_walk.h"

int req_object_interact(uint32_t, uint32_t object_id, uint32_t value) {
  player_walk_stop();
  plat::ByteWriter w;
  w.u32(value);
  const int result = net_send_world(0x40002, static_cast<int32_t>(object_id), w.data().data(), static_cast<uint32_t>(w.size()));
  interaction_target_id = object_id;
  return result;
}

int req_quest_list() { return net_send_world(0x40005, 0, nullptr, 0); }

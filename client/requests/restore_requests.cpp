#include "client/net/net_link.h"
#include "client/requests/requests.h"
#include "items/bag/bag_page.h"
#include "items/bag/item_lock.h"
#include "plat/bytes.h"

namespace {

constexpr uint32_t kBagPageSlots = 24;

}  // namespace

int req_restore_player_hp() { return net_send_world(0xd0001, 0, nullptr, 0); }

int req_restore_player_mp() { return net_send_world(0xd0002, 0, nullptr, 0); }

int req_restore_pet_hp(uint32_t) { return net_send_world(0xd0003, 0, nullptr, 0); }

int req_restore_pet_mp(uint32_t) { return net_send_world(0xd0004, 0, nullptr, 0); }

void req_pet_use_item(uint32_t item_id, uint32_t value) {
  if (!item_lock_mode) return;
  plat::ByteWriter w;
  w.u32(value + kBagPageSlots * static_cast<uint32_t>(bag_page));
  net_send_world(0xd0005, static_cast<int32_t>(item_id), w.data().data(), static_cast<uint32_t>(w.size()));
}

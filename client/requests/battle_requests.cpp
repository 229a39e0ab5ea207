#include "client/net/net_link.h"
#include "client/requests/requests.h"
#include "world/battle/battle_commands.h"
#include "world/battle/battle_ops.h"
#include "world/battle/fight_units.h"

namespace {

int send_command(int32_t who, uint32_t id) {
  BATTLE_COMMAND_SIDE& side = battle_commands.side[who];
  if (side.sent || !side.ready) return 0;
  const BATTLE_COMMAND command = side.current;
  plat::ByteWriter w;
  plat::writeFields(w, command, BATTLE_COMMAND_WALK);
  const int result = net_send_world(id, 0, w.data().data(), static_cast<uint32_t>(w.size()));
  side.last = command;
  battle_commands.last_stored = 1;
  side.sent = 1;
  // The unit shows the command it sent.
  const int32_t unit = battle_find_unit(command.actor);
  if (unit >= 0) {
    uint32_t* shown = fight_units[unit].shown_command;
    shown[0] = command.code;
    shown[1] = command.actor;
    shown[2] = command.target;
    shown[3] = command.argument;
  }
  return result;
}

}  // namespace

int req_battle_command() { return send_command(BATTLE_WHO_PLAYER, 0xc0005); }
int req_battle_pet_command() { return send_command(BATTLE_WHO_PET, 0xc000a); }

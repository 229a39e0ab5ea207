#include "client/handlers/battle_unit_bytes.h"

#include "world/battle/fight_units.h"

std::vector<BATTLE_UNIT_BYTE> battle_unit_bytes_read(plat::ByteReader& pairs, int32_t count) {
  std::vector<BATTLE_UNIT_BYTE> out(count > 0 ? static_cast<size_t>(count) : 0);
  for (BATTLE_UNIT_BYTE& p : out) {
    p.id = pairs.u32("unit id");
    p.value = pairs.u8("byte");
    pairs.skip(3, "pair tail");
  }
  return out;
}

void battle_unit_bytes_apply(const std::vector<BATTLE_UNIT_BYTE>& pairs) {
  for (const BATTLE_UNIT_BYTE& p : pairs)
    for (FIGHT_UNIT& u : fight_units)
      if (u.in_use && u.id == p.id) u.server_byte = p.value;
}

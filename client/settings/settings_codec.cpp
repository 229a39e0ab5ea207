// SETTINGS_RECORD in its file form: one walk over the fields serves both directions, and the walk
// is checked against the field table when compiling.
#include <cstring>

#include "client/settings/settings.h"

namespace {

// The fields in file order (the walk of plat/bytes.h).
constexpr auto walk_fields = [](auto& r, auto& v) {
  v.bytes(r.magic, SETTINGS_MAGIC_SIZE);
  v.u32(r.zero_word);
  v.u8(r.byte_19);
  v.i32(r.full_screen);
  v.i32(r.music);
  v.i32(r.effects);
  v.i32(r.volume);
  v.i32(r.record_play);
  v.i32(r.player_option_1);
  v.i32(r.player_option_2);
  v.i32(r.player_option_3);
  v.i32(r.player_option_4);
  v.i32(r.player_option_5);
  v.i32(r.bubbles);
  v.i32(r.player_option_6);
  v.i32(r.display_option_1);
  v.i32(r.display_option_2);
  v.i32(r.last_server_id);
  for (auto& channel : r.chat_channels) v.i32(channel);
  v.i32(r.chat_panel);
  v.i32(r.remember_account);
  v.bytes(r.account_name, SETTINGS_ACCOUNT_SIZE);
  v.i32(r.battle_display);
};
static_assert(plat::walkMatchesLayout<SETTINGS_RECORD>(SETTINGS_FIELDS, walk_fields));

}  // namespace

std::array<uint8_t, SETTINGS_RECORD_SIZE> settings_encode(const SETTINGS_RECORD& record) {
  plat::ByteWriter w;
  plat::writeFields(w, record, walk_fields);
  std::array<uint8_t, SETTINGS_RECORD_SIZE> out{};
  std::memcpy(out.data(), w.data().data(), out.size());
  return out;
}

SETTINGS_RECORD settings_decode(std::span<const uint8_t> bytes) {
  plat::ByteReader r(bytes);
  SETTINGS_RECORD record{};
  plat::readFields(r, SETTINGS_FIELDS, record, walk_fields);
  // The file's name may fill all 64 bytes; the extra byte keeps it terminated.
  record.account_name[SETTINGS_ACCOUNT_SIZE] = 0;
  return record;
}

std::array<uint8_t, 12> settings_option_block(const SETTINGS_RECORD& r) {
  const int32_t words[12] = {r.player_option_1, r.player_option_2,  r.player_option_3,  r.player_option_4,
                             r.player_option_5, r.player_option_6,  r.chat_channels[0], r.chat_channels[1],
                             r.chat_channels[2], r.chat_channels[3], r.chat_channels[4], r.chat_channels[5]};
  std::array<uint8_t, 12> block{};
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(words[i] & 0xFF);
  return block;
}

// SETTINGS_RECORD in its file form: one walk over the fields serves both directions, and each
// step is checked against the field table.
#include <cassert>
#include <cstring>

#include "client/settings/settings.h"

namespace {

// The fields in file order. V has text(char*, width), u32(uint32_t&), u8(uint8_t&) and i32(int32_t&).
template <class R, class V>
void walk_fields(R& r, V& v) {
  v.text(r.magic, SETTINGS_MAGIC_SIZE);
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
  v.text(r.account_name, SETTINGS_ACCOUNT_SIZE);
  v.i32(r.battle_display);
}

[[maybe_unused]] constexpr size_t FIELD_COUNT = sizeof(SETTINGS_FIELDS) / sizeof(SETTINGS_FIELDS[0]);

// Each step must start at its table offset with its table width.
struct FieldCheck {
  size_t index = 0;
  void step(size_t position, size_t width) {
    assert(index < FIELD_COUNT && SETTINGS_FIELDS[index].offset == position && SETTINGS_FIELDS[index].width == width);
    (void)position;
    (void)width;
    ++index;
  }
};

struct Writer {
  plat::ByteWriter w;
  FieldCheck check;
  void text(const char* p, size_t n) {
    check.step(w.size(), n);
    w.bytes(p, n);
  }
  void u32(const uint32_t& v) {
    check.step(w.size(), 4);
    w.u32(v);
  }
  void u8(const uint8_t& v) {
    check.step(w.size(), 1);
    w.u8(v);
  }
  void i32(const int32_t& v) {
    check.step(w.size(), 4);
    w.i32(v);
  }
};

struct Reader {
  plat::ByteReader r;
  FieldCheck check;
  void text(char* p, size_t n) {
    check.step(r.position(), n);
    r.copy(p, n, SETTINGS_FIELDS[check.index - 1].name);
  }
  void u32(uint32_t& v) {
    check.step(r.position(), 4);
    v = r.u32(SETTINGS_FIELDS[check.index - 1].name);
  }
  void u8(uint8_t& v) {
    check.step(r.position(), 1);
    v = r.u8(SETTINGS_FIELDS[check.index - 1].name);
  }
  void i32(int32_t& v) {
    check.step(r.position(), 4);
    v = r.i32(SETTINGS_FIELDS[check.index - 1].name);
  }
};

}  // namespace

std::array<uint8_t, SETTINGS_RECORD_SIZE> settings_encode(const SETTINGS_RECORD& record) {
  Writer writer;
  walk_fields(record, writer);
  assert(writer.w.size() == SETTINGS_RECORD_SIZE && writer.check.index == FIELD_COUNT);
  std::array<uint8_t, SETTINGS_RECORD_SIZE> out{};
  std::memcpy(out.data(), writer.w.data().data(), out.size());
  return out;
}

SETTINGS_RECORD settings_decode(std::span<const uint8_t> bytes) {
  Reader reader{plat::ByteReader(bytes), {}};
  SETTINGS_RECORD record{};
  walk_fields(record, reader);
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

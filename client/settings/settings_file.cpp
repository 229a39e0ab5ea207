// veldra.cfg: load or make the defaults, save, and tell the servers the player options.
#include <cstring>

#include "client/game/replay_state.h"
#include "client/net/net_link.h"
#include "client/settings/settings.h"
#include "core/reset/module_resets.h"
#include "engine/system/system.h"
#include "plat/platform.h"

SETTINGS_RECORD settings = {};

SETTINGS_RECORD settings_defaults() {
  SETTINGS_RECORD r{};
  std::memcpy(r.magic, "PARVENT SYSTEM", SETTINGS_MAGIC_SIZE);  // 14 characters and the NUL
  r.byte_19 = 26;
  r.full_screen = 0;
  r.music = 1;
  r.effects = 1;
  r.volume = 100;
  r.record_play = 0;
  r.player_option_1 = 0;
  r.player_option_2 = 1;
  r.player_option_3 = 1;
  r.player_option_4 = 1;
  r.player_option_5 = 1;
  r.bubbles = 1;
  r.player_option_6 = 0;
  r.display_option_1 = 1;
  r.display_option_2 = 1;
  r.last_server_id = -1;
  for (auto& channel : r.chat_channels) channel = 1;
  return r;
}

void settings_default() {
  settings = settings_defaults();
  settings_save();
}

void settings_save() {
  if (replaying) return;
  auto file = plat::get().files().open(SETTINGS_FILE_NAME, "wb");
  if (!file) {
    sys_log_printf(1, "Unable to create %s file", SETTINGS_FILE_NAME);
    return;
  }
  const auto bytes = settings_encode(settings);
  file->write(bytes.data(), bytes.size());
}

void settings_load() {
  auto file = plat::get().files().open(SETTINGS_FILE_NAME, "rb");
  std::array<uint8_t, SETTINGS_RECORD_SIZE> bytes{};
  // Only the length decides; the magic is not checked.
  if (!file || file->size() != static_cast<int64_t>(SETTINGS_RECORD_SIZE) || !file->seek(0, 0) ||
      file->read(bytes.data(), bytes.size()) != bytes.size()) {
    file.reset();
    settings_default();
  } else {
    file.reset();
    settings = settings_decode(bytes);
  }
  settings_apply();
}

int settings_apply() {
  const auto block = settings_option_block(settings);
  net_send_world(MSG_SETTINGS_OPTIONS, 0, block.data(), static_cast<uint32_t>(block.size()));
  return net_send_chat(MSG_SETTINGS_OPTIONS, 0, block.data(), static_cast<uint32_t>(block.size()));
}

static const ModuleReset k_reset("settings", [] { settings = SETTINGS_RECORD{}; });

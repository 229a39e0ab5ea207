// The updater's side of veldra.cfg: read whole before the launcher, the chosen id written back
// after it. The updater keeps its own defaults and accepts any length up to 180 bytes.
#pragma once
#include <array>
#include <cstdint>

#include "client/settings/settings.h"

namespace updater {

using SettingsImage = std::array<uint8_t, SETTINGS_RECORD_SIZE>;

struct UpdaterSettings {
  SettingsImage image{};  // what the file held (zeros after a short file), or the defaults
  bool fromFile = false;
  int32_t chosenId = 0;   // offset 76 with its last two decimal digits cleared; 0 without a file
};

// The updater's 180-byte default image (offset 76 holds -1).
SettingsImage UpdaterSettingsDefaults();
// A group id from a saved server id: the last two decimal digits cleared, toward zero.
int32_t GroupIdOf(int32_t savedId);
// Reads veldra.cfg from the game folder: up to 180 bytes of it, or the defaults.
UpdaterSettings LoadUpdaterSettings();
// Writes the 180 bytes with `chosenId` at offset 76. False when the file cannot be written.
bool SaveUpdaterSettings(SettingsImage image, int32_t chosenId);

}  // namespace updater

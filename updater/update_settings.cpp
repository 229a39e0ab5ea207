#include "updater/update_settings.h"

#include <algorithm>
#include <cstring>

#include "plat/bytes.h"
#include "plat/platform.h"

namespace updater {

namespace {

constexpr size_t LAST_SERVER_OFFSET = 76;
static_assert(SETTINGS_FIELDS[17].offset == LAST_SERVER_OFFSET, "the last server id field");

constexpr int32_t DEFAULT_WORDS[] = {0, 1, 1, 100, 0, 0, 1, 1, 1, 1, 1, 0, 1, 1, -1, 1, 1, 1, 1, 1, 1};

void putI32(SettingsImage& image, size_t offset, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<uint8_t>(u >> (8 * i));
}

}  // namespace

SettingsImage UpdaterSettingsDefaults() {
  plat::ByteWriter w;
  w.fixedString("PARVENT SYSTEM", SETTINGS_MAGIC_SIZE);  // 14 characters and the NUL
  w.u32(0);
  w.u8(26);
  for (int32_t v : DEFAULT_WORDS) w.i32(v);  // 20..100
  w.i32(0);                                  // 104
  w.i32(0);                                  // 108
  w.zeros(SETTINGS_ACCOUNT_SIZE);            // 112..175
  w.i32(1);                                  // 176
  SettingsImage image{};
  std::copy(w.data().begin(), w.data().end(), image.begin());
  return image;
}

int32_t GroupIdOf(int32_t savedId) { return savedId / 100 * 100; }

UpdaterSettings LoadUpdaterSettings() {
  UpdaterSettings s;
  auto file = plat::get().files().open(SETTINGS_FILE_NAME, "rb");
  if (!file) {
    s.image = UpdaterSettingsDefaults();
    return s;
  }
  size_t have = 0;
  while (have < s.image.size()) {
    const size_t n = file->read(s.image.data() + have, s.image.size() - have);
    if (n == 0) break;
    have += n;
  }
  s.fromFile = true;
  plat::ByteReader r(s.image);
  r.skip(LAST_SERVER_OFFSET);
  s.chosenId = GroupIdOf(r.i32("last server id"));
  return s;
}

bool SaveUpdaterSettings(SettingsImage image, int32_t chosenId) {
  putI32(image, LAST_SERVER_OFFSET, chosenId);
  auto file = plat::get().files().open(SETTINGS_FILE_NAME, "wb");
  if (!file) return false;
  return file->write(image.data(), image.size()) == image.size() && file->flush();
}

}  // namespace updater

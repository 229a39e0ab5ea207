// veldra.cfg, both ways in. The record codec: any 180 bytes decode and encode back to themselves
// with the account name terminated in memory; fewer bytes are a MalformedInput and nothing else.
// The file: the input, any length, is veldra.cfg in the game folder and settings_load reads it
// through the path resolver; exactly 180 bytes become the settings untouched, any other length
// gives the defaults, saved over the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "client/settings/settings.h"
#include "fuzz/fuzz_support.h"

namespace {

void check_codec(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  try {
    const SETTINGS_RECORD r = settings_decode(bytes);
    if (size < SETTINGS_RECORD_SIZE) std::abort();
    if (std::strlen(r.account_name) > SETTINGS_ACCOUNT_SIZE) std::abort();
    const auto back = settings_encode(r);
    if (std::memcmp(back.data(), data, SETTINGS_RECORD_SIZE) != 0) std::abort();
    (void)settings_option_block(r);
  } catch (const plat::MalformedInput&) {
    if (size >= SETTINGS_RECORD_SIZE) std::abort();
  }
}

void check_file(const uint8_t* data, size_t size) {
  static const auto defaults = settings_encode(settings_defaults());
  fuzz_support::writeGameFile(SETTINGS_FILE_NAME, data, size);
  std::memset(&settings, 0x5a, sizeof settings);
  settings_load();
  const auto now = settings_encode(settings);
  if (settings.account_name[SETTINGS_ACCOUNT_SIZE] != 0) std::abort();
  const std::string disk = fuzz_support::readGameFile(SETTINGS_FILE_NAME);
  if (size == SETTINGS_RECORD_SIZE) {
    if (std::memcmp(now.data(), data, size) != 0) std::abort();
    if (disk.size() != size || std::memcmp(disk.data(), data, size) != 0) std::abort();
  } else {
    if (now != defaults) std::abort();
    if (disk.size() != defaults.size() || std::memcmp(disk.data(), defaults.data(), defaults.size()) != 0) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz_support::installHeadlessGameDir("settings"), true);
  (void)ready;
  check_codec(data, size);
  check_file(data, size);
  return 0;
}

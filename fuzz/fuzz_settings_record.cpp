// veldra.cfg's reader: any 180 bytes decode and encode back to themselves with the account name
// terminated in memory; fewer bytes are a MalformedInput and nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "client/settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
  return 0;
}

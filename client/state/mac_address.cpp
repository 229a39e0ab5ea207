#include "client/state/mac_address.h"

#include <cstring>
#include <string>

#include "plat/platform.h"

void mac_address_read(char (&text)[MAC_ADDRESS_TEXT_SIZE]) {
  // The platform already formats the address this way ("" when there is none).
  const std::string mac = plat::get().systemInfo().query().macAddress;
  const size_t n = mac.size() < MAC_ADDRESS_TEXT_SIZE - 1 ? mac.size() : MAC_ADDRESS_TEXT_SIZE - 1;
  std::memcpy(text, mac.data(), n);
  text[n] = '\0';
}

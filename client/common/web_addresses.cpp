#include "client/common/web_addresses.h"

#include <optional>

#include "client/common/web_pages.h"
#include "plat/platform.h"

std::string web_address(const WEB_ADDRESS& address) {
  const std::optional<std::string> url =
      plat::get().registry().readString(plat::Hive::LocalMachine, WEB_ADDRESS_KEY, address.value);
  return url && !url->empty() ? *url : address.fallback;
}

int open_web_address(const WEB_ADDRESS& address) { return open_web_page(web_address(address).c_str()); }

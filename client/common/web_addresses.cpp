#include "client/common/web_addresses.h"

#include <optional>
#include <string>

#include "client/common/web_pages.h"
#include "plat/platform.h"

const char* web_address(const WEB_ADDRESS& address) {
  // One address at a time is in use; the text lives until the next call.
  static std::string text;
  const std::optional<std::string> url =
      plat::get().registry().readString(plat::Hive::LocalMachine, WEB_ADDRESS_KEY, address.value);
  text = url && !url->empty() ? *url : address.fallback;
  return text.c_str();
}

int open_web_address(const WEB_ADDRESS& address) { return open_web_page(web_address(address)); }

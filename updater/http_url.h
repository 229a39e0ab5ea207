// The parts of an http:// URL that a request needs.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace updater {

struct HttpUrl {
  std::string server;     // host name or dotted address
  std::string object;     // path and query, "/" at least
  uint16_t port = 80;
};

// "http://" in any case, a host, an optional port 1..65535, a path (default "/"). nullopt for
// anything else, and for any byte below 0x21 or 0x7F, so that a URL can never add a header line.
std::optional<HttpUrl> parseHttpUrl(std::string_view url);

}  // namespace updater

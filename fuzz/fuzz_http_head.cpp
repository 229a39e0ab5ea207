// The downloader's readers of network text: URLs (from server lists, version files and Location
// lines) and response heads. A URL that parses has a host, an object starting with '/', and
// makes a request with exactly one empty line, at its end (nothing can add a header); a head
// gives its fields without reading outside it; a cookie never holds its ';'.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "updater/http_head.h"
#include "updater/http_request.h"
#include "updater/http_url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 1) {
    const auto url = updater::parseHttpUrl(text);
    if (!url) return 0;
    if (url->server.empty() || url->object.empty() || url->object[0] != '/' || url->port == 0) std::abort();
    const std::string request = updater::buildHttpRequest(*url, "sid=1", 7);
    if (request.find("\r\n\r\n") != request.size() - 4) std::abort();
    return 0;
  }
  const std::string_view head = updater::headPart(text);
  if (head.size() > text.size()) std::abort();
  int status = 0;
  char cls = 0;
  updater::parseStatus(head, status, cls);
  std::string location, cookie, length;
  if (updater::redirectLocation(head, location) == 0 && location.find("\r\n") != std::string::npos) std::abort();
  if (updater::redirectCookie(head, cookie) == 0 && cookie.find(';') != std::string::npos) std::abort();
  if (updater::headerField(head, "Content-Length: ", length, 1, 2) == 0) updater::parseLength(length);
  return 0;
}

// The request lines, byte for byte as servers of the game have always received them.
#include "updater/http_request.h"

namespace updater {

std::string buildHttpRequest(const HttpUrl& url, std::string_view cookie, int32_t first, int32_t last,
                             std::string_view referer) {
  std::string r;
  r.reserve(256);
  r += "GET ";
  r += url.object;
  r += " HTTP/1.1\r\n";
  r += "Host: ";
  r += url.server;
  r += " \r\n";
  if (!referer.empty()) {
    r += "Referer: ";
    r += referer;
    r += " \r\n";
  }
  r += "Accept:*/*\r\n";
  r += "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n";
  r += "Connection:close\r\n";
  if (!cookie.empty()) {
    r += "Set Cookie:0";
    r += cookie;
    r += "\r\n";
  }
  r += "Range: bytes=" + std::to_string(first) + "-";
  if (last > first) r += std::to_string(last);
  r += "\r\n\r\n";
  return r;
}

}  // namespace updater

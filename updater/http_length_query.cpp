// The length query: one request from byte 0, following redirects, read out of the head.
#include <optional>

#include "plat/platform.h"
#include "plat/sockets.h"
#include "updater/http_downloader.h"
#include "updater/http_head.h"
#include "updater/http_request.h"

namespace updater {

namespace net = plat::net;

namespace {

constexpr int RESOLVE_ATTEMPTS = 4;

std::optional<uint32_t> resolve(const HttpUrl& url) {
  for (int attempt = 0; attempt < RESOLVE_ATTEMPTS; ++attempt)
    if (std::optional<uint32_t> ip = net::resolveIpv4(url.server)) return ip;
  return std::nullopt;
}

// One exchange: a socket (false when none can be made), its connect (a failed one leaves the
// exchange to fail on its own), the request from byte 0 and the head. `closed` when the server
// closed before anything arrived.
bool exchange(uint32_t ip, const HttpUrl& url, const std::string& cookie, const Timing& timing, std::string& head,
              bool& closed) {
  net::Socket s = net::tcpSocket();
  if (!s.valid()) return false;
  if (!net::connect(s, ip, url.port, plat::environment().netConnectTimeoutMs)) s.close();
  sendRequest(s, buildHttpRequest(url, cookie, 0), timing);
  closed = !readHttpHead(s, timing, head);
  return true;
}

void debugLine(const std::string& text) { plat::get().debugOut("http: " + text); }

}  // namespace

int CHttpDownloader::QueryLength(const std::string& url, int64_t& length) {
  length = 0;
  cookie_.clear();
  std::optional<HttpUrl> parts = parseHttpUrl(url);
  if (!parts) {
    debugLine("no usable URL");
    return HTTP_UNRESOLVED;
  }
  std::optional<uint32_t> ip = resolve(*parts);
  if (!ip) {
    debugLine("cannot resolve " + parts->server);
    return HTTP_UNRESOLVED;
  }
  std::string text;
  bool closed = false;
  if (!exchange(*ip, *parts, cookie_, timing_, text, closed)) return HTTP_NO_SOCKET;

  for (int redirects = 0;; ++redirects) {
    if (closed) return HTTP_HEAD_CLOSED;
    const std::string_view head = headPart(text);
    int status = 0;
    char cls = 0;
    if (!parseStatus(head, status, cls)) return HTTP_NO_STATUS;
    if (cls == '2') {
      std::string value;
      if (headerField(head, "Content-Length: ", value, HTTP_NO_CONTENT_LENGTH, HTTP_NO_CONTENT_LENGTH) != 0)
        return HTTP_NO_CONTENT_LENGTH;
      length = parseLength(value);
      target_ = *parts;
      ip_ = *ip;
      return HTTP_OK;
    }
    if (cls != '3' || redirects >= HTTP_MAX_REDIRECTS) {
      debugLine("status " + std::to_string(status) + " after " + std::to_string(redirects) + " redirects");
      return HTTP_BAD_STATUS;
    }
    std::string location;
    if (redirectLocation(head, location) != 0) return HTTP_REDIRECT_NO_LOCATION;
    if (redirectCookie(head, cookie_) != 0) return HTTP_REDIRECT_NO_COOKIE;
    parts = parseHttpUrl(location);
    if (!parts || !(ip = resolve(*parts))) {
      debugLine("cannot follow the redirect");
      return HTTP_REDIRECT_UNRESOLVED;
    }
    if (!exchange(*ip, *parts, cookie_, timing_, text, closed)) return HTTP_REDIRECT_NO_SOCKET;
  }
}

}  // namespace updater

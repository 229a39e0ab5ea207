// Response heads: gathered from a non-blocking socket, then read out field by field. Field names
// are matched exactly as the servers of the game write them.
#include "updater/http_head.h"

#include <limits>

#include "plat/platform.h"
#include "updater/http_codes.h"

namespace updater {

namespace net = plat::net;

namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";

}  // namespace

bool sendRequest(net::Socket& s, const std::string& request, const Timing& timing) {
  size_t sent = 0;
  for (int attempt = 0; attempt < HTTP_HEAD_ATTEMPTS && sent < request.size(); ++attempt) {
    size_t done = 0;
    const net::Io r = net::send(s, request.data() + sent, request.size() - sent, done);
    if (r == net::Io::Ok) {
      sent += done;
    } else if (r == net::Io::WouldBlock) {
      plat::get().clock().sleepMs(timing.httpHeadWaitMs);
    } else {
      return false;
    }
  }
  return sent == request.size();
}

bool readHttpHead(net::Socket& s, const Timing& timing, std::string& text, const std::atomic<bool>* stop) {
  text.clear();
  char buf[HTTP_HEAD_MAX];
  for (int attempt = 0; attempt < HTTP_HEAD_ATTEMPTS && text.size() < HTTP_HEAD_MAX; ++attempt) {
    if (stop && stop->load()) break;
    size_t got = 0;
    const net::Io r = net::recv(s, buf, HTTP_HEAD_MAX - text.size(), got);
    if (r == net::Io::Ok) {
      // The end may straddle two receives: look from a little before the new bytes.
      const size_t from = text.size() >= 3 ? text.size() - 3 : 0;
      text.append(buf, got);
      if (text.find(kHeadEnd, from) != std::string::npos) break;
    } else if (r == net::Io::WouldBlock) {
      plat::get().clock().sleepMs(timing.httpHeadWaitMs);
    } else if (r == net::Io::Closed) {
      return !text.empty();
    } else {
      break;
    }
  }
  return true;
}

std::string_view headPart(std::string_view text) {
  const size_t end = text.find(kHeadEnd);
  return end == std::string_view::npos ? text : text.substr(0, end + kHeadEnd.size());
}

bool parseStatus(std::string_view head, int& status, char& cls) {
  const size_t blank = head.find(' ');
  if (blank == std::string_view::npos) return false;
  const std::string_view rest = head.substr(blank + 1);
  cls = rest.empty() ? '\0' : rest.front();
  status = static_cast<int>(parseLength(rest.substr(0, 9)));
  return true;
}

int headerField(std::string_view head, std::string_view name, std::string& value, int missing, int unended) {
  const size_t at = head.find(name);
  if (at == std::string_view::npos) return missing;
  const size_t start = at + name.size();
  const size_t end = head.find("\r\n", start);
  if (end == std::string_view::npos) return unended;
  value.assign(head.substr(start, end - start));
  return 0;
}

int redirectLocation(std::string_view head, std::string& location) {
  return headerField(head, "Location: ", location, HTTP_LOCATION_MISSING, HTTP_LOCATION_UNENDED);
}

int redirectCookie(std::string_view head, std::string& cookie) {
  std::string value;
  const int rc = headerField(head, "Set-Cookie: ", value, HTTP_COOKIE_MISSING, HTTP_COOKIE_UNENDED);
  if (rc != 0) return rc;
  const size_t semi = value.find(';');
  if (semi == std::string::npos) return HTTP_COOKIE_NO_SEMICOLON;
  cookie = value.substr(0, semi);
  return 0;
}

int64_t parseLength(std::string_view value) {
  size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t n = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    const int d = value[i] - '0';
    n = n > (kMax - d) / 10 ? kMax : n * 10 + d;
  }
  return negative ? -n : n;
}

}  // namespace updater

// http:// URLs as the downloader takes them.
#include "updater/http_url.h"

namespace updater {

namespace {

bool hasControlBytes(std::string_view s) {
  for (unsigned char c : s)
    if (c < 0x21 || c == 0x7F) return true;
  return false;
}

bool startsWithHttp(std::string_view url) {
  constexpr std::string_view kScheme = "http://";
  if (url.size() < kScheme.size()) return false;
  for (size_t i = 0; i < kScheme.size(); ++i) {
    char c = url[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kScheme[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<HttpUrl> parseHttpUrl(std::string_view url) {
  if (!startsWithHttp(url) || hasControlBytes(url)) return std::nullopt;
  std::string_view rest = url.substr(7);
  const size_t authorityEnd = rest.find_first_of("/?");
  const std::string_view authority = rest.substr(0, authorityEnd);
  std::string_view path = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);

  HttpUrl out;
  const size_t colon = authority.find(':');
  std::string_view host = authority.substr(0, colon);
  if (host.empty() || host.find('@') != std::string_view::npos) return std::nullopt;
  if (colon != std::string_view::npos) {
    const std::string_view digits = authority.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    uint32_t port = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      port = port * 10 + static_cast<uint32_t>(c - '0');
    }
    if (port < 1 || port > 65535) return std::nullopt;
    out.port = static_cast<uint16_t>(port);
  }
  out.server.assign(host);
  if (path.empty()) out.object = "/";
  else if (path.front() == '?') out.object = "/" + std::string(path);
  else out.object.assign(path);
  return out;
}

}  // namespace updater

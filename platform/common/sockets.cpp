// POSIX TCP sockets for plat::net.
#include "plat/sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace plat::net {

namespace {

void setNoDelay(int fd) {
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// Waits for the handshake; false on timeout or failure.
bool finishConnect(int fd, uint32_t timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left < 0) left = 0;
    pollfd p{fd, POLLOUT, 0};
    int r = ::poll(&p, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return false;
    return err == 0;
  }
}

}  // namespace

Socket& Socket::operator=(Socket&& o) noexcept {
  if (this != &o) {
    close();
    handle_ = o.handle_;
    o.handle_ = -1;
  }
  return *this;
}

void Socket::close() {
  if (handle_ >= 0) ::close(handle_);
  handle_ = -1;
}

uint32_t inetAddr(std::string_view text) {
  std::string s(text);
  return ::inet_addr(s.c_str());
}

std::optional<uint32_t> resolveIpv4(const std::string& host) {
  if (host.empty() || host.find('\0') != std::string::npos) return std::nullopt;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || !list) return std::nullopt;
  uint32_t ip = 0;
  bool found = false;
  for (addrinfo* a = list; a && !found; a = a->ai_next) {
    if (a->ai_family != AF_INET || !a->ai_addr) continue;
    ip = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
    found = true;
  }
  ::freeaddrinfo(list);
  if (!found) return std::nullopt;
  return ip;
}

std::string formatIpv4(uint32_t ipNetOrder) {
  in_addr a{};
  a.s_addr = ipNetOrder;
  char buf[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &a, buf, sizeof buf);
  return buf;
}

bool isLoopbackAddress(std::string_view text) {
  std::string s(text);
  in_addr a4{};
  if (::inet_pton(AF_INET, s.c_str(), &a4) == 1) return (ntohl(a4.s_addr) >> 24) == 127;
  in6_addr a6{};
  if (::inet_pton(AF_INET6, s.c_str(), &a6) == 1) return IN6_IS_ADDR_LOOPBACK(&a6);
  return false;
}

Socket tcpSocket() { return Socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)); }

bool connect(Socket& s, uint32_t ipNetOrder, uint16_t port, uint32_t timeoutMs) {
  if (!s.valid()) return false;
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = ipNetOrder;  // already in network order: never swapped
  int r;
  do r = ::connect(s.handle(), reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  while (r != 0 && errno == EINTR);
  if (r != 0) {
    if (errno != EINPROGRESS || !finishConnect(s.handle(), timeoutMs)) return false;
  }
  setNoDelay(s.handle());
  return true;
}

Socket connect(uint32_t ipNetOrder, uint16_t port, uint32_t timeoutMs) {
  Socket s = tcpSocket();
  if (!connect(s, ipNetOrder, port, timeoutMs)) return Socket();
  return s;
}

Io send(Socket& s, const void* data, size_t n, size_t& done) {
  done = 0;
  if (!s.valid()) return Io::Error;
  if (n == 0) return Io::Ok;
  for (;;) {
    ssize_t r = ::send(s.handle(), data, n, MSG_NOSIGNAL);
    if (r >= 0) {
      done = static_cast<size_t>(r);
      return Io::Ok;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Io::WouldBlock;
    if (errno == EPIPE || errno == ECONNRESET) return Io::Closed;
    return Io::Error;
  }
}

Io recv(Socket& s, void* data, size_t n, size_t& done) {
  done = 0;
  if (!s.valid()) return Io::Error;
  for (;;) {
    ssize_t r = ::recv(s.handle(), data, n, 0);
    if (r > 0) {
      done = static_cast<size_t>(r);
      return Io::Ok;
    }
    if (r == 0) return n == 0 ? Io::Ok : Io::Closed;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Io::WouldBlock;
    if (errno == ECONNRESET) return Io::Closed;
    return Io::Error;
  }
}

Socket listen(std::string_view address, uint16_t port, int backlog) {
  std::string text(address);
  sockaddr_storage ss{};
  socklen_t len = 0;
  int family;
  auto* a4 = reinterpret_cast<sockaddr_in*>(&ss);
  auto* a6 = reinterpret_cast<sockaddr_in6*>(&ss);
  if (::inet_pton(AF_INET, text.c_str(), &a4->sin_addr) == 1) {
    family = AF_INET;
    a4->sin_family = AF_INET;
    a4->sin_port = htons(port);
    len = sizeof *a4;
  } else if (::inet_pton(AF_INET6, text.c_str(), &a6->sin6_addr) == 1) {
    family = AF_INET6;
    a6->sin6_family = AF_INET6;
    a6->sin6_port = htons(port);
    len = sizeof *a6;
  } else {
    return Socket();
  }
  Socket s(::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!s.valid()) return s;
  int one = 1;
  ::setsockopt(s.handle(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(s.handle(), reinterpret_cast<sockaddr*>(&ss), len) != 0) return Socket();
  if (::listen(s.handle(), backlog) != 0) return Socket();
  return s;
}

Socket accept(Socket& listener) {
  if (!listener.valid()) return Socket();
  for (;;) {
    int fd = ::accept4(listener.handle(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
      setNoDelay(fd);
      return Socket(fd);
    }
    if (errno == EINTR) continue;
    return Socket();
  }
}

std::optional<Endpoint> local(const Socket& s) {
  if (!s.valid()) return std::nullopt;
  sockaddr_storage ss{};
  socklen_t len = sizeof ss;
  if (::getsockname(s.handle(), reinterpret_cast<sockaddr*>(&ss), &len) != 0) return std::nullopt;
  Endpoint e;
  char buf[INET6_ADDRSTRLEN] = {};
  if (ss.ss_family == AF_INET) {
    auto* a = reinterpret_cast<sockaddr_in*>(&ss);
    ::inet_ntop(AF_INET, &a->sin_addr, buf, sizeof buf);
    e.port = ntohs(a->sin_port);
    e.ipv4 = a->sin_addr.s_addr;
  } else if (ss.ss_family == AF_INET6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&ss);
    ::inet_ntop(AF_INET6, &a->sin6_addr, buf, sizeof buf);
    e.port = ntohs(a->sin6_port);
  } else {
    return std::nullopt;
  }
  e.address = buf;
  return e;
}

int wait(std::span<WaitEntry> entries, int timeoutMs) {
  std::vector<pollfd> fds(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const WaitEntry& e = entries[i];
    fds[i].fd = e.socket && e.socket->valid() ? e.socket->handle() : -1;  // -1 is skipped
    fds[i].events = static_cast<short>((e.wantRead ? POLLIN : 0) | (e.wantWrite ? POLLOUT : 0));
  }
  int r = ::poll(fds.data(), fds.size(), timeoutMs);
  if (r < 0) return errno == EINTR ? 0 : -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    short re = fds[i].revents;
    entries[i].readable = (re & (POLLIN | POLLHUP | POLLERR)) != 0;
    entries[i].writable = (re & POLLOUT) != 0;
  }
  return r;
}

}  // namespace plat::net

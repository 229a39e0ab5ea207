// TCP sockets without blocking: the network client module, the updater's transfers and the test
// server. IPv4 addresses travel as the 32-bit value whose bytes in memory are the address bytes
// (network order, as inet_addr gives them).
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace plat::net {

enum class Io { Ok, WouldBlock, Closed, Error };

// Owns one descriptor (close-on-exec, non-blocking); closes it on destruction.
class Socket {
 public:
  Socket() = default;
  explicit Socket(int handle) : handle_(handle) {}
  ~Socket() { close(); }
  Socket(Socket&& o) noexcept : handle_(o.handle_) { o.handle_ = -1; }
  Socket& operator=(Socket&& o) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  bool valid() const { return handle_ >= 0; }
  int handle() const { return handle_; }
  void close();

 private:
  int handle_ = -1;
};

// inet_addr's rules; 0xFFFFFFFF when the text is no address.
uint32_t inetAddr(std::string_view text);
// The IPv4 address of a host name or dotted address: one lookup, no retries (callers retry).
// nullopt when there is none.
std::optional<uint32_t> resolveIpv4(const std::string& host);
// The dotted form of a network-order address.
std::string formatIpv4(uint32_t ipNetOrder);
// 127.0.0.0/8 or ::1, written as a numeric address.
bool isLoopbackAddress(std::string_view text);

// Connects, waiting at most timeoutMs for the handshake; the socket has TCP_NODELAY set.
// Invalid on failure or timeout.
Socket connect(uint32_t ipNetOrder, uint16_t port, uint32_t timeoutMs);
// The same in two steps, for callers that tell "no socket" from "no connection": an unconnected
// IPv4 TCP socket (invalid when none can be made), then its connect. After a failed connect the
// socket is spent: close it and make a new one for the next attempt.
Socket tcpSocket();
bool connect(Socket& s, uint32_t ipNetOrder, uint16_t port, uint32_t timeoutMs);
// Never raises SIGPIPE. `done` is what went through (Ok: > 0 bytes, or n was 0).
Io send(Socket& s, const void* data, size_t n, size_t& done);
Io recv(Socket& s, void* data, size_t n, size_t& done);

// A listener on a numeric IPv4 or IPv6 address; port 0 picks a free port.
Socket listen(std::string_view address, uint16_t port, int backlog);
// The next pending connection (TCP_NODELAY set), or an invalid socket when none waits.
Socket accept(Socket& listener);

struct Endpoint {
  std::string address;   // numeric
  uint16_t port = 0;
  uint32_t ipv4 = 0;     // network order; 0 for IPv6
};
std::optional<Endpoint> local(const Socket& s);

// poll(2) over several sockets.
struct WaitEntry {
  const Socket* socket = nullptr;
  bool wantRead = true;
  bool wantWrite = false;
  bool readable = false;  // also set on hang-up and error, so that the next recv reports it
  bool writable = false;
};
// Number of ready entries, 0 after timeoutMs (or an interrupting signal), -1 on error.
int wait(std::span<WaitEntry> entries, int timeoutMs);

}  // namespace plat::net

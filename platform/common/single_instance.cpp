// Single instance over an abstract UNIX socket keyed by a name and the game folder.
#include "common/single_instance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

#include "common/common.h"

namespace plat::common {

namespace {

std::mutex handlerMutex;
std::function<void()> raiseHandler;

uint64_t fnv1a(std::string_view s) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

// "\0veldra:<name, at most 64 bytes>:<hash of name>:<hash of the game folder>"
socklen_t makeAddress(std::string_view name, const std::string& gameDir, sockaddr_un& addr) {
  char hashes[48];
  std::snprintf(hashes, sizeof hashes, ":%016llx:%016llx", static_cast<unsigned long long>(fnv1a(name)),
                static_cast<unsigned long long>(fnv1a(gameDir)));
  std::string key = "veldra:" + std::string(name.substr(0, 64)) + hashes;
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  size_t n = std::min(key.size(), sizeof addr.sun_path - 1);
  std::memcpy(addr.sun_path + 1, key.data(), n);  // sun_path[0] = 0: the abstract namespace
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
}

void listen(int fd) {
  for (;;) {
    int c = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (c < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    char buf[16];
    ssize_t n;
    do n = read(c, buf, sizeof buf);
    while (n < 0 && errno == EINTR);
    close(c);
    if (n == 5 && std::memcmp(buf, "raise", 5) == 0) {
      std::function<void()> h;
      {
        std::lock_guard lock(handlerMutex);
        h = raiseHandler;
      }
      if (h) h();
    }
  }
}

}  // namespace

void setRaiseHandler(std::function<void()> handler) {
  std::lock_guard lock(handlerMutex);
  raiseHandler = std::move(handler);
}

bool anotherCopyRaised(std::string_view name, const std::string& gameDir) {
  sockaddr_un addr;
  socklen_t len = makeAddress(name, gameDir, addr);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;  // no sockets: behave as the first copy
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0) {
    if (::listen(fd, 4) != 0) {
      close(fd);
      return false;
    }
    // The key is held for the life of the process; the listener never ends.
    std::thread([fd] { listen(fd); }).detach();
    return false;
  }
  int bindErr = errno;
  close(fd);
  if (bindErr != EADDRINUSE) return false;
  int c = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (c >= 0) {
    if (connect(c, reinterpret_cast<sockaddr*>(&addr), len) == 0) {
      ssize_t n;
      do n = send(c, "raise", 5, MSG_NOSIGNAL);
      while (n < 0 && errno == EINTR);
    }
    close(c);
  }
  return true;
}

}  // namespace plat::common

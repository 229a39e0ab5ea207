// A plain client end for the test server's tests: frames out and in, without the client module.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

#include "plat/netframe.h"
#include "plat/sockets.h"

namespace veldra_test {

struct RawClient {
  plat::net::Socket s;
  plat::netframe::Decoder d;

  explicit RawClient(uint16_t port) { s = plat::net::connect(plat::net::inetAddr("127.0.0.1"), port, 2000); }
  void send(const std::vector<uint8_t>& b) {
    size_t done = 0;
    ASSERT_EQ(plat::net::send(s, b.data(), b.size(), done), plat::net::Io::Ok);
    ASSERT_EQ(done, b.size());
  }
  void send(uint32_t id, int32_t arg, const std::vector<uint8_t>& payload = {}) {
    std::vector<uint8_t> b;
    plat::netframe::append(b, id, arg, payload.data(), static_cast<uint32_t>(payload.size()));
    send(b);
  }
  // The next frame within 5 s; false when the server closed or nothing came.
  bool next(uint32_t& id, int32_t& arg, std::vector<uint8_t>& payload) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
      plat::netframe::Frame f;
      if (d.next(f) == plat::netframe::Decoder::Result::Frame) {
        id = f.id, arg = f.arg, payload.assign(f.payload, f.payload + f.length);
        return true;
      }
      std::span<uint8_t> room = d.space(4096);
      size_t got = 0;
      plat::net::Io r = plat::net::recv(s, room.data(), room.size(), got);
      if (r == plat::net::Io::Ok) {
        d.commit(got);
      } else if (r == plat::net::Io::WouldBlock) {
        plat::net::WaitEntry w{&s};
        plat::net::wait({&w, 1}, 20);
      } else {
        return false;
      }
    }
    return false;
  }
};

}  // namespace veldra_test

// Compiled-in answers of the test server, grouped into profiles chosen with --profile. Each
// message group has one file under responders/ that registers its functions by message id:
//
//   static const testserver::ResponderRegistration reg("login", 0x20000, onLogin);
//
// A profile's responders answer every matching frame, after the script's own `on` rules.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/testserver/script.h"

namespace testserver {

constexpr uint32_t kAnyId = 0xFFFFFFFFu;

struct Incoming {
  Link link;
  uint32_t id;
  int32_t arg;
  std::span<const uint8_t> payload;
};

// What a responder can do: send frames, and read the listeners' addresses.
class Replies {
 public:
  virtual ~Replies() = default;
  virtual void send(Link link, uint32_t id, int32_t arg, std::span<const uint8_t> payload) = 0;
  // The listener's u32 IPv4 address (network order) and u32 port, little-endian: 8 bytes.
  virtual std::vector<uint8_t> address(Link link) = 0;
};

using ResponderFn = void (*)(const Incoming& in, Replies& out);

struct ResponderRegistration {
  ResponderRegistration(const char* profile, uint32_t id, ResponderFn fn);
};

bool profileExists(const std::string& profile);
std::vector<std::string> profileNames();
// The responders of a profile for an id (those registered for kAnyId included), in order.
std::vector<ResponderFn> respondersFor(const std::string& profile, uint32_t id);

}  // namespace testserver

// Compiled-in answers of the test server, grouped into profiles chosen with --profile. Each
// message group has one file under responders/ that registers its functions by message id:
//
//   static const testserver::ResponderRegistration reg("login", 0x20000, onLogin);
//
// A profile's responders answer every matching frame, after the script's own `on` rules. They
// read the script's `world` declarations and keep what a run learns in its RunState; a profile's
// tick functions run on every turn of the server's loop (for answers that come later).
#pragma once
#include <cstdint>
#include <optional>
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

// A queue countdown the login responder runs for an account on a link.
struct QueueCountdown {
  bool active = false;
  uint32_t seconds = 0, position = 0;
  uint64_t nextMs = 0;  // server time of the next notice
  std::string account;
};

// What one run of the server learns; one per Server, reset by nothing but a new run.
struct RunState {
  // The account logged in on each link (none until a login; "" is an account too); a new
  // connection clears it.
  std::optional<std::string> loggedIn[2];
  QueueCountdown queue[2];
  std::vector<std::string> admitted;            // queued accounts whose wait has ended
  std::vector<WorldCharacter> created;          // characters the create request stored
  uint32_t nextCharacterId = 0;                 // 0: one above the highest declared id
  bool resumePending = false;                   // 0xf0006 is due at resumeAtMs
  uint64_t resumeAtMs = 0;
};

// What a responder can do: send frames, read the listeners' addresses, the world and the run.
class Replies {
 public:
  virtual ~Replies() = default;
  virtual void send(Link link, uint32_t id, int32_t arg, std::span<const uint8_t> payload) = 0;
  // The listener's u32 IPv4 address (network order) and u32 port, little-endian: 8 bytes.
  virtual std::vector<uint8_t> address(Link link) = 0;
  virtual const World& world() = 0;
  virtual RunState& state() = 0;
  // Milliseconds since the server started listening.
  virtual uint64_t nowMs() = 0;
  // A line of the transcript.
  virtual void note(const std::string& text) = 0;
  virtual bool connected(Link link) = 0;
};

using ResponderFn = void (*)(const Incoming& in, Replies& out);
using TickFn = void (*)(Replies& out);

struct ResponderRegistration {
  ResponderRegistration(const char* profile, uint32_t id, ResponderFn fn);
};

struct TickRegistration {
  TickRegistration(const char* profile, TickFn fn);
};

bool profileExists(const std::string& profile);
std::vector<std::string> profileNames();
// The responders of a profile for an id (those registered for kAnyId included), in order.
std::vector<ResponderFn> respondersFor(const std::string& profile, uint32_t id);
std::vector<TickFn> ticksFor(const std::string& profile);

}  // namespace testserver

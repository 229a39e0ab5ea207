// Profile "game", once the character is in the scene: the game main task's requests. The
// character details (0x50005) and the title list (0xe0002) are answered, the battle resume
// (0xf0005) after `world battle-resume MS` (or never), the online notice (0x190007) and the
// adapter address (0x19000b) are written to the transcript; on the chat link the client's hello
// (0x40246) gets the value echo 0x40280, which the client returns on the world link.
#include <algorithm>
#include <string>

#include "plat/bytes.h"
#include "tools/testserver/responders.h"
#include "tools/testserver/world_records.h"

namespace testserver {
namespace {

constexpr uint32_t kDetails = 0x50005;
constexpr uint32_t kTitles = 0xe0002;
constexpr uint32_t kBattleReturn = 0xf0005;
constexpr uint32_t kBattleResumed = 0xf0006;
constexpr uint32_t kOnline = 0x190007;
constexpr uint32_t kAddress = 0x19000b;
constexpr uint32_t kChatHello = 0x40246;
constexpr uint32_t kValueEcho = 0x40280;

constexpr int kDetailWords = 15;           // 60 bytes
constexpr int32_t kEchoValue = 0x5a5a;     // the value the client sends back with 0xf0004
constexpr size_t kAddressTextMax = 127;    // the client's text holds 128 bytes with its NUL

void onDetails(const Incoming& in, Replies& out) {
  if (in.link != Link::World) return;
  plat::ByteWriter w;
  for (int i = 0; i < kDetailWords; ++i) w.u32(static_cast<uint32_t>(10 * (i + 1)));
  out.send(Link::World, kDetails, 0, w.data());
}

void onTitles(const Incoming& in, Replies& out) {
  if (in.link != Link::World) return;
  const char* const names[] = {"Wayfarer", "Pathfinder", "Old Hand"};
  std::vector<uint8_t> payload;
  uint16_t id = 1;
  for (const char* name : names) {
    const std::vector<uint8_t> t = titleRecord(id++, name);
    payload.insert(payload.end(), t.begin(), t.end());
  }
  out.send(Link::World, kTitles, static_cast<int32_t>(std::size(names)), payload);
}

void onBattleResume(const Incoming& in, Replies& out) {
  if (in.link != Link::World) return;
  const World& w = out.world();
  RunState& st = out.state();
  if (!w.battleResumeMs) {
    out.note("game: battle resume held");
    return;
  }
  st.resumePending = true;
  st.resumeAtMs = out.nowMs() + *w.battleResumeMs;
  out.note("game: battle resume in " + std::to_string(*w.battleResumeMs) + " ms");
}

void resumeTick(Replies& out) {
  RunState& st = out.state();
  if (!st.resumePending || out.nowMs() < st.resumeAtMs) return;
  st.resumePending = false;
  if (!out.connected(Link::World)) return;
  out.send(Link::World, kBattleResumed, 0, {});
}

void onOnline(const Incoming& in, Replies& out) {
  if (in.link == Link::World) out.note("game: online");
}

// The text up to its NUL (all of it without one), bounded, with bytes outside ASCII as \xNN.
void onAddress(const Incoming& in, Replies& out) {
  if (in.link != Link::World) return;
  const auto nul = std::find(in.payload.begin(), in.payload.end(), uint8_t{0});
  std::string text;
  for (auto it = in.payload.begin(); it != nul && text.size() < kAddressTextMax; ++it) {
    const uint8_t c = *it;
    if (c >= 0x20 && c < 0x7f && c != '\\' && c != '"') {
      text.push_back(static_cast<char>(c));
    } else {
      static const char hex[] = "0123456789abcdef";
      text += "\\x";
      text.push_back(hex[c >> 4]);
      text.push_back(hex[c & 15]);
    }
  }
  out.note("game: mac \"" + text + "\" len=" + std::to_string(in.payload.size()));
}

void onChatHello(const Incoming& in, Replies& out) {
  if (in.link == Link::Chat) out.send(Link::Chat, kValueEcho, kEchoValue, {});
}

const ResponderRegistration kDetailsReg("game", kDetails, onDetails);
const ResponderRegistration kTitlesReg("game", kTitles, onTitles);
const ResponderRegistration kResumeReg("game", kBattleReturn, onBattleResume);
const ResponderRegistration kOnlineReg("game", kOnline, onOnline);
const ResponderRegistration kAddressReg("game", kAddress, onAddress);
const ResponderRegistration kChatHelloReg("game", kChatHello, onChatHello);
const TickRegistration kResumeTick("game", resumeTick);

}  // namespace
}  // namespace testserver

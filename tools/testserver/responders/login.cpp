// Profile "game": the front end's road from the script's `world` lines. The login (0x20000,
// with a queue counted down by 0x130005 once a second), the character list (0x30007), the
// character choice (0x30008) and the create request (0x3000e); a chosen or created character
// gets the chat address (0x30004), the scene entry (0x30100), the battle to resume (0xf0005, with
// `world battle-resume`) and the enter-scene reply (0x3000c). The game's own requests are in
// game.cpp.
#include <algorithm>
#include <ctime>
#include <optional>

#include "plat/bytes.h"
#include "plat/netframe.h"
#include "tools/testserver/responders.h"
#include "tools/testserver/world_records.h"

namespace testserver {
namespace {

constexpr uint32_t kLogin = 0x20000;
constexpr uint32_t kLoginResult = 0x20001;
constexpr uint32_t kQueueWait = 0x130005;
constexpr uint32_t kChatAddress = 0x30004;
constexpr uint32_t kCharList = 0x30007;
constexpr uint32_t kCharSelect = 0x30008;
constexpr uint32_t kEnterScene = 0x3000c;
constexpr uint32_t kCreate = 0x3000e;
constexpr uint32_t kSceneEntry = 0x30100;
constexpr uint32_t kSceneNpcs = 0x30012;
constexpr uint32_t kScenePlayers = 0x3000a;
constexpr uint32_t kBattleReturn = 0xf0005;

constexpr int kWorld = static_cast<int>(Link::World);
constexpr uint64_t kQueueStepMs = 1000;

// The text of a NUL-padded field of the login block.
std::string blockField(std::span<const uint8_t> block, size_t at) {
  plat::ByteReader r(block);
  r.skip(at, "login block");
  return r.fixedString(plat::netframe::kLoginFieldMax + 1, "login field");
}

std::vector<WorldCharacter> charactersOf(Replies& out, const std::string& account) {
  std::vector<WorldCharacter> list;
  for (const WorldCharacter& c : out.world().characters)
    if (c.account == account) list.push_back(c);
  for (const WorldCharacter& c : out.state().created)
    if (c.account == account) list.push_back(c);
  return list;
}

bool nameTaken(Replies& out, const std::string& name) {
  auto same = [&](const WorldCharacter& c) { return c.name == name; };
  return std::any_of(out.world().characters.begin(), out.world().characters.end(), same) ||
         std::any_of(out.state().created.begin(), out.state().created.end(), same);
}

void sendU32s(Replies& out, Link link, uint32_t id, int32_t arg, std::initializer_list<uint32_t> words) {
  plat::ByteWriter w;
  for (uint32_t v : words) w.u32(v);
  out.send(link, id, arg, w.data());
}

void loginAccepted(Replies& out, const WorldAccount& a) {
  if (a.result == 0) out.state().loggedIn[kWorld] = a.name;
  out.note("game: login " + a.name + " status " + std::to_string(a.result));
  if (a.result == 0) {
    // The kept word, then the server's clock in seconds.
    sendU32s(out, Link::World, kLoginResult, 0, {0, static_cast<uint32_t>(std::time(nullptr))});
  } else {
    out.send(Link::World, kLoginResult, a.result, {});
  }
}

void onLogin(const Incoming& in, Replies& out) {
  if (in.link != Link::World) return;
  RunState& st = out.state();
  if (in.payload.size() < plat::netframe::kLoginBlockSize) {
    out.note("game: short login block");
    out.send(Link::World, kLoginResult, 1, {});
    return;
  }
  const std::string account = blockField(in.payload, 0);
  const std::string password = blockField(in.payload, 32);
  const WorldAccount* a = out.world().account(account);
  if (!a || a->password != password) {
    out.note("game: login " + account + " refused");
    out.send(Link::World, kLoginResult, 1, {});
    return;
  }
  QueueCountdown& q = st.queue[kWorld];
  if (q.active) {
    out.note("game: login " + account + " while queued, ignored");
    return;
  }
  const bool admitted = std::find(st.admitted.begin(), st.admitted.end(), account) != st.admitted.end();
  if ((a->queueSeconds != 0 || a->queuePosition != 0) && !admitted) {
    q = {true, a->queueSeconds, a->queuePosition, out.nowMs(), account};
    out.note("game: login " + account + " queued");
    return;
  }
  loginAccepted(out, *a);
}

// One notice a second, counting both values down; (0, 0) admits the account, whose next login
// is taken.
void queueTick(Replies& out) {
  RunState& st = out.state();
  QueueCountdown& q = st.queue[kWorld];
  if (!q.active || out.nowMs() < q.nextMs) return;
  if (!out.connected(Link::World)) {
    q = {};
    return;
  }
  sendU32s(out, Link::World, kQueueWait, static_cast<int32_t>(q.seconds), {q.position});
  if (q.seconds == 0 && q.position == 0) {
    st.admitted.push_back(q.account);
    out.note("game: queue over for " + q.account);
    q = {};
    return;
  }
  if (q.seconds > 0) --q.seconds;
  if (q.position > 0) --q.position;
  q.nextMs += kQueueStepMs;
}

void onCharList(const Incoming& in, Replies& out) {
  if (in.link != Link::World) return;
  const std::optional<std::string>& account = out.state().loggedIn[kWorld];
  if (!account) {
    out.send(Link::World, kCharList, -1, {});
    return;
  }
  std::vector<uint8_t> payload;
  const std::vector<WorldCharacter> list = charactersOf(out, *account);
  for (const WorldCharacter& c : list) {
    const std::vector<uint8_t> e = charEntry(c);
    payload.insert(payload.end(), e.begin(), e.end());
  }
  out.send(Link::World, kCharList, static_cast<int32_t>(list.size()), payload);
}

// The character enters the world's scene: chat address, scene entry, then the enter reply (in
// that order: the scene entry clears the in-scene word that the reply sets). A battle to resume
// is told between the two.
void enterScene(Replies& out, const WorldCharacter& c) {
  out.note("game: " + c.name + " enters " + out.world().scene.name);
  out.send(Link::World, kChatAddress, 0, out.address(Link::Chat));
  out.send(Link::World, kSceneEntry, 0, sceneEntry(out.world().scene, c));
  if (out.world().battleResume) out.send(Link::World, kBattleReturn, 0, {});
  out.send(Link::World, kEnterScene, 0, {});
  // The characters already standing there.
  int32_t count = 0;
  std::vector<uint8_t> npcs = sceneNpcs(out.world(), count);
  if (count > 0) out.send(Link::World, kSceneNpcs, count, npcs);
  std::vector<uint8_t> players = scenePlayers(out.world(), count);
  if (count > 0) out.send(Link::World, kScenePlayers, count, players);
}

void onCharSelect(const Incoming& in, Replies& out) {
  if (in.link != Link::World) return;
  const std::optional<std::string>& account = out.state().loggedIn[kWorld];
  const uint32_t id = static_cast<uint32_t>(in.arg);
  if (account) {
    for (const WorldCharacter& c : charactersOf(out, *account)) {
      if (c.id != id) continue;
      out.send(Link::World, kCharSelect, 0, {});
      enterScene(out, c);
      return;
    }
  }
  out.note("game: no character " + std::to_string(id) + " for \"" + account.value_or("") + "\"");
  out.send(Link::World, kCharSelect, 1, {});
}

void onCreate(const Incoming& in, Replies& out) {
  if (in.link != Link::World) return;
  RunState& st = out.state();
  const std::optional<std::string>& account = st.loggedIn[kWorld];
  std::string name;
  if (!account || in.payload.size() < kCharEntrySize || !createName(in.payload, name) || name.empty()) {
    out.note("game: create refused");
    out.send(Link::World, kCreate, -1, {});
    return;
  }
  if (nameTaken(out, name)) {
    out.note("game: name " + name + " taken");
    out.send(Link::World, kCreate, -2, {});
    return;
  }
  if (st.nextCharacterId == 0) {
    uint32_t highest = 0;
    for (const WorldCharacter& c : out.world().characters) highest = std::max(highest, c.id);
    st.nextCharacterId = highest + 1;
  }
  WorldCharacter c;
  c.account = *account;
  c.id = st.nextCharacterId++;
  c.name = name;
  c.race = in.payload[19];
  c.look = in.payload[20];
  st.created.push_back(c);
  out.note("game: created " + name + " id " + std::to_string(c.id));
  out.send(Link::World, kCreate, 0, {});
  enterScene(out, c);
}

const ResponderRegistration kLoginReg("game", kLogin, onLogin);
const ResponderRegistration kListReg("game", kCharList, onCharList);
const ResponderRegistration kSelectReg("game", kCharSelect, onCharSelect);
const ResponderRegistration kCreateReg("game", kCreate, onCreate);
const TickRegistration kQueueReg("game", queueTick);

}  // namespace
}  // namespace testserver

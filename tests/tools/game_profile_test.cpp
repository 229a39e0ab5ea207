// The test server's `world` lines and its "game" profile: login with and without a queue, the
// character list, the character choice with the scene entry, and the create request.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plat/bytes.h"
#include "plat/handover.h"
#include "plat/netframe.h"
#include "tests/tools/raw_client.h"
#include "tests/tools/running_server.h"
#include "tools/testserver/script.h"
#include "tools/testserver/world_records.h"

namespace {

using Bytes = std::vector<uint8_t>;
using veldra_test::RawClient;
using testserver::Script;
using testserver::ScriptError;

struct Frame {
  uint32_t id = 0;
  int32_t arg = 0;
  Bytes payload;
};

const char* const kWorld = R"(
world account demo demo
world account solo "so lo" result=5
world account late late queue=2,1
world account "" ""
world character demo 1001 Aldric 0 0 0 45
world character demo 1002 "Bren\xB0\xA1" 3 1 2 45
world character solo 1003 Corwin 2 0 0 12
world scene 76 map001 320 240 music=9
wait 20000
)";

testserver::Options gameOptions() {
  testserver::Options o;
  o.profile = "game";
  o.maxSeconds = 20;
  return o;
}

Bytes loginBlock(const char* account, const char* password) {
  Bytes b(plat::netframe::kLoginBlockSize);
  plat::netframe::loginBlock(account, password, b.data());
  return b;
}

Bytes createRequest(const std::string& nameField, uint8_t race, uint8_t look) {
  Bytes b(28, 0);
  std::memset(b.data(), 0xFF, 4);
  std::memcpy(b.data() + 4, nameField.data(), std::min<size_t>(nameField.size(), 15));
  b[19] = race;
  b[20] = look;
  return b;
}

class GameProfile : public ::testing::Test {
 protected:
  void start(const char* script = kWorld) {
    server = std::make_unique<veldra_test::RunningServer>(script, gameOptions());
    ASSERT_TRUE(server->listening());
    client = std::make_unique<RawClient>(server->world());
    ASSERT_TRUE(client->s.valid());
  }
  Frame next() {
    Frame f;
    EXPECT_TRUE(client->next(f.id, f.arg, f.payload)) << "no frame from the server";
    return f;
  }
  void login(const char* account, const char* password) {
    client->send(0x20000, 0, loginBlock(account, password));
  }
  std::unique_ptr<veldra_test::RunningServer> server;
  std::unique_ptr<RawClient> client;
};

TEST(GameWorld, DeclarationsAreReadBeforeTheSteps) {
  const Script s = Script::parse(kWorld);
  ASSERT_EQ(s.world.accounts.size(), 4u);
  EXPECT_EQ(s.world.accounts[1].password, "so lo");
  EXPECT_EQ(s.world.accounts[1].result, 5);
  EXPECT_EQ(s.world.accounts[2].queueSeconds, 2u);
  EXPECT_EQ(s.world.accounts[2].queuePosition, 1u);
  EXPECT_EQ(s.world.accounts[3].name, "");  // "" "": the empty account
  EXPECT_EQ(s.world.accounts[3].password, "");
  ASSERT_EQ(s.world.characters.size(), 3u);
  EXPECT_EQ(s.world.characters[1].name, "Bren\xB0\xA1");
  EXPECT_EQ(s.world.characters[1].race, 3);
  EXPECT_EQ(s.world.characters[1].rebirth, 2);
  ASSERT_TRUE(s.world.hasScene);
  EXPECT_EQ(s.world.scene.map, 76);
  EXPECT_EQ(s.world.scene.music, 9);
  EXPECT_EQ(s.world.scene.x, 320);
  ASSERT_EQ(s.steps.size(), 1u);  // only the wait is a step
}

TEST(GameWorld, BadDeclarationsNameTheirLine) {
  const struct {
    const char* text;
    const char* why;
  } cases[] = {
      {"world character nobody 1 A 0 0 0 1", "undeclared account"},
      {"world account a a\nworld account a b", "declared twice"},
      {"world account a a\nworld character a 1 A 0 0 0 1\nworld character a 1 B 0 0 0 1", "declared twice"},
      {"world account a a\nworld character a 1 ABCDEFGHIJKLMNO 0 0 0 1", "1 to 14 bytes"},
      {"world scene 1 m 0 0\nworld scene 2 n 0 0", "one world scene"},
      {"world scene 1 m 0 70000", "out of range"},
      {"world account a a queue=5", "queue=SECONDS,POSITION"},
      {"world account a a colour=red", "unexpected"},
      {"world weather rain", "account, character, scene, npc, player or battle-resume"},
      {"world npc 0x80000001 Smith 101 5", "world npc ID NAME LOOK X Y"},
      {"world npc 1 A 101 5 5\nworld player 1 B 2 5 5", "declared twice"},
      {"world player 7 Aria 2 5 5 dir=3", "unexpected"},
      {"world npc 7 Smith 101 5 5 class=1", "unexpected"},
      {"world npc 7 ABCDEFGHIJKLMNOPQRSTU 101 5 5", "1 to 20 bytes"},
      {"world player 7 Aria 2 5 70000", "out of range"},
      {"world battle-resume soon", "bad number"},
      {"world battle-resume 5 10", "world battle-resume MS|never"},
      {"world battle-resume 5\nworld battle-resume never", "one world battle-resume"},
      {"world account \"ABCDEFGHIJKLMNOPQRSTUVWXYZ789012\" a", "0 to 31 bytes"},
  };
  for (const auto& c : cases) {
    try {
      Script::parse(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const ScriptError& e) {
      EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << c.text << " -> " << e.what();
    }
  }
}

TEST(GameWorld, ShippedScriptsParse) {
  for (const char* name : {"login.txt", "queue.txt", "empty.txt", "game.txt", "ticker.txt", "demo.txt", "scene.txt"}) {
    std::ifstream in(std::string(VELDRA_TESTSERVER_SCRIPTS) + "/" + name, std::ios::binary);
    ASSERT_TRUE(in) << name;
    std::ostringstream text;
    text << in.rdbuf();
    const Script s = Script::parse(text.str());
    EXPECT_TRUE(s.world.hasScene) << name;
    EXPECT_NE(s.world.account("demo"), nullptr) << name;
  }
}

TEST(GameWorld, BattleResumeDelayOrNever) {
  EXPECT_FALSE(Script::parse("wait 1").world.battleResume);
  const Script delayed = Script::parse("world battle-resume 250");
  EXPECT_TRUE(delayed.world.battleResume);
  EXPECT_EQ(delayed.world.battleResumeMs, 250u);
  const Script never = Script::parse("world battle-resume never");
  EXPECT_TRUE(never.world.battleResume);
  EXPECT_FALSE(never.world.battleResumeMs.has_value());
}

TEST(GameRecords, SceneEntryLayout) {
  testserver::WorldScene scene;
  scene.map = 3;
  scene.name = "Fifteen-chars-x";
  scene.x = 0x1234;
  scene.y = 0x0567;
  scene.music = 7;
  testserver::WorldCharacter c;
  c.id = 0x01020304;
  c.name = "Aldric";
  c.race = 2;
  c.look = 1;
  const Bytes b = testserver::sceneEntry(scene, c);
  ASSERT_EQ(b.size(), 172u);
  plat::ByteReader r(b);
  EXPECT_EQ(r.fixedString(16), "Fifteen-chars-x");
  EXPECT_EQ(b[15], 0);
  EXPECT_EQ(r.i32(), 3);                      // map
  for (int at : {20, 28, 36}) {               // the three music numbers
    r.seek(at);
    EXPECT_EQ(r.i32(), 7) << at;
  }
  r.seek(44);
  EXPECT_EQ(r.i32(), 2);  // the small-map picture of map 3
  r.seek(60);
  EXPECT_EQ(r.u32(), 0u);  // no weather
  r.seek(88);
  EXPECT_EQ(r.u32(), 0x01020304u);
  EXPECT_EQ(r.fixedString(21), "Aldric");
  r.seek(88 + 52);
  EXPECT_EQ(r.i32(), 5);  // race * 2 + look
  r.seek(88 + 58);
  EXPECT_EQ(r.u16(), 0x1234);
  EXPECT_EQ(r.u16(), 0x0567);
  EXPECT_EQ(r.u16(), 0x1234);  // walk target = position
  EXPECT_EQ(r.u16(), 0x0567);
  r.seek(88 + 80);
  EXPECT_EQ(r.i32(), -1);
}

TEST_F(GameProfile, LoginByAccount) {
  start();
  const struct {
    const char* account;
    const char* password;
    int32_t status;
  } cases[] = {{"demo", "nope", 1}, {"ghost", "demo", 1}, {"solo", "so lo", 5}, {"", "demo", 1}, {"", "", 0}, {"demo", "demo", 0}};
  for (const auto& c : cases) {
    login(c.account, c.password);
    const Frame f = next();
    EXPECT_EQ(f.id, 0x20001u) << c.account;
    EXPECT_EQ(f.arg, c.status) << c.account;
    EXPECT_EQ(f.payload.size(), c.status == 0 ? 8u : 0u) << c.account;
  }
}

TEST_F(GameProfile, QueueCountsDownThenTakesTheNextLogin) {
  start();
  login("late", "late");
  login("late", "late");  // while queued: ignored
  std::vector<std::pair<int32_t, uint32_t>> notices;
  for (int i = 0; i < 3; ++i) {
    const Frame f = next();
    ASSERT_EQ(f.id, 0x130005u);
    ASSERT_EQ(f.payload.size(), 4u);
    plat::ByteReader r(f.payload);
    notices.emplace_back(f.arg, r.u32());
  }
  EXPECT_EQ(notices, (std::vector<std::pair<int32_t, uint32_t>>{{2, 1}, {1, 0}, {0, 0}}));
  login("late", "late");
  const Frame f = next();
  EXPECT_EQ(f.id, 0x20001u);
  EXPECT_EQ(f.arg, 0);
}

TEST_F(GameProfile, CharacterListOfTheLoggedInAccount) {
  start();
  client->send(0x30007, 0);
  Frame f = next();
  EXPECT_EQ(f.arg, -1);  // nobody logged in
  login("", "");
  next();
  client->send(0x30007, 0);
  f = next();
  EXPECT_EQ(f.arg, 0);  // the empty account is logged in, with no characters
  login("demo", "demo");
  next();
  client->send(0x30007, 0);
  f = next();
  ASSERT_EQ(f.id, 0x30007u);
  ASSERT_EQ(f.arg, 2);
  ASSERT_EQ(f.payload.size(), 56u);
  plat::ByteReader r(f.payload);
  r.seek(28);
  EXPECT_EQ(r.u32(), 1002u);
  EXPECT_EQ(r.fixedString(15), "Bren\xB0\xA1");
  EXPECT_EQ(r.u8(), 3);   // race at 19
  EXPECT_EQ(r.i16(), 1);  // look
  EXPECT_EQ(r.i16(), 2);  // rebirth
  EXPECT_EQ(r.i16(), 45);
  EXPECT_EQ(r.u16(), 0);
}

TEST_F(GameProfile, ChosenCharacterEntersTheScene) {
  start();
  login("demo", "demo");
  next();
  client->send(0x30008, 1003);  // another account's character
  Frame f = next();
  EXPECT_EQ(f.id, 0x30008u);
  EXPECT_EQ(f.arg, 1);
  client->send(0x30008, 1001);
  f = next();
  EXPECT_EQ(f.id, 0x30008u);
  EXPECT_EQ(f.arg, 0);
  f = next();
  ASSERT_EQ(f.id, 0x30004u);
  ASSERT_EQ(f.payload.size(), 8u);
  plat::ByteReader addr(f.payload);
  EXPECT_EQ(addr.u32(), plat::ipv4NetworkOrder(127, 0, 0, 1));
  EXPECT_EQ(addr.u32(), server->chat());
  f = next();
  ASSERT_EQ(f.id, 0x30100u);
  ASSERT_EQ(f.payload.size(), 172u);
  plat::ByteReader entry(f.payload);
  EXPECT_EQ(entry.fixedString(16), "map001");
  EXPECT_EQ(entry.i32(), 76);
  entry.seek(88);
  EXPECT_EQ(entry.u32(), 1001u);
  EXPECT_EQ(entry.fixedString(21), "Aldric");
  f = next();
  EXPECT_EQ(f.id, 0x3000cu);
  EXPECT_EQ(f.arg, 0);
}

TEST_F(GameProfile, CreateStoresTheCharacter) {
  start("world account demo demo\nworld character demo 7 Taken 0 0 0 1\nworld scene 1 m 0 0\nwait 20000\n");
  client->send(0x3000e, 1, createRequest("Nobody", 0, 0));
  EXPECT_EQ(next().arg, -1);  // nobody logged in
  login("demo", "demo");
  next();
  const struct {
    Bytes payload;
    int32_t status;
  } refused[] = {
      {createRequest("Taken", 0, 0), -2},
      {createRequest("", 0, 0), -1},
      {createRequest("ABCDEFGHIJKLMNO", 0, 0), -1},  // 15 bytes: no NUL in the field
      {Bytes(27, 0), -1},
  };
  for (const auto& c : refused) {
    client->send(0x3000e, 1, c.payload);
    const Frame f = next();
    EXPECT_EQ(f.id, 0x3000eu);
    EXPECT_EQ(f.arg, c.status);
  }
  client->send(0x3000e, 1, createRequest("Newcomer", 3, 1));
  Frame f = next();
  EXPECT_EQ(f.id, 0x3000eu);
  EXPECT_EQ(f.arg, 0);
  EXPECT_EQ(next().id, 0x30004u);
  f = next();
  ASSERT_EQ(f.id, 0x30100u);
  plat::ByteReader entry(f.payload);
  entry.seek(88);
  EXPECT_EQ(entry.u32(), 8u);  // one above the highest declared id
  entry.seek(88 + 52);
  EXPECT_EQ(entry.i32(), 7);
  EXPECT_EQ(next().id, 0x3000cu);

  client->send(0x30007, 0);
  f = next();
  EXPECT_EQ(f.arg, 2);
  client->send(0x3000e, 1, createRequest("Newcomer", 0, 0));
  EXPECT_EQ(next().arg, -2);
}

// The game main task's requests: details and titles answered, the online notice and the adapter
// address written down, the battle resume held without `world battle-resume`.
TEST_F(GameProfile, GameRequests) {
  start();
  login("demo", "demo");
  next();
  client->send(0x50005, 0);
  Frame f = next();
  EXPECT_EQ(f.id, 0x50005u);
  EXPECT_EQ(f.arg, 0);
  EXPECT_EQ(f.payload.size(), 60u);
  client->send(0xe0002, 0);
  f = next();
  EXPECT_EQ(f.id, 0xe0002u);
  ASSERT_EQ(f.arg, 3);
  ASSERT_EQ(f.payload.size(), 210u);
  plat::ByteReader titles(f.payload);
  EXPECT_EQ(titles.fixedString(27), "Wayfarer");
  for (uint16_t id = 1; id <= 3; ++id) {
    titles.seek(70u * (id - 1u) + 68u);
    EXPECT_EQ(titles.u16(), id);
  }
  client->send(0xf0005, 0);
  client->send(0x190007, 0);
  const std::string mac = std::string("02-00-00-00-00-01") + '\0';
  client->send(0x19000b, 0, Bytes(mac.begin(), mac.end()));
  client->send(0x19000b, 0, Bytes{0});
  client->send(0x19000b, 0, Bytes{'a', '"', 0xB0, 0});
  // A frame the server answers shows that the ones before it were read.
  client->send(0x50005, 0);
  EXPECT_EQ(next().id, 0x50005u);
  const std::vector<std::string> lines = server->server().transcript();
  auto has = [&](const std::string& text) {
    for (const std::string& l : lines)
      if (l.find(text) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(has("game: battle resume held"));
  EXPECT_TRUE(has("game: online"));
  EXPECT_TRUE(has("game: mac \"02-00-00-00-00-01\" len=18"));
  EXPECT_TRUE(has("game: mac \"\" len=1"));
  EXPECT_TRUE(has("game: mac \"a\\x22\\xb0\" len=4"));
  EXPECT_FALSE(has("SEND 0xf0006"));
}

TEST_F(GameProfile, ChatHelloGetsTheValueEcho) {
  start();
  RawClient chat(server->chat());
  ASSERT_TRUE(chat.s.valid());
  chat.send(0x40246, 0);
  uint32_t id = 0;
  int32_t arg = 0;
  Bytes payload;
  ASSERT_TRUE(chat.next(id, arg, payload));
  EXPECT_EQ(id, 0x40280u);
  EXPECT_NE(arg, 0);
  EXPECT_TRUE(payload.empty());
  // On the world link the same id is not the chat hello.
  client->send(0x40246, 0);
  client->send(0x30007, 0);
  EXPECT_EQ(next().id, 0x30007u);
}

// With `world battle-resume MS` the entering character has a battle to resume: 0xf0005 comes
// before the enter reply, and the client's 0xf0005 is answered with 0xf0006 after MS.
TEST_F(GameProfile, BattleResumeAfterItsDelay) {
  start("world account demo demo\nworld character demo 1001 Hero 0 0 0 1\nworld scene 1 m 0 0\n"
        "world battle-resume 300\nwait 20000\n");
  login("demo", "demo");
  next();
  client->send(0x30008, 1001);
  std::vector<uint32_t> ids;
  for (int i = 0; i < 5; ++i) ids.push_back(next().id);
  EXPECT_EQ(ids, (std::vector<uint32_t>{0x30008, 0x30004, 0x30100, 0xf0005, 0x3000c}));
  const auto sent = std::chrono::steady_clock::now();
  client->send(0xf0005, 0);
  const Frame f = next();
  EXPECT_EQ(f.id, 0xf0006u);
  EXPECT_GE(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(250));
}

// The scene's characters follow the enter reply: NPCs in 0x30012 (mode 0 unless told), players
// in 0x3000a (mode 1) with an empty nickname list.
TEST_F(GameProfile, SceneCharactersFollowTheEnterReply) {
  start("world account demo demo\nworld character demo 1001 Hero 0 0 0 1\nworld scene 1 m 0 0\n"
        "world npc 0x80000001 Smith 101 500 350 dir=6 title=Blacksmith\n"
        "world npc 0x80000002 Guard 101 700 300 mode=2\n"
        "world player 2001 Aria 2 450 320 class=1 status=21\nwait 20000\n");
  login("demo", "demo");
  next();
  client->send(0x30008, 1001);
  for (uint32_t id : {0x30008u, 0x30004u, 0x30100u, 0x3000cu}) ASSERT_EQ(next().id, id);
  Frame f = next();
  ASSERT_EQ(f.id, 0x30012u);
  ASSERT_EQ(f.arg, 2);
  ASSERT_EQ(f.payload.size(), 168u);
  plat::ByteReader npc(f.payload);
  EXPECT_EQ(npc.u32(), 0x80000001u);
  EXPECT_EQ(npc.fixedString(21), "Smith");
  EXPECT_EQ(npc.fixedString(27), "Blacksmith");
  EXPECT_EQ(npc.i32(), 101);
  npc.seek(58);
  EXPECT_EQ(npc.u16(), 500);
  EXPECT_EQ(npc.u16(), 350);
  EXPECT_EQ(npc.u16(), 500);  // standing: the walk target is the position
  EXPECT_EQ(npc.u16(), 350);
  npc.seek(68);
  EXPECT_EQ(npc.u8(), 6);  // direction
  EXPECT_EQ(npc.u8(), 0);  // mode
  npc.seek(84 + 69);
  EXPECT_EQ(npc.u8(), 2);
  f = next();
  ASSERT_EQ(f.id, 0x3000au);
  ASSERT_EQ(f.arg, 1);
  ASSERT_EQ(f.payload.size(), 88u);
  plat::ByteReader player(f.payload);
  EXPECT_EQ(player.u32(), 2001u);
  player.seek(69);
  EXPECT_EQ(player.u8(), 1);  // mode
  player.seek(72);
  EXPECT_EQ(player.u32(), 0x21u);
  EXPECT_EQ(player.u8(), 1);  // class
  player.seek(80);
  EXPECT_EQ(player.i32(), -1);
  EXPECT_EQ(player.u32(), 0u);  // no nicknames
}

TEST_F(GameProfile, BattleResumeNever) {
  start("world account demo demo\nworld scene 1 m 0 0\nworld battle-resume never\nwait 20000\n");
  login("demo", "demo");
  next();
  client->send(0xf0005, 0);
  client->send(0x50005, 0);
  EXPECT_EQ(next().id, 0x50005u);  // and nothing before it
}

TEST_F(GameProfile, NewConnectionLogsInAgain) {
  start();
  login("demo", "demo");
  next();
  client = std::make_unique<RawClient>(server->world());
  client->send(0x30007, 0);
  EXPECT_EQ(next().arg, -1);
}

}  // namespace

// The test server's script: one step per line, '#' starts a comment.
//   expect LINK hello [VALUE|any]
//   expect LINK ID [ARG|any] [len=N] [within MS]
//   send LINK ID ARG [ITEM ...]
//   raw LINK ITEM [ITEM ...]        the items' bytes with no frame around them
//   on LINK ID reply LINK ID ARG [ITEM ...]
//   wait MS | close LINK | end
//   world account NAME PASSWORD [result=N] [queue=SECONDS,POSITION]
//   world character ACCOUNT ID NAME RACE LOOK REBIRTH LEVEL
//   world scene MAP NAME X Y [music=N]
//   world battle-resume MS|never
//   world npc ID NAME LOOK X Y [dir=D] [mode=M] [title=T]
//   world player ID NAME LOOK X Y [class=C] [status=HEX]
//   expect gateway connect [within MS]   a connection to the gateway listener was accepted
//   send gateway reply ITEM ...          the items preceded by their length + 4 (u32)
//   send gateway raw ITEM ...            the items as written
//   close gateway
// `world` lines are declarations for the responders, read before the script runs; names may be
// quoted like str: items.
// Items: u8:N u16:N u32:N i32:N zero:N hex:0A0B.. str:"..." (\xNN escapes) addr:world addr:chat
//   line:"NAME",ID,ADDR,PORT,LOAD,AVAIL  one 84-byte server line; ADDR dotted or world, PORT a
//                                        number or world (the world listener's)
//   lstr:"..." lhex:0A0B.. lfile:PATH    a u32 length, then the bytes (PATH from the current folder)
// The gateway speaks no framing: the updater connects, sends nothing and reads one reply.
#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace testserver {

enum class Link { World = 0, Chat = 1, Gateway = 2 };
const char* linkName(Link l);

struct PayloadItem {
  enum Kind { Bytes, AddrWorld, AddrChat, Line } kind = Bytes;
  std::vector<uint8_t> bytes;  // Bytes; Line: the record, its world fields filled when sent
  bool lineWorldAddr = false;  // Line: address and port of the world listener
  bool lineWorldPort = false;
};

constexpr size_t kLineRecordSize = 84;
constexpr size_t kLineNameMax = 64;
constexpr size_t kItemFileMax = 16u << 20;  // lfile:

struct FrameSpec {
  Link link = Link::World;
  uint32_t id = 0;
  int32_t arg = 0;
  std::vector<PayloadItem> items;
};

struct Step {
  enum Kind { ExpectHello, Expect, Send, Raw, On, Wait, Close, End, ExpectConnect, GatewayReply, GatewayRaw } kind = End;
  int line = 0;
  Link link = Link::World;
  uint32_t id = 0;                 // Expect, On
  std::optional<int32_t> arg;      // Expect, ExpectHello: none = any
  std::optional<uint32_t> length;  // Expect len=
  uint32_t withinMs = 5000;        // Expect, ExpectHello, ExpectConnect
  uint32_t waitMs = 0;             // Wait
  FrameSpec frame;                 // Send; On's reply; Raw and the gateway's (link and items only)
};

struct ScriptError : std::runtime_error {
  ScriptError(int line, const std::string& what);
  int line;
};

// What the `world` lines declare.
struct WorldAccount {
  std::string name;
  std::string password;
  int32_t result = 0;          // the login status it gets
  uint32_t queueSeconds = 0;   // queue=SECONDS,POSITION: counted down before the login is taken
  uint32_t queuePosition = 0;
};

struct WorldCharacter {
  std::string account;
  uint32_t id = 0;
  std::string name;  // at most 14 bytes
  uint8_t race = 0;
  int16_t look = 0;
  int16_t rebirth = 0;
  int16_t level = 0;
};

struct WorldScene {
  int32_t map = 1;
  std::string name;  // at most 15 bytes
  uint16_t x = 0, y = 0;
  int32_t music = 1;
};

// A character already standing in the scene when the player enters it: NPCs (0x30012) move by
// mode 0 unless told, players (0x3000a) by mode 1.
struct WorldSceneChar {
  bool npc = false;
  uint32_t id = 0;
  std::string name;   // at most 20 bytes
  std::string title;  // at most 26 bytes
  int32_t look = 0;
  uint16_t x = 0, y = 0;
  int8_t direction = 0;
  int8_t mode = 0;
  int8_t classByte = 0;
  uint32_t status = 0;
};

struct World {
  std::vector<WorldAccount> accounts;
  std::vector<WorldCharacter> characters;
  WorldScene scene;
  bool hasScene = false;
  std::vector<WorldSceneChar> sceneChars;  // in declaration order
  // A character entering the scene is in a battle to resume (0xf0005 comes before the enter
  // reply); the client's 0xf0005 is answered with 0xf0006 after battleResumeMs, or never.
  bool battleResume = false;
  std::optional<uint32_t> battleResumeMs;

  const WorldAccount* account(std::string_view name) const;
};

constexpr size_t kWorldNameMax = 14;      // a character name, as the client sends it
constexpr size_t kWorldSceneNameMax = 15;
constexpr size_t kWorldSceneCharNameMax = 20;   // the record's name field holds 21 with its NUL
constexpr size_t kWorldSceneCharTitleMax = 26;  // the scene's display name field holds 16 with its NUL
constexpr size_t kWorldLoginFieldMax = 31;

struct Script {
  std::vector<Step> steps;
  World world;
  bool usesGateway = false;  // a step names the gateway
  // Throws ScriptError naming the line.
  static Script parse(std::string_view text);
};

}  // namespace testserver

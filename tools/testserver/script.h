// The test server's script: one step per line, '#' starts a comment.
//   expect LINK hello [VALUE|any]
//   expect LINK ID [ARG|any] [len=N] [within MS]
//   send LINK ID ARG [ITEM ...]
//   raw LINK ITEM [ITEM ...]        the items' bytes with no frame around them
//   on LINK ID reply LINK ID ARG [ITEM ...]
//   wait MS | close LINK | end
// Items: u8:N u16:N u32:N i32:N zero:N hex:0A0B.. str:"..." (\xNN escapes) addr:world addr:chat
#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace testserver {

enum class Link { World = 0, Chat = 1 };
const char* linkName(Link l);

struct PayloadItem {
  enum Kind { Bytes, AddrWorld, AddrChat } kind = Bytes;
  std::vector<uint8_t> bytes;  // Bytes
};

struct FrameSpec {
  Link link = Link::World;
  uint32_t id = 0;
  int32_t arg = 0;
  std::vector<PayloadItem> items;
};

struct Step {
  enum Kind { ExpectHello, Expect, Send, Raw, On, Wait, Close, End } kind = End;
  int line = 0;
  Link link = Link::World;
  uint32_t id = 0;                 // Expect, On
  std::optional<int32_t> arg;      // Expect, ExpectHello: none = any
  std::optional<uint32_t> length;  // Expect len=
  uint32_t withinMs = 5000;        // Expect, ExpectHello
  uint32_t waitMs = 0;             // Wait
  FrameSpec frame;                 // Send; On's reply; Raw (its link and items only)
};

struct ScriptError : std::runtime_error {
  ScriptError(int line, const std::string& what);
  int line;
};

struct Script {
  std::vector<Step> steps;
  // Throws ScriptError naming the line.
  static Script parse(std::string_view text);
};

}  // namespace testserver

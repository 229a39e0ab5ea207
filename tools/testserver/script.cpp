// Script parsing.
#include "tools/testserver/script.h"

#include <cstdint>
#include <cstdlib>

#include <fstream>
#include <sstream>

#include "plat/sockets.h"
#include "plat/text_lines.h"

namespace testserver {

namespace {

std::vector<std::string> tokens(std::string_view line, int lineNo) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size() || line[i] == '#') break;
    std::string t;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
      if (line[i] == '"') {  // quoted text keeps blanks and '#'; escapes are decoded later
        t += line[i++];
        while (i < line.size() && line[i] != '"') {
          if (line[i] == '\\' && i + 1 < line.size()) t += line[i++];
          t += line[i++];
        }
        if (i >= line.size()) throw ScriptError(lineNo, "unterminated string");
      }
      t += line[i++];
    }
    out.push_back(std::move(t));
  }
  return out;
}

int64_t number(const std::string& t, int lineNo, int64_t lo, int64_t hi) {
  const char* s = t.c_str();
  bool neg = false;
  if (*s == '-') {
    neg = true;
    ++s;
  }
  int base = 10;
  if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s += 2;
  }
  if (*s == '\0') throw ScriptError(lineNo, "bad number \"" + t + "\"");
  char* end = nullptr;
  unsigned long long v = std::strtoull(s, &end, base);
  if (*end != '\0' || *s == '-' || *s == '+' || v > 0xFFFFFFFFull) throw ScriptError(lineNo, "bad number \"" + t + "\"");
  int64_t r = neg ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
  if (r < lo || r > hi) throw ScriptError(lineNo, "number out of range \"" + t + "\"");
  return r;
}

uint32_t u32(const std::string& t, int lineNo) { return static_cast<uint32_t>(number(t, lineNo, 0, 0xFFFFFFFFll)); }

// An argument: any 32-bit pattern, written signed or unsigned.
int32_t arg32(const std::string& t, int lineNo) {
  return static_cast<int32_t>(static_cast<uint32_t>(number(t, lineNo, INT32_MIN, 0xFFFFFFFFll)));
}

Link link(const std::string& t, int lineNo) {
  if (t == "world") return Link::World;
  if (t == "chat") return Link::Chat;
  throw ScriptError(lineNo, "unknown link \"" + t + "\"");
}

void le(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of a quoted text (quotes included in t), its escapes decoded.
std::string unquote(const std::string& t, int lineNo) {
  const std::string body = t.substr(1, t.size() - 2);
  std::string out;
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] != '\\') {
      out.push_back(body[i]);
      continue;
    }
    if (++i >= body.size()) throw ScriptError(lineNo, "bad escape");
    switch (body[i]) {
      case 'x': {
        int hi = i + 1 < body.size() ? hexDigit(body[i + 1]) : -1;
        int lo = i + 2 < body.size() ? hexDigit(body[i + 2]) : -1;
        if (hi < 0 || lo < 0) throw ScriptError(lineNo, "bad \\x escape");
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        break;
      }
      case 'n': out.push_back('\n'); break;
      case 'r': out.push_back('\r'); break;
      case 't': out.push_back('\t'); break;
      case '\\': out.push_back('\\'); break;
      case '"': out.push_back('"'); break;
      default: throw ScriptError(lineNo, std::string("unknown escape \\") + body[i]);
    }
  }
  return out;
}

// The end of a quoted text starting at t[0]: the index of its closing quote.
size_t quoteEnd(const std::string& t, int lineNo) {
  for (size_t i = 1; i < t.size(); ++i) {
    if (t[i] == '\\') {
      ++i;
    } else if (t[i] == '"') {
      return i;
    }
  }
  throw ScriptError(lineNo, "unterminated string");
}

std::vector<std::string> splitCommas(const std::string& t) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t comma = t.find(',', start);
    out.push_back(t.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

// line:"NAME",ID,ADDR,PORT,LOAD,AVAIL
PayloadItem lineItem(const std::string& value, int lineNo) {
  const char* form = "line:\"NAME\",ID,ADDR,PORT,LOAD,AVAIL";
  if (value.empty() || value[0] != '"') throw ScriptError(lineNo, form);
  const size_t close = quoteEnd(value, lineNo);
  const std::string name = unquote(value.substr(0, close + 1), lineNo);
  if (name.size() > kLineNameMax) throw ScriptError(lineNo, "a line name holds at most 64 bytes");
  if (close + 1 >= value.size() || value[close + 1] != ',') throw ScriptError(lineNo, form);
  const std::vector<std::string> f = splitCommas(value.substr(close + 2));
  if (f.size() != 5) throw ScriptError(lineNo, form);
  PayloadItem it;
  it.kind = PayloadItem::Line;
  it.bytes.assign(name.begin(), name.end());
  it.bytes.resize(kLineNameMax, 0);
  le(it.bytes, static_cast<uint32_t>(arg32(f[0], lineNo)), 4);
  uint32_t addr = 0;
  if (f[1] == "world") {
    it.lineWorldAddr = true;
  } else {
    addr = plat::net::inetAddr(f[1]);
    if (addr == 0xFFFFFFFFu && f[1] != "255.255.255.255") throw ScriptError(lineNo, "bad address \"" + f[1] + "\"");
  }
  le(it.bytes, addr, 4);  // the address bytes as they are
  uint32_t port = 0;
  if (f[2] == "world")
    it.lineWorldPort = true;
  else
    port = static_cast<uint32_t>(arg32(f[2], lineNo));
  le(it.bytes, port, 4);
  le(it.bytes, static_cast<uint32_t>(arg32(f[3], lineNo)), 4);
  le(it.bytes, static_cast<uint64_t>(number(f[4], lineNo, 0, 0xFF)), 1);
  le(it.bytes, 0, 3);
  return it;
}

std::vector<uint8_t> fileBytes(const std::string& path, int lineNo) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScriptError(lineNo, "cannot read \"" + path + "\"");
  std::vector<uint8_t> out;
  char buf[65536];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    out.insert(out.end(), buf, buf + in.gcount());
    if (out.size() > kItemFileMax) throw ScriptError(lineNo, "\"" + path + "\" is too large");
  }
  return out;
}

PayloadItem item(const std::string& t, int lineNo) {
  const size_t colon = t.find(':');
  if (colon == std::string::npos) throw ScriptError(lineNo, "bad payload item \"" + t + "\"");
  const std::string kind = t.substr(0, colon), value = t.substr(colon + 1);
  PayloadItem it;
  if (kind == "u8") {
    le(it.bytes, static_cast<uint64_t>(number(value, lineNo, 0, 0xFF)), 1);
  } else if (kind == "u16") {
    le(it.bytes, static_cast<uint64_t>(number(value, lineNo, 0, 0xFFFF)), 2);
  } else if (kind == "u32") {
    le(it.bytes, u32(value, lineNo), 4);
  } else if (kind == "i32") {
    le(it.bytes, static_cast<uint32_t>(number(value, lineNo, INT32_MIN, INT32_MAX)), 4);
  } else if (kind == "zero") {
    it.bytes.assign(static_cast<size_t>(number(value, lineNo, 0, 64 << 20)), 0);
  } else if (kind == "hex") {
    if (value.size() % 2 != 0) throw ScriptError(lineNo, "odd number of hex digits");
    for (size_t i = 0; i < value.size(); i += 2) {
      int hi = hexDigit(value[i]), lo = hexDigit(value[i + 1]);
      if (hi < 0 || lo < 0) throw ScriptError(lineNo, "bad hex digit");
      it.bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
  } else if (kind == "str") {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') throw ScriptError(lineNo, "str needs quotes");
    const std::string body = unquote(value, lineNo);
    it.bytes.assign(body.begin(), body.end());
  } else if (kind == "line") {
    return lineItem(value, lineNo);
  } else if (kind == "lstr" || kind == "lhex" || kind == "lfile") {
    std::vector<uint8_t> body;
    if (kind == "lstr") {
      body = item("str:" + value, lineNo).bytes;
    } else if (kind == "lhex") {
      body = item("hex:" + value, lineNo).bytes;
    } else {
      body = fileBytes(value, lineNo);
    }
    le(it.bytes, body.size(), 4);
    it.bytes.insert(it.bytes.end(), body.begin(), body.end());
  } else if (kind == "addr") {
    if (value == "world")
      it.kind = PayloadItem::AddrWorld;
    else if (value == "chat")
      it.kind = PayloadItem::AddrChat;
    else
      throw ScriptError(lineNo, "addr: takes world or chat");
  } else {
    throw ScriptError(lineNo, "unknown payload item \"" + kind + "\"");
  }
  return it;
}

FrameSpec frame(const std::vector<std::string>& t, size_t at, int lineNo) {
  if (t.size() < at + 3) throw ScriptError(lineNo, "a frame needs LINK ID ARG");
  FrameSpec f;
  f.link = link(t[at], lineNo);
  f.id = u32(t[at + 1], lineNo);
  f.arg = arg32(t[at + 2], lineNo);
  if (f.id == 0) throw ScriptError(lineNo, "id 0 is the client's hello");
  for (size_t i = at + 3; i < t.size(); ++i) f.items.push_back(item(t[i], lineNo));
  return f;
}

// A name: a bare word or a quoted text; at most max bytes, never empty unless it is a login field
// ("" "" is the account that the title's road sends without the account screen).
std::string name(const std::string& t, int lineNo, size_t max, const char* what, bool mayBeEmpty = false) {
  std::string v = t.size() >= 2 && t.front() == '"' && t.back() == '"' ? unquote(t, lineNo) : t;
  if ((v.empty() && !mayBeEmpty) || v.size() > max || v.find('\0') != std::string::npos)
    throw ScriptError(lineNo, std::string(what) + " must be " + (mayBeEmpty ? "0" : "1") + " to " +
                                  std::to_string(max) + " bytes");
  return v;
}

// "key=value" options after the fixed fields.
bool option(const std::string& t, const char* key, std::string& value) {
  const std::string prefix = std::string(key) + "=";
  if (t.rfind(prefix, 0) != 0) return false;
  value = t.substr(prefix.size());
  return true;
}

// world npc ID NAME LOOK X Y [dir=D] [mode=M] [title=T] | world player ID NAME LOOK X Y [class=C]
// [status=HEX]
WorldSceneChar sceneChar(const World& w, const std::vector<std::string>& t, int lineNo) {
  WorldSceneChar c;
  c.npc = t[1] == "npc";
  const char* usage = c.npc ? "world npc ID NAME LOOK X Y [dir=D] [mode=M] [title=T]"
                            : "world player ID NAME LOOK X Y [class=C] [status=HEX]";
  if (t.size() < 7) throw ScriptError(lineNo, usage);
  c.id = u32(t[2], lineNo);
  c.name = name(t[3], lineNo, kWorldSceneCharNameMax, "a scene character's name");
  c.look = static_cast<int32_t>(number(t[4], lineNo, INT32_MIN, INT32_MAX));
  c.x = static_cast<uint16_t>(number(t[5], lineNo, 0, 0xFFFF));
  c.y = static_cast<uint16_t>(number(t[6], lineNo, 0, 0xFFFF));
  c.mode = c.npc ? 0 : 1;
  for (size_t i = 7; i < t.size(); ++i) {
    std::string v;
    if (c.npc && option(t[i], "dir", v)) {
      c.direction = static_cast<int8_t>(number(v, lineNo, INT8_MIN, INT8_MAX));
    } else if (c.npc && option(t[i], "mode", v)) {
      c.mode = static_cast<int8_t>(number(v, lineNo, INT8_MIN, INT8_MAX));
    } else if (c.npc && option(t[i], "title", v)) {
      c.title = name(v, lineNo, kWorldSceneCharTitleMax, "a title");
    } else if (!c.npc && option(t[i], "class", v)) {
      c.classByte = static_cast<int8_t>(number(v, lineNo, INT8_MIN, INT8_MAX));
    } else if (!c.npc && option(t[i], "status", v)) {
      c.status = static_cast<uint32_t>(number("0x" + v, lineNo, 0, 0xFFFFFFFFll));
    } else {
      throw ScriptError(lineNo, "unexpected \"" + t[i] + "\"; " + usage);
    }
  }
  for (const WorldSceneChar& o : w.sceneChars)
    if (o.id == c.id) throw ScriptError(lineNo, "scene character id " + std::to_string(c.id) + " declared twice");
  return c;
}

void worldLine(World& w, const std::vector<std::string>& t, int lineNo) {
  if (t.size() < 2) throw ScriptError(lineNo, "world account|character|scene|battle-resume ...");
  const std::string& what = t[1];
  if (what == "account") {
    if (t.size() < 4) throw ScriptError(lineNo, "world account NAME PASSWORD [result=N] [queue=SECONDS,POSITION]");
    WorldAccount a;
    a.name = name(t[2], lineNo, kWorldLoginFieldMax, "an account name", true);
    a.password = name(t[3], lineNo, kWorldLoginFieldMax, "a password", true);
    if (w.account(a.name)) throw ScriptError(lineNo, "account \"" + a.name + "\" declared twice");
    for (size_t i = 4; i < t.size(); ++i) {
      std::string v;
      if (option(t[i], "result", v)) {
        a.result = static_cast<int32_t>(number(v, lineNo, INT32_MIN, INT32_MAX));
      } else if (option(t[i], "queue", v)) {
        const size_t comma = v.find(',');
        if (comma == std::string::npos) throw ScriptError(lineNo, "queue=SECONDS,POSITION");
        a.queueSeconds = static_cast<uint32_t>(number(v.substr(0, comma), lineNo, 0, 3600));
        a.queuePosition = static_cast<uint32_t>(number(v.substr(comma + 1), lineNo, 0, 1000000));
      } else {
        throw ScriptError(lineNo, "unexpected \"" + t[i] + "\"");
      }
    }
    w.accounts.push_back(std::move(a));
  } else if (what == "character") {
    if (t.size() != 9) throw ScriptError(lineNo, "world character ACCOUNT ID NAME RACE LOOK REBIRTH LEVEL");
    WorldCharacter c;
    c.account = name(t[2], lineNo, kWorldLoginFieldMax, "an account name", true);
    if (!w.account(c.account)) throw ScriptError(lineNo, "character of an undeclared account \"" + c.account + "\"");
    c.id = u32(t[3], lineNo);
    c.name = name(t[4], lineNo, kWorldNameMax, "a character name");
    c.race = static_cast<uint8_t>(number(t[5], lineNo, 0, 255));
    c.look = static_cast<int16_t>(number(t[6], lineNo, INT16_MIN, INT16_MAX));
    c.rebirth = static_cast<int16_t>(number(t[7], lineNo, INT16_MIN, INT16_MAX));
    c.level = static_cast<int16_t>(number(t[8], lineNo, INT16_MIN, INT16_MAX));
    for (const WorldCharacter& o : w.characters)
      if (o.id == c.id) throw ScriptError(lineNo, "character id " + std::to_string(c.id) + " declared twice");
    w.characters.push_back(std::move(c));
  } else if (what == "scene") {
    if (t.size() < 6 || t.size() > 7) throw ScriptError(lineNo, "world scene MAP NAME X Y [music=N]");
    if (w.hasScene) throw ScriptError(lineNo, "one world scene only");
    WorldScene sc;
    sc.map = static_cast<int32_t>(number(t[2], lineNo, INT32_MIN, INT32_MAX));
    sc.name = name(t[3], lineNo, kWorldSceneNameMax, "a scene name");
    sc.x = static_cast<uint16_t>(number(t[4], lineNo, 0, 0xFFFF));
    sc.y = static_cast<uint16_t>(number(t[5], lineNo, 0, 0xFFFF));
    std::string v;
    if (t.size() == 7) {
      if (!option(t[6], "music", v)) throw ScriptError(lineNo, "unexpected \"" + t[6] + "\"");
      sc.music = static_cast<int32_t>(number(v, lineNo, INT32_MIN, INT32_MAX));
    }
    w.scene = std::move(sc);
    w.hasScene = true;
  } else if (what == "npc" || what == "player") {
    w.sceneChars.push_back(sceneChar(w, t, lineNo));
  } else if (what == "battle-resume") {
    if (t.size() != 3) throw ScriptError(lineNo, "world battle-resume MS|never");
    if (w.battleResume) throw ScriptError(lineNo, "one world battle-resume only");
    w.battleResume = true;
    if (t[2] != "never") w.battleResumeMs = static_cast<uint32_t>(number(t[2], lineNo, 0, 600000));
  } else {
    throw ScriptError(lineNo, "world account, character, scene, npc, player or battle-resume, not \"" + what + "\"");
  }
}

// The gateway's steps: expect gateway connect [within MS], send gateway reply|raw ITEM ...,
// close gateway.
void gatewayStep(Step& st, const std::vector<std::string>& t, int lineNo) {
  st.link = st.frame.link = Link::Gateway;
  const std::string& verb = t[0];
  if (verb == "expect") {
    if (t.size() < 3 || t[2] != "connect") throw ScriptError(lineNo, "expect gateway connect [within MS]");
    st.kind = Step::ExpectConnect;
    if (t.size() == 5 && t[3] == "within")
      st.withinMs = u32(t[4], lineNo);
    else if (t.size() != 3)
      throw ScriptError(lineNo, "expect gateway connect [within MS]");
  } else if (verb == "send") {
    if (t.size() < 3 || (t[2] != "reply" && t[2] != "raw")) throw ScriptError(lineNo, "send gateway reply|raw ITEM ...");
    st.kind = t[2] == "reply" ? Step::GatewayReply : Step::GatewayRaw;
    if (st.kind == Step::GatewayRaw && t.size() < 4) throw ScriptError(lineNo, "send gateway raw ITEM ...");
    for (size_t i = 3; i < t.size(); ++i) {
      PayloadItem it = item(t[i], lineNo);
      if (it.kind == PayloadItem::AddrChat) throw ScriptError(lineNo, "the gateway has no chat address");
      st.frame.items.push_back(std::move(it));
    }
  } else if (verb == "close") {
    if (t.size() != 2) throw ScriptError(lineNo, "close gateway");
    st.kind = Step::Close;
  } else {
    throw ScriptError(lineNo, "the gateway takes expect, send and close, not \"" + verb + "\"");
  }
}

}  // namespace

ScriptError::ScriptError(int lineNo, const std::string& what)
    : std::runtime_error("line " + std::to_string(lineNo) + ": " + what), line(lineNo) {}

const char* linkName(Link l) {
  switch (l) {
    case Link::World: return "world";
    case Link::Chat: return "chat";
    case Link::Gateway: return "gateway";
  }
  return "?";
}

const WorldAccount* World::account(std::string_view name) const {
  for (const WorldAccount& a : accounts)
    if (a.name == name) return &a;
  return nullptr;
}

Script Script::parse(std::string_view text) {
  Script s;
  plat::TextLines lines(text);
  std::string_view line;
  while (lines.next(line)) {
    const int lineNo = static_cast<int>(lines.number());
    std::vector<std::string> t = tokens(line, lineNo);
    if (t.empty()) continue;
    Step st;
    st.line = lineNo;
    const std::string& verb = t[0];
    if (verb == "world") {
      worldLine(s.world, t, lineNo);
      continue;
    }
    if (t.size() >= 2 && t[1] == "gateway") {
      gatewayStep(st, t, lineNo);
      s.usesGateway = true;
      s.steps.push_back(std::move(st));
      continue;
    }
    if (verb == "expect") {
      if (t.size() < 3) throw ScriptError(lineNo, "expect needs LINK and ID or hello");
      st.link = link(t[1], lineNo);
      size_t i = 3;
      if (t[2] == "hello") {
        st.kind = Step::ExpectHello;
      } else {
        st.kind = Step::Expect;
        st.id = u32(t[2], lineNo);
      }
      if (i < t.size() && t[i] != "within" && t[i].rfind("len=", 0) != 0) {
        if (t[i] != "any") st.arg = arg32(t[i], lineNo);
        ++i;
      }
      for (; i < t.size(); ++i) {
        if (t[i].rfind("len=", 0) == 0 && st.kind == Step::Expect) {
          st.length = u32(t[i].substr(4), lineNo);
        } else if (t[i] == "within" && i + 1 < t.size()) {
          st.withinMs = u32(t[++i], lineNo);
        } else {
          throw ScriptError(lineNo, "unexpected \"" + t[i] + "\"");
        }
      }
    } else if (verb == "send") {
      st.kind = Step::Send;
      st.frame = frame(t, 1, lineNo);
      st.link = st.frame.link;
    } else if (verb == "raw") {
      if (t.size() < 3) throw ScriptError(lineNo, "raw LINK ITEM [ITEM ...]");
      st.kind = Step::Raw;
      st.link = st.frame.link = link(t[1], lineNo);
      for (size_t i = 2; i < t.size(); ++i) st.frame.items.push_back(item(t[i], lineNo));
    } else if (verb == "on") {
      if (t.size() < 4 || t[3] != "reply") throw ScriptError(lineNo, "on LINK ID reply LINK ID ARG [ITEM ...]");
      st.kind = Step::On;
      st.link = link(t[1], lineNo);
      st.id = u32(t[2], lineNo);
      st.frame = frame(t, 4, lineNo);
    } else if (verb == "wait") {
      if (t.size() != 2) throw ScriptError(lineNo, "wait MS");
      st.kind = Step::Wait;
      st.waitMs = u32(t[1], lineNo);
    } else if (verb == "close") {
      if (t.size() != 2) throw ScriptError(lineNo, "close LINK");
      st.kind = Step::Close;
      st.link = link(t[1], lineNo);
    } else if (verb == "end") {
      if (t.size() != 1) throw ScriptError(lineNo, "end takes nothing");
      st.kind = Step::End;
    } else {
      throw ScriptError(lineNo, "unknown step \"" + verb + "\"");
    }
    s.steps.push_back(std::move(st));
  }
  return s;
}

}  // namespace testserver

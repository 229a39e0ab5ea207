// Door list text and event-driven reply into server line records.
#include "updater/door_list.h"

#include <cstdint>

#include "plat/bytes.h"
#include "plat/cp936.h"
#include "plat/sockets.h"
#include "plat/tier0.h"
#include "updater/update_dlg.h"

namespace updater {

namespace {

ServerLineBytes record(std::string_view name, int32_t id, uint32_t address, int32_t port, int32_t load,
                       uint8_t flag) {
  plat::ByteWriter w;
  w.fixedString(name.substr(0, plat::cp936::fitLength(name, DOOR_NAME_MAX)), plat::SERVER_LINE_NAME_SIZE);
  w.i32(id);
  w.u32(address);  // already in network order
  w.i32(port);
  w.i32(load);
  w.u8(flag);
  w.zeros(3);
  ServerLineBytes r{};
  std::copy(w.data().begin(), w.data().end(), r.begin());
  return r;
}

// atoi of a piece of the text (no terminator of its own).
int32_t number(std::string_view s) { return plat::vstd::Q_atoi(std::string(s).c_str()); }

// Cuts the next field off `entry` at sep; false when sep is missing.
bool field(std::string_view& entry, char sep, std::string_view& out) {
  const size_t at = entry.find(sep);
  if (at == std::string_view::npos) return false;
  out = entry.substr(0, at);
  entry.remove_prefix(at + 1);
  return true;
}

}  // namespace

bool parseDoorList(std::string_view text, std::vector<ServerLineBytes>& out) {
  out.clear();
  std::string_view countText;
  if (!field(text, '|', countText)) return false;
  const int32_t n = number(countText);
  if (n <= 0 || n > DOOR_LINE_MAX) return false;
  while (static_cast<int32_t>(out.size()) < n && !text.empty()) {
    std::string_view entry = text;
    const size_t bar = text.find('|');
    if (bar == std::string_view::npos) {
      text = {};
    } else {
      entry = text.substr(0, bar);
      text.remove_prefix(bar + 1);
    }
    std::string_view name, id, addr, port, load;
    if (!field(entry, '@', name) || !field(entry, '@', id) || !field(entry, '@', addr) ||
        !field(entry, '@', port) || !field(entry, '@', load))
      break;
    out.push_back(record(name, number(id), plat::net::inetAddr(addr), number(port), number(load),
                         static_cast<uint8_t>(number(entry))));
  }
  return static_cast<int32_t>(out.size()) == n;
}

int parseDoorReply(std::span<const uint8_t> bytes, std::vector<ServerLineBytes>& out) {
  out.clear();
  plat::ByteReader r(bytes);
  if (r.remaining() < 8) return DOOR_STORE_BAD_HEAD;
  const int32_t a = r.i32("server text length");
  const int32_t b = r.i32("directory text length");
  if (a < 0 || b < 0 || static_cast<uint64_t>(a) + static_cast<uint64_t>(b) + 4 > r.remaining())
    return DOOR_STORE_BAD_HEAD;
  r.skip(static_cast<size_t>(a) + static_cast<size_t>(b), "ftp texts");
  const int32_t n = r.i32("line count");
  if (n < 2 || n > DOOR_LINE_MAX) return DOOR_STORE_BAD_COUNT;
  for (int32_t i = 0; i < n; ++i) {
    // Each field is checked before it is read; the codes name the field that was cut off.
    if (r.remaining() < 4) return DOOR_STORE_CUT_NAME_LENGTH;
    const int32_t nameLength = r.i32("name length");
    if (r.remaining() < 4) return DOOR_STORE_CUT_ID;
    const int32_t id = r.i32("line id");
    if (r.remaining() < 4) return DOOR_STORE_CUT_ADDRESS;
    const uint32_t address = r.u32("address");
    if (r.remaining() < 4) return DOOR_STORE_CUT_PORT;
    const int32_t port = r.i32("port");
    if (r.remaining() < 4) return DOOR_STORE_CUT_LOAD;
    const int32_t load = r.i32("load");
    if (r.remaining() < 4) return DOOR_STORE_CUT_FLAG;
    const uint8_t flag = r.u8("available");
    r.skip(3, "padding");
    if (nameLength < 0 || static_cast<uint64_t>(nameLength) > r.remaining()) return DOOR_STORE_BAD_NAME;
    std::span<const uint8_t> name = r.bytes(static_cast<size_t>(nameLength), "name");
    out.push_back(record(std::string_view(reinterpret_cast<const char*>(name.data()), name.size()), id, address,
                         port, load, flag));
  }
  return DOOR_STORE_OK;
}

}  // namespace updater

#include "client/charsel/create_request.h"

#include <cstring>

#include "client/net/net_link.h"
#include "client/state/login_state.h"
#include "plat/bytes.h"
#include "plat/cp936.h"

std::string create_name_cut(const char* text) {
  if (!text) return {};
  const std::string_view all(text, std::strlen(text));
  return std::string(all.substr(0, plat::cp936::fitLength(all, CREATE_NAME_MAX)));
}

std::vector<uint8_t> create_request_bytes(int32_t model, const std::string& name) {
  // Field by field in the character record's order.
  plat::ByteWriter w;
  w.u32(CREATE_NEW_ID);
  w.fixedString(create_name_cut(name.c_str()), CHAR_NAME_SIZE);  // always NUL-terminated
  w.u8(static_cast<uint8_t>(model / 2));  // race
  w.u8(static_cast<uint8_t>(model % 2));  // look
  w.u8(0);
  w.i16(0);  // rebirth
  w.i16(0);  // level
  w.zeros(2);
  return w.take();
}

int req_create_character(int32_t model, const std::string& name) {
  const std::vector<uint8_t> bytes = create_request_bytes(model, name);
  return net_send_world(MSG_CREATE_CHARACTER, 1, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

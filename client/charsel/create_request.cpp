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
  // The character record's own field list; the name always NUL-terminated.
  CHAR_RECORD r{};
  r.id = CREATE_NEW_ID;
  const std::string cut = create_name_cut(name.c_str());
  std::memcpy(r.name, cut.data(), cut.size() < CHAR_NAME_SIZE - 1 ? cut.size() : CHAR_NAME_SIZE - 1);
  r.race = static_cast<uint8_t>(model / 2);
  r.look = static_cast<int16_t>(model % 2);
  plat::ByteWriter w;
  plat::writeFields(w, r, CHAR_RECORD_WALK);
  return w.take();
}

int req_create_character(int32_t model, const std::string& name) {
  const std::vector<uint8_t> bytes = create_request_bytes(model, name);
  return net_send_world(MSG_CREATE_CHARACTER, 1, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

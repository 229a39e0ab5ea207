// The create-character request: a new character record with the chosen name, race and look.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t MSG_CREATE_CHARACTER = 0x3000E;
constexpr int32_t CREATE_REQUEST_SIZE = 28;
constexpr size_t CREATE_NAME_MAX = 14;  // bytes; the record's name field adds the NUL
constexpr uint32_t CREATE_NEW_ID = 0xFFFFFFFFu;

// The first 14 bytes of text at most, cut back so that no double-byte character is split.
std::string create_name_cut(const char* text);
// The request's bytes for a model (race x 2 + look) and a name of at most 14 bytes: id
// 0xFFFFFFFF, name[15], race, look, 0, rebirth 0, level 0 and two zero bytes.
std::vector<uint8_t> create_request_bytes(int32_t model, const std::string& name);
// Sends the request on the world link (argument 1): net_send_world's result.
int req_create_character(int32_t model, const std::string& name);

// Door.DAT: the server lines of the event-driven gateway reply or the door list, kept in a file
// beside the program. Nothing reads it back.
//
//   0    256 zero bytes
//   256  i32 offset of the first record (272), i32 offset of the end of the records,
//        i32 byte count of the records, i32 zero
//   272  the records, 84 bytes each
#pragma once
#include <cstddef>
#include <span>
#include <string>

#include "updater/server_lines.h"

namespace updater {

constexpr const char* DOOR_FILE_NAME = "Door.DAT";
constexpr size_t DOOR_FILE_LEAD = 256;
constexpr size_t DOOR_FILE_INDEX = 16;

// Writes the file at the game path; false when it cannot be created or written whole.
bool writeDoorFile(const std::string& path, std::span<const ServerLineBytes> records);

}  // namespace updater

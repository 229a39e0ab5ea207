// The 56-byte state block kept per character in "download/%d".
#include <cstdio>
#include <cstring>
#include <memory>

#include "client/game/frame_input.h"
#include "client/record/record.h"
#include "plat/platform.h"

uint8_t download_state[DOWNLOAD_STATE_SIZE] = {};

namespace {

std::string block_path() {
  char path[32];
  std::snprintf(path, sizeof path, "download/%d", static_cast<int32_t>(frame_input.own_char_id));
  return path;
}

}  // namespace

void download_state_save() {
  plat::IFileSystem& files = plat::get().files();
  if (!files.isDir("download")) files.mkdir("download");
  if (std::unique_ptr<plat::File> f = files.open(block_path(), "wb")) f->write(download_state, sizeof download_state);
}

// A missing or short file loads as zeros.
void download_state_load() {
  std::memset(download_state, 0, sizeof download_state);
  std::unique_ptr<plat::File> f = plat::get().files().open(block_path(), "rb");
  if (!f) return;
  uint8_t block[DOWNLOAD_STATE_SIZE] = {};
  if (f->read(block, sizeof block) == sizeof block) std::memcpy(download_state, block, sizeof block);
}

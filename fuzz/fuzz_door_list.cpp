// The two sources of Door.DAT: a door list text and the event-driven reply. Any input gives a
// result and never a read outside it; every record's name ends within its field; a taken list
// holds at most 100 records and, written out, makes a file of 272 + 84N bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "updater/door_file.h"
#include "updater/door_list.h"

namespace {

void checkRecords(const std::vector<updater::ServerLineBytes>& recs) {
  if (recs.size() > 100) std::abort();
  for (const updater::ServerLineBytes& r : recs) {
    bool nul = false;
    for (size_t i = 0; i < plat::SERVER_LINE_NAME_SIZE && !nul; ++i) nul = r[i] == 0;
    if (!nul || r[81] != 0 || r[82] != 0 || r[83] != 0) std::abort();
  }
}

void checkFile(const std::vector<updater::ServerLineBytes>& recs) {
  if (!updater::writeDoorFile(updater::DOOR_FILE_NAME, recs)) std::abort();
  if (fuzz_support::readGameFile(updater::DOOR_FILE_NAME).size() != 272 + 84 * recs.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz_support::installHeadlessGameDir("door-list"), true);
  (void)ready;
  if (size == 0) return 0;
  // The first byte picks the form.
  std::vector<updater::ServerLineBytes> recs;
  if (data[0] & 1) {
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (updater::parseDoorList(text, recs)) {
      if (recs.empty()) std::abort();
      checkRecords(recs);
      checkFile(recs);
    }
  } else {
    const int code = updater::parseDoorReply(std::span<const uint8_t>(data + 1, size - 1), recs);
    if (code == updater::DOOR_STORE_OK) {
      if (recs.size() < 2) std::abort();
      checkRecords(recs);
      checkFile(recs);
    } else if (code < updater::DOOR_STORE_BAD_HEAD || code > updater::DOOR_STORE_BAD_NAME) {
      std::abort();
    }
  }
  return 0;
}

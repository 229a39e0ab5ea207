// Message sequences over the login and player rows (groups 0x02 and 0x03, and the login queue's
// 0x130005) through the real dispatcher: the handlers must take any payload and any count
// without a sanitizer report, and the state they leave must let the next message run.
//
// Input: as fuzz/fuzz_dispatch.h gives it, the row index taken over these rows only.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "client/net_msg/net_msg_table.h"
#include "fuzz/fuzz_dispatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint32_t> rows = [] {
    fuzz_dispatch::setUp("login_handlers");
    std::vector<uint32_t> ids;
    for (const NET_MSG_ROW& row : net_msg_table()) {
      const uint32_t group = static_cast<uint32_t>(row.id) >> 16;
      if (group == 2 || group == 3 || static_cast<uint32_t>(row.id) == 0x130005) ids.push_back(static_cast<uint32_t>(row.id));
    }
    return ids;
  }();
  return fuzz_dispatch::runInput(data, size, rows);
}

// World messages through the real dispatcher and table: every handler built so far, and the
// placeholders for the rest, must take any payload without a sanitizer report.
//
// Input: as fuzz/fuzz_dispatch.h gives it, the row index taken over the whole table.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "client/net_msg/net_msg_table.h"
#include "fuzz/fuzz_dispatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint32_t> rows = [] {
    fuzz_dispatch::setUp("dispatch");
    std::vector<uint32_t> ids;
    for (const NET_MSG_ROW& row : net_msg_table()) ids.push_back(static_cast<uint32_t>(row.id));
    return ids;
  }();
  return fuzz_dispatch::runInput(data, size, rows);
}

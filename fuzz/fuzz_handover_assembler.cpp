// The client's pipe reader over arbitrary reads: each read is one length byte and that many
// bytes. The table never holds more than 100 rows, every name is terminated, a partial record
// stays below 84 bytes. Command 3025 (the process exit) is left out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "client/handover/pipe_reader.h"
#include "client/handover/replay_controls.h"
#include "client/handover/server_lines.h"
#include "plat/headless.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plat::HeadlessOptions o;
  o.watchdog = false;
  plat::installHeadless(o);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  handover_reset();
  replay_controls_reset();
  server_lines = SERVER_LINE_TABLE{};
  plat::headless()->debugLines().clear();
  size_t at = 0;
  while (at < size) {
    // 0..255 bytes, scaled so that reads of a few records also occur.
    size_t n = data[at++];
    if (n > 200) n = (n - 200) * 84;
    if (n > size - at) n = size - at;
    std::vector<uint8_t> read(data + at, data + at + n);
    at += n;
    if (n == 4 && handover_pending_bytes() == 0 && read[0] == 0xD1 && read[1] == 0x0B && read[2] == 0 && read[3] == 0)
      continue;  // 3025
    handover_on_read(read);
    if (handover_pending_bytes() >= plat::SERVER_LINE_RECORD_SIZE) std::abort();
  }
  handover_on_end();
  const SERVER_LINE_TABLE t = server_lines_snapshot();
  if (t.count < 0 || t.count > SERVER_LINE_ROWS) std::abort();
  for (int i = 0; i < t.count; ++i)
    if (std::memchr(t.rows[i].name, 0, sizeof t.rows[i].name) == nullptr) std::abort();
  const int32_t divisor = speed_divisor.load();
  if (divisor != 1 && divisor != 2 && divisor != 4) std::abort();
  return 0;
}

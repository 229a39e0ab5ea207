// Message sequences over the login and player rows (groups 0x02 and 0x03, and the login queue's
// 0x130005) through the real dispatcher: the handlers must take any payload and any count
// without a sanitizer report, and the state they leave must let the next message run.
//
// Input: as fuzz_net_dispatch, with the table index taken over these rows only:
//   one switch byte (bit 0 recording, bit 1 mirroring), then up to 64 messages, each
//   u8 form: bit 7 a raw u32 id follows, else a u8 row index follows; bit 6 do_not_record;
//            bit 5 an empty payload is passed as a null pointer
//   id or index, i32 argument, u16 length (cut to what is left), the payload bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "client/net/net_link.h"
#include "client/net_msg/net_dispatch.h"
#include "client/net_msg/net_msg_table.h"
#include "client/record/record.h"
#include "core/reset/module_resets.h"
#include "fuzz/fuzz_support.h"
#include "plat/bytes.h"
#include "plat/headless.h"
#include "plat/test.h"

namespace {

constexpr int kMaxMessages = 64;

std::vector<uint32_t> login_rows() {
  std::vector<uint32_t> ids;
  for (const NET_MSG_ROW& row : net_msg_table()) {
    const uint32_t group = static_cast<uint32_t>(row.id) >> 16;
    if (group == 2 || group == 3 || static_cast<uint32_t>(row.id) == 0x130005) ids.push_back(static_cast<uint32_t>(row.id));
  }
  return ids;
}

void setUp() {
  plat::HeadlessOptions o;
  o.maxDrains = 200;  // a box's nested loop ends quickly with FrameBudgetExceeded
  fuzz_support::installHeadlessGameDir("login_handlers", o);
  plat::test::setExitHandler(true);
}

void run(plat::ByteReader& in, const std::vector<uint32_t>& rows) {
  const uint8_t switches = in.u8();
  if (switches & 1) record_start();
  if (switches & 2) record_state.mirror = 1;
  for (int i = 0; i < kMaxMessages && !in.empty(); ++i) {
    const uint8_t form = in.u8();
    const uint32_t id = (form & 0x80) ? in.u32() : rows[in.u8() % rows.size()];
    const int32_t arg = in.i32();
    const size_t len = std::min<size_t>(in.u16(), in.remaining());
    const auto bytes = in.bytes(len);
    std::unique_ptr<uint8_t[]> exact(len ? new uint8_t[len] : nullptr);
    if (len) std::copy(bytes.begin(), bytes.end(), exact.get());
    const uint8_t* payload = exact.get();
    uint8_t none = 0;
    if (len == 0 && !(form & 0x20)) payload = &none;
    net_dispatch_message(id, arg, payload, static_cast<uint32_t>(len), (form & 0x40) != 0);
    if (net_link.world_dispatching != 0) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUp(), true);
  (void)ready;
  static const std::vector<uint32_t> rows = login_rows();
  plat::ByteReader in(data, size);
  try {
    run(in, rows);
  } catch (const plat::MalformedInput&) {
  } catch (const plat::test::ExitCalled&) {
  } catch (const plat::test::FrameBudgetExceeded&) {
  }
  module_resets_run_all();
  plat::headless()->debugLines().clear();
  return 0;
}

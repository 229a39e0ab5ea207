// Harness of the fuzz targets that feed message sequences to the real world dispatcher.
//
// Input: one switch byte (bit 0 recording, bit 1 mirroring), then up to 64 messages, each
//   u8 form: bit 7 a raw u32 id follows, else a u8 row index follows; bit 6 do_not_record;
//            bit 5 an empty payload is passed as a null pointer
//   id or index (into the target's rows), i32 argument, u16 length (cut to what is left), the
//   payload bytes.
// Each payload is copied into a block of exactly its length, so that a read one byte past it is
// a report.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "client/net/net_link.h"
#include "client/net_msg/net_dispatch.h"
#include "client/record/record.h"
#include "core/reset/module_resets.h"
#include "fuzz/fuzz_support.h"
#include "plat/bytes.h"
#include "plat/headless.h"
#include "plat/test.h"

namespace fuzz_dispatch {

constexpr int kMaxMessages = 64;

// A headless platform over a fresh game folder; exits and nested modal loops end in exceptions.
inline void setUp(const std::string& tag) {
  plat::HeadlessOptions o;
  o.maxDrains = 200;  // a nested modal loop ends quickly with FrameBudgetExceeded
  fuzz_support::installHeadlessGameDir(tag, o);
  plat::test::setExitHandler(true);
}

inline void runSequence(plat::ByteReader& in, std::span<const uint32_t> rows) {
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
    if (len == 0 && !(form & 0x20)) payload = &none;  // a pointer with nothing behind it
    net_dispatch_message(id, arg, payload, static_cast<uint32_t>(len), (form & 0x40) != 0);
    if (net_link.world_dispatching != 0) std::abort();  // the flag must come back
  }
}

// One input: the sequence, then every module back to its start, so that no input sees what an
// earlier one wrote.
inline int runInput(const uint8_t* data, size_t size, std::span<const uint32_t> rows) {
  plat::ByteReader in(data, size);
  try {
    runSequence(in, rows);
  } catch (const plat::MalformedInput&) {
    // The input ended inside a message head: the messages before it ran.
  } catch (const plat::test::ExitCalled&) {
  } catch (const plat::test::FrameBudgetExceeded&) {
  }
  module_resets_run_all();
  plat::headless()->debugLines().clear();  // each run tells its unknown ids again
  return 0;
}

}  // namespace fuzz_dispatch

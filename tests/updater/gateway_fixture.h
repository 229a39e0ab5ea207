// The gateway query's fixture: a headless platform over a temporary game folder (the program's
// folder), a launcher dialog over a recording status queue, and helpers that build gateway
// replies byte by byte, independently of the code under test.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plat/bytes.h"
#include "tests/support/headless_fixture.h"
#include "updater/ftp_config.h"
#include "updater/server_entry.h"
#include "updater/server_lines.h"
#include "updater/status.h"
#include "updater/update_dlg.h"

namespace gateway_test {

using Bytes = std::vector<uint8_t>;

// One 84-byte server line; pad gives the three padding bytes.
inline Bytes line(std::string_view name, int32_t id, uint32_t addr, int32_t port, int32_t load, uint8_t avail,
                  uint32_t pad = 0) {
  plat::ByteWriter w;
  w.fixedString(name, 64);
  w.i32(id);
  w.u32(addr);
  w.i32(port);
  w.i32(load);
  w.u8(avail);
  w.u8(static_cast<uint8_t>(pad));
  w.u8(static_cast<uint8_t>(pad >> 8));
  w.u8(static_cast<uint8_t>(pad >> 16));
  return w.take();
}

inline std::string hex(const Bytes& b) {
  std::string s;
  char d[3];
  for (uint8_t v : b) {
    std::snprintf(d, sizeof d, "%02X", v);
    s += d;
  }
  return s;
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline Bytes le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

// A length-prefixed block.
inline Bytes block(std::string_view text) {
  Bytes b = le32(static_cast<uint32_t>(text.size()));
  b.insert(b.end(), text.begin(), text.end());
  return b;
}

// The 22-byte empty zip archive: its end record only.
inline std::string emptyZip() { return std::string("PK\x05\x06", 4) + std::string(18, '\0'); }

class GatewayTest : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    updater::serverLines() = {};
    updater::chosenServer() = {};
    std::snprintf(updater::chosenServer().loginIP, sizeof updater::chosenServer().loginIP, "127.0.0.1");
    dlg_.emplace(sink);
  }
  void TearDown() override {
    dlg_.reset();
    HeadlessTest::TearDown();
  }

  updater::CUpdateDlg& dlg() { return *dlg_; }

  // A marker table that a failed query must leave as it is.
  static void presetTable() {
    updater::ServerLineTable& t = updater::serverLines();
    const Bytes old = line("old", 99, 0, 1, 2, 1);
    std::copy(old.begin(), old.end(), t.records[0].begin());
    t.count = 1;
  }
  static bool tableIsPreset() {
    const updater::ServerLineTable& t = updater::serverLines();
    const Bytes old = line("old", 99, 0, 1, 2, 1);
    return t.count == 1 && Bytes(t.records[0].begin(), t.records[0].end()) == old;
  }
  static Bytes tableBytes() {
    const std::span<const uint8_t> b = updater::serverLineBlock(updater::serverLines());
    return Bytes(b.begin(), b.end());
  }

  updater::StatusQueue sink;

 private:
  std::optional<updater::CUpdateDlg> dlg_;
};

}  // namespace gateway_test

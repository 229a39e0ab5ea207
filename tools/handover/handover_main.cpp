// handover --lines N [--port P] [--load L,...] [--unavailable I,...] [--group G]
//          [--command C ...] [--command-delay MS] -- PROGRAM [ARGS...]
//
// Plays the updater's last step: makes the hand-over pipe, writes N synthetic server lines
// ("Line 1".., line ids G+1.., 127.0.0.1, ports 7001.. or all P, load 100 or the i-th L,
// available unless its number I (1..N) is listed) before starting PROGRAM with the read end,
// writes each 4-byte command a moment later, closes its end and returns PROGRAM's exit code.
// PROGRAM gets this environment with the two hand-over variables set over it, so the client's
// start options (VELDRA_FIRST_TASK, VELDRA_PLATFORM ...) pass through.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "plat/bytes.h"
#include "plat/handover.h"

namespace {

constexpr int DEFAULT_GROUP = 100;
constexpr int FIRST_PORT = 7001;
constexpr int DEFAULT_LOAD = 100;
constexpr int MAX_LINES = 100;

int usage() {
  std::fprintf(stderr,
               "usage: handover --lines N [--port P] [--load L,...] [--unavailable I,...] [--group G]\n"
               "                [--command C ...] [--command-delay MS] -- PROGRAM [ARGS...]\n");
  return 2;
}

struct LineOptions {
  long count = 0;
  long group = DEFAULT_GROUP;
  long port = 0;  // 0: 7001 upwards
  std::vector<long> loads;
  std::vector<long> unavailable;  // line numbers from 1
};

bool parse_number(const char* text, long min, long max, long* out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 0);
  if (!text[0] || *end || v < min || v > max) return false;
  *out = v;
  return true;
}

// A comma-separated list of numbers, each within [min, max].
bool parse_list(const char* text, long min, long max, std::vector<long>* out) {
  std::string item;
  const std::string all = std::string(text) + ",";
  for (char c : all) {
    if (c != ',') {
      item += c;
      continue;
    }
    long v = 0;
    if (!parse_number(item.c_str(), min, max, &v)) return false;
    out->push_back(v);
    item.clear();
  }
  return true;
}

std::vector<uint8_t> synthetic_lines(const LineOptions& o) {
  plat::ByteWriter w;
  for (int i = 1; i <= o.count; ++i) {
    plat::SERVER_LINE_RECORD rec{};
    std::snprintf(rec.name, sizeof rec.name, "Line %d", i);
    rec.line_id = static_cast<int32_t>(o.group + i);
    rec.address = plat::ipv4NetworkOrder(127, 0, 0, 1);
    rec.port = static_cast<int32_t>(o.port != 0 ? o.port : FIRST_PORT + i - 1);
    rec.load = static_cast<int32_t>(static_cast<size_t>(i) <= o.loads.size() ? o.loads[i - 1] : DEFAULT_LOAD);
    rec.available = std::find(o.unavailable.begin(), o.unavailable.end(), i) == o.unavailable.end() ? 1 : 0;
    plat::writeServerLine(w, rec);
  }
  return w.take();
}

}  // namespace

int main(int argc, char** argv) {
  LineOptions lines;
  long delay_ms = 300;
  std::vector<uint32_t> commands;
  // Options come in pairs (name, value) up to "--"; the program and its arguments follow it.
  int i = 1;
  while (i < argc) {
    const std::string arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (i + 1 >= argc) return usage();
    const char* value = argv[i + 1];
    long v = 0;
    if (arg == "--lines" && parse_number(value, 0, MAX_LINES, &v)) {
      lines.count = v;
    } else if (arg == "--port" && parse_number(value, 1, 65535, &v)) {
      lines.port = v;
    } else if (arg == "--group" && parse_number(value, 0, 0x7FFFFFFFL - MAX_LINES, &v)) {
      lines.group = v;
    } else if (arg == "--load" && parse_list(value, -0x7FFFFFFFL, 0x7FFFFFFFL, &lines.loads)) {
    } else if (arg == "--unavailable" && parse_list(value, 1, MAX_LINES, &lines.unavailable)) {
    } else if (arg == "--command" && parse_number(value, 0, 0xFFFFFFFFL, &v)) {
      commands.push_back(static_cast<uint32_t>(v));
    } else if (arg == "--command-delay" && parse_number(value, 0, 60000, &v)) {
      delay_ms = v;
    } else {
      return usage();
    }
    i += 2;
  }
  if (i >= argc) return usage();
  // Loads and unavailable numbers name lines that exist.
  if (static_cast<long>(lines.loads.size()) > lines.count) return usage();
  for (long n : lines.unavailable)
    if (n > lines.count) return usage();
  const std::string program = argv[i];
  const std::vector<std::string> args(argv + i + 1, argv + argc);

  plat::HandoverLauncher pipe;
  if (!pipe.open()) {
    std::fprintf(stderr, "handover: %s\n", pipe.error().c_str());
    return 1;
  }
  // The block goes in before the client starts: 8,400 bytes fit the pipe.
  if (lines.count > 0 && !pipe.write(synthetic_lines(lines))) {
    std::fprintf(stderr, "handover: %s\n", pipe.error().c_str());
    return 1;
  }
  const auto pid = pipe.spawn(program, args, true);
  if (!pid) {
    std::fprintf(stderr, "handover: %s\n", pipe.error().c_str());
    return 1;
  }
  for (uint32_t command : commands) {
    // Apart in time, so that each arrives as a read of its own.
    std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
    const uint8_t bytes[4] = {uint8_t(command), uint8_t(command >> 8), uint8_t(command >> 16), uint8_t(command >> 24)};
    if (!pipe.write(bytes)) {
      std::fprintf(stderr, "handover: %s\n", pipe.error().c_str());
      break;
    }
  }
  pipe.closeWrite();
  const auto code = plat::HandoverLauncher::wait(*pid);
  if (!code) {
    std::fprintf(stderr, "handover: cannot wait for %s\n", program.c_str());
    return 1;
  }
  return *code;
}

// The server line's population and the loads of the other lines, and the server clock.
#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

#include "client/game/frame_input.h"
#include "client/handlers/client_handlers.h"
#include "client/handover/server_lines.h"
#include "client/state/core_state.h"
#include "social/chat_log/chat_log.h"
#include "ui/server_switch/server_switch_window.h"

namespace {

// "Players on this line: %d" in the game's code page.
constexpr const char* kPopulation = "\xB5\xB1\xC7\xB0\xCF\xDF\xC8\xCB\xCA\xFD%d";
constexpr uint64_t kLineLoadSize = 8;  // {u32 line id, i16 load, 2 bytes}

struct LINE_LOAD {
  int32_t line_id;
  int16_t load;
};

}  // namespace

void line_on_population(uint32_t, int32_t count, net_msg::Payload) {
  char line[64];
  std::snprintf(line, sizeof line, kPopulation, count);
  chat_log_add(7, 0, "", line, 0);
}

void line_on_loads(uint32_t, int32_t count, net_msg::Payload payload) {
  plat::ByteReader r = payload.records(count, kLineLoadSize);
  std::vector<LINE_LOAD> loads(static_cast<size_t>(count));
  for (LINE_LOAD& l : loads) {
    l.line_id = r.i32("line id");
    l.load = r.i16("load");
    r.skip(2, "pad");
  }
  {
    std::lock_guard<std::mutex> lock(server_lines_mutex());
    const int32_t lines = std::clamp(server_lines.count, 0, SERVER_LINE_ROWS);
    for (int32_t i = 0; i < lines; ++i) {
      SERVER_LINE_RECORD& line = server_lines.rows[i];
      line.load = 0;
      line.available = 0;
      for (const LINE_LOAD& l : loads) {
        if (l.line_id != line.line_id) continue;
        line.available = 1;
        line.load = l.load;
      }
    }
  }
  server_switch_window_toggle();
}

void clock_on_server_time(uint32_t, int32_t server_seconds, net_msg::Payload) {
  server_clock.offset = static_cast<int32_t>(static_cast<uint32_t>(server_seconds) - frame_input.frame_time / 1000);
  server_clock.valid = 0;
}

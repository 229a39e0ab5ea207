#include <cstdio>

#include "client/common/exception_log.h"
#include "plat/platform.h"
#include "engine/system/system.h"

namespace {
void log_both(const char* line) {
  sys_log(1, line);
  plat::get().debugOut(line);
}
}  // namespace

void exception_log(const char* place, int code) {
  char line[SYS_MESSAGE_BUFFER_SIZE];
  std::snprintf(line, sizeof line, "Except code : %s %d", place ? place : "", code);
  log_both(line);
}

void exception_log_msg(const char* place, int code, uint32_t message_id, int value) {
  char line[SYS_MESSAGE_BUFFER_SIZE];
  std::snprintf(line, sizeof line, "Except code : %s %d,MSG: %x,%d", place ? place : "", code, message_id, value);
  log_both(line);
}

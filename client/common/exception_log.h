// Lines for the exception log.
#pragma once
#include <cstdint>

void exception_log(const char* place, int code);
void exception_log_msg(const char* place, int code, uint32_t message_id, int value);

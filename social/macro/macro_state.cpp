#include "social/macro/macro_state.h"

#include <string>

#include "client/common/seam_calls.h"
#include "core/reset/module_resets.h"

MACRO_STATE_BLOCK macro_state_block{};

// Until the macro host is built both operations are only recorded.
void macro_state_init() { seam_call("macro_state_init"); }

void macro_run_server_command(int32_t result, const uint8_t* payload, uint32_t length) {
  seam_call("macro_run_server_command", result, length, 0,
            payload ? std::string(reinterpret_cast<const char*>(payload), length) : std::string());
}

static const ModuleReset k_reset("macro state block", [] { macro_state_block = MACRO_STATE_BLOCK{}; });

#include "social/guild/guild_info.h"

#include "client/common/seam_calls.h"

// The guild windows are not built yet: nothing is kept, the reset is recorded.
void guild_info_reset() { seam_call("guild_info_reset"); }

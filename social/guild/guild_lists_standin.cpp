// Stand-in until the guild lists are built: each reset is only recorded.
#include "client/common/seam_calls.h"
#include "social/guild/guild_lists.h"

void guild_paged_list_reset() { seam_call("guild_paged_list_reset"); }
void guild_members_reset() { seam_call("guild_members_reset"); }
void guild_applicants_free() { seam_call("guild_applicants_free"); }

// The guild block of the session: the guild's info record and the card shown for it.
#pragma once

// Clears the info block with its valid flag and the card with its shown flag (each login and
// logout).
void guild_info_reset();

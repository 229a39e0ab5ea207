// The guild's lists that the client keeps between screens: the guild message text and the paged
// guild directory, the member list and the applicant list.
#pragma once

// The guild message text and the paged directory cleared.
void guild_paged_list_reset();
// The member list emptied.
void guild_members_reset();
// The applicant list freed.
void guild_applicants_free();

// Emptying the private-message history when the main menu starts a new session.
#pragma once

// Each record's head (sender, recipient, time), name and text emptied, and the ring's head and
// tail 0.
void private_message_ring_clear();

// The ring of private messages received this session.
#pragma once

// The ring's head fields cleared: no message kept.
void private_message_ring_clear();

// The network adapter address the game main task announces to the world server.
#pragma once
#include <cstddef>

constexpr size_t MAC_ADDRESS_TEXT_SIZE = 128;

// The first non-loopback adapter with a non-zero address as "%02x-%02x-%02x-%02x-%02x-%02x", else
// an empty text; always NUL-ended within the buffer.
void mac_address_read(char (&text)[MAC_ADDRESS_TEXT_SIZE]);

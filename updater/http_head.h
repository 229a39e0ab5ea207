// Reading and reading out a response head.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plat/sockets.h"
#include "updater/timing.h"

namespace updater {

constexpr size_t HTTP_HEAD_MAX = 1024;
constexpr int HTTP_HEAD_ATTEMPTS = 200;
constexpr int HTTP_MAX_REDIRECTS = 10;

// Sends the whole request; false when the connection refuses it.
bool sendRequest(plat::net::Socket& s, const std::string& request, const Timing& timing);

// Gathers up to HTTP_HEAD_MAX bytes until the head's "\r\n\r\n" is in, within HTTP_HEAD_ATTEMPTS
// receives (one that would block waits Timing::httpHeadWaitMs; another error ends them). What
// arrived is in `text` (bytes after the head included). False when the server closed before
// anything arrived. A set `stop` ends the attempts early.
bool readHttpHead(plat::net::Socket& s, const Timing& timing, std::string& text,
                  const std::atomic<bool>* stop = nullptr);

// The head part of what arrived: up to and including "\r\n\r\n", or all of it without one.
std::string_view headPart(std::string_view text);

// The number after the first blank; false when the text has no blank. `cls` is the character
// after the blank ('2' success, '3' redirect).
bool parseStatus(std::string_view head, int& status, char& cls);

// The text after `name` up to "\r\n": 0, or `missing` / `unended`.
int headerField(std::string_view head, std::string_view name, std::string& value, int missing, int unended);

// A redirect's Location (451, 457) and its cookie, cut before its first ';' (468, 474, 480).
int redirectLocation(std::string_view head, std::string& location);
int redirectCookie(std::string_view head, std::string& cookie);

// The decimal number of a "Content-Length: " value, as atoi reads it but held at the bounds of
// 64 bits.
int64_t parseLength(std::string_view value);

}  // namespace updater

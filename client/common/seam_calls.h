// The log of calls into the other subsystems' operations that are still stand-ins: each stand-in
// records its name and arguments here, so that tests can see what the client core asked of them
// and in which order. The owners' real bodies replace the stand-ins and stop recording.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SEAM_CALL {
  const char* name;  // the operation, a string literal
  int64_t a, b, c;   // its numeric arguments, 0 where it has fewer
  std::string text;  // its text or path argument, or a payload's bytes
};

// Records one call (at most 8192 are kept; later ones are dropped).
void seam_call(const char* name, int64_t a = 0, int64_t b = 0, int64_t c = 0, std::string text = {});
// Every call since the last reset, in order.
const std::vector<SEAM_CALL>& seam_calls();
// The calls of one operation, in order.
std::vector<SEAM_CALL> seam_calls_named(const char* name);
// How many calls of one operation were recorded.
int seam_call_count(const char* name);
// The names of all calls in order (handy for order checks).
std::vector<std::string> seam_call_names();
// Forgets every recorded call and the failing operation (also part of the module resets).
void seam_calls_clear();
// Tests: every later call of that operation throws std::runtime_error once it is recorded, so
// that a caller's fault handling can be seen; nullptr: none.
void seam_call_fail(const char* name);

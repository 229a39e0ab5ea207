// vstdlib stand-in: the command line and bounded string helpers.
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "common/command_line.h"
#include "plat/platform.h"
#include "plat/tier0.h"

namespace plat::vstd {

namespace {
struct CommandLineData {
  std::vector<std::string> args;
  std::string text;
};
// Rebuilt only when the platform's arguments change (a test installing another platform), so
// pointers handed out stay valid meanwhile.
std::mutex cmdMutex;
CommandLineData cmdData;
const CommandLine cmdLine;

const CommandLineData& current() {
  std::vector<std::string> args = plat::get().process().args();
  std::lock_guard lock(cmdMutex);
  if (args != cmdData.args || cmdData.text.empty()) {
    cmdData.text = common::formatCommandLine(args);
    cmdData.args = std::move(args);
  }
  return cmdData;
}

bool equalsIgnoringAsciiCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
    if (!x) return true;
  }
}
}  // namespace

int CommandLine::checkParm(const char* parm) const {
  if (!parm) return 0;
  const CommandLineData& d = current();
  for (size_t i = 1; i < d.args.size(); ++i)
    if (equalsIgnoringAsciiCase(d.args[i].c_str(), parm)) return static_cast<int>(i);
  return 0;
}

const char* CommandLine::text() const { return current().text.c_str(); }

int CommandLine::count() const { return static_cast<int>(current().args.size()); }

const char* CommandLine::arg(int i) const {
  const CommandLineData& d = current();
  if (i < 0 || static_cast<size_t>(i) >= d.args.size()) return "";
  return d.args[i].c_str();
}

const CommandLine& commandLine() { return cmdLine; }

char* Q_strncpy(char* dst, const char* src, size_t size) {
  if (!dst || size == 0) return dst;
  size_t n = src ? strnlen(src, size - 1) : 0;
  if (n) std::memcpy(dst, src, n);
  dst[n] = '\0';
  return dst;
}

// Returns the number of characters written, not counting the terminator (never more than
// size - 1), so a caller may use it as an offset into dst.
int Q_vsnprintf(char* dst, size_t size, const char* format, va_list args) {
  if (!dst || size == 0) return 0;
  int n = std::vsnprintf(dst, size, format, args);
  if (n < 0) {
    dst[0] = '\0';
    return 0;
  }
  return static_cast<size_t>(n) >= size ? static_cast<int>(size - 1) : n;
}

int Q_snprintf(char* dst, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = Q_vsnprintf(dst, size, format, args);
  va_end(args);
  return n;
}

char* Q_strncat(char* dst, const char* src, size_t size, int maxChars) {
  if (!dst || size == 0) return dst;
  size_t len = strnlen(dst, size);
  if (len == size) {  // not terminated within size: terminate and append nothing
    dst[size - 1] = '\0';
    return dst;
  }
  if (!src) return dst;
  size_t room = size - 1 - len;
  size_t n = strnlen(src, room);
  if (maxChars >= 0 && n > static_cast<size_t>(maxChars)) n = static_cast<size_t>(maxChars);
  std::memcpy(dst + len, src, n);
  dst[len + n] = '\0';
  return dst;
}

char* Q_strcat(char* dst, const char* src, size_t size) { return Q_strncat(dst, src, size, -1); }

int Q_atoi(const char* s) {
  if (!s) return 0;
  while (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\v' || *s == '\f' || *s == '\r') ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') negative = *s++ == '-';
  long long v = 0;
  for (; *s >= '0' && *s <= '9'; ++s) {
    v = v * 10 + (*s - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;  // saturated
  }
  if (negative) return v > INT_MAX ? INT_MIN : static_cast<int>(-v);
  return v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

}  // namespace plat::vstd

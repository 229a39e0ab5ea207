// Windows command-line text in both directions: formatting argv and splitting by the runtime's
// quoting rules.
#include "common/command_line.h"

#include "plat/cp936.h"
#include "plat/platform.h"

namespace plat {

namespace common {
std::string formatCommandLine(const std::vector<std::string>& args) {
  std::string out;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i) out += ' ';
    bool quote = i == 0 || a.empty() || a.find_first_of(" \t") != std::string::npos;
    if (quote) out += '"';
    out += a;
    if (quote) out += '"';
  }
  return out;
}
}  // namespace common

namespace {
inline bool blank(char c) { return c == ' ' || c == '\t'; }
}

// The rules of the Windows C runtime's argv builder, walking whole code page 936 characters so a
// trail byte 0x5C is never a backslash. The program name takes no backslash escapes: quotes only
// toggle. Later arguments: 2n backslashes before '"' give n and the quote toggles, 2n+1 give n and
// a literal '"', other backslashes are literal, and "" inside quotes is a literal '"'.
std::vector<std::string> splitWindowsCommandLine(std::string_view s) {
  std::vector<std::string> out;
  const size_t n = s.size();
  size_t i = 0;
  while (i < n && blank(s[i])) ++i;
  if (i >= n) return out;

  std::string prog;
  bool inquote = false;
  while (i < n && (inquote || !blank(s[i]))) {
    if (s[i] == '"') {
      inquote = !inquote;
      ++i;
      continue;
    }
    size_t e = cp936::next(s, i);
    prog.append(s.substr(i, e - i));
    i = e;
  }
  out.push_back(std::move(prog));

  for (;;) {
    while (i < n && blank(s[i])) ++i;
    if (i >= n) break;
    std::string arg;
    inquote = false;
    for (;;) {
      bool copy = true;
      size_t slashes = 0;
      while (i < n && s[i] == '\\') ++i, ++slashes;
      if (i < n && s[i] == '"') {
        if (slashes % 2 == 0) {
          if (inquote && i + 1 < n && s[i + 1] == '"') {
            ++i;  // "" inside quotes: a literal quote
          } else {
            copy = false;
            inquote = !inquote;
          }
        }
        slashes /= 2;
      }
      arg.append(slashes, '\\');
      if (i >= n || (!inquote && blank(s[i]))) break;
      if (copy) {
        size_t e = cp936::next(s, i);
        arg.append(s.substr(i, e - i));
        i = e;
      } else {
        ++i;
      }
    }
    out.push_back(std::move(arg));
  }
  return out;
}

}  // namespace plat

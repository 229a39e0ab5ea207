#include <cstring>
#include <optional>
#include <string>

#include "client/common/registry_read.h"
#include "client/common/web_pages.h"
#include "plat/platform.h"
#include "plat/cp936.h"
#include "plat/winmsg.h"

namespace {

constexpr const char* kWebKey = "Software\\Veldra\\Web";

// Quotes one argument so that Windows command-line splitting gives it back unchanged. Walks
// whole characters: a trail byte 0x5C is not a backslash.
std::string quote_argument(std::string_view arg) {
  std::string out = "\"";
  size_t backslashes = 0;
  for (size_t i = 0; i < arg.size();) {
    size_t next = plat::cp936::next(arg, i);
    if (next == i + 1 && arg[i] == '\\') {
      ++backslashes;
      i = next;
      continue;
    }
    // Backslashes before a quote are doubled and the quote escaped; elsewhere they stay.
    out.append(next == i + 1 && arg[i] == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out.append(arg.substr(i, next - i));
    i = next;
  }
  out.append(backslashes * 2, '\\');  // before the closing quote
  out += '"';
  return out;
}

// The registry's open command, cut before its "%1" placeholder (with the quote that opens a
// quoted "%1"), followed by the url as one quoted argument. The url used to be pasted in raw,
// so blanks, quotes or ';' in it could add arguments; quoted, the spawner (which uses no shell)
// hands it to the browser as a single argument.
std::string build_open_command(const char* command, const char* url) {
  std::string cmd = command;
  size_t cut = cmd.find("\"%1\"");
  if (cut == std::string::npos) cut = cmd.find("%1");
  if (cut != std::string::npos) cmd.resize(cut);
  cmd += ' ';
  cmd += quote_argument(url);
  return cmd;
}

}  // namespace

int open_url(const char* url, int show) {
  int result = plat::get().shell().openUrl(url);
  if (result > 32) return result;
  char html_class[REGISTRY_VALUE_SIZE];
  if (registry_read_default(plat::Hive::ClassesRoot, ".htm", html_class) != 0) return result;
  std::string key = std::string(html_class) + "\\shell\\open\\command";
  char command[REGISTRY_VALUE_SIZE];
  if (registry_read_default(plat::Hive::ClassesRoot, key.c_str(), command) != 0) return result;
  return plat::get().shell().winExec(build_open_command(command, url), show);
}

int open_web_page(const char* url) {
  if (open_url(url, plat::SW_SHOW) > 32) return 1;
  plat::get().debugOut("MessageBeep(MB_ICONEXCLAMATION)");
  return 0;
}

// Uses the same command building as open_url, so the "%1" placeholder is replaced rather
// than passed on as a literal argument in front of the url.
void open_html_page(const char* url) {
  char command[REGISTRY_VALUE_SIZE];
  if (registry_read_default(plat::Hive::ClassesRoot, "htmlfile\\shell\\open\\command", command) != 0) return;
  plat::get().shell().winExec(build_open_command(command, url), plat::SW_SHOW);
}

int open_site_page(const WEB_PAGE& page) {
  const std::optional<std::string> url =
      plat::get().registry().readString(plat::Hive::LocalMachine, kWebKey, page.value);
  return open_web_page(url && !url->empty() ? url->c_str() : page.fallback);
}

// Message names for logs, event scripts and failure reports.
#include "plat/winmsg.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace plat {

namespace {
struct Named {
  uint32_t id;
  const char* name;
};

#define VELDRA_MSG(m) {m, #m}
constexpr Named kMessages[] = {
    VELDRA_MSG(WM_NULL), VELDRA_MSG(WM_CREATE), VELDRA_MSG(WM_DESTROY), VELDRA_MSG(WM_MOVE),
    VELDRA_MSG(WM_SIZE), VELDRA_MSG(WM_ACTIVATE), VELDRA_MSG(WM_SETFOCUS), VELDRA_MSG(WM_KILLFOCUS),
    VELDRA_MSG(WM_PAINT), VELDRA_MSG(WM_CLOSE), VELDRA_MSG(WM_QUIT), VELDRA_MSG(WM_ERASEBKGND),
    VELDRA_MSG(WM_ACTIVATEAPP), VELDRA_MSG(WM_SETCURSOR), VELDRA_MSG(WM_GETMINMAXINFO),
    VELDRA_MSG(WM_INPUTLANGCHANGEREQUEST), VELDRA_MSG(WM_INPUTLANGCHANGE),
    VELDRA_MSG(WM_NCMOUSEMOVE), VELDRA_MSG(WM_NCLBUTTONDOWN), VELDRA_MSG(WM_NCRBUTTONDOWN),
    VELDRA_MSG(WM_NCRBUTTONUP), VELDRA_MSG(WM_NCRBUTTONDBLCLK), VELDRA_MSG(WM_NCMBUTTONDOWN),
    VELDRA_MSG(WM_NCMBUTTONUP), VELDRA_MSG(WM_NCMBUTTONDBLCLK), VELDRA_MSG(WM_KEYDOWN),
    VELDRA_MSG(WM_KEYUP), VELDRA_MSG(WM_CHAR), VELDRA_MSG(WM_SYSKEYDOWN), VELDRA_MSG(WM_SYSKEYUP),
    VELDRA_MSG(WM_SYSCHAR), VELDRA_MSG(WM_IME_STARTCOMPOSITION), VELDRA_MSG(WM_IME_ENDCOMPOSITION),
    VELDRA_MSG(WM_IME_COMPOSITION), VELDRA_MSG(WM_COMMAND), VELDRA_MSG(WM_SYSCOMMAND),
    VELDRA_MSG(WM_TIMER), VELDRA_MSG(WM_MOUSEMOVE), VELDRA_MSG(WM_LBUTTONDOWN),
    VELDRA_MSG(WM_LBUTTONUP), VELDRA_MSG(WM_LBUTTONDBLCLK), VELDRA_MSG(WM_RBUTTONDOWN),
    VELDRA_MSG(WM_RBUTTONUP), VELDRA_MSG(WM_RBUTTONDBLCLK), VELDRA_MSG(WM_MBUTTONDOWN),
    VELDRA_MSG(WM_MBUTTONUP), VELDRA_MSG(WM_MBUTTONDBLCLK), VELDRA_MSG(WM_MOUSEWHEEL),
    VELDRA_MSG(WM_DROPFILES), VELDRA_MSG(WM_IME_SETCONTEXT), VELDRA_MSG(WM_IME_NOTIFY),
    VELDRA_MSG(WM_IME_CHAR), VELDRA_MSG(WM_USER), VELDRA_MSG(WM_MUSIC_EVENT), VELDRA_MSG(WM_FATAL_HANDOVER),
    VELDRA_MSG(WM_UPDATE_STATUS), VELDRA_MSG(WM_NOTICE_VIEW), VELDRA_MSG(WM_REPLAY_PROGRESS),
};
#undef VELDRA_MSG
}  // namespace

const char* messageName(uint32_t message) {
  for (const Named& n : kMessages)
    if (n.id == message) return n.name;
  return nullptr;
}

bool parseMessage(const char* text, uint32_t& out) {
  if (!text || !*text) return false;
  for (const Named& n : kMessages) {
    if (std::strcmp(n.name, text) == 0) {
      out = n.id;
      return true;
    }
  }
  if (*text < '0' || *text > '9') return false;  // no sign, no blanks
  bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* digits = hex ? text + 2 : text;
  if (!std::isxdigit(static_cast<unsigned char>(*digits))) return false;  // strtoull would skip blanks and signs
  errno = 0;
  char* end = nullptr;
  unsigned long long v = std::strtoull(digits, &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || v > 0xFFFFFFFFull) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

}  // namespace plat

// Message boxes through SDL (which needs no window), the text also on stderr.
#include <cstdio>
#include <cstring>

#include "plat/cp936.h"
#include "plat/winmsg.h"
#include "sdl/sdl_impl.h"

namespace plat::sdl {

int SdlMessageBox::show(WindowId owner, std::string_view textCp936, std::string_view captionCp936, uint32_t style) {
  std::string text = cp936::toUtf8(textCp936);
  std::string caption = cp936::toUtf8(captionCp936);
  std::fprintf(stderr, "[message box] %s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);

  const bool okCancel = (style & 0xF) == MB_OKCANCEL;
  // Under the test drivers nobody could answer; SDL may still reach a desktop and block.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) return IDOK;

  SDL_MessageBoxButtonData buttons[2] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | (okCancel ? 0u : static_cast<Uint32>(SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT)), IDOK, "OK"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"},
  };
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  switch (style & 0xF0) {
    case MB_ICONHAND: flags = SDL_MESSAGEBOX_ERROR; break;
    case MB_ICONEXCLAMATION: flags = SDL_MESSAGEBOX_WARNING; break;
    default: break;
  }
  SDL_MessageBoxData data{};
  data.flags = flags;
  data.window = p_.sdlWindows().sdlWindow(owner);
  data.title = caption.c_str();
  data.message = text.c_str();
  data.numbuttons = okCancel ? 2 : 1;
  data.buttons = buttons;
  int pressed = -1;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return IDOK;  // cannot be shown: as if answered
  if (pressed == IDCANCEL || (pressed < 0 && okCancel)) return IDCANCEL;
  return IDOK;
}

}  // namespace plat::sdl

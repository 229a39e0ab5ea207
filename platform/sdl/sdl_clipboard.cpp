// The desktop clipboard. Under X11 the text is served only while our window lives.
#include "plat/cp936.h"
#include "sdl/sdl_impl.h"

namespace plat::sdl {

bool SdlClipboard::hasText() {
  if (!p_.videoReady()) return fallback_.hasText();
  return SDL_HasClipboardText() == SDL_TRUE;
}

std::optional<std::string> SdlClipboard::getText(size_t maxBytes) {
  if (!p_.videoReady()) return fallback_.getText(maxBytes);
  char* utf8 = SDL_GetClipboardText();
  if (!utf8) return std::nullopt;
  std::string text = cp936::fromUtf8(utf8);
  SDL_free(utf8);
  text.resize(cp936::fitLength(text, maxBytes));
  return text;
}

bool SdlClipboard::setText(std::string_view cp936) {
  if (!p_.videoReady()) return fallback_.setText(cp936);
  return SDL_SetClipboardText(cp936::toUtf8(cp936).c_str()) == 0;
}

bool SdlClipboard::clear() {
  if (!p_.videoReady()) return fallback_.clear();
  return SDL_SetClipboardText("") == 0;
}

}  // namespace plat::sdl

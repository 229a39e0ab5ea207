// SDL events to message records; keyboard, pointer, text and editing events in sdl_input.cpp.
#include <atomic>
#include <cstdint>
#include <cstdio>

#include "plat/winmsg.h"
#include "sdl/sdl_impl.h"

namespace plat::sdl {

using common::RawEvent;
using K = RawEvent::Kind;

void SdlPump::translate(const SDL_Event& e) {
  common::Translator& t = p_.translator();
  if (e.type == userType_) {
    RawEvent r{K::Posted, e.user.windowID};
    r.message = static_cast<uint32_t>(e.user.code);
    r.wParam = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(e.user.data1));
    r.lParam = static_cast<int32_t>(reinterpret_cast<intptr_t>(e.user.data2));
    t.feed(r);
    return;
  }
  if (e.type == userType_ + 1) {
    WindowId w = p_.sdlWindows().mainWindow();
    if (w != kNoWindow) p_.sdlWindows().show(w, ShowMode::Normal);
    return;
  }
  switch (e.type) {
    case SDL_QUIT:
      // A terminal's SIGINT or SIGTERM: the first asks the game to close, a second one ends it.
      if (++quits_ >= 2) {
        std::fprintf(stderr, "second interrupt: ending now\n");
        p_.process().exit(130);
      }
      t.feed(RawEvent{K::Quit});
      break;
    case SDL_WINDOWEVENT: {
      WindowId w = e.window.windowID;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: t.feed(RawEvent{K::CloseRequest, w}); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: t.feed(RawEvent{K::FocusGained, w}); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: t.feed(RawEvent{K::FocusLost, w}); break;
        case SDL_WINDOWEVENT_MINIMIZED: t.feed(RawEvent{K::Minimised, w}); break;
        case SDL_WINDOWEVENT_RESTORED: t.feed(RawEvent{K::Restored, w}); break;
        case SDL_WINDOWEVENT_SHOWN: t.feed(RawEvent{K::Shown, w}); break;
        case SDL_WINDOWEVENT_MOVED: t.feed(RawEvent{K::Moved, w, Point{e.window.data1, e.window.data2}}); break;
        case SDL_WINDOWEVENT_EXPOSED: t.feed(RawEvent{K::Exposed, w}); break;
        case SDL_WINDOWEVENT_LEAVE: t.feed(RawEvent{K::PointerLeave, w}); break;
        default: break;
      }
      break;
    }
    case SDL_DROPBEGIN:
      t.feed(RawEvent{K::DropBegin, e.drop.windowID});
      break;
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
      if (e.drop.file) {
        if (e.type == SDL_DROPFILE) {
          RawEvent r{K::DropFile, e.drop.windowID};
          r.text = e.drop.file;
          t.feed(r);
        }
        SDL_free(e.drop.file);
      }
      break;
    case SDL_DROPCOMPLETE:
      t.feed(RawEvent{K::DropComplete, e.drop.windowID});
      break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      p_.sdlDisplay().recover();
      if (p_.sdlDisplay().isOpen()) t.feed(RawEvent{K::Exposed, p_.sdlDisplay().window()});
      break;
    default:
      translateInput(p_, e);
      break;
  }
}

bool SdlPump::peek(Msg& out) {
  common::Translator& t = p_.translator();
  SDL_Event e;
  while (SDL_PollEvent(&e)) translate(e);
  p_.sdlCursors().animate(p_.nowMs());
  t.endBatch();
  if (t.pop(out)) return true;
  t.emptyPump();
  return false;
}

int32_t SdlPump::dispatch(const Msg& m) {
  WindowId w = m.window == kNoWindow ? p_.sdlWindows().mainWindow() : m.window;
  const WindowDesc* d = p_.sdlWindows().desc(w);
  if (!d || !d->proc) return 0;
  Msg copy = m;
  copy.window = w;
  return d->proc(copy);
}

bool SdlPump::wait(uint32_t ms) {
  if (p_.translator().pending()) return true;
  return SDL_WaitEventTimeout(nullptr, static_cast<int>(ms > 0x7FFFFFFFu ? 0x7FFFFFFFu : ms)) == 1;
}

void SdlPump::post(WindowId w, uint32_t message, uint32_t wParam, int32_t lParam) {
  if (userType_ == static_cast<uint32_t>(-1)) return;
  SDL_Event e{};
  e.type = userType_;
  e.user.windowID = w;
  e.user.code = static_cast<Sint32>(message);
  e.user.data1 = reinterpret_cast<void*>(static_cast<uintptr_t>(wParam));
  e.user.data2 = reinterpret_cast<void*>(static_cast<intptr_t>(lParam));
  // SDL's queue is thread-safe and never blocks; when it is full the record is lost, said once.
  if (SDL_PushEvent(&e) < 0) {
    static std::atomic<bool> said{false};
    if (!said.exchange(true)) {
      std::fprintf(stderr, "posting message %u failed: %s\n", message, SDL_GetError());
    }
  }
}

void SdlPump::postRaise() {
  if (userType_ == static_cast<uint32_t>(-1)) return;
  SDL_Event e{};
  e.type = userType_ + 1;
  SDL_PushEvent(&e);
}

int16_t SdlPump::keyState(uint8_t vk) { return p_.translator().keyState(vk); }

DropList& SdlPump::drops() { return p_.translator().drops(); }

}  // namespace plat::sdl

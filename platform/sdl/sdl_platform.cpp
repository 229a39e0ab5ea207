// The SDL backend put together.
#include "sdl/sdl_platform.h"

#include <cstdio>

#include "sdl/sdl_impl.h"

namespace plat::sdl {

void note(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

SdlPlatform::SdlPlatform()
    : mainThread_(std::this_thread::get_id()), windows_(*this), translator_(*this), pump_(*this), display_(*this),
      cursors_(*this), textInput_(*this), clipboard_(*this), box_(*this) {
  // DRAW minimises a full-screen window that loses focus itself.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // Closing the last window is a WM_CLOSE of its own; SDL_QUIT stays for signals.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // The input method draws its own candidate list; SDL passes us the composition text.
  SDL_SetHint(SDL_HINT_IME_SHOW_UI, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
    video_ = true;
  } else {
    videoError_ = SDL_GetError();
    note("SDL video unavailable: " + videoError_);
    events_ = SDL_InitSubSystem(SDL_INIT_EVENTS) == 0;
  }
  // Two event types: posted records, and "raise the main window" from the single-instance thread.
  Uint32 type = SDL_RegisterEvents(2);
  if (type != static_cast<Uint32>(-1)) pump_.setUserEventType(type);
  translator_.setFrameLimit(environment().frameLimit);

  const std::string gameDir = common::resolveGameDir();
  files_ = makePosixFileSystem(gameDir);
  registry_ = common::makeIniRegistry(common::registryPath(gameDir));
  shell_ = common::makePosixShell();
  sysinfo_ = common::makePosixSystemInfo();
  process_ = common::makePosixProcess([this] {
    // Desktop full screen changes no video mode; leaving it is for the desktop's look only,
    // and only the main thread may touch the windows.
    if (onMainThread()) windows_.leaveFullscreen();
  });
  modules_ = common::makeModuleRegistry();
  common::registerBuiltinModules(*modules_);
  common::setRaiseHandler([this] { pump_.postRaise(); });
}

SdlPlatform::~SdlPlatform() {
  common::setRaiseHandler(nullptr);
  ticks_.stop();
  audio_.close();
  cursors_.releaseAll();
  windows_.closeAll();
  if (video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  if (events_) SDL_QuitSubSystem(SDL_INIT_EVENTS);
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

bool SdlPlatform::windowAcceptsFiles(WindowId w) {
  const WindowDesc* d = windows_.desc(w);
  return d && d->acceptFiles;
}

Size SdlPlatform::windowClientSize(WindowId w) {
  const WindowDesc* d = windows_.desc(w);
  return d ? d->client : Size{};
}

std::unique_ptr<Platform> makeSdlPlatform() { return std::make_unique<SdlPlatform>(); }

}  // namespace plat::sdl

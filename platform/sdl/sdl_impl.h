// The SDL backend's parts, shared by its source files. Only platform/sdl includes SDL.
#pragma once
#include <SDL.h>

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/common.h"
#include "common/translator.h"
#include "sdl/sdl_audio.h"
#include "sdl/sdl_clock.h"

namespace plat::sdl {

class SdlPlatform;

class SdlWindows final : public IWindowSystem {
 public:
  explicit SdlWindows(SdlPlatform& p) : p_(p) {}

  WindowId create(const WindowDesc& desc) override;
  void destroy(WindowId w) override;
  bool exists(WindowId w) override { return wins_.count(w) != 0; }
  void setTitle(WindowId w, std::string_view titleCp936) override;
  void show(WindowId w, ShowMode mode) override;
  void move(WindowId w, Point topLeft) override;
  Rect windowRect(WindowId w) override;
  Rect clientRect(WindowId w) override;
  Point clientToScreen(WindowId w, Point pt) override;
  Point screenToClient(WindowId w, Point pt) override;
  Rect workArea() override;
  Size screenSize() override;
  bool isMinimised(WindowId w) override;
  bool hasFocus(WindowId w) override;
  void raise(WindowId w) override;
  void setFocus(WindowId w) override;
  WindowId mainWindow() override { return main_; }
  std::string lastError() override { return lastError_; }
  int32_t defWindowProc(const Msg& m) override;

  SDL_Window* sdlWindow(WindowId w) const;
  const WindowDesc* desc(WindowId w) const;
  // Every window goes without WM_DESTROY (the platform ends).
  void closeAll();
  // Leaves desktop full screen on every window.
  void leaveFullscreen();

 private:
  struct Win {
    SDL_Window* sdl = nullptr;
    WindowDesc desc;
    bool destroying = false;
  };
  SdlPlatform& p_;
  std::map<WindowId, Win> wins_;
  WindowId main_ = kNoWindow;
  std::string lastError_;
};

class SdlPump final : public IEventPump {
 public:
  explicit SdlPump(SdlPlatform& p) : p_(p) {}

  bool peek(Msg& out) override;
  int32_t dispatch(const Msg& m) override;
  int32_t send(const Msg& m) override { return dispatch(m); }
  bool wait(uint32_t ms) override;
  void post(WindowId w, uint32_t message, uint32_t wParam, int32_t lParam) override;
  int16_t keyState(uint8_t vk) override;
  DropList& drops() override;

  // t: posted records; t + 1: raise the main window (asked by a later copy of the program).
  void setUserEventType(uint32_t t) { userType_ = t; }
  void postRaise();

 private:
  void translate(const SDL_Event& e);

  SdlPlatform& p_;
  uint32_t userType_ = static_cast<uint32_t>(-1);
  int quits_ = 0;
};

class SdlDisplay final : public IDisplay {
 public:
  static constexpr int kWidth = 800, kHeight = 600;
  explicit SdlDisplay(SdlPlatform& p) : p_(p) {}
  ~SdlDisplay() override { close(); }

  bool open(WindowId w, bool fullscreen, PixelFamily family) override;
  PixelMasks masks() const override { return masks_; }
  PixelFamily family() const override { return family_; }
  bool present(const uint16_t* px, int pitchBytes, int firstRow, int rows) override;
  bool setFullscreen(bool on) override;
  bool isOpen() const override { return renderer_ != nullptr; }
  void close() override;

  WindowId window() const { return window_; }
  // After a render-target or device reset: make the texture again from the kept frame.
  void recover();

 private:
  bool makeTexture();
  bool upload(int firstRow, int rows);
  void draw();

  SdlPlatform& p_;
  WindowId window_ = kNoWindow;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  PixelFamily family_ = PixelFamily::Rgb565;
  PixelMasks masks_ = masksOf(PixelFamily::Rgb565);
  bool fullscreen_ = false;
  std::vector<uint16_t> frame_;  // the texture's pixels, kept for recreating it
};

// Cursors from Windows cursor files as SDL colour cursors; the pump steps animated ones.
class SdlCursors final : public ICursorSystem {
 public:
  explicit SdlCursors(SdlPlatform& p) : p_(p) {}
  ~SdlCursors() override { releaseAll(); }

  CursorId arrow() override;
  CursorId loadFile(std::string_view gamePathCp936) override;
  void set(CursorId id) override;
  void show(bool on) override;
  Point position() override;
  void setPosition(Point client) override;
  void free(CursorId id) override;

  // Shows the current animated cursor's frame for the time now.
  void animate(uint32_t nowMs);
  // Every SDL cursor goes (before the video subsystem does).
  void releaseAll();

 private:
  struct Shape {
    std::vector<SDL_Cursor*> frames;
    std::vector<uint32_t> stepFrames;
    std::vector<uint32_t> stepMs;
  };
  static constexpr CursorId kArrow = 1;
  SdlPlatform& p_;
  std::map<CursorId, Shape> shapes_;
  CursorId current_ = 0;
  size_t step_ = 0;
  uint32_t stepStart_ = 0;
  CursorId next_ = kArrow + 1;
};

class SdlTextInput final : public ITextInput {
 public:
  explicit SdlTextInput(SdlPlatform& p) : p_(p) {}
  void setCaretRect(WindowId w, Rect client) override;
  bool composing() override;
  ImeComposition composition() override;

 private:
  SdlPlatform& p_;
};

// Keyboard, pointer, text and editing events to raw input records for the translator.
void translateInput(SdlPlatform& p, const SDL_Event& e);

// The desktop clipboard through SDL (UTF-8 there); the memory one while video is not up.
class SdlClipboard final : public IClipboard {
 public:
  explicit SdlClipboard(SdlPlatform& p) : p_(p) {}
  bool hasText() override;
  std::optional<std::string> getText(size_t maxBytes) override;
  bool setText(std::string_view cp936) override;
  bool clear() override;

 private:
  SdlPlatform& p_;
  MemoryClipboard fallback_;
};

class SdlMessageBox final : public IMessageBox {
 public:
  explicit SdlMessageBox(SdlPlatform& p) : p_(p) {}
  int show(WindowId owner, std::string_view textCp936, std::string_view captionCp936, uint32_t style) override;

 private:
  SdlPlatform& p_;
};

class SdlPlatform final : public Platform, public common::TranslatorHost {
 public:
  SdlPlatform();
  ~SdlPlatform() override;

  const char* name() const override { return "sdl"; }
  IClock& clock() override { return clock_; }
  ITickSource& ticks() override { return ticks_; }
  IWindowSystem& windows() override { return windows_; }
  IEventPump& events() override { return pump_; }
  IDisplay& display() override { return display_; }
  IMessageBox& messageBox() override { return box_; }
  IProcess& process() override { return *process_; }
  ISystemInfo& systemInfo() override { return *sysinfo_; }
  IRegistry& registry() override { return *registry_; }
  IShell& shell() override { return *shell_; }
  IFileSystem& files() override { return *files_; }
  IModuleRegistry& modules() override { return *modules_; }
  ICursorSystem& cursors() override { return cursors_; }
  ITextInput& textInput() override { return textInput_; }
  IClipboard& clipboard() override { return clipboard_; }
  IAudioDevice& audio() override { return audio_; }
  void debugOut(std::string_view text) override { common::debugOutToStderr(text); }

  WindowId mainWindowId() override { return windows_.mainWindow(); }
  bool windowExists(WindowId w) override { return windows_.exists(w); }
  bool windowAcceptsFiles(WindowId w) override;
  Size windowClientSize(WindowId w) override;
  uint32_t nowMs() override { return clock_.ms(); }
  Point clientToScreen(WindowId w, Point p) override { return windows_.clientToScreen(w, p); }

  common::Translator& translator() { return translator_; }
  SdlCursors& sdlCursors() { return cursors_; }
  SdlWindows& sdlWindows() { return windows_; }
  SdlDisplay& sdlDisplay() { return display_; }
  bool videoReady() const { return video_; }
  const std::string& videoError() const { return videoError_; }
  bool onMainThread() const { return std::this_thread::get_id() == mainThread_; }

 private:
  std::thread::id mainThread_;
  bool video_ = false;
  bool events_ = false;
  std::string videoError_;
  SteadyClock clock_;
  TickThread ticks_;
  SdlWindows windows_;
  common::Translator translator_;
  SdlPump pump_;
  SdlDisplay display_;
  SdlCursors cursors_;
  SdlTextInput textInput_;
  SdlClipboard clipboard_;
  SdlMessageBox box_;
  SdlAudio audio_;
  std::unique_ptr<IProcess> process_;
  std::unique_ptr<ISystemInfo> sysinfo_;
  std::unique_ptr<common::IniRegistry> registry_;
  std::unique_ptr<IShell> shell_;
  std::unique_ptr<IFileSystem> files_;
  std::unique_ptr<IModuleRegistry> modules_;
};

// A platform note: stderr and the debugger output.
void note(const std::string& text);

}  // namespace plat::sdl

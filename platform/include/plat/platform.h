// The one way into the machine for both programs. Engine and game code reach every facility
// through plat::get(); tests install a fresh headless platform.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plat/clipboard.h"
#include "plat/cursor.h"
#include "plat/files.h"
#include "plat/modules.h"
#include "plat/textinput.h"
#include "plat/types.h"

namespace plat {

struct IAudioDevice;  // plat/audio.h

// ---- clock and ticks ------------------------------------------------------------------------

struct IClock {
  virtual ~IClock() = default;
  // Milliseconds, monotonic, wrapping modulo 2^32 (callers subtract unsigned). Starts at 0x10000
  // in the headless backend so that 0 stays free as "unset".
  virtual uint32_t ms() = 0;
  virtual double seconds() = 0;
  virtual int64_t wallTime() = 0;  // seconds since 1970
  virtual void sleepMs(uint32_t ms) = 0;
};

struct ITickSource {
  virtual ~ITickSource() = default;
  // Calls tick(ctx) once per period on the tick thread (headless: on the thread that advances fake
  // time). A period of 0 or above maxPeriod() fails. Only one schedule runs at a time.
  virtual bool start(uint32_t periodMs, void (*tick)(void*), void* ctx) = 0;
  virtual void stop() = 0;
  virtual uint32_t minPeriod() { return 1; }
  virtual uint32_t maxPeriod() { return 1000000; }
};

// ---- windows and messages -------------------------------------------------------------------

struct Msg {
  WindowId window = kNoWindow;
  uint32_t message = 0;
  uint32_t wParam = 0;
  int32_t lParam = 0;
  uint32_t time = 0;
};

using WindowProc = int32_t (*)(const Msg&);

struct WindowDesc {
  std::string titleCp936;
  Size client{800, 600};
  std::optional<Point> pos;  // none: centred in the usable area by the caller's choice
  WindowProc proc = nullptr;
  WindowId owner = kNoWindow;
  bool fullscreen = false;
  bool topmost = false;
  bool acceptFiles = false;
  bool doubleClicks = false;
  bool hidden = false;
  bool borderless = false;
};

enum class ShowMode { Normal, NoActivate, Hide, Minimise, Restore };

// Files dropped on a window: WM_DROPFILES carries a handle into this list.
struct DropGroup {
  std::vector<std::string> namesCp936;
  Point point;
};
struct DropList {
  virtual ~DropList() = default;
  virtual const DropGroup* get(uint32_t handle) const = 0;
  virtual void finish(uint32_t handle) = 0;  // DragFinish
};

struct IWindowSystem {
  virtual ~IWindowSystem() = default;
  virtual WindowId create(const WindowDesc& desc) = 0;  // kNoWindow on failure, lastError() says why
  virtual void destroy(WindowId w) = 0;                 // sends WM_DESTROY synchronously first
  virtual bool exists(WindowId w) = 0;
  virtual void setTitle(WindowId w, std::string_view titleCp936) = 0;
  virtual void show(WindowId w, ShowMode mode) = 0;
  virtual void move(WindowId w, Point topLeft) = 0;
  virtual Rect windowRect(WindowId w) = 0;
  virtual Rect clientRect(WindowId w) = 0;  // always (0,0)-(w,h) of the logical client area
  virtual Point clientToScreen(WindowId w, Point p) = 0;
  virtual Point screenToClient(WindowId w, Point p) = 0;
  virtual Rect workArea() = 0;  // usable area of the desktop
  virtual Size screenSize() = 0;
  virtual bool isMinimised(WindowId w) = 0;
  virtual bool hasFocus(WindowId w) = 0;
  virtual void raise(WindowId w) = 0;
  virtual void setFocus(WindowId w) = 0;
  virtual WindowId mainWindow() = 0;  // the first window created, kNoWindow when none
  virtual std::string lastError() = 0;
  // Default handling of a message: WM_CLOSE destroys the window (WM_DESTROY delivered
  // synchronously); every other message does nothing and gives 0.
  virtual int32_t defWindowProc(const Msg& m) = 0;
};

struct IEventPump {
  virtual ~IEventPump() = default;
  // Takes the next translated record (removing it); false when nothing is pending. Counts a pump
  // for VELDRA_FRAME_LIMIT each time it finds the queue empty.
  virtual bool peek(Msg& out) = 0;
  virtual int32_t dispatch(const Msg& m) = 0;  // to the window's procedure; 0 when none
  virtual int32_t send(const Msg& m) = 0;      // synchronous, same as dispatch
  virtual bool wait(uint32_t ms) = 0;          // true when something became pending
  // Thread-safe, never blocks; only windows of ours receive it (kNoWindow = the main window).
  virtual void post(WindowId w, uint32_t message, uint32_t wParam, int32_t lParam) = 0;
  virtual int16_t keyState(uint8_t vk) = 0;  // GetKeyState: negative while down
  virtual DropList& drops() = 0;
};

// ---- display --------------------------------------------------------------------------------

struct IDisplay {
  virtual ~IDisplay() = default;
  virtual bool open(WindowId w, bool fullscreen, PixelFamily family) = 0;
  virtual PixelMasks masks() const = 0;
  virtual PixelFamily family() const = 0;
  // Rows firstRow..firstRow+rows-1 of an 800 x 600 frame of 16-bit pixels in masks() format;
  // px points at row 0 of the frame. False when closed or the rows are out of range.
  virtual bool present(const uint16_t* px, int pitchBytes, int firstRow, int rows) = 0;
  virtual bool setFullscreen(bool on) = 0;
  virtual bool isOpen() const = 0;
  virtual void close() = 0;
};

// ---- message boxes and debugger output ------------------------------------------------------

struct IMessageBox {
  virtual ~IMessageBox() = default;
  // Returns IDOK (1) or IDCANCEL (2). Texts are code page 936.
  virtual int show(WindowId owner, std::string_view textCp936, std::string_view captionCp936,
                   uint32_t style) = 0;
};

// ---- processes ------------------------------------------------------------------------------

struct SpawnSpec {
  std::string program;              // game path ("main.exe") or a program found on PATH
  std::vector<std::string> args;    // argv[1..]
  std::vector<std::pair<std::string, std::string>> env;  // added to our environment
  int inheritFd = -1;               // duplicated to descriptor 3 in the child when >= 0
  bool searchPath = false;
};

struct StartupInfo {
  int32_t x = 0;  // dwX: the hand-over pipe's read descriptor, 0 or -1 when none
  int32_t y = 0;  // dwY: a window handle of the updater
};

// One running process: its id and the target of its /proc/<pid>/exe link (" (deleted)" dropped).
struct ProcessEntry {
  uint32_t pid = 0;
  std::string exePath;
};

struct IProcess {
  virtual ~IProcess() = default;
  virtual std::optional<int> spawn(const SpawnSpec& spec) = 0;  // process id
  virtual int countRunning(std::string_view exePath) = 0;
  // Waits up to timeoutMs for the process `pid` (any process, not only our children) to end,
  // through a process descriptor, so a reused id cannot stand in for it. True when it has ended
  // or never existed; false when it still runs after the timeout, or cannot be watched.
  virtual bool waitExit(int pid, uint32_t timeoutMs) { (void)pid; (void)timeoutMs; return false; }
  // This process's id (GetCurrentProcessId).
  virtual uint32_t currentId() { return 0; }
  // Every process whose executable can be read; nullopt when the list cannot be built.
  virtual std::optional<std::vector<ProcessEntry>> processList() { return std::nullopt; }
  virtual StartupInfo startupInfo() = 0;
  // Single instance keyed by name and the game folder: true when another copy runs (it was asked
  // to raise its window); false when we are the first (we now hold the key).
  virtual bool anotherCopyRaised(std::string_view name) = 0;
  // Runs the onExit hooks newest first, leaves desktop full screen, ends the process with _exit.
  // Tests replace it (plat::test::setExitHandler).
  [[noreturn]] virtual void exit(int code) = 0;
  virtual void onExit(std::function<void()> hook) = 0;
  virtual std::string commandLine() = 0;            // "argv[0]" arg1 "arg two" ...
  virtual std::vector<std::string> args() = 0;      // argv as given (UTF-8)
};

// ---- system information, registry, shell ----------------------------------------------------

struct SystemInfo {
  std::string cpuVendor;        // CPUID leaf 0, 12 characters
  uint32_t cpuMhz = 0;          // 0 when unknown
  bool mmx = true;
  uint64_t totalMemory = 0;     // bytes
  uint64_t availableMemory = 0; // bytes
  std::string computerName;
  std::string userName;
  std::string macAddress;       // first non-loopback adapter, "" when none
};

struct ISystemInfo {
  virtual ~ISystemInfo() = default;
  virtual SystemInfo query() = 0;
};

enum class Hive { ClassesRoot, CurrentUser, LocalMachine };

struct IRegistry {
  virtual ~IRegistry() = default;
  // valueName "" is the key's default value. nullopt when the key or value is absent.
  virtual std::optional<std::string> readString(Hive hive, std::string_view key, std::string_view valueName) = 0;
  virtual std::optional<uint32_t> readDword(Hive hive, std::string_view key, std::string_view valueName) = 0;
  virtual bool keyExists(Hive hive, std::string_view key) = 0;
};

struct IShell {
  virtual ~IShell() = default;
  // ShellExecute "open": runs xdg-open with the url as one argument, no shell. 42, or 2 when it
  // cannot start (so that "32 or less is failure" holds).
  virtual int openUrl(std::string_view urlCp936) = 0;
  // WinExec: splits the command by Windows quoting rules and spawns it without a shell.
  // Returns 33 on success, 2 when it cannot start.
  virtual int winExec(std::string_view commandCp936, int show) = 0;
};

// The host path of a companion program named as the Windows programs were ("main.exe" is our
// `main` beside the running program, "replaceself.dll" our `replaceself`); nullopt for any other.
std::optional<std::string> companionPath(std::string_view program);

// Splits a command line the way the Windows runtime builds argv.
std::vector<std::string> splitWindowsCommandLine(std::string_view cmd);

// ---- the platform ---------------------------------------------------------------------------

class Platform {
 public:
  virtual ~Platform() = default;
  virtual const char* name() const = 0;  // "sdl" or "headless"
  virtual IClock& clock() = 0;
  virtual ITickSource& ticks() = 0;
  virtual IWindowSystem& windows() = 0;
  virtual IEventPump& events() = 0;
  virtual IDisplay& display() = 0;
  virtual IMessageBox& messageBox() = 0;
  virtual IProcess& process() = 0;
  virtual ISystemInfo& systemInfo() = 0;
  virtual IRegistry& registry() = 0;
  virtual IShell& shell() = 0;
  virtual IFileSystem& files() = 0;
  virtual IModuleRegistry& modules() = 0;
  // Cursors and text input. Both backends implement them; the defaults (for wrappers that do not
  // delegate) show nothing, load nothing and place nothing.
  virtual ICursorSystem& cursors();
  virtual ITextInput& textInput();
  // The clipboard; the default keeps it in memory.
  virtual IClipboard& clipboard();
  // The audio device (plat/audio.h); the default has none, so its open fails.
  virtual IAudioDevice& audio();
  // OutputDebugString: stderr under VELDRA_DEBUG_OUT=1 (headless: also recorded).
  virtual void debugOut(std::string_view text) = 0;
};

Platform& get();
void install(std::unique_ptr<Platform> p);  // nullptr removes the platform (tests)
bool installed();
// SDL unless VELDRA_PLATFORM=headless. Reads the VELDRA_* variables once.
void installFromEnvironment(int argc = 0, char** argv = nullptr);
// A program that starts others in the game folder (the updater): makes the game folder the
// working folder, which its children inherit, and ignores SIGPIPE, so a write to a pipe whose
// reader is gone fails instead of ending the program. False when the folder cannot be entered.
bool enterGameFolder();

// Environment values read once at start (see README).
struct Environment {
  std::string platform;       // VELDRA_PLATFORM
  std::string gameDir;        // VELDRA_GAME_DIR
  std::string eventScript;    // VELDRA_EVENT_SCRIPT
  uint32_t frameLimit = 0;    // VELDRA_FRAME_LIMIT, 0 = none
  bool headlessRealClock = false;  // VELDRA_HEADLESS_CLOCK=real
  std::string testDump;            // VELDRA_TEST_DUMP: a folder for pictures of a run
  uint32_t testDumpFrames = 1;     // VELDRA_TEST_DUMP_FRAMES: frames dumped per screen
  bool debugOut = false;      // VELDRA_DEBUG_OUT=1
  std::string registryFile;   // VELDRA_REGISTRY
  bool keepTmp = false;       // VELDRA_KEEP_TMP=1
  std::string pixelFormat;    // VELDRA_PIXEL_FORMAT
  bool testPattern = false;   // VELDRA_TEST_PATTERN=1: the frame loop shows the colour bars
  uint32_t netConnectTimeoutMs = 5000;  // VELDRA_NET_CONNECT_TIMEOUT_MS
  uint32_t netMaxPayload = 1u << 20;    // VELDRA_NET_MAX_PAYLOAD, bytes
  int32_t firstTask = -1;               // VELDRA_FIRST_TASK: the task after start-up, -1 = unset
};
const Environment& environment();
void reloadEnvironment();  // tests only

// The masks of a pixel family (655: R 0xFC00 G 0x03E0 B 0x001F; 556: R 0xF800 G 0x07C0 B 0x003F;
// 444: 0x0F00 0x00F0 0x000F).
PixelMasks masksOf(PixelFamily family);
// The family VELDRA_PIXEL_FORMAT names; 565 when unset or unknown.
PixelFamily pixelFamilyFromEnvironment();

}  // namespace plat

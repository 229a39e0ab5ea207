// The headless backend: no display, audio device or wall-clock waits. Tests and batch runs.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plat/audio.h"
#include "plat/platform.h"

namespace plat {

// A raw input event, expanded through the same tables as the SDL backend's events.
struct ScriptInput {
  enum class Kind : uint8_t { None, KeyDown, KeyUp, Text, Compose, Move, ButtonDown, ButtonUp, Wheel, Leave };
  Kind kind = Kind::None;
  uint16_t usage = 0;   // keys: the USB HID usage (SDL's scan code)
  bool repeat = false;  // keys: SDL's repeat flag (a down of a key already down repeats anyway)
  std::string text;     // Text, Compose: UTF-8; an empty composition ends it
  Point point;          // Move, ButtonDown, ButtonUp: client coordinates
  uint8_t button = 0;   // 1 left, 2 middle, 3 right
  float wheel = 0;      // notches, positive forward
};

// One scripted record: delivered through the translator when fake time reaches atMs (counted
// from the clock's start) or, with atFrame set, at that pump count. A record behind an AFTER
// line (gate n > 0) counts both from the moment the debugger-output line of that gate came.
struct ScriptEvent {
  uint32_t atMs = 0;
  std::optional<uint32_t> atFrame;
  WindowId window = kNoWindow;  // kNoWindow: the main window
  uint32_t message = 0;
  uint32_t wParam = 0;
  int32_t lParam = 0;
  ScriptInput input{};  // kind None: the message record above
  uint32_t gate = 0;    // 0: counted from the start; n: from the opening of gates[n - 1]
};

struct EventScript {
  std::vector<ScriptEvent> events;
  // The texts of the AFTER lines in order. Gate n opens when, after gate n - 1 opened, a
  // debugger-output line containing gates[n - 1] is written.
  std::vector<std::string> gates;
  // One record per line: "<ms> <message name or number> [wParam] [lParam]", decimal or 0x hex,
  // '#' starts a comment; "@<n>" in place of the time means the n-th pump. lParam may be
  // negative. Raw input in place of a message: "KEYDOWN <key>", "KEYUP <key>" (SDL scan-code
  // names such as A, RETURN, KP_4, LSHIFT), "TEXT <utf-8>", "COMPOSE [<utf-8>]" (empty ends the
  // composition), "MOVE x y", "BUTTON down|up left|right|middle x y", "WHEEL <notches>", "LEAVE".
  // "AFTER <text>" on a line of its own times the records below it from the moment a debugger-
  // output line containing the text is written (so a script waits for a screen's line).
  // Throws std::invalid_argument naming the line on an unknown name or a bad number.
  static EventScript parse(std::string_view text);
};

struct HeadlessOptions {
  std::string gameDir;                 // "" = VELDRA_GAME_DIR or the executable's folder
  uint32_t clockStart = 0x10000;
  uint32_t pumpStepMs = 1;             // fake time each pump advances
  uint64_t maxDrains = 10000;
  uint64_t maxFakeMs = 10 * 60 * 1000;
  Size screen{1024, 768};
  SystemInfo systemInfo{"HeadlessTest", 1000, true, 1024ull << 20, 512ull << 20, "headless", "player",
                        "02-00-00-00-00-01"};  // a locally administered address; "" for none
  EventScript script;
  uint32_t frameLimit = 0;             // VELDRA_FRAME_LIMIT
  bool watchdog = true;                // 60 s wall-clock watchdog
  bool realClock = false;              // VELDRA_HEADLESS_CLOCK=real: time is the wall's
  // VELDRA_TEST_DUMP: each screen's first settled frame (the one presented 1.5 s after its
  // "task enter" debugger-output line) goes there as <n>-task<id>.ppm.
  std::string dumpDir;
  bool audioDevice = true;             // false: the machine has no audio device
};

// What a test can reach inside the headless backend.
//
// Windows: a window created shown gets the records a desktop would give it (WM_SIZE 0, then
// WM_ACTIVATEAPP 1 when the application was inactive, then WM_PAINT); afterwards WM_SIZE and
// WM_ACTIVATEAPP come only when the test or the script changes minimise or focus. A scripted
// WM_SIZE 0/1, WM_ACTIVATEAPP or WM_CLOSE changes the window's state the same way.
class FakeClock : public IClock {
 public:
  virtual void advance(uint32_t ms) = 0;
  virtual void set(uint32_t ms) = 0;
  virtual void setWallTime(int64_t seconds) = 0;
};

class MemoryDisplay : public IDisplay {
 public:
  virtual const std::vector<uint16_t>& lastFrame() const = 0;  // 800 x 600
  virtual uint64_t lastHash() const = 0;                      // FNV-1a 64 of the last frame
  virtual uint64_t presentCount() const = 0;
  virtual bool fullscreen() const = 0;
  virtual void setMasks(PixelMasks m) = 0;
  virtual bool dumpPpm(const std::string& hostPath) const = 0;
};

// What the program did with the cursors and the input method's windows.
struct CursorRecord {
  CursorId current = 0;               // the last set() handle
  bool shown = true;
  std::vector<CursorId> sets;         // the recent set() calls
  std::vector<Point> warps;           // setPosition points
  std::vector<std::string> loaded;    // loadFile paths that gave a cursor
  std::vector<std::pair<WindowId, Rect>> caretRects;
};

struct RecordedBox {
  std::string text, caption;
  uint32_t style = 0;
};

class HeadlessPlatform : public Platform {
 public:
  virtual FakeClock& fakeClock() = 0;
  virtual MemoryDisplay& memoryDisplay() = 0;
  virtual std::vector<RecordedBox>& boxes() = 0;
  virtual std::deque<int>& boxAnswers() = 0;           // IDOK when empty
  virtual std::vector<std::string>& debugLines() = 0;
  virtual void schedule(const ScriptEvent& e) = 0;
  // A whole script, its AFTER gates included.
  virtual void scheduleScript(const EventScript& s) = 0;
  // Feeds one message straight into the queue, as if translated now.
  virtual void inject(const Msg& m) = 0;
  // Feeds one raw input event through the translator now.
  virtual void input(const ScriptInput& in) = 0;
  virtual CursorRecord& cursorRecord() = 0;
  // A loaded cursor's content; nullptr for the arrow or an unknown handle.
  virtual const CursorImage* cursorImage(CursorId id) = 0;
  // The input method's state that text-editing events fill (tests add candidates and modes).
  virtual ImeComposition& ime() = 0;
  // The in-memory clipboard, with its failure switches.
  virtual MemoryClipboard& memoryClipboard() = 0;
  virtual void setRegistryValue(Hive hive, const std::string& key, const std::string& value,
                                const std::string& data) = 0;
  virtual std::vector<std::string>& openedUrls() = 0;   // IShell::openUrl calls
  virtual std::string windowTitle(WindowId w) = 0;      // the last setTitle, code page 936
  virtual std::vector<std::vector<std::string>>& execs() = 0;  // winExec argument vectors
  virtual void setShellResult(int openUrlResult, int winExecResult) = 0;
  virtual void setWindowCreateFails(bool fails) = 0;
  virtual void setAnotherCopyRunning(bool running) = 0;
  virtual void setMinimised(WindowId w, bool minimised) = 0;
  virtual void setFocus(WindowId w, bool focus) = 0;
  virtual uint64_t drains() const = 0;
  virtual HeadlessOptions& options() = 0;
  // The audio device with its recording; nullptr when the options removed it.
  virtual HeadlessAudio* headlessAudio() = 0;
  // The watchdog sleeps until the next pump or sleep (the test runner calls it after each test).
  virtual void disarmWatchdog() = 0;
};

std::unique_ptr<HeadlessPlatform> makeHeadlessPlatform(HeadlessOptions options = {});
// Installs a fresh headless platform and returns it (owned by the platform slot).
HeadlessPlatform& installHeadless(HeadlessOptions options = {});
// The installed platform as headless, or nullptr.
HeadlessPlatform* headless();

}  // namespace plat

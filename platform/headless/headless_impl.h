// The headless backend's parts, shared by its source files.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "common/common.h"
#include "common/translator.h"
#include "headless/headless_audio.h"
#include "headless/headless_clock.h"
#include "headless/memory_display.h"
#include "plat/headless.h"

namespace plat::headless_impl {

class HeadlessPlatformImpl;

// Windows are records; the test scripts minimise, focus and the screen size.
class HeadlessWindows final : public IWindowSystem {
 public:
  struct Rec {
    WindowDesc desc;
    Point pos;
    bool minimised = false;
    bool hidden = false;
    bool destroying = false;
  };

  explicit HeadlessWindows(HeadlessPlatformImpl& p) : p_(p) {}

  WindowId create(const WindowDesc& desc) override;
  void destroy(WindowId w) override;
  bool exists(WindowId w) override { return recs_.count(w) != 0; }
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
  void raise(WindowId w) override { focus(w, true); }
  void setFocus(WindowId w) override { focus(w, true); }
  WindowId mainWindow() override;
  std::string lastError() override { return lastError_; }
  int32_t defWindowProc(const Msg& m) override;

  // Test controls.
  void setMinimised(WindowId w, bool minimised);
  void focus(WindowId w, bool on);
  void setCreateFails(bool fails) { createFails_ = fails; }
  const Rec* rec(WindowId w) const;
  WindowProc procOf(WindowId w) const;
  // The title as last set, code page 936.
  std::string title(WindowId w) const;

 private:
  HeadlessPlatformImpl& p_;
  std::map<WindowId, Rec> recs_;
  WindowId next_ = 1;
  WindowId main_ = kNoWindow;
  bool createFails_ = false;
  std::string lastError_;
};

// The queue of translated records, scripted events, posts from other threads and the frame
// budget.
class HeadlessPump final : public IEventPump {
 public:
  explicit HeadlessPump(HeadlessPlatformImpl& p) : p_(p) {}

  bool peek(Msg& out) override;
  int32_t dispatch(const Msg& m) override;
  int32_t send(const Msg& m) override { return dispatch(m); }
  bool wait(uint32_t ms) override;
  void post(WindowId w, uint32_t message, uint32_t wParam, int32_t lParam) override;
  int16_t keyState(uint8_t vk) override;
  DropList& drops() override;

  void schedule(const ScriptEvent& e);
  // Schedules the ungated records and keeps the others until their gate opens.
  void loadScript(const EventScript& s);
  // Any thread: a debugger-output line, which may open the next gate.
  void onDebugLine(std::string_view text);
  uint64_t drains() const { return drains_; }
  // Fake time and drains against the budget; throws or ends the program when past it.
  void checkBudget();

 private:
  void takeInbox();
  void releaseGates();
  void deliverDue();
  bool dueScript() const;
  void remember(const Msg& m);
  [[noreturn]] void budgetExceeded(const std::string& why);

  HeadlessPlatformImpl& p_;
  std::mutex inboxMutex_;
  std::deque<Msg> inbox_;
  std::deque<ScriptEvent> byTime_;   // sorted by atMs
  std::deque<ScriptEvent> byFrame_;  // sorted by atFrame
  std::deque<Msg> last_;            // the last 20 records taken
  // AFTER gates: texts and held records (owner thread once loaded); the times at which the
  // debugger-output lines opened them (any thread, under gateMutex_).
  std::mutex gateMutex_;
  std::vector<std::string> gates_;
  std::vector<std::vector<ScriptEvent>> held_;
  std::vector<uint64_t> openedAt_;
  size_t released_ = 0;
  uint64_t drains_ = 0;
  bool failing_ = false;
};

// Cursors: handles and calls recorded; files are parsed, so their reader runs without a display.
// The pointer is the translator's last point.
class HeadlessCursors final : public ICursorSystem {
 public:
  explicit HeadlessCursors(HeadlessPlatformImpl& p) : p_(p) {}
  CursorId arrow() override { return kArrow; }
  CursorId loadFile(std::string_view gamePathCp936) override;
  void set(CursorId id) override;
  void show(bool on) override { record_.shown = on; }
  Point position() override;
  void setPosition(Point client) override;
  void free(CursorId id) override { images_.erase(id); }

  CursorRecord& record() { return record_; }
  const CursorImage* image(CursorId id) const;

 private:
  static constexpr CursorId kArrow = 1;
  HeadlessPlatformImpl& p_;
  CursorRecord record_;
  std::map<CursorId, CursorImage> images_;
  CursorId next_ = kArrow + 1;
};

class HeadlessTextInput final : public ITextInput {
 public:
  explicit HeadlessTextInput(HeadlessPlatformImpl& p) : p_(p) {}
  void setCaretRect(WindowId w, Rect client) override;
  bool composing() override;
  ImeComposition composition() override;

 private:
  HeadlessPlatformImpl& p_;
};

class HeadlessPlatformImpl final : public HeadlessPlatform, public common::TranslatorHost {
 public:
  explicit HeadlessPlatformImpl(HeadlessOptions options);
  ~HeadlessPlatformImpl() override;

  // Platform
  const char* name() const override { return "headless"; }
  IClock& clock() override { return clock_; }
  ITickSource& ticks() override { return ticks_; }
  IWindowSystem& windows() override { return windows_; }
  IEventPump& events() override { return pump_; }
  IDisplay& display() override { return display_; }
  IMessageBox& messageBox() override { return *box_; }
  IProcess& process() override { return *process_; }
  ISystemInfo& systemInfo() override { return *sysinfo_; }
  IRegistry& registry() override { return *registry_; }
  IShell& shell() override { return *shell_; }
  IFileSystem& files() override { return *files_; }
  IModuleRegistry& modules() override { return *modules_; }
  ICursorSystem& cursors() override { return cursors_; }
  ITextInput& textInput() override { return textInput_; }
  IClipboard& clipboard() override { return clipboard_; }
  IAudioDevice& audio() override;
  void debugOut(std::string_view text) override;

  // HeadlessPlatform
  FakeClock& fakeClock() override { return clock_; }
  MemoryDisplay& memoryDisplay() override { return display_; }
  std::vector<RecordedBox>& boxes() override { return boxes_; }
  std::deque<int>& boxAnswers() override { return boxAnswers_; }
  std::vector<std::string>& debugLines() override { return debugLines_; }
  void schedule(const ScriptEvent& e) override { pump_.schedule(e); }
  void scheduleScript(const EventScript& s) override { pump_.loadScript(s); }
  void inject(const Msg& m) override;
  void input(const ScriptInput& in) override { feedInput(kNoWindow, in); }
  CursorRecord& cursorRecord() override { return cursors_.record(); }
  const CursorImage* cursorImage(CursorId id) override { return cursors_.image(id); }
  ImeComposition& ime() override { return translator_.composition(); }
  MemoryClipboard& memoryClipboard() override { return clipboard_; }
  void setRegistryValue(Hive hive, const std::string& key, const std::string& value,
                        const std::string& data) override;
  std::vector<std::string>& openedUrls() override { return urls_; }
  std::string windowTitle(WindowId w) override { return windows_.title(w); }
  std::vector<std::vector<std::string>>& execs() override { return execs_; }
  void setShellResult(int openUrlResult, int winExecResult) override;
  void setWindowCreateFails(bool fails) override { windows_.setCreateFails(fails); }
  void setAnotherCopyRunning(bool running) override { anotherCopy_.store(running); }
  void setMinimised(WindowId w, bool minimised) override { windows_.setMinimised(w, minimised); }
  void setFocus(WindowId w, bool focus) override { windows_.focus(w, focus); }
  uint64_t drains() const override { return pump_.drains(); }
  HeadlessOptions& options() override { return options_; }
  void disarmWatchdog() override { armed_.store(false); }
  HeadlessAudio* headlessAudio() override { return audio_.get(); }

  // TranslatorHost
  WindowId mainWindowId() override { return windows_.mainWindow(); }
  bool windowExists(WindowId w) override { return windows_.exists(w); }
  bool windowAcceptsFiles(WindowId w) override;
  Size windowClientSize(WindowId w) override;
  uint32_t nowMs() override { return clock_.ms(); }
  Point clientToScreen(WindowId w, Point p) override { return windows_.clientToScreen(w, p); }

  // A raw input event through the translator, as the SDL backend feeds its events.
  void feedInput(WindowId w, const ScriptInput& in);
  common::Translator& translator() { return translator_; }
  HeadlessClock& fake() { return clock_; }
  MemoryDisplayImpl& memory() { return display_; }
  // A pump, sleep or wait happened: the watchdog starts or restarts its count.
  void activity();
  bool onOwnerThread() const { return std::this_thread::get_id() == owner_; }
  int openUrlResult() const { return openUrlResult_.load(); }
  int winExecResult() const { return winExecResult_.load(); }
  bool anotherCopy() const { return anotherCopy_.load(); }
  std::mutex& recordMutex() { return recordMutex_; }

 private:
  void watchdogLoop();
  // VELDRA_TEST_DUMP: what the device played, as sound_mix.wav (once).
  void dumpSound();

  HeadlessOptions options_;
  std::thread::id owner_;
  HeadlessClock clock_;
  HeadlessTicks ticks_;
  HeadlessWindows windows_;
  common::Translator translator_;
  HeadlessPump pump_;
  MemoryDisplayImpl display_;
  HeadlessCursors cursors_;
  HeadlessTextInput textInput_;
  MemoryClipboard clipboard_;
  std::unique_ptr<IMessageBox> box_;
  std::unique_ptr<IProcess> process_;
  std::unique_ptr<ISystemInfo> sysinfo_;
  std::unique_ptr<common::IniRegistry> registry_;
  std::unique_ptr<IShell> shell_;
  std::unique_ptr<IFileSystem> files_;
  std::unique_ptr<IModuleRegistry> modules_;
  std::unique_ptr<HeadlessAudioDevice> audio_;  // null when the options remove the device
  std::atomic<bool> soundDumped_{false};

  std::mutex recordMutex_;  // debug lines, URLs and exec records may come from any thread
  std::vector<RecordedBox> boxes_;
  std::deque<int> boxAnswers_;
  std::vector<std::string> debugLines_;
  std::vector<std::string> urls_;
  std::vector<std::vector<std::string>> execs_;
  std::atomic<int> openUrlResult_{42};
  std::atomic<int> winExecResult_{33};
  std::atomic<bool> anotherCopy_{false};
  // Screen dumps: the next one's name and the elapsed time of the present to dump (under
  // recordMutex_).
  std::string dumpName_;
  uint64_t dumpAt_ = 0;
  int dumps_ = 0;
  void dumpScreen();

  // Watchdog: aborts when nothing pumped or slept for 60 s of wall time after the first pump.
  std::thread watchdog_;
  std::mutex watchdogMutex_;
  std::condition_variable watchdogWake_;
  bool stopping_ = false;
  std::atomic<bool> armed_{false};
  std::atomic<int64_t> lastActivity_{0};  // steady-clock nanoseconds
};

}  // namespace plat::headless_impl

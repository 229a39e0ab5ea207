// The headless backend put together: fake clock, records for windows and boxes, memory display,
// fixed system information and the real files, registry file and modules.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "headless/headless_impl.h"
#include "plat/test.h"
#include "plat/winmsg.h"

namespace plat::headless_impl {

namespace {

int64_t steadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

class RecordingMessageBox final : public IMessageBox {
 public:
  explicit RecordingMessageBox(HeadlessPlatformImpl& p) : p_(p) {}
  int show(WindowId owner, std::string_view text, std::string_view caption, uint32_t style) override {
    std::lock_guard<std::mutex> lock(p_.recordMutex());
    p_.boxes().push_back(RecordedBox{std::string(text), std::string(caption), style, owner});
    // A batch run shows nobody the box: say it on stderr. Tests read the record instead.
    if (!plat::test::exitHandlerSet())
      std::fprintf(stderr, "[message box] %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                   static_cast<int>(text.size()), text.data());
    if (p_.boxAnswers().empty()) return IDOK;
    int answer = p_.boxAnswers().front();
    p_.boxAnswers().pop_front();
    return answer;
  }

 private:
  HeadlessPlatformImpl& p_;
};

class FakeShell final : public IShell {
 public:
  explicit FakeShell(HeadlessPlatformImpl& p) : p_(p) {}
  int openUrl(std::string_view url) override {
    std::lock_guard<std::mutex> lock(p_.recordMutex());
    p_.openedUrls().emplace_back(url);
    return p_.openUrlResult();
  }
  int winExec(std::string_view command, int) override {
    std::lock_guard<std::mutex> lock(p_.recordMutex());
    p_.execs().push_back(splitWindowsCommandLine(command));
    return p_.winExecResult();
  }

 private:
  HeadlessPlatformImpl& p_;
};

class FixedSystemInfo final : public ISystemInfo {
 public:
  explicit FixedSystemInfo(SystemInfo info) : info_(std::move(info)) {}
  SystemInfo query() override { return info_; }

 private:
  SystemInfo info_;
};

// The real process services, except that the single-instance answer is the test's.
class HeadlessProcess final : public IProcess {
 public:
  HeadlessProcess(HeadlessPlatformImpl& p, std::unique_ptr<IProcess> real) : p_(p), real_(std::move(real)) {}
  std::optional<int> spawn(const SpawnSpec& spec) override { return real_->spawn(spec); }
  int countRunning(std::string_view exePath) override { return real_->countRunning(exePath); }
  bool waitExit(int pid, uint32_t timeoutMs) override { return real_->waitExit(pid, timeoutMs); }
  uint32_t currentId() override { return real_->currentId(); }
  std::optional<std::vector<ProcessEntry>> processList() override {
    std::optional<std::vector<ProcessEntry>> fake;
    if (p_.fakeProcessList(fake)) return fake;
    return real_->processList();
  }
  StartupInfo startupInfo() override { return real_->startupInfo(); }
  bool anotherCopyRaised(std::string_view) override { return p_.anotherCopy(); }
  [[noreturn]] void exit(int code) override {
    // A batch run: whoever runs it learns which reads found nothing and, since the program may
    // not be its child, the exit code.
    if (!plat::test::exitHandlerSet()) {
      for (const std::string& miss : plat::test::readMisses()) std::fprintf(stderr, "[read miss] %s\n", miss.c_str());
      std::fprintf(stderr, "[exit] %d\n", code);
    }
    real_->exit(code);
    std::abort();  // not reached
  }
  void onExit(std::function<void()> hook) override { real_->onExit(std::move(hook)); }
  std::string commandLine() override { return real_->commandLine(); }
  std::vector<std::string> args() override { return real_->args(); }

 private:
  HeadlessPlatformImpl& p_;
  std::unique_ptr<IProcess> real_;
};

}  // namespace

HeadlessPlatformImpl::HeadlessPlatformImpl(HeadlessOptions options)
    : options_(std::move(options)),
      owner_(std::this_thread::get_id()),
      clock_(options_.clockStart, options_.realClock),
      windows_(*this),
      translator_(*this),
      pump_(*this),
      display_([this](WindowId w) { return windows_.isMinimised(w); }),
      cursors_(*this),
      textInput_(*this) {
  options_.gameDir = common::resolveGameDir(options_.gameDir);
  attachTicks(clock_, ticks_);
  clock_.onSleep([this] {
    activity();
    if (onOwnerThread()) pump_.checkBudget();
  });
  translator_.setFrameLimit(options_.frameLimit);
  pump_.loadScript(options_.script);
  if (!options_.dumpDir.empty()) display_.onPresent([this] { dumpScreen(); });

  box_ = std::make_unique<RecordingMessageBox>(*this);
  process_ = std::make_unique<HeadlessProcess>(*this, common::makePosixProcess([this] { display_.setFullscreen(false); }));
  sysinfo_ = std::make_unique<FixedSystemInfo>(options_.systemInfo);
  registry_ = common::makeIniRegistry(common::registryPath(options_.gameDir));
  shell_ = std::make_unique<FakeShell>(*this);
  files_ = makePosixFileSystem(options_.gameDir, true);
  modules_ = common::makeModuleRegistry();
  common::registerBuiltinModules(*modules_);
  if (options_.audioDevice) {
    audio_ = std::make_unique<HeadlessAudioDevice>(clock_);
    clock_.onAdvance([this] { audio_->clockMoved(); });
    if (!options_.dumpDir.empty()) {
      // A run's sound goes beside its screens, however the run ends.
      audio_->startRecording();
      process_->onExit([this] { dumpSound(); });
    }
  }

  if (options_.watchdog) watchdog_ = std::thread([this] { watchdogLoop(); });
}

HeadlessPlatformImpl::~HeadlessPlatformImpl() {
  if (watchdog_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(watchdogMutex_);
      stopping_ = true;
    }
    watchdogWake_.notify_all();
    watchdog_.join();
  }
  ticks_.stop();
  clock_.onAdvance(nullptr);
  dumpSound();
}

void HeadlessPlatformImpl::dumpSound() {
  if (!audio_ || options_.dumpDir.empty() || soundDumped_.exchange(true)) return;
  const std::vector<int16_t> rec = audio_->recording();
  if (!rec.empty()) writeMixWave(options_.dumpDir + "/sound_mix.wav", rec);
}

IAudioDevice& HeadlessPlatformImpl::audio() {
  if (audio_) return *audio_;
  return noAudioDevice();
}

void HeadlessPlatformImpl::activity() {
  lastActivity_.store(steadyNs());
  armed_.store(true);
}

void HeadlessPlatformImpl::watchdogLoop() {
  constexpr int64_t kLimitNs = 60ll * 1000 * 1000 * 1000;
  std::unique_lock<std::mutex> lock(watchdogMutex_);
  while (!stopping_) {
    watchdogWake_.wait_for(lock, std::chrono::seconds(1));
    if (stopping_) break;
    if (armed_.load() && steadyNs() - lastActivity_.load() > kLimitNs) {
      std::fprintf(stderr, "headless watchdog: no message pump or sleep for 60 s; aborting\n");
      std::fflush(stderr);
      std::abort();
    }
  }
}

void HeadlessPlatformImpl::debugOut(std::string_view text) {
  {
    std::lock_guard<std::mutex> lock(recordMutex_);
    debugLines_.emplace_back(text);
    static constexpr std::string_view kTaskEnter = "task enter ";
    const size_t at = text.find(kTaskEnter);
    if (!options_.dumpDir.empty() && at != std::string_view::npos) {
      std::string id;
      for (char c : text.substr(at + kTaskEnter.size()))
        if (c >= '0' && c <= '9') id += c;
        else break;
      dumpName_ = "task" + id;
      dumpAt_ = clock_.elapsed() + 1500;
      screenDumps_ = 0;
    }
  }
  pump_.onDebugLine(text);
  common::debugOutToStderr(text);
}

void HeadlessPlatformImpl::dumpScreen() {
  std::string name;
  {
    std::lock_guard<std::mutex> lock(recordMutex_);
    if (dumpName_.empty() || clock_.elapsed() < dumpAt_) return;
    name = std::to_string(++dumps_) + "-" + dumpName_ + ".ppm";
    if (++screenDumps_ >= options_.dumpFrames) dumpName_.clear();
  }
  display_.dumpPpm(options_.dumpDir + "/" + name);
}

void HeadlessPlatformImpl::inject(const Msg& m) {
  Msg copy = m;
  copy.time = clock_.ms();
  translator_.push(copy);
}

void HeadlessPlatformImpl::setRegistryValue(Hive hive, const std::string& key, const std::string& value,
                                            const std::string& data) {
  registry_->set(hive, key, value, data);
}

void HeadlessPlatformImpl::setShellResult(int openUrlResult, int winExecResult) {
  openUrlResult_.store(openUrlResult);
  winExecResult_.store(winExecResult);
}

bool HeadlessPlatformImpl::windowAcceptsFiles(WindowId w) {
  const HeadlessWindows::Rec* r = windows_.rec(w);
  return r && r->desc.acceptFiles;
}

Size HeadlessPlatformImpl::windowClientSize(WindowId w) {
  const HeadlessWindows::Rec* r = windows_.rec(w);
  return r ? r->desc.client : Size{};
}

}  // namespace plat::headless_impl

namespace plat {

std::unique_ptr<HeadlessPlatform> makeHeadlessPlatform(HeadlessOptions options) {
  return std::make_unique<headless_impl::HeadlessPlatformImpl>(std::move(options));
}

}  // namespace plat

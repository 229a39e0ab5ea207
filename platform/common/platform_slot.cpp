// The one platform slot, the environment read once at start, and the choice of backend.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <stdexcept>

#include "common/common.h"
#include "plat/headless.h"
#include "plat/platform.h"
#include "sdl/sdl_platform.h"

namespace plat {

namespace {

std::mutex g_slotMutex;
std::unique_ptr<Platform> g_owner;
std::atomic<Platform*> g_current{nullptr};

std::mutex g_envMutex;
Environment g_env;
bool g_envLoaded = false;

std::string envText(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// A positive 32-bit count; anything else keeps the default.
uint32_t envCount(const char* name, uint32_t fallback) {
  std::string text = envText(name);
  if (text.empty()) return fallback;
  char* end = nullptr;
  unsigned long long v = std::strtoull(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || text[0] == '-' || v == 0 || v > 0xFFFFFFFFull) {
    std::fprintf(stderr, "%s: not a positive number, ignored\n", name);
    return fallback;
  }
  return static_cast<uint32_t>(v);
}

Environment readEnvironment() {
  Environment e;
  e.platform = envText("VELDRA_PLATFORM");
  e.gameDir = envText("VELDRA_GAME_DIR");
  e.eventScript = envText("VELDRA_EVENT_SCRIPT");
  e.registryFile = envText("VELDRA_REGISTRY");
  e.pixelFormat = envText("VELDRA_PIXEL_FORMAT");
  e.testPattern = envText("VELDRA_TEST_PATTERN") == "1";
  e.debugOut = envText("VELDRA_DEBUG_OUT") == "1";
  e.keepTmp = envText("VELDRA_KEEP_TMP") == "1";
  e.testDump = envText("VELDRA_TEST_DUMP");
  e.testDumpFrames = envCount("VELDRA_TEST_DUMP_FRAMES", e.testDumpFrames);
  const std::string clock = envText("VELDRA_HEADLESS_CLOCK");
  e.headlessRealClock = clock == "real";
  if (!clock.empty() && clock != "real" && clock != "fake")
    std::fprintf(stderr, "VELDRA_HEADLESS_CLOCK: \"%s\" is neither real nor fake, using fake\n", clock.c_str());
  e.netConnectTimeoutMs = envCount("VELDRA_NET_CONNECT_TIMEOUT_MS", e.netConnectTimeoutMs);
  e.netMaxPayload = envCount("VELDRA_NET_MAX_PAYLOAD", e.netMaxPayload);
  const std::string first = envText("VELDRA_FIRST_TASK");
  if (!first.empty()) {
    char* end = nullptr;
    const long v = std::strtol(first.c_str(), &end, 10);
    if (end == first.c_str() || *end != '\0' || v < 0 || v > 0x7FFFFFFFL) {
      std::fprintf(stderr, "VELDRA_FIRST_TASK: not a task id, ignored\n");
    } else {
      e.firstTask = static_cast<int32_t>(v);
    }
  }
  std::string limit = envText("VELDRA_FRAME_LIMIT");
  if (!limit.empty()) {
    char* end = nullptr;
    unsigned long long v = std::strtoull(limit.c_str(), &end, 10);
    if (end == limit.c_str() || *end != '\0' || limit[0] == '-' || v > 0xFFFFFFFFull) {
      std::fprintf(stderr, "VELDRA_FRAME_LIMIT: not a number of pumps, ignored\n");
    } else {
      e.frameLimit = static_cast<uint32_t>(v);
    }
  }
  return e;
}

[[noreturn]] void startFailure(const std::string& text) {
  // No platform yet, so no exit hooks to run.
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(nullptr);
  std::_Exit(2);
}

EventScript loadEventScript(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) startFailure("VELDRA_EVENT_SCRIPT: cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  try {
    return EventScript::parse(text.str());
  } catch (const std::invalid_argument& e) {
    startFailure(std::string("VELDRA_EVENT_SCRIPT: ") + e.what());
  }
}

}  // namespace

Platform& get() {
  Platform* p = g_current.load(std::memory_order_acquire);
  if (!p) {
    std::fprintf(stderr, "platform used before plat::install\n");
    std::abort();
  }
  return *p;
}

void install(std::unique_ptr<Platform> p) {
  std::unique_ptr<Platform> old;
  {
    std::lock_guard<std::mutex> lock(g_slotMutex);
    old = std::move(g_owner);
    g_owner = std::move(p);
    g_current.store(g_owner.get(), std::memory_order_release);
  }
  old.reset();  // outside the lock: a backend's teardown may reach the slot
}

bool installed() { return g_current.load(std::memory_order_acquire) != nullptr; }

HeadlessPlatform* headless() { return dynamic_cast<HeadlessPlatform*>(g_current.load(std::memory_order_acquire)); }

HeadlessPlatform& installHeadless(HeadlessOptions options) {
  std::unique_ptr<HeadlessPlatform> p = makeHeadlessPlatform(std::move(options));
  HeadlessPlatform& ref = *p;
  install(std::move(p));
  return ref;
}

const Environment& environment() {
  std::lock_guard<std::mutex> lock(g_envMutex);
  if (!g_envLoaded) {
    g_env = readEnvironment();
    g_envLoaded = true;
  }
  return g_env;
}

void reloadEnvironment() {
  std::lock_guard<std::mutex> lock(g_envMutex);
  g_env = readEnvironment();
  g_envLoaded = true;
}

void installFromEnvironment(int argc, char** argv) {
  const Environment& env = environment();
  common::setProgramArgs(argc, argv);
  if (env.platform == "headless") {
    HeadlessOptions o;  // the backend resolves the game folder
    o.frameLimit = env.frameLimit;
    o.realClock = env.headlessRealClock;
    o.dumpDir = env.testDump;
    o.dumpFrames = env.testDumpFrames;
    if (!env.eventScript.empty()) o.script = loadEventScript(env.eventScript);
    install(makeHeadlessPlatform(std::move(o)));
    return;
  }
  if (!env.platform.empty() && env.platform != "sdl")
    std::fprintf(stderr, "VELDRA_PLATFORM: unknown backend \"%s\", using sdl\n", env.platform.c_str());
  // The old SDL platform must end before a new one starts: SDL is one per process.
  if (installed()) install(nullptr);
  install(sdl::makeSdlPlatform());
}

}  // namespace plat

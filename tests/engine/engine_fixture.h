// Fixture of the engine tests: a fresh headless platform over a temporary game folder, the
// engine and SYSTEM back at their start state, and a thin platform wrapper that lets a test
// hold Alt down, hand the window procedure dropped files and count system-information queries.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "client/game/game_running.h"
#include "client/sound/music_state.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/engine_main/modules.h"
#include "engine/input/input_state.h"
#include "engine/system/system.h"
#include "plat/headless.h"
#include "plat/platform.h"
#include "plat/test.h"
#include "plat/winmsg.h"
#include "tests/engine/engine_scenario.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/temp_game_dir.h"

namespace engine_test {

// Delegates to a headless platform; overrides the key state, the dropped files and counts
// system-information queries.
class TestPlatform final : public veldra_test::ForwardingPlatform {
 public:
  explicit TestPlatform(std::unique_ptr<plat::HeadlessPlatform> inner)
      : ForwardingPlatform(std::move(inner)), pump_(*this), info_(*this) {}

  std::map<uint8_t, int16_t> keys;        // key states the pump reports
  std::map<uint32_t, plat::DropGroup> dropGroups;  // WM_DROPFILES handles
  std::vector<uint32_t> finishedDrops;
  std::atomic<int> infoQueries{0};

  plat::IEventPump& events() override { return pump_; }
  plat::ISystemInfo& systemInfo() override { return info_; }

 private:
  class Drops final : public plat::DropList {
   public:
    explicit Drops(TestPlatform& p) : p_(p) {}
    const plat::DropGroup* get(uint32_t handle) const override {
      auto it = p_.dropGroups.find(handle);
      return it == p_.dropGroups.end() ? nullptr : &it->second;
    }
    void finish(uint32_t handle) override { p_.finishedDrops.push_back(handle); }

   private:
    TestPlatform& p_;
  };
  class Pump final : public plat::IEventPump {
   public:
    explicit Pump(TestPlatform& p) : p_(p), drops_(p) {}
    bool peek(plat::Msg& out) override { return ev().peek(out); }
    int32_t dispatch(const plat::Msg& m) override { return ev().dispatch(m); }
    int32_t send(const plat::Msg& m) override { return ev().send(m); }
    bool wait(uint32_t ms) override { return ev().wait(ms); }
    void post(plat::WindowId w, uint32_t message, uint32_t wParam, int32_t lParam) override {
      ev().post(w, message, wParam, lParam);
    }
    int16_t keyState(uint8_t vk) override {
      auto it = p_.keys.find(vk);
      return it == p_.keys.end() ? ev().keyState(vk) : it->second;
    }
    plat::DropList& drops() override { return drops_; }

   private:
    plat::IEventPump& ev() { return p_.inner().events(); }
    TestPlatform& p_;
    Drops drops_;
  };
  class Info final : public plat::ISystemInfo {
   public:
    explicit Info(TestPlatform& p) : p_(p) {}
    plat::SystemInfo query() override {
      ++p_.infoQueries;
      return p_.inner().systemInfo().query();
    }

   private:
    TestPlatform& p_;
  };

  Pump pump_;
  Info info_;
};

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::setExitHandler(true);
    startDir_ = std::filesystem::current_path();
    plat::HeadlessOptions options;
    options.gameDir = dir.path();
    auto wrapper = std::make_unique<TestPlatform>(plat::makeHeadlessPlatform(options));
    platform_ = wrapper.get();
    plat::install(std::move(wrapper));
    resetModules();
  }

  void TearDown() override {
    resetModules();
    // SYSTEM's init entered the game folder; leave it before the folder goes.
    std::error_code ec;
    std::filesystem::current_path(startDir_, ec);
    plat::install(nullptr);
    platform_ = nullptr;
    plat::test::setExitHandler(false);
  }

  static void resetModules() {
    engine_reset();
    system_module_reset();
    input_module_reset();
    draw_stub_hooks() = DrawStubHooks{};
    draw_present_slot = draw_present_provisional;
    music_event_flag = 0;
    game_running = 0;
    scenario() = Scenario{};
  }

  TestPlatform& platform() { return *platform_; }
  plat::HeadlessPlatform& headless() { return platform_->inner(); }
  std::string gameDir() { return plat::get().files().gameDir(); }
  std::filesystem::path hostPath(const std::string& name) const { return dir.hostPath(name); }

  // error.txt as bytes on disk ("" when absent).
  std::string errorTxt() const {
    std::ifstream in(hostPath("error.txt"), std::ios::binary);
    if (!in) return {};
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  veldra_test::TempGameDir dir;
  std::filesystem::path startDir_;
  TestPlatform* platform_ = nullptr;
};

}  // namespace engine_test

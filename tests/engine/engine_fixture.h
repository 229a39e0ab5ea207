// Fixture of the engine tests: the headless fixture (a fresh platform over a temporary game
// folder, every module at its start) with a thin platform wrapper that lets a test hold Alt
// down, hand the window procedure dropped files and count system-information queries.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine_main/engine_main.h"
#include "engine/engine_main/modules.h"
#include "engine/system/system.h"
#include "plat/headless.h"
#include "plat/platform.h"
#include "plat/test.h"
#include "plat/winmsg.h"
#include "tests/engine/engine_scenario.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/headless_fixture.h"

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

class EngineTest : public veldra_test::HeadlessTest {
 protected:
  std::unique_ptr<plat::Platform> wrap(std::unique_ptr<plat::HeadlessPlatform> inner) override {
    auto wrapper = std::make_unique<TestPlatform>(std::move(inner));
    wrapper_ = wrapper.get();
    return wrapper;
  }
  void SetUp() override {
    HeadlessTest::SetUp();
    scenario() = Scenario{};
  }
  void TearDown() override {
    scenario() = Scenario{};
    HeadlessTest::TearDown();
    wrapper_ = nullptr;
  }

  TestPlatform& platform() { return *wrapper_; }
  plat::HeadlessPlatform& headless() { return hp(); }
  std::string gameDir() { return plat::get().files().gameDir(); }
  std::filesystem::path hostPath(const std::string& name) const { return dir.hostPath(name); }

 private:
  TestPlatform* wrapper_ = nullptr;
};

}  // namespace engine_test

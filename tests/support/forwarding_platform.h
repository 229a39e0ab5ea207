// A platform that hands every facility to an owned headless platform. Test and benchmark
// wrappers derive from it and override only the facility they replace (a display that refuses
// full screen, a fake tick source, a full disk, the real clock, ...). Header-only so that the
// benchmarks can use it without linking the test support library.
#pragma once
#include <memory>
#include <string_view>
#include <utility>

#include "plat/headless.h"
#include "plat/platform.h"

namespace veldra_test {

class ForwardingPlatform : public plat::Platform {
 public:
  explicit ForwardingPlatform(std::unique_ptr<plat::HeadlessPlatform> inner) : inner_(std::move(inner)) {}

  plat::HeadlessPlatform& inner() { return *inner_; }

  const char* name() const override { return inner_->name(); }
  plat::IClock& clock() override { return inner_->clock(); }
  plat::ITickSource& ticks() override { return inner_->ticks(); }
  plat::IWindowSystem& windows() override { return inner_->windows(); }
  plat::IEventPump& events() override { return inner_->events(); }
  plat::IDisplay& display() override { return inner_->display(); }
  plat::IMessageBox& messageBox() override { return inner_->messageBox(); }
  plat::IProcess& process() override { return inner_->process(); }
  plat::ISystemInfo& systemInfo() override { return inner_->systemInfo(); }
  plat::IRegistry& registry() override { return inner_->registry(); }
  plat::IShell& shell() override { return inner_->shell(); }
  plat::IFileSystem& files() override { return inner_->files(); }
  plat::IModuleRegistry& modules() override { return inner_->modules(); }
  plat::ICursorSystem& cursors() override { return inner_->cursors(); }
  plat::ITextInput& textInput() override { return inner_->textInput(); }
  plat::IAudioDevice& audio() override { return inner_->audio(); }
  void debugOut(std::string_view text) override { inner_->debugOut(text); }

 private:
  std::unique_ptr<plat::HeadlessPlatform> inner_;
};

}  // namespace veldra_test

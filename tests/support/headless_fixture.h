// Base fixture: a fresh headless platform rooted at a temporary game folder, every module back
// at program start, and the process exit replaced by plat::test::ExitCalled.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "plat/headless.h"
#include "plat/platform.h"
#include "plat/test.h"
#include "tests/support/temp_game_dir.h"

namespace veldra_test {

class HeadlessTest : public ::testing::Test {
 protected:
  // Installs the platform, then runs every registered module reset.
  void SetUp() override;
  // On a failure the last frame is dumped as a PPM under TMPDIR; every module reset runs again
  // (while the platform is still there to take back what a module made), then the platform goes.
  void TearDown() override;
  // Adjusts the options before the platform is made (the game folder is already set).
  virtual void configure(plat::HeadlessOptions&) {}
  // The platform to install: the headless one, or a test wrapper over it that replaces a facility.
  virtual std::unique_ptr<plat::Platform> wrap(std::unique_ptr<plat::HeadlessPlatform> headless) { return headless; }

  plat::HeadlessPlatform& hp() { return *platform_; }

  // error.txt as bytes on disk ("" when absent or unreadable).
  std::string errorTxt() const;

  TempGameDir dir;

 private:
  plat::HeadlessPlatform* platform_ = nullptr;
  plat::Platform* installed_ = nullptr;  // platform_ or the wrapper over it
  // The SYSTEM module moves into the game folder; the next test must not start inside a
  // folder that TempGameDir has removed.
  std::string savedCwd_;
};

}  // namespace veldra_test

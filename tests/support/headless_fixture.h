// Base fixture: a fresh headless platform rooted at a temporary game folder, with the process
// exit replaced by plat::test::ExitCalled.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "plat/headless.h"
#include "plat/test.h"
#include "tests/support/temp_game_dir.h"

namespace veldra_test {

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // On a failure the last frame is dumped as a PPM under TMPDIR; the platform is removed.
  void TearDown() override;
  // Adjusts the options before the platform is made (the game folder is already set).
  virtual void configure(plat::HeadlessOptions&) {}

  plat::HeadlessPlatform& hp() { return *platform_; }

  TempGameDir dir;

 private:
  plat::HeadlessPlatform* platform_ = nullptr;
  // The SYSTEM module moves into the game folder; the next test must not start inside a
  // folder that TempGameDir has removed.
  std::string savedCwd_;
};

}  // namespace veldra_test

// A game folder nothing new can be made in, for as long as the guard lives: by its permissions
// (the real thing, which root is not stopped by) or by the file system's creation hook (which
// stops root too, so CI running as root still covers the behaviour).
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "plat/test.h"

namespace veldra_test {

enum class Lock { Permissions, Hook };

// For INSTANTIATE_TEST_SUITE_P: both ways, named.
inline auto allLocks() { return ::testing::Values(Lock::Permissions, Lock::Hook); }
inline std::string lockName(const ::testing::TestParamInfo<Lock>& info) {
  return info.param == Lock::Permissions ? "Permissions" : "Hook";
}

class LockedFolder {
 public:
  LockedFolder(std::string hostDir, Lock how) : dir_(std::move(hostDir)), how_(how) {
    if (how_ == Lock::Permissions) {
      std::filesystem::permissions(dir_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    } else {
      plat::test::setCreateFailure(dir_ + "/", static_cast<int>(std::errc::permission_denied));
    }
  }
  ~LockedFolder() {
    if (how_ == Lock::Permissions) {
      std::error_code ec;
      std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
    } else {
      plat::test::setCreateFailure("", 0);
    }
  }
  LockedFolder(const LockedFolder&) = delete;
  LockedFolder& operator=(const LockedFolder&) = delete;

  // Why a test of this kind cannot run here; "" when it can.
  static std::string skipReason(Lock how) {
    if (how == Lock::Permissions && plat::test::runningAsRoot())
      return "running as root: folder permissions do not stop writes (the Hook case covers it)";
    return "";
  }

 private:
  std::string dir_;
  Lock how_;
};

}  // namespace veldra_test

// The headless test fixture.
#include "tests/support/headless_fixture.h"

#include <cstdio>
#include <filesystem>

namespace veldra_test {

void HeadlessTest::SetUp() {
  savedCwd_ = std::filesystem::current_path().string();
  plat::test::setExitHandler(true);
  plat::HeadlessOptions o;
  o.gameDir = dir.path();
  configure(o);
  platform_ = &plat::installHeadless(std::move(o));
}

void HeadlessTest::TearDown() {
  if (platform_ && plat::headless() == platform_ && HasFailure() && platform_->memoryDisplay().presentCount() > 0) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    std::string file = (std::filesystem::temp_directory_path() / (name + ".ppm")).string();
    if (platform_->memoryDisplay().dumpPpm(file)) std::fprintf(stderr, "last frame dumped to %s\n", file.c_str());
  }
  if (plat::headless() == platform_) plat::install(nullptr);
  platform_ = nullptr;
  plat::test::setExitHandler(false);
  std::error_code ec;
  std::filesystem::current_path(savedCwd_, ec);
}

}  // namespace veldra_test

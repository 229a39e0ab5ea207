// The headless test fixture.
#include "tests/support/headless_fixture.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/reset/module_resets.h"

namespace veldra_test {

namespace {

// The platform installed now, or nullptr.
plat::Platform* current() { return plat::installed() ? &plat::get() : nullptr; }

}  // namespace

void HeadlessTest::SetUp() {
  // An earlier test may have left the process inside a folder that is gone.
  std::error_code ec;
  savedCwd_ = std::filesystem::current_path(ec).string();
  if (ec) {
    savedCwd_ = std::filesystem::temp_directory_path().string();
    std::filesystem::current_path(savedCwd_, ec);
  }
  plat::test::setExitHandler(true);
  plat::HeadlessOptions o;
  o.gameDir = dir.path();
  configure(o);
  std::unique_ptr<plat::HeadlessPlatform> headless = plat::makeHeadlessPlatform(std::move(o));
  platform_ = headless.get();
  std::unique_ptr<plat::Platform> top = wrap(std::move(headless));
  installed_ = top.get();
  plat::install(std::move(top));
  module_resets_run_all();
}

void HeadlessTest::TearDown() {
  const bool ours = platform_ && current() == installed_;
  if (ours && HasFailure() && platform_->memoryDisplay().presentCount() > 0) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    std::string file = (std::filesystem::temp_directory_path() / (name + ".ppm")).string();
    if (platform_->memoryDisplay().dumpPpm(file)) std::fprintf(stderr, "last frame dumped to %s\n", file.c_str());
  }
  module_resets_run_all();
  if (ours) plat::install(nullptr);
  platform_ = nullptr;
  installed_ = nullptr;
  plat::test::setExitHandler(false);
  std::error_code ec;
  std::filesystem::current_path(savedCwd_, ec);
}

std::string HeadlessTest::errorTxt() const {
  std::ifstream in(dir.hostPath("error.txt"), std::ios::binary);
  if (!in) return {};
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace veldra_test

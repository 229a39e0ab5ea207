// Headless platform options for a benchmark program: a fresh temporary game folder, no watchdog
// and no budget, since a benchmark runs as long as it must.
#pragma once
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "plat/headless.h"

namespace bench_headless {

inline plat::HeadlessOptions options(const std::string& name) {
  std::random_device rd;
  const auto dir = std::filesystem::temp_directory_path() / ("veldra-bench-" + name + "-" + std::to_string(rd()));
  std::filesystem::create_directories(dir);
  plat::HeadlessOptions o;
  o.gameDir = dir.string();
  o.watchdog = false;
  o.maxDrains = ~uint64_t{0};
  o.maxFakeMs = ~uint64_t{0};
  return o;
}

}  // namespace bench_headless

// Harness pieces shared by the fuzz targets that read files: a headless platform over a fresh
// temporary game folder, and the input written into a file of that folder.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "plat/headless.h"

namespace fuzz_support {

// The game folder made by installHeadlessGameDir.
inline std::filesystem::path& gameDir() {
  static std::filesystem::path dir;
  return dir;
}

// Where the game folders go: TMPDIR when set, else /dev/shm when the host has it, else the
// temporary folder. A target rewrites its files millions of times, and on a disk each rewrite
// of a file can cost milliseconds.
inline std::filesystem::path scratchRoot() {
  std::error_code ec;
  if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", ec)) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

// Installs a headless platform (watchdog off, other options as given) over a new folder
// "veldra-fuzz-<tag>-<random>" in scratchRoot(); the folder goes at exit.
inline const std::filesystem::path& installHeadlessGameDir(const std::string& tag, plat::HeadlessOptions o = {}) {
  std::random_device rd;
  gameDir() = scratchRoot() / ("veldra-fuzz-" + tag + "-" + std::to_string(rd()));
  std::filesystem::create_directories(gameDir());
  o.gameDir = gameDir().string();
  o.watchdog = false;
  plat::installHeadless(o);
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(gameDir(), ec);
  });
  return gameDir();
}

// Replaces the game folder's file `name` with `prefix` followed by the input bytes.
inline void writeGameFile(const std::string& name, const uint8_t* data, size_t size, std::string_view prefix = {}) {
  std::ofstream out(gameDir() / name, std::ios::binary | std::ios::trunc);
  out.write(prefix.data(), static_cast<std::streamsize>(prefix.size()));
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// The game folder's file `name` as it is on disk; "" when it cannot be read.
inline std::string readGameFile(const std::string& name) {
  std::ifstream in(gameDir() / name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace fuzz_support

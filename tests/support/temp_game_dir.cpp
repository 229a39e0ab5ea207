// Temporary game folders for tests.
#include "tests/support/temp_game_dir.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "plat/platform.h"

namespace fs = std::filesystem;

namespace veldra_test {

TempGameDir::TempGameDir() {
  fs::path base = fs::temp_directory_path();  // TMPDIR, else /tmp
  std::random_device rd;
  std::mt19937_64 gen((static_cast<uint64_t>(rd()) << 32) ^ rd());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "veldra-%012llx", static_cast<unsigned long long>(gen() & 0xFFFFFFFFFFFFull));
    fs::path p = base / name;
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = fs::canonical(p).string();
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary game folder under " + base.string());
}

TempGameDir::~TempGameDir() {
  if (path_.empty()) return;
  if (plat::environment().keepTmp) {
    std::fprintf(stderr, "kept temporary game folder %s\n", path_.c_str());
    return;
  }
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempGameDir::hostPath(std::string_view rel) const { return path_ + "/" + std::string(rel); }

void TempGameDir::write(std::string_view rel, std::string_view bytes) const {
  fs::path p = hostPath(rel);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string TempGameDir::read(std::string_view rel) const {
  std::ifstream in(hostPath(rel), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + hostPath(rel));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempGameDir::exists(std::string_view rel) const {
  std::error_code ec;
  return fs::exists(hostPath(rel), ec);
}

void TempGameDir::mkdir(std::string_view rel) const { fs::create_directories(hostPath(rel)); }

}  // namespace veldra_test

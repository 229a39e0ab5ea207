// A headless platform whose game folder lies inside a sentinel folder: the test's temporary
// folder holds "game/" (the game folder) beside files and a folder of its own, and every entry
// outside "game/" must come through the test unchanged (names, sizes, modes and times).
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/headless_fixture.h"
#include "tools/mkzip/mkzip.h"
#include "updater/module_path.h"

namespace patch_test {

namespace fs = std::filesystem;

class SentinelTest : public veldra_test::HeadlessTest {
 protected:
  void configure(plat::HeadlessOptions& o) override {
    dir.mkdir("game");
    dir.write("outside.txt", "outside");
    dir.write("outside_dir/inner.txt", "inner");
    dir.write("x", "sentinel x");
    o.gameDir = dir.hostPath("game");
    before_ = snapshot();
  }
  void TearDown() override {
    EXPECT_EQ(snapshot(), before_) << "something outside the game folder changed";
    HeadlessTest::TearDown();
  }

  // A path in the game folder, host form.
  std::string game(const std::string& rel) const { return dir.hostPath("game/" + rel); }
  void put(const std::string& rel, const std::string& bytes) const { dir.write("game/" + rel, bytes); }
  std::string get(const std::string& rel) const { return dir.read("game/" + rel); }
  bool has(const std::string& rel) const { return fs::exists(fs::symlink_status(game(rel))); }

  // Writes an archive into the game folder; its game path.
  std::string zip(const std::vector<mkzip::Entry>& entries, const std::string& name = "bin.zip") const {
    std::string error;
    EXPECT_TRUE(mkzip::writeZip(game(name), entries, &error)) << error;
    return updater::ModulePath(name);
  }
  static mkzip::Entry file(const std::string& name, const std::string& data) {
    mkzip::Entry e;
    e.name = name;
    e.data = data;
    return e;
  }

  // Every entry outside the game folder: path -> (size, mode, mtime).
  std::map<std::string, std::tuple<uintmax_t, unsigned, long long>> snapshot() const {
    std::map<std::string, std::tuple<uintmax_t, unsigned, long long>> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir.path(), ec); it != fs::recursive_directory_iterator(); ++it) {
      const std::string rel = fs::relative(it->path(), dir.path()).string();
      if (rel == "game" || rel.rfind("game/", 0) == 0) {
        if (it->is_directory() && !it->is_symlink()) it.disable_recursion_pending();
        continue;
      }
      const fs::file_status st = it->symlink_status();
      const uintmax_t size = fs::is_regular_file(st) ? fs::file_size(it->path(), ec) : 0;
      const auto time = fs::last_write_time(it->path(), ec).time_since_epoch().count();
      out[rel] = {size, static_cast<unsigned>(st.permissions()), static_cast<long long>(time)};
    }
    return out;
  }

 private:
  std::map<std::string, std::tuple<uintmax_t, unsigned, long long>> before_;
};

}  // namespace patch_test

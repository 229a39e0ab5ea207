// Patch archives unpacked over the game folder: the entries land under their safe names, a
// hostile or broken entry stops the unpacking without touching anything outside the folder,
// and files get their modes and times.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "plat/cp936.h"
#include "tests/support/child_process.h"
#include "tests/updater/sentinel_fixture.h"
#include "updater/extract_zip.h"
#include "updater/module_path.h"

namespace {

namespace fs = std::filesystem;
using mkzip::Entry;
using patch_test::SentinelTest;
using updater::ExtractZipToFolder;
using updater::ModulePath;

class ZipExtract : public SentinelTest {
 protected:
  int extract(const std::vector<Entry>& entries) { return ExtractZipToFolder(zip(entries), ModulePath("")); }
  // Leftover temporary files anywhere in the game folder.
  std::vector<std::string> temporaries() const {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(game("")))
      if (e.path().extension() == ".tmp") out.push_back(e.path().string());
    return out;
  }
  unsigned modeOf(const std::string& rel) const {
    return static_cast<unsigned>(fs::status(game(rel)).permissions()) & 07777;
  }
};

TEST_F(ZipExtract, FoldersAndFilesLandInPlace) {
  Entry folder;
  folder.kind = mkzip::Kind::Dir;
  folder.name = "empty/inner";
  EXPECT_EQ(extract({file("top.txt", "top"), folder, file("data/map/a.bin", std::string(70000, 'a')),
                     file("a\\b.txt", "backslash")}),
            1);
  EXPECT_EQ(get("top.txt"), "top");
  EXPECT_TRUE(fs::is_directory(game("empty/inner")));
  EXPECT_EQ(get("data/map/a.bin"), std::string(70000, 'a'));
  EXPECT_EQ(get("a/b.txt"), "backslash");
  EXPECT_TRUE(temporaries().empty());
  // An archive without entries unpacks successfully.
  EXPECT_EQ(extract({}), 1);
}

TEST_F(ZipExtract, HostileEntriesStopWithEarlierEntriesKept) {
  struct Case {
    const char* label;
    Entry bad;
  };
  Entry link;
  link.kind = mkzip::Kind::Symlink;
  link.name = "link";
  link.data = "../outside.txt";
  std::vector<Case> cases = {
      {"parent", file("../x", "escaped")},
      {"absolute", file("/abs", "escaped")},
      {"drive", file("C:\\x", "escaped")},
      {"backslash climb", file("a\\..\\..\\x", "escaped")},
      {"slash climb", file("a/../../x", "escaped")},
      {"embedded NUL", file(std::string("x\0.txt", 6), "escaped")},
      {"link entry", link},
      {"only separators", file("/", "escaped")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(game("first.txt"));
    EXPECT_EQ(extract({file("first.txt", "kept"), c.bad, file("after.txt", "never")}), 0);
    EXPECT_EQ(get("first.txt"), "kept");
    EXPECT_FALSE(has("after.txt"));
    EXPECT_FALSE(has("x"));
    EXPECT_FALSE(has("link"));
  }
}

TEST_F(ZipExtract, NamesKeepTheirCharacters) {
  // 0x95 0x5C is one character whose trail byte is a backslash: never a separator.
  const std::string cp936Name = "\x95\x5C.txt";
  ASSERT_TRUE(plat::cp936::decodeChar(0x95, 0x5C).has_value());
  const std::string onDisk = plat::cp936::toUtf8Name(cp936Name);
  EXPECT_EQ(extract({file(cp936Name, "cp936")}), 1);
  EXPECT_EQ(get(onDisk), "cp936");
  EXPECT_FALSE(fs::exists(game("\x95")));
  // The same name as UTF-8 with its flag replaces that file.
  Entry utf8 = file(onDisk, "utf8");
  utf8.utf8 = true;
  EXPECT_EQ(extract({utf8}), 1);
  EXPECT_EQ(get(onDisk), "utf8");
  // A case variant of an existing path replaces the file rather than making a twin.
  put("data/map.bin", "old");
  EXPECT_EQ(extract({file("Data/Map.bin", "new")}), 1);
  EXPECT_EQ(get("data/map.bin"), "new");
  EXPECT_FALSE(fs::exists(game("Data")));
  // A UTF-8 name that code page 936 cannot hold is refused.
  Entry foreign = file("\xF0\x9F\x98\x80.txt", "emoji");
  foreign.utf8 = true;
  EXPECT_EQ(extract({foreign}), 0);
}

TEST_F(ZipExtract, BadCrcLeavesTheOldFile) {
  put("keep.txt", "old bytes");
  Entry bad = file("keep.txt", "new bytes");
  bad.badCrc = true;
  EXPECT_EQ(extract({bad}), 0);
  EXPECT_EQ(get("keep.txt"), "old bytes");
  EXPECT_TRUE(temporaries().empty());
}

TEST_F(ZipExtract, ArchivesAndFoldersThatCannotBeUsed) {
  put("garbage.zip", "PK\x03\x04 not really an archive");
  put("plain.txt", "a file");
  zip({file("a.txt", "a")});
  EXPECT_EQ(ExtractZipToFolder(ModulePath("missing.zip"), ModulePath("")), 0);
  EXPECT_EQ(ExtractZipToFolder(ModulePath("garbage.zip"), ModulePath("")), 0);
  EXPECT_EQ(ExtractZipToFolder(ModulePath("bin.zip"), ModulePath("nosuch")), 0);
  EXPECT_EQ(ExtractZipToFolder(ModulePath("bin.zip"), ModulePath("plain.txt")), 0);
  EXPECT_EQ(ExtractZipToFolder(ModulePath("bin.zip"), "../"), 0);
  EXPECT_FALSE(has("a.txt"));
  // A file where a folder must go fails the entry.
  EXPECT_EQ(extract({file("plain.txt/inside.txt", "x")}), 0);
  EXPECT_EQ(get("plain.txt"), "a file");
}

TEST_F(ZipExtract, ModesAndTimes) {
  put("private.txt", "old");
  fs::permissions(game("private.txt"), fs::perms(0600));
  struct Case {
    const char* name;
    std::optional<uint32_t> unixMode;
    unsigned want;
  };
  const Case cases[] = {
      {"tool.sh", 0755, 0755},      // made on Unix: its bits
      {"setid", 06755, 0755},       // never set-id bits
      {"main", std::nullopt, 0755}, // made on Windows: the programs can start
      {"update", std::nullopt, 0755},
      {"replaceself", std::nullopt, 0755},
      {"notes.txt", std::nullopt, 0644},
      {"private.txt", std::nullopt, 0600},  // keeps the mode of the file it replaces
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Entry e = file(c.name, "bytes");
    e.unixMode = c.unixMode;
    e.year = 2021, e.month = 3, e.day = 4, e.hour = 5, e.minute = 6, e.second = 8;
    ASSERT_EQ(extract({e}), 1);
    EXPECT_EQ(modeOf(c.name), c.want);
    // The entry's DOS time in local time; the tests run with TZ=UTC.
    const auto t = fs::last_write_time(game(c.name));
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(t).time_since_epoch()).count();
    EXPECT_EQ(secs, 1614834368);
  }
}

TEST_F(ZipExtract, ARunningProgramIsReplaced) {
  fs::copy_file(VELDRA_STUB_MAIN_BIN, game("main"));
  const int pid = veldra_test::startProcess(game("main"), {"--sleep", "20000"});
  ASSERT_GT(pid, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(extract({file("main", "#!/bin/sh\nexit 0\n")}), 1);
  EXPECT_EQ(get("main"), "#!/bin/sh\nexit 0\n");
  EXPECT_TRUE(veldra_test::processAlive(pid));
  veldra_test::stopProcess(pid);
  EXPECT_FALSE(veldra_test::processAlive(pid));
}

TEST(ZipNames, SafeEntryNameTable) {
  struct Case {
    std::string stored;
    uint64_t length;
    bool utf8;
    std::optional<std::string> want;
  };
  const Case cases[] = {
      {"a/b.txt", 7, false, "a/b.txt"},
      {"./a//b.txt", 10, false, "a/b.txt"},
      {"a/../b.txt", 10, false, "b.txt"},
      {"a\\b.txt", 7, false, "a/b.txt"},
      {"a/", 2, false, "a"},
      {"a/..", 4, false, std::nullopt},
      {"", 0, false, std::nullopt},
      {"..", 2, false, std::nullopt},
      {"\\x", 2, false, std::nullopt},
      {"c:x", 3, false, std::nullopt},
      {"./c:x", 5, false, std::nullopt},  // a drive form reached after dropping "."
      {"a/../\xAE:0", 8, false, std::nullopt},
      {"a\rb", 3, false, std::nullopt},
      {"ab", 3, false, std::nullopt},  // the length field says more than the text holds
      {"\xE4\xB8\xAD.txt", 7, true, "\xD6\xD0.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(updater::SafeEntryName(c.stored, c.length, c.utf8), c.want);
  }
}

}  // namespace

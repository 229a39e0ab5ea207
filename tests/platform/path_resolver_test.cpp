// The path resolver: game paths (code page 936, either separator, any letter case) to host files.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "plat/cp936.h"
#include "plat/files.h"
#include "plat/headless.h"
#include "plat/test.h"
#include "tests/support/temp_game_dir.h"

namespace fs = std::filesystem;

namespace {

// The whole file (up to 4 KB), or "<none>" when it does not open.
std::string readAll(plat::IFileSystem& files, std::string_view gamePath, const char* mode = "rb") {
  auto f = files.open(gamePath, mode);
  if (!f) return "<none>";
  std::string s(4096, '\0');
  s.resize(f->read(s.data(), s.size()));
  return s;
}

// A fresh game folder under TMPDIR with a few files in mixed case.
class PathResolver : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("System/Phiz.MDA", "phiz");
    dir_.write("system2/c1meu030.MDA", "menu");
    dir_.write("Data/Map/A.bin", "map");
    files_ = plat::makePosixFileSystem(root_.string());
  }
  std::string host(const std::string& rel) const { return (root_ / rel).string(); }
  std::string read(std::string_view gamePath, const char* mode = "rb") { return readAll(*files_, gamePath, mode); }

  veldra_test::TempGameDir dir_;
  fs::path root_ = dir_.path();
  std::unique_ptr<plat::IFileSystem> files_;
};

TEST_F(PathResolver, SplitTable) {
  using V = std::vector<std::string>;
  struct Case {
    std::string in, gameDir;
    V out;
  } cases[] = {
      {"system\\Phiz.MDA", "", {"system", "Phiz.MDA"}},
      {"system/c1meu030.MDA", "", {"system", "c1meu030.MDA"}},
      {"a//b/./c/", "", {"a", "b", "c"}},
      {"C:\\data\\x", "", {"data", "x"}},
      {"d:x", "", {"x"}},
      {"\\abs\\x", "", {"abs", "x"}},
      {"/games/veldra\\screenshots\\CAP1.BMP", "/games/veldra", {"screenshots", "CAP1.BMP"}},
      {"/games/veldra2/x", "/games/veldra", {"games", "veldra2", "x"}},
      {"games/veldra/x", "/games/veldra", {"games", "veldra", "x"}},  // relative: not the folder
      {"..\\x", "", {"..", "x"}},
      {"dir\\\xB1\x5C.txt", "", {"dir", "\xB1\x5C.txt"}},  // trail 0x5C does not split
      {"", "", {}},
      {"\\/.\\", "", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(plat::splitGamePath(c.in, c.gameDir), c.out) << c.in;
}

TEST_F(PathResolver, ResolveTable) {
  struct Case {
    std::string in;
    std::optional<std::string> out;  // relative to the root; nullopt: refused
  } cases[] = {
      {"system\\phiz.mda", "System/Phiz.MDA"},
      {"SYSTEM/PHIZ.MDA", "System/Phiz.MDA"},
      {"System2\\C1MEU030.mda", "system2/c1meu030.MDA"},
      {"C:\\System\\Phiz.MDA", "System/Phiz.MDA"},
      {"/data/MAP/a.BIN", "Data/Map/A.bin"},
      {"data\\map\\..\\Map\\.\\a.bin", "Data/Map/A.bin"},
      {"system\\", "System"},
      {"System\\NewFile.Txt", "System/NewFile.Txt"},      // missing last part keeps its case
      {"NoDir\\Sub\\File.TXT", "NoDir/Sub/File.TXT"},
      {"nodir\\..\\system\\phiz.mda", "System/Phiz.MDA"},  // ".." over a missing part
      {"..\\x", std::nullopt},
      {"data\\..\\..\\x", std::nullopt},
      {"C:\\..\\x", std::nullopt},
  };
  for (const auto& c : cases) {
    auto got = files_->resolve(c.in, plat::Access::Read);
    if (!c.out) {
      EXPECT_FALSE(got) << c.in;
      continue;
    }
    ASSERT_TRUE(got) << c.in;
    EXPECT_EQ(*got, host(*c.out)) << c.in;
  }
  EXPECT_EQ(*files_->resolve("", plat::Access::Read), root_.string());
  // The game folder's own absolute path, as the SYSTEM module formats it into paths.
  EXPECT_EQ(*files_->resolve(root_.string() + "\\system\\PHIZ.mda", plat::Access::Read), host("System/Phiz.MDA"));
  EXPECT_EQ(read(root_.string() + "\\system\\PHIZ.mda"), "phiz");
}

TEST_F(PathResolver, CreationKeepsCaseAndLaterLookupsFindIt) {
  auto f = files_->open("system\\NewFile.TXT", "wb");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->write("new", 3), 3u);
  f.reset();
  EXPECT_TRUE(fs::exists(root_ / "System" / "NewFile.TXT"));
  EXPECT_EQ(read("SYSTEM/newfile.txt"), "new");  // the cache learned the new name
  EXPECT_TRUE(files_->mkdir("Data\\Saves"));
  EXPECT_TRUE(fs::is_directory(root_ / "Data" / "Saves"));
  EXPECT_TRUE(files_->isDir("data/saves"));
  EXPECT_FALSE(files_->mkdir("Missing\\Deeper"));  // not recursive
}

TEST_F(PathResolver, ExactMatchWinsOverFoldedOne) {
  dir_.write("Readme.txt", "mixed");
  dir_.write("README.TXT", "upper");
  auto fresh = plat::makePosixFileSystem(root_.string());
  EXPECT_EQ(*fresh->resolve("Readme.txt", plat::Access::Read), host("Readme.txt"));
  EXPECT_EQ(*fresh->resolve("README.TXT", plat::Access::Read), host("README.TXT"));
  // Neither matches exactly: the first in byte order.
  EXPECT_EQ(*fresh->resolve("readme.txt", plat::Access::Read), host("README.TXT"));
}

TEST_F(PathResolver, FileCreatedBehindTheCacheIsFound) {
  EXPECT_EQ(read("system/phiz.mda"), "phiz");  // the listing of System is now cached
  dir_.write("System/Behind.DAT", "late");
  EXPECT_EQ(read("SYSTEM\\behind.dat"), "late");
  EXPECT_TRUE(files_->isFile("system/BEHIND.dat"));
}

// A miss in a folder whose stamp has not moved since its listing was read is answered from the
// listing; any change of the folder (through the OS, behind the resolver) is seen at the next open.
TEST_F(PathResolver, MissesInAnUnchangedFolderReadNothing) {
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(root_ / "System", old);
  EXPECT_EQ(read("system/none.bin"), "<none>");  // the listing is read with the old stamp
  const size_t reads = plat::test::folderReads();
  for (const char* miss : {"system/none.bin", "SYSTEM\\other.mda", "system/x"}) EXPECT_EQ(read(miss), "<none>");
  EXPECT_EQ(plat::test::folderReads(), reads);
  EXPECT_EQ(read("system/phiz.mda"), "phiz");

  dir_.write("System/Late.DAT", "late");  // moves the folder's time
  EXPECT_EQ(read("system/late.dat"), "late");
  EXPECT_EQ(plat::test::folderReads(), reads + 1);
  // Removed behind the resolver's back: the stale listing still names it, the open fails.
  fs::remove(root_ / "System" / "Late.DAT");
  EXPECT_EQ(read("system/late.dat"), "<none>");

  // A folder changed in the clock tick of its reading (here: stamped in the future) proves
  // nothing: each miss reads it again, so a file made in that tick is never missed.
  fs::last_write_time(root_ / "Data", fs::file_time_type::clock::now() + std::chrono::hours(1));
  EXPECT_EQ(read("data/none.bin"), "<none>");
  const size_t untrusted = plat::test::folderReads();
  EXPECT_EQ(read("data/none.bin"), "<none>");
  EXPECT_EQ(plat::test::folderReads(), untrusted + 1);
  // A stamp in whole seconds (a coarse file system) must lie two seconds back.
  const auto wholeSecond = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now());
  fs::last_write_time(root_ / "Data", wholeSecond);
  EXPECT_EQ(read("data/none.bin"), "<none>");
  const size_t coarse = plat::test::folderReads();
  EXPECT_EQ(read("data/none.bin"), "<none>");
  EXPECT_EQ(plat::test::folderReads(), coarse + 1);
}

TEST_F(PathResolver, DoubleByteNameWithTrail5CIsOnePart) {
  // The first mapped character whose trail byte is '\'.
  std::string ch;
  for (int lead = 0x81; lead <= 0xFE && ch.empty(); ++lead)
    if (plat::cp936::decodeChar(static_cast<uint8_t>(lead), 0x5C)) ch = {static_cast<char>(lead), '\\'};
  ASSERT_FALSE(ch.empty());
  std::string name = "System\\" + ch + "Name.txt";
  auto f = files_->open(name, "wb");
  ASSERT_TRUE(f);
  f.reset();
  fs::path onDisk = root_ / "System" / (plat::cp936::toUtf8(ch) + "Name.txt");
  EXPECT_TRUE(fs::is_regular_file(onDisk));
  EXPECT_TRUE(files_->isFile("system/" + ch + "NAME.TXT"));
  bool listed = false;
  for (const auto& e : files_->list("system"))
    if (e.nameCp936 == ch + "Name.txt") listed = !e.isDir;
  EXPECT_TRUE(listed);
}

TEST_F(PathResolver, FoldersAreRefusedForReading) {
  EXPECT_FALSE(files_->open("System", "rb"));
  EXPECT_FALSE(files_->open("System", "r"));
  EXPECT_FALSE(files_->open("System", "wb"));
  EXPECT_TRUE(files_->isDir("system"));
  EXPECT_FALSE(files_->isFile("system"));
  EXPECT_TRUE(files_->exists("system"));
  EXPECT_FALSE(files_->remove("System"));  // remove takes files only
  EXPECT_FALSE(files_->open("System\\Nothing.txt", "rb"));
  EXPECT_FALSE(files_->open("System\\Phiz.MDA", "xb"));  // not a mode
}

TEST_F(PathResolver, TextModeTranslatesLineEnds) {
  {
    auto f = files_->open("log.txt", "w");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->write("a\nb\n", 4), 4u);
  }
  EXPECT_EQ(dir_.read("log.txt"), "a\r\nb\r\n");
  {
    auto f = files_->open("LOG.TXT", "a");
    ASSERT_TRUE(f);
    f->write("c\n", 2);
  }
  EXPECT_EQ(dir_.read("log.txt"), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(read("log.txt", "r"), "a\nb\nc\n");
  EXPECT_EQ(read("log.txt", "rb"), "a\r\nb\r\nc\r\n");

  dir_.write("cr.txt", "a\rb\r\nc\r");
  EXPECT_EQ(read("cr.txt", "r"), "a\rb\nc\r");  // a lone CR stays
  // A CR that ends one read joins the LF that starts the next.
  auto f = files_->open("cr.txt", "r");
  char buf[2];
  ASSERT_EQ(f->read(buf, 2), 2u);
  ASSERT_EQ(f->read(buf, 2), 2u);
  EXPECT_EQ(std::string(buf, 2), "b\n");
  EXPECT_EQ(f->tell(), 5);
}

TEST_F(PathResolver, TruncateCutsAndGrowsWithoutMovingThePosition) {
  dir_.write("grow.bin", "abcdef");
  auto f = files_->open("GROW.bin", "rb+");
  ASSERT_TRUE(f);
  ASSERT_TRUE(f->seek(4, SEEK_SET));
  EXPECT_TRUE(f->truncate(2));
  EXPECT_EQ(f->size(), 2);
  EXPECT_EQ(f->tell(), 4);
  EXPECT_TRUE(f->truncate(5));
  f.reset();
  EXPECT_EQ(dir_.read("grow.bin"), std::string("ab\0\0\0", 5));
  auto ro = files_->open("grow.bin", "rb");
  ASSERT_TRUE(ro);
  EXPECT_FALSE(ro->truncate(1));  // a read-only handle cannot resize
  EXPECT_FALSE(ro->truncate(-1));
  EXPECT_EQ(ro->size(), 5);
}

TEST_F(PathResolver, RenameReplaceRemoveAndStat) {
  dir_.write("tmp.bin", "fresh");
  dir_.write("target.bin", "old");
  EXPECT_FALSE(files_->rename("TMP.bin", "Target.BIN"));  // the target exists
  EXPECT_TRUE(files_->replaceFile("TMP.bin", "Target.BIN"));
  EXPECT_EQ(dir_.read("target.bin"), "fresh");
  EXPECT_FALSE(fs::exists(root_ / "tmp.bin"));
  EXPECT_TRUE(files_->rename("target.bin", "Moved.Bin"));
  EXPECT_EQ(read("moved.bin"), "fresh");
  EXPECT_FALSE(files_->exists("target.bin"));
  auto st = files_->stat("MOVED.BIN");
  ASSERT_TRUE(st);
  EXPECT_EQ(st->size, 5u);
  EXPECT_FALSE(st->isDir);
  EXPECT_TRUE(files_->remove("moved.bin"));
  EXPECT_FALSE(files_->exists("moved.bin"));
  EXPECT_TRUE(files_->rename("Data", "Data2"));
  EXPECT_EQ(read("data2/map/a.bin"), "map");
  EXPECT_FALSE(files_->isDir("data"));
  EXPECT_FALSE(files_->rmdir("data2"));  // not empty
  EXPECT_TRUE(files_->remove("DATA2/MAP/A.BIN"));
  EXPECT_TRUE(files_->rmdir("data2/map"));
  EXPECT_TRUE(files_->rmdir("data2"));
  EXPECT_FALSE(files_->rmdir(""));  // never the game folder itself
}

TEST_F(PathResolver, WritesThroughALinkOutsideAreRefused) {
  veldra_test::TempGameDir outside;
  fs::create_directory_symlink(outside.path(), root_ / "Out");
  EXPECT_FALSE(files_->open("out\\evil.txt", "wb"));
  EXPECT_FALSE(files_->mkdir("out\\evil"));
  EXPECT_TRUE(fs::is_empty(fs::path(outside.path())));
}

// A game folder inside a "world" folder that must stay untouched, with links from the game
// folder to the world and to places inside the game folder.
struct LinkedWorld {
  LinkedWorld() {
    world.write("Beside.rec", "beside");
    world.write("Out/Secret.txt", "secret");
    world.write("Out/Sub/Deep.txt", "deep");
    world.write("game/System/Phiz.MDA", "phiz");
    world.write("game/Victim.txt", "victim");
    fs::path w = world.path(), g = game();
    fs::create_directory_symlink(w / "Out", g / "OutDir");
    fs::create_directory_symlink("../Out", g / "OutRel");
    fs::create_symlink(w / "Beside.rec", g / "OutFile");
    fs::create_symlink(w / "Made.txt", g / "Dangling");       // nothing there yet
    fs::create_directory_symlink("../..", g / "System" / "Up");  // climbs out from inside
    fs::create_symlink("Loop", g / "Loop");
    fs::create_directory_symlink("System", g / "InDir");
    fs::create_symlink("System/Phiz.MDA", g / "InFile");
    files = plat::makePosixFileSystem(game().string());
  }
  fs::path game() const { return fs::path(world.path()) / "game"; }

  // Everything outside the game folder: names, link targets, sizes and a hash of the contents.
  std::map<std::string, std::string> outside() const {
    std::map<std::string, std::string> seen;
    for (auto it = fs::recursive_directory_iterator(world.path()); it != fs::recursive_directory_iterator(); ++it) {
      if (it->path() == game()) {
        it.disable_recursion_pending();
        continue;
      }
      std::string rel = fs::relative(it->path(), world.path()).string();
      if (it->is_symlink()) {
        seen[rel] = "link " + fs::read_symlink(it->path()).string();
      } else if (it->is_directory()) {
        seen[rel] = "folder";
      } else {
        std::string bytes = world.read(rel);
        seen[rel] = std::to_string(bytes.size()) + " " + std::to_string(std::hash<std::string>{}(bytes));
      }
    }
    return seen;
  }

  veldra_test::TempGameDir world;
  std::unique_ptr<plat::IFileSystem> files;
};

// Each hostile path, in a fresh world: it is refused, or it names a place inside the game folder;
// no read sees anything outside and nothing outside changes.
TEST(GameFolderWall, HostilePathsNeitherReadNorChangeTheWorld) {
  const std::string repl = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
  struct Case {
    std::string path;
    std::optional<std::string> inside;  // host path below the game folder; nullopt: refused
  } cases[] = {
      // A stray lead byte after ".." is part of the name, never dropped into "..".
      {"..\x81/Beside.rec", ".." + repl + "/Beside.rec"},
      {"..\xFE/Out/Secret.txt", ".." + repl + "/Out/Secret.txt"},
      {"..\x81", ".." + repl},
      {"system\\..\\..\xFE/Beside.rec", ".." + repl + "/Beside.rec"},
      {"..\xFE\\Beside.rec", std::nullopt},  // 0xFE 0x5C is one unmapped pair: '\\' would enter the name
      {".\x81/../../Beside.rec", std::nullopt},  // ".\x81" is a name; the second ".." climbs out
      {std::string("..\0\\Beside.rec", 14), std::nullopt},  // a NUL would cut the host path to ".."
      // Links that leave the game folder, for folders and files, absolute and relative.
      {"OutDir\\Secret.txt", std::nullopt},
      {"outrel\\SUB\\deep.txt", std::nullopt},
      {"OUTDIR", std::nullopt},
      {"OutDir\\Sub", std::nullopt},
      {"OutDir\\New.txt", std::nullopt},
      {"OutFile", std::nullopt},
      {"Dangling", std::nullopt},
      {"System\\Up\\Beside.rec", std::nullopt},
      {"InDir\\..\\OutDir\\Secret.txt", std::nullopt},
      {"Loop", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.path));
    LinkedWorld w;
    auto& f = *w.files;
    const auto before = w.outside();
    auto resolved = f.resolve(c.path, plat::Access::Write);
    if (c.inside) {
      ASSERT_TRUE(resolved);
      EXPECT_EQ(*resolved, (w.game() / *c.inside).string());
    } else {
      EXPECT_FALSE(resolved);
      EXPECT_FALSE(f.resolve(c.path, plat::Access::Read));
    }
    // Reads first: nothing of the world may come back.
    EXPECT_FALSE(f.open(c.path, "rb"));
    EXPECT_FALSE(f.open(c.path, "r"));
    EXPECT_TRUE(f.list(c.path).empty());
    EXPECT_FALSE(f.exists(c.path));
    EXPECT_FALSE(f.stat(c.path));
    // Then every change; for a refused path each one fails.
    const bool refused = !c.inside;
    auto fails = [&](bool done) { return !refused || !done; };
    EXPECT_TRUE(fails(f.open(c.path, "wb") != nullptr));
    EXPECT_TRUE(fails(f.open(c.path, "ab") != nullptr));
    EXPECT_TRUE(fails(f.open(c.path, "r+b") != nullptr));
    EXPECT_TRUE(fails(f.mkdir(c.path + "\\New")));
    EXPECT_TRUE(fails(f.remove(c.path)));
    EXPECT_TRUE(fails(f.rmdir(c.path)));
    EXPECT_TRUE(fails(f.mkdir(c.path)));
    EXPECT_TRUE(fails(f.rename(c.path, "Taken.bin")));
    EXPECT_TRUE(fails(f.rename("Victim.txt", c.path)));
    EXPECT_TRUE(fails(f.replaceFile("Victim.txt", c.path)));
    EXPECT_EQ(w.outside(), before);
  }
}

TEST(GameFolderWall, LinksThatStayInsideStayUsable) {
  LinkedWorld w;
  auto& files = *w.files;
  EXPECT_EQ(readAll(files, "indir\\PHIZ.mda"), "phiz");
  EXPECT_EQ(readAll(files, "InFile"), "phiz");
  EXPECT_TRUE(files.isDir("InDir"));
  EXPECT_TRUE(files.open("InDir\\New.txt", "wb"));
  EXPECT_TRUE(fs::is_regular_file(w.game() / "System" / "New.txt"));
  {
    auto f = files.open("infile", "r+b");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->write("PH", 2), 2u);
  }
  EXPECT_EQ(readAll(files, "System\\Phiz.MDA"), "PHiz");
  bool listed = false;
  for (const auto& e : files.list("InDir")) listed = listed || e.nameCp936 == "Phiz.MDA";
  EXPECT_TRUE(listed);
  EXPECT_TRUE(files.rename("InDir\\New.txt", "Moved.txt"));
  EXPECT_TRUE(fs::is_regular_file(w.game() / "Moved.txt"));
}

TEST(GameFolderWall, LinkMadeBehindTheCacheIsNotFollowed) {
  LinkedWorld w;
  EXPECT_TRUE(w.files->isFile("victim.txt"));  // the game folder's listing is now cached
  const auto before = w.outside();
  fs::remove(w.game() / "Victim.txt");
  fs::create_symlink(fs::path(w.world.path()) / "Beside.rec", w.game() / "Victim.txt");
  EXPECT_FALSE(w.files->open("Victim.txt", "wb"));
  EXPECT_FALSE(w.files->open("Victim.txt", "ab"));
  EXPECT_FALSE(w.files->open("Victim.txt", "rb"));
  EXPECT_EQ(w.outside(), before);
}

// A stray lead byte becomes U+FFFD on disk, which lists back as 0xFF: a listed name opens its file.
TEST_F(PathResolver, StrayLeadBytesRoundTripThroughListings) {
  const std::string repl = "\xEF\xBF\xBD";
  struct Case {
    std::string created, onDisk, listed;
  } cases[] = {
      {"Name\x81", "Name" + repl, "Name\xFF"},
      {"\xFEtail", repl + "tail", "\xFFtail"},
      {"A\xA1\x40.txt", "A" + repl + "@.txt", "A\xFF@.txt"},  // an unmapped pair keeps its trail
      {"\xD6\xD0\x81", "\xE4\xB8\xAD" + repl, "\xD6\xD0\xFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.created));
    auto f = files_->open("System\\" + c.created, "wb");
    ASSERT_TRUE(f);
    f->write(c.created.data(), c.created.size());
    f.reset();
    EXPECT_TRUE(fs::is_regular_file(root_ / "System" / c.onDisk));
    bool listed = false;
    for (const auto& e : files_->list("system")) listed = listed || e.nameCp936 == c.listed;
    EXPECT_TRUE(listed);
    EXPECT_EQ(read("system\\" + c.listed), c.created);
    EXPECT_TRUE(files_->remove("SYSTEM/" + c.listed));
  }
  // An unmapped pair whose trail is '\\' would put a separator into the name on disk.
  std::string pair;
  for (int lead = 0x81; lead <= 0xFE && pair.empty(); ++lead)
    if (!plat::cp936::decodeChar(static_cast<uint8_t>(lead), 0x5C)) pair = {static_cast<char>(lead), '\\'};
  ASSERT_FALSE(pair.empty());
  EXPECT_FALSE(files_->resolve("System\\" + pair + "x", plat::Access::Write));
  EXPECT_FALSE(files_->open("System\\" + pair + "x", "wb"));
}

TEST_F(PathResolver, DrivePrefixIsNotedOnce) {
  plat::HeadlessOptions o;
  o.gameDir = root_.string();
  plat::HeadlessPlatform& p = plat::installHeadless(o);
  auto countNotes = [&] {
    int n = 0;
    for (const auto& line : p.debugLines()) n += line.find("drive prefix") != std::string::npos;
    return n;
  };
  EXPECT_EQ(*files_->resolve("C:\\System\\Phiz.MDA", plat::Access::Read), host("System/Phiz.MDA"));
  EXPECT_EQ(countNotes(), 1);
  files_->resolve("d:/data", plat::Access::Read);
  files_->exists("C:\\x");
  EXPECT_EQ(countNotes(), 1);
}

// The headless backend's record of reads that found nothing: opens for reading, programs and
// probes count; writes, folder checks and found files do not; each path once, in order.
TEST_F(PathResolver, ReadMissesUnderHeadless) {
  plat::HeadlessOptions o;
  o.gameDir = root_.string();
  plat::HeadlessPlatform& p = plat::installHeadless(o);
  plat::IFileSystem& files = p.files();
  plat::test::clearReadMisses();
  EXPECT_EQ(readAll(files, "system\\phiz.mda"), "phiz");  // found in another case
  EXPECT_EQ(readAll(files, "system\\gone.mda"), "<none>");
  EXPECT_EQ(readAll(files, "Data\\Map"), "<none>");          // a folder is no file to read
  EXPECT_EQ(readAll(files, "..\\outside.txt"), "<none>");
  files.resolve("castview/KRB_STARTUP1.exe", plat::Access::Read);  // a program to start
  EXPECT_FALSE(files.isFile("system\\title.avi"));
  EXPECT_EQ(readAll(files, "system\\gone.mda"), "<none>");  // once only
  EXPECT_TRUE(files.open("new.txt", "wb"));
  EXPECT_TRUE(files.open("new2.txt", "a+"));
  EXPECT_FALSE(files.exists("screenshots"));
  EXPECT_FALSE(files.isDir("record"));
  EXPECT_FALSE(files.resolve("download/1001", plat::Access::Write)->empty());
  EXPECT_EQ(plat::test::readMisses(), (std::vector<std::string>{"system\\gone.mda", "Data\\Map", "..\\outside.txt",
                                                               "castview/KRB_STARTUP1.exe", "system\\title.avi"}));

  // Many threads at once lose and double nothing.
  plat::test::clearReadMisses();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&files, t] {
      for (int i = 0; i < 50; ++i) files.open("miss" + std::to_string((i + t * 13) % 60), "rb");
    });
  for (auto& t : threads) t.join();
  std::vector<std::string> got = plat::test::readMisses();
  EXPECT_EQ(got.size(), 60u);
  EXPECT_EQ(std::set<std::string>(got.begin(), got.end()).size(), 60u);

  plat::test::clearReadMisses();
  EXPECT_TRUE(plat::test::readMisses().empty());
  EXPECT_EQ(readAll(*files_, "system\\gone.mda"), "<none>");  // a file system of its own records nothing
  EXPECT_TRUE(plat::test::readMisses().empty());
}

TEST_F(PathResolver, GameDirAndExePath) {
  EXPECT_EQ(files_->gameDir(), root_.string());
  EXPECT_TRUE(fs::path(files_->exePath()).is_absolute());
  EXPECT_TRUE(fs::exists(files_->exePath()));
}

}  // namespace

// The update engine: version numbers, the list of archives that "version.txt" and the settings
// give, and the patch run with the version it records, over a downloader that serves archives
// from memory and against nginx on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/nginx_fixture.h"
#include "tests/support/scripted_ftp_server.h"
#include "tools/mkzip/mkzip.h"
#include "updater/ftp_config.h"
#include "updater/http_downloader.h"
#include "updater/module_path.h"
#include "updater/progress_sink.h"
#include "updater/update_engine.h"
#include "updater/version_number.h"

namespace {

namespace fs = std::filesystem;
using updater::CUpdateEngine;
using updater::ModulePath;

class UpdateEngine : public veldra_test::HeadlessTest {
 protected:
  // Against real servers the downloads run on the real clock; the FTP road's port is the
  // registry's, read when the platform starts.
  void configure(plat::HeadlessOptions& o) override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    o.realClock = name == "NginxSite" || name.rfind("FtpRoad", 0) == 0;
    char text[96];
    std::snprintf(text, sizeof text, "[HKLM\\Software\\Veldra\\Launcher]\r\nFtpPort=dword:%08x\r\n", unsigned(ftp.port()));
    dir.write("registry.ini", text);
  }
  // The engine over FTP with short waits, at the scripted server's directory "/pub".
  void useFtp(CUpdateEngine& engine) {
    engine.timing.ftpReplyWaitMs = 50;
    engine.timing.ftpDataRoundMs = 1;
    engine.timing.ftpAcceptWaitMs = 50;
    engine.timing.ftpFetchRetryMs = 10;
    updater::engineFtpConfig().server = "127.0.0.1";
    updater::engineFtpConfig().directory = "/pub";
  }
  // The scripted server serves these files, one session per fetch.
  void serveFiles(std::map<std::string, std::string> files, int sessions) {
    veldra_test::FtpScript script;
    script.files = std::move(files);
    script.sessions = sessions;
    script.pauseMs = 0;
    ftp.serve(script);
  }
  veldra_test::ScriptedFtpServer ftp;
  void settings(const std::string& current) { dir.write("Update.ini", "[FTPConfig]\r\nCurrentVersion=" + current + "\r\n"); }
  int check(CUpdateEngine& engine) { return engine.CheckVersion(ModulePath("Update.ini"), nullptr, 0); }
  std::string currentVersion() {
    const std::string ini = dir.read("Update.ini");
    const size_t at = ini.find("CurrentVersion=");
    return at == std::string::npos ? "<none>" : ini.substr(at + 15, ini.find("\r\n", at) - at - 15);
  }
  // An archive that adds one file.
  std::string archive(const std::string& name, bool badCrc = false) {
    mkzip::Entry e;
    e.name = name;
    e.data = "from " + name;
    e.badCrc = badCrc;
    const std::string tmp = dir.hostPath("source-" + name + ".zip");
    std::string error;
    EXPECT_TRUE(mkzip::writeZip(tmp, {e}, &error)) << error;
    std::ifstream in(tmp, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove(tmp);
    return bytes;
  }
  void list(const std::vector<std::string>& versions) {
    std::string txt = "[version+]\r\n";
    for (const std::string& v : versions) txt += v + "=10/http://h/" + v + ".zip\r\n";
    dir.write("version.txt", txt);
  }
};

TEST_F(UpdateEngine, Versions) {
  struct Case {
    const char* text;
    uint32_t want;
  };
  const Case cases[] = {
      {"3", 0x03000000},          {"1.2", 0x01020000},        {"1.2.3.4", 0x01020304},
      {"1.2.3.4.5", 0x01020304},  {"256.1", 0x00010000},      {"257.1", 0x01010000},
      {"", 0},                    {"x.y", 0},                 {" 7.-1", 0x07FF0000},
      {"1..2", 0x01000200},       {"200.0.0.0", 0xC8000000},
  };
  for (const Case& c : cases) EXPECT_EQ(updater::VersionNumber(c.text), c.want) << c.text;
  // Compared unsigned: 200.0.0.0 lies above 1.0.0.0.
  EXPECT_GT(updater::VersionNumber("200.0.0.0"), updater::VersionNumber("1.0.0.0"));
}

TEST_F(UpdateEngine, CheckVersion) {
  struct Case {
    const char* label;
    std::string current, mupdate, versionTxt;
    std::vector<std::string> versions, values;
    int32_t total;
    bool barrier;
  };
  const std::vector<Case> cases = {
      {"the last upgrade key was not inserted", "1.2.0.5", "",
       "[version+]\r\n1.2.0.6=10/a\r\n1.2.1.0=20/b\r\n1.2.0.5=30/c\r\n[version-]\r\n1.2.0.6=11/a-\r\n1.2.1.0=21/b-\r\n",
       {"1.2.0.6", "1.2.1.0"}, {"11/a-", "21/b-"}, 32, false},
      {"upgrades ascending", "1.0", "",
       "[version+]\r\n1.3=3/c\r\n1.1=1/a\r\n1.2=2/b\r\n[version-]\r\n0.9=9/z\r\n",
       {"1.1", "1.2", "1.3"}, {"1/a", "2/b", "3/c"}, 6, false},
      {"downgrades descending", "2.0", "",
       "[version+]\r\n1.0=1/x\r\n[version-]\r\n1.5=5/b\r\n1.8=8/a\r\n2.5=9/no\r\n",
       {"1.8", "1.5"}, {"8/a", "5/b"}, 13, false},
      {"a size of a megabyte", "1.0", "", "[version+]\r\n1.0.1=1048576/http://h/p.zip\r\n",
       {"1.0.1"}, {"1048576/http://h/p.zip"}, 1048576, false},
      {"the barrier cuts the list", "1.2", "",
       "[version+]\r\n1.2.9=1/a\r\n1.3=2/b\r\n1.4=4/c\r\n[patch]\r\n1.3=full.exe\r\n1.5=later.exe\r\n",
       {"1.2.9"}, {"1/a"}, 1, true},
      {"a patch at or below MUpdate.ini's version is no barrier", "1.2", "1.3",
       "[version+]\r\n1.2.9=1/a\r\n1.3=2/b\r\n[patch]\r\n1.3=full.exe\r\n",
       {"1.2.9", "1.3"}, {"1/a", "2/b"}, 3, false},
      {"current above the patch", "1.5", "", "[version+]\r\n1.4=1/a\r\n[patch]\r\n1.3=full.exe\r\n", {}, {}, 0, true},
      {"the total is held at 2^31 - 1", "1.0", "",
       "[version+]\r\n1.1=2000000000/a\r\n1.2=2000000000/b\r\n", {"1.1", "1.2"},
       {"2000000000/a", "2000000000/b"}, 2147483647, false},
      {"only CRLF ends a line", "1.0", "", "[version+]\n1.1=1/a\n", {}, {}, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    settings(c.current);
    fs::remove(dir.hostPath("MUpdate.ini"));
    if (!c.mupdate.empty()) dir.write("MUpdate.ini", "[FTPConfig]\r\nCurrentVersion=" + c.mupdate + "\r\n");
    dir.write("version.txt", c.versionTxt);
    CUpdateEngine engine;
    ASSERT_EQ(check(engine), 1);
    EXPECT_EQ(engine.versions(), c.versions);
    EXPECT_EQ(engine.values(), c.values);
    EXPECT_EQ(engine.GetTotalSize(), c.total);
    EXPECT_EQ(engine.GetFileCount(), static_cast<int>(c.versions.size()));
    EXPECT_EQ(engine.GetTargetVersion(), c.versions.empty() ? "" : c.versions.back());
    std::string patch, file;
    bool barrier = false;
    engine.GetPatchInfo(patch, file, barrier);
    EXPECT_EQ(barrier, c.barrier);
  }
}

TEST_F(UpdateEngine, CheckVersionDetails) {
  settings("1.2");
  dir.write("version.txt", "[version+]\r\n1.2.9=7/a\r\n1.3=2/b\r\n[patch]\r\n1.4=b.exe\r\n1.3=full.exe\r\n1.3=second.exe\r\n");
  CUpdateEngine engine;
  ASSERT_EQ(check(engine), 1);
  std::string patch, file;
  bool barrier = false;
  engine.GetPatchInfo(patch, file, barrier);
  EXPECT_EQ(patch, "1.3");
  EXPECT_EQ(file, "full.exe");  // the lowest; the first of equals
  EXPECT_EQ(engine.GetFileSize(0), 7);
  EXPECT_EQ(engine.GetFileSize(1), 0);
  EXPECT_EQ(engine.GetFileSize(-1), 0);
  // Without a version file the check fails; the settings file may be missing.
  fs::remove(dir.hostPath("version.txt"));
  fs::remove(dir.hostPath("Update.ini"));
  EXPECT_EQ(check(engine), 0);
  EXPECT_EQ(updater::ReadCurrentVersion(), "");
}

// Serves archives from memory: Start fails for URLs it does not know.
class MemoryDownloader final : public updater::CHttpDownloader {
 public:
  int Start(const std::string& url, const std::string& localPath, updater::IProgressSink*, int segments) override {
    ++starts;
    EXPECT_EQ(segments, 4);
    auto it = archives.find(url);
    if (it == archives.end()) return 86;
    std::unique_ptr<plat::File> f = plat::get().files().open(localPath, "wb");
    f->write(it->second.data(), it->second.size());
    fetched.push_back(url);
    return 0;
  }
  int Wait() override { return 0; }
  void Reset() override {}
  std::map<std::string, std::string> archives;
  std::vector<std::string> fetched;
  int starts = 0;
};

class RecordingSink final : public updater::IProgressSink {
 public:
  void OnFetchVersion(std::string_view v) override { events.push_back("version " + std::string(v)); }
  void OnFileStart() override { events.push_back("start"); }
  void OnFileProgress(int32_t, int32_t, int32_t) override {}
  void OnFileDone(int32_t size) override { events.push_back("done " + std::to_string(size)); }
  std::vector<std::string> events;
};

TEST_F(UpdateEngine, RecordsTheVersionReached) {
  dir.write("Update.ini", "[FTPConfig]\r\nServer=x\r\nCurrentVersion=1.0\r\n[Other]\r\nk=v\r\n");
  list({"1.1", "1.2", "1.3"});
  MemoryDownloader http;
  for (const char* v : {"1.1", "1.2", "1.3"}) http.archives[std::string("http://h/") + v + ".zip"] = archive(v);
  RecordingSink sink;
  CUpdateEngine engine(&http);
  ASSERT_EQ(engine.CheckVersion(ModulePath("Update.ini"), &sink, 0), 1);
  EXPECT_EQ(engine.DownloadPatches(), 1);
  EXPECT_EQ(dir.read("Update.ini"), "[FTPConfig]\r\nServer=x\r\nCurrentVersion=1.3\r\n[Other]\r\nk=v\r\n");
  for (const char* v : {"1.1", "1.2", "1.3"}) EXPECT_EQ(dir.read(v), std::string("from ") + v);
  EXPECT_FALSE(dir.exists("bin.zip"));
  EXPECT_EQ(sink.events, (std::vector<std::string>{"version 1.1", "start", "done 10", "version 1.2", "start", "done 10",
                                                    "version 1.3", "start", "done 10"}));
}

TEST_F(UpdateEngine, AFailedArchiveStopsTheRun) {
  struct Case {
    const char* label;
    bool secondMissing;  // the second archive cannot be downloaded
    bool secondBad;      // it arrives with a CRC error
  };
  for (const Case& c : {Case{"download", true, false}, Case{"extraction", false, true}}) {
    SCOPED_TRACE(c.label);
    settings("1.0");
    list({"1.1", "1.2", "1.3"});
    MemoryDownloader http;
    http.archives["http://h/1.1.zip"] = archive("1.1");
    if (!c.secondMissing) http.archives["http://h/1.2.zip"] = archive("1.2", c.secondBad);
    http.archives["http://h/1.3.zip"] = archive("1.3");
    CUpdateEngine engine(&http);
    engine.timing.patchFetchWindowMs = 1000;
    ASSERT_EQ(check(engine), 1);
    EXPECT_EQ(engine.DownloadPatches(), 0);
    EXPECT_EQ(currentVersion(), "1.1");
    EXPECT_FALSE(dir.exists("1.3"));
    EXPECT_FALSE(dir.exists("bin.zip"));
    fs::remove(dir.hostPath("1.1"));
  }
  // A first archive that fails leaves the version as it was.
  settings("1.0");
  list({"1.1"});
  MemoryDownloader http;
  http.archives["http://h/1.1.zip"] = archive("1.1", true);
  CUpdateEngine engine(&http);
  ASSERT_EQ(check(engine), 1);
  EXPECT_EQ(engine.DownloadPatches(), 0);
  EXPECT_EQ(currentVersion(), "1.0");
  EXPECT_FALSE(dir.exists("bin.zip"));
}

TEST_F(UpdateEngine, EmptyListWritesAnEmptyVersion) {
  settings("1.0");
  list({});
  MemoryDownloader http;
  CUpdateEngine engine(&http);
  ASSERT_EQ(check(engine), 1);
  EXPECT_EQ(engine.DownloadPatches(), 1);
  EXPECT_EQ(currentVersion(), "");
  EXPECT_EQ(http.starts, 0);
}

TEST_F(UpdateEngine, TriesForFiftySecondsThenGivesUp) {
  MemoryDownloader http;
  CUpdateEngine engine(&http);
  const uint32_t before = plat::get().clock().ms();
  EXPECT_EQ(engine.DownloadPatch("1.1", "http://h/none.zip", ModulePath("bin.zip"), 10), 0);
  const uint32_t spent = plat::get().clock().ms() - before;
  EXPECT_GE(spent, 50000u);
  EXPECT_LT(spent, 50000u + 1000u);
  EXPECT_GT(http.starts, 1);
}

std::string listing(const std::string& root) {
  std::vector<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    out.push_back(fs::relative(e.path(), root).string() + (e.is_directory() ? "/" : " " + std::to_string(e.file_size())));
  std::sort(out.begin(), out.end());
  std::string text;
  for (const auto& l : out) text += "  " + l + "\n";
  return text;
}

// Two patches made with mkzip, served by nginx, take a game folder from 1.0.0.0 to 1.0.2.0.
TEST_F(UpdateEngine, NginxSite) {
  veldra_test::NginxFixture web;
  ASSERT_TRUE(web.start()) << web.error();
  auto patch = [&](const std::string& name, const std::vector<mkzip::Entry>& entries) {
    std::string error;
    EXPECT_TRUE(mkzip::writeZip(web.site() + "/" + name, entries, &error)) << error;
    return std::to_string(fs::file_size(web.site() + "/" + name)) + "/" + web.url("/" + name);
  };
  auto entry = [](const std::string& name, const std::string& data) {
    mkzip::Entry e;
    e.name = name;
    e.data = data;
    return e;
  };
  const std::string big(300000, 'b');
  const std::string p1 = patch("p1.zip", {entry("data/new/deep.bin", big), entry("replaced.txt", "new"),
                                          entry("Patch.ini", "[DeleteFiles]\r\n1=old.txt\r\n[DeleteDirectorys]\r\n1=olddir\r\n")});
  const std::string p2 = patch("p2.zip", {entry("second.txt", "two"), entry("Patch.ini", "[DeleteFiles]\r\n1=replaced.txt\r\n")});
  dir.write("version.txt", "[version+]\r\n1.0.1.0=" + p1 + "\r\n1.0.2.0=" + p2 + "\r\n");
  dir.write("Update.ini", "[FTPConfig]\r\nServer=kept\r\nCurrentVersion=1.0.0.0\r\nUserName=kept\r\n");
  dir.write("old.txt", "old");
  dir.write("replaced.txt", "old");
  dir.write("olddir/a.txt", "a");
  std::printf("game folder before:\n%s", listing(dir.path()).c_str());

  CUpdateEngine engine;
  ASSERT_EQ(engine.CheckVersion(ModulePath("Update.ini"), nullptr, 0), 1);
  EXPECT_EQ(engine.GetFileCount(), 2);
  EXPECT_EQ(engine.DownloadPatches(), 1);
  std::printf("game folder after:\n%s", listing(dir.path()).c_str());
  std::printf("nginx access log:\n");
  for (const std::string& l : web.accessLog()) std::printf("  %s\n", l.c_str());

  EXPECT_EQ(dir.read("data/new/deep.bin"), big);
  EXPECT_EQ(dir.read("second.txt"), "two");
  EXPECT_FALSE(dir.exists("old.txt"));
  EXPECT_FALSE(dir.exists("olddir"));
  EXPECT_FALSE(dir.exists("replaced.txt"));  // the second patch deleted it
  EXPECT_FALSE(dir.exists("bin.zip"));
  EXPECT_TRUE(dir.exists("break.cfg"));
  EXPECT_EQ(dir.read("Update.ini"), "[FTPConfig]\r\nServer=kept\r\nCurrentVersion=1.0.2.0\r\nUserName=kept\r\n");
  const int pid = web.pid();
  EXPECT_TRUE(web.stop());
  EXPECT_FALSE(veldra_test::processAlive(pid));
}

// With the FTP flag the version file and the notice come from the FTP server first; the notice
// is copied over "download\Affiche01.txt" and its fetched copy removed.
TEST_F(UpdateEngine, FtpRoad) {
  settings("1.0");
  dir.write("download/Affiche01.txt", "old notice");
  serveFiles({{"version.txt", "[version+]\r\n1.1=5/http://h/a.zip\r\n"}, {"Affiche01.txt", "new notice"}}, 2);
  CUpdateEngine engine;
  useFtp(engine);
  ASSERT_EQ(engine.CheckVersion(ModulePath("Update.ini"), nullptr, 1), 1);
  EXPECT_EQ(engine.versions(), std::vector<std::string>{"1.1"});
  EXPECT_EQ(dir.read("download/Affiche01.txt"), "new notice");
  EXPECT_FALSE(dir.exists("Affiche01.txt"));
  const std::vector<std::string> commands = ftp.finish();
  EXPECT_NE(std::find(commands.begin(), commands.end(), "retr version.txt"), commands.end());
  EXPECT_NE(std::find(commands.begin(), commands.end(), "retr Affiche01.txt"), commands.end());
}

TEST_F(UpdateEngine, FtpRoadWithoutVersionFile) {
  // Three tries of version.txt, each refused: the check fails and the notice is not asked for.
  settings("1.0");
  dir.write("version.txt", "[version+]\r\n1.1=5/http://h/a.zip\r\n");
  serveFiles({{"Affiche01.txt", "new notice"}}, 3);
  CUpdateEngine engine;
  useFtp(engine);
  EXPECT_EQ(engine.CheckVersion(ModulePath("Update.ini"), nullptr, 1), 0);
  const std::vector<std::string> commands = ftp.finish();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "retr version.txt"), 3);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "retr Affiche01.txt"), 0);
}

}  // namespace

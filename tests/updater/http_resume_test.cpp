// "break.cfg": its parse field by field, and which records make a download go on where it stood.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "plat/bytes.h"
#include "tests/support/child_process.h"
#include "tests/support/scripted_http_server.h"
#include "tests/updater/http_fixture.h"
#include "tests/support/nginx_fixture.h"
#include "updater/http_codes.h"
#include "updater/resume_record.h"

namespace {

using http_test::HttpTest;
using http_test::rangesOf;
using veldra_test::HttpReply;
using veldra_test::HttpRequest;
using veldra_test::ScriptedHttpServer;
namespace up = updater;

// A record's bytes written here field by field, independently of the code under test.
std::string recordBytes(const std::string& url, int32_t urlLength, int32_t fileLength, int32_t count,
                        const std::vector<std::pair<int32_t, int32_t>>& table) {
  plat::ByteWriter w;
  w.i32(urlLength);
  w.i32(fileLength);
  w.i32(count);
  w.bytes(url.data(), url.size());
  for (auto [pos, last] : table) {
    w.i32(pos);
    w.i32(last);
  }
  return std::string(w.data().begin(), w.data().end());
}

std::span<const uint8_t> asBytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

class HttpResume : public HttpTest {
 protected:
  static constexpr int32_t kLength = 4000;
  const std::string content = http_test::pattern(kLength, 7);

  void SetUp() override {
    HttpTest::SetUp();
    server.route("/f", [this](const HttpRequest& r) { return ScriptedHttpServer::serveFile(r, content); });
    ASSERT_TRUE(server.start());
  }

  // Where each segment asked from, after the length query.
  std::multiset<int64_t> segmentStarts() {
    std::multiset<int64_t> out;
    for (const HttpRequest& r : server.requests("/f"))
      if (r.connection > 0) out.insert(r.rangeFirst);
    return out;
  }

  ScriptedHttpServer server;
};

TEST_F(HttpResume, WhichRecordsResume) {
  const std::string url = server.url("/f");
  const int32_t n = static_cast<int32_t>(url.size());
  const std::vector<std::pair<int32_t, int32_t>> saved{{500, 999}, {1700, 1999}, {2000, 2999}, {4000, 3999}};
  const std::multiset<int64_t> resumed{500, 1700, 2000};  // the last segment was complete
  const std::multiset<int64_t> fresh{0, 1000, 2000, 3000};
  std::string upper = url;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  const std::string valid = recordBytes(url, n, kLength, 4, saved);
  struct Case {
    const char* name;
    std::string record;
    int64_t binZipSize;
    bool resumes;
  };
  const Case cases[] = {
      {"valid", valid, kLength, true},
      {"URL differing in case only", recordBytes(upper, n, kLength, 4, saved), kLength, true},
      {"another path", recordBytes(server.url("/g"), n, kLength, 4, saved), kLength, false},
      {"another length", recordBytes(url, n, kLength + 1, 4, saved), kLength, false},
      {"another count", recordBytes(url, n, kLength, 3, {{500, 1332}, {1700, 2665}, {2666, 3999}}), kLength, false},
      {"bin.zip of another length", valid, kLength - 1, false},
      {"no bin.zip", valid, -1, false},
      {"position before its first byte", recordBytes(url, n, kLength, 4, {{500, 999}, {999, 1999}, {2000, 2999}, {3000, 3999}}),
       kLength, false},
      {"position past its last byte + 1", recordBytes(url, n, kLength, 4, {{500, 999}, {2001, 1999}, {2000, 2999}, {3000, 3999}}),
       kLength, false},
      {"negative position", recordBytes(url, n, kLength, 4, {{-1, 999}, {1000, 1999}, {2000, 2999}, {3000, 3999}}),
       kLength, false},
      {"cut short", valid.substr(0, valid.size() - 3), kLength, false},
      {"empty", "", kLength, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("break.cfg", c.record);
    // What a killed run left: the done parts right, the rest garbage.
    std::string partial(kLength, '?');
    for (auto [pos, last] : saved) {
      const int32_t first = last - 999;
      partial.replace(static_cast<size_t>(first), static_cast<size_t>(pos - first), content, static_cast<size_t>(first),
                      static_cast<size_t>(pos - first));
    }
    if (c.binZipSize >= 0) dir.write("bin.zip", partial.substr(0, static_cast<size_t>(c.binZipSize)));
    else std::remove(dir.hostPath("bin.zip").c_str());
    const size_t before = server.requests("/f").size();
    up::CHttpDownloader d(http_test::fastTiming());
    ASSERT_EQ(fetch(d, url, "bin.zip"), 0);
    EXPECT_EQ(dir.read("bin.zip"), content);
    EXPECT_FALSE(dir.exists("break.bak"));
    std::multiset<int64_t> starts;
    const auto all = server.requests("/f");
    for (size_t i = before + 1; i < all.size(); ++i) starts.insert(all[i].rangeFirst);
    EXPECT_EQ(starts, c.resumes ? resumed : fresh);
    // The record left behind describes the finished download.
    up::DOWNLOAD_RESUME_RECORD after;
    const std::string left = dir.read("break.cfg");
    ASSERT_EQ(up::parseResumeRecord(asBytes(left), after), 0);
    EXPECT_EQ(after.url, url);
    EXPECT_EQ(after.positions, (std::vector<int32_t>{1000, 2000, 3000, 4000}));
  }
}

TEST_F(HttpResume, OnlyTheLocalFileBacksAResume) {
  // The record and "bin.zip" allow a resume, but the download's own file is missing: a
  // "break.bak" that an earlier run left must not take its place below the saved positions.
  const std::string url = server.url("/f");
  dir.write("break.cfg", recordBytes(url, static_cast<int32_t>(url.size()), kLength, 4,
                                     {{500, 999}, {1700, 1999}, {2000, 2999}, {4000, 3999}}));
  dir.write("bin.zip", std::string(kLength, '?'));
  dir.write("break.bak", std::string(kLength, '!'));
  up::CHttpDownloader d(http_test::fastTiming());
  const int rc = fetch(d, url, "other.bin");
  EXPECT_EQ(rc, up::HTTP_RESUME_NO_BACKUP);
  if (rc == 0) {
    EXPECT_EQ(dir.read("other.bin"), content);
  }
  EXPECT_FALSE(dir.exists("break.bak"));
}

TEST_F(HttpResume, FreshStartWritesItsRecordFirst) {
  // A record of an older download; the new one is fresh and must replace it before any byte
  // moves, so a kill right after Start can never resume the new file from the old positions.
  const std::string url = server.url("/f");
  dir.write("break.cfg", recordBytes(url, static_cast<int32_t>(url.size()), 9999, 4,
                                     {{100, 2498}, {2600, 4997}, {5000, 7496}, {7500, 9998}}));
  up::CHttpDownloader d(http_test::fastTiming());
  ASSERT_EQ(d.Start(url, dir.hostPath("bin.zip"), nullptr, 4), 0);
  up::DOWNLOAD_RESUME_RECORD r;
  ASSERT_EQ(up::parseResumeRecord(asBytes(dir.read("break.cfg")), r), 0);
  EXPECT_EQ(r.fileLength, kLength);
  EXPECT_EQ(r.positions, (std::vector<int32_t>{0, 1000, 2000, 3000}));
  EXPECT_EQ(d.Wait(), 0);
  d.Reset();
  EXPECT_EQ(dir.read("bin.zip"), content);
}

TEST_F(HttpResume, ParseCodesForEveryCut) {
  const std::string url = "http://127.0.0.1:8000/bin.zip";
  const int32_t n = static_cast<int32_t>(url.size());
  const std::string full = recordBytes(url, n, 4000, 4, {{500, 999}, {1700, 1999}, {2000, 2999}, {4000, 3999}});
  up::DOWNLOAD_RESUME_RECORD r;
  ASSERT_EQ(up::parseResumeRecord(asBytes(full), r), 0);
  EXPECT_EQ(r.url, url);
  EXPECT_EQ(r.fileLength, 4000);
  EXPECT_EQ(r.positions, (std::vector<int32_t>{500, 1700, 2000, 4000}));
  EXPECT_EQ(r.lasts, (std::vector<int32_t>{999, 1999, 2999, 3999}));
  EXPECT_EQ(up::encodeResumeRecord(r), std::vector<uint8_t>(full.begin(), full.end()));

  for (size_t cut = 0; cut < full.size(); ++cut) {
    SCOPED_TRACE(cut);
    int expected = up::RESUME_TABLE_SHORT;
    if (cut < 4) expected = up::RESUME_URL_LENGTH_SHORT;
    else if (cut < 8) expected = up::RESUME_FILE_LENGTH_SHORT;
    else if (cut < 12) expected = up::RESUME_COUNT_SHORT;
    else if (cut < 12 + url.size()) expected = up::RESUME_URL_SHORT;
    EXPECT_EQ(up::parseResumeRecord(asBytes(full.substr(0, cut)), r), expected);
  }

  struct Case {
    const char* name;
    std::string bytes;
    int code;
  };
  const Case bad[] = {
      {"URL length 0", recordBytes("", 0, 4000, 1, {{0, 3999}}), up::RESUME_URL_LENGTH_RANGE},
      {"URL length 1025", recordBytes(std::string(1025, 'a'), 1025, 4000, 1, {{0, 3999}}), up::RESUME_URL_LENGTH_RANGE},
      {"URL length -1", recordBytes("", -1, 4000, 1, {{0, 3999}}), up::RESUME_URL_LENGTH_RANGE},
      {"file length 0", recordBytes(url, n, 0, 1, {{0, 3999}}), up::RESUME_FILE_LENGTH_RANGE},
      {"count 0", recordBytes(url, n, 4000, 0, {}), up::RESUME_COUNT_RANGE},
      {"count -4", recordBytes(url, n, 4000, -4, {}), up::RESUME_COUNT_RANGE},
      // 8 x 0x20000000 wraps to 0 in 32 bits.
      {"count that wraps the table size", recordBytes(url, n, 4000, 0x20000000, {{0, 1}}), up::RESUME_TABLE_SHORT},
      {"count 0x7FFFFFFF", recordBytes(url, n, 4000, 0x7FFFFFFF, {{0, 1}}), up::RESUME_TABLE_SHORT},
  };
  for (const Case& c : bad) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(up::parseResumeRecord(asBytes(c.bytes), r), c.code);
  }
}

#ifdef VELDRA_HTTP_FETCH_BIN
TEST_F(HttpResume, Crash) {
  constexpr size_t kSize = 4 << 20;
  const std::string content = http_test::pattern(kSize, 11);
  nginx.writeFile("big.bin", content);
  nginx.limitRate = "3m";  // about half a second a run: room to kill it midway
  ASSERT_TRUE(nginx.start()) << nginx.error();
  const std::string url = nginx.url("/big.bin");
  const std::vector<std::pair<std::string, std::string>> env{
      {"VELDRA_GAME_DIR", dir.path()}, {"VELDRA_PLATFORM", "headless"}, {"VELDRA_HEADLESS_CLOCK", "real"}};
  const auto spans = up::splitSegments(static_cast<int32_t>(kSize), 4);

  for (uint32_t seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE(seed);
    std::remove(dir.hostPath("bin.zip").c_str());
    std::remove(dir.hostPath("break.cfg").c_str());
    std::mt19937 rng(seed);
    const int pid = veldra_test::startProcess(VELDRA_HTTP_FETCH_BIN, {url, "bin.zip"}, env);
    ASSERT_GT(pid, 0);
    // Wait until the record shows bytes done, then a seeded moment more.
    bool progress = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!progress && std::chrono::steady_clock::now() < deadline) {
      up::DOWNLOAD_RESUME_RECORD r;
      std::string bytes;
      if (dir.exists("break.cfg")) bytes = dir.read("break.cfg");
      if (up::parseResumeRecord({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, r) == 0 &&
          r.url == url) {
        for (size_t i = 0; i < spans.size(); ++i) progress |= r.positions[i] > spans[i].first;
      }
      if (!progress) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(progress);
    std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 250));
    veldra_test::stopProcess(pid);
    EXPECT_FALSE(veldra_test::processAlive(pid));

    // nginx logs the killed run's requests whenever it notices the closed connections: the
    // next run's requests are told apart by their connections, numbered above this mark.
    const long mark = nginx.connectionMark();
    ASSERT_GT(mark, 0);
    up::DOWNLOAD_RESUME_RECORD saved;
    const std::string bytes = dir.read("break.cfg");
    ASSERT_EQ(up::parseResumeRecord({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, saved), 0);
    std::multiset<std::string> expected{"bytes=0-"};  // the length query
    for (size_t i = 0; i < spans.size(); ++i)
      if (saved.positions[i] <= spans[i].last) expected.insert("bytes=" + std::to_string(saved.positions[i]) + "-");

    const int again = veldra_test::startProcess(VELDRA_HTTP_FETCH_BIN, {url, "bin.zip"}, env);
    ASSERT_GT(again, 0);
    const auto status = veldra_test::waitProcess(again, 60000);
    if (!status) veldra_test::stopProcess(again);
    ASSERT_EQ(status, std::optional<int>(0));
    EXPECT_FALSE(veldra_test::processAlive(again));
    EXPECT_TRUE(dir.read("bin.zip") == content);
    EXPECT_EQ(rangesOf(nginx, "/big.bin", mark), expected);
  }
}
#endif

}  // namespace

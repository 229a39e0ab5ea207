// The downloader's fixture: a headless platform on the real clock over a temporary game folder,
// with a clock wrapper that records every wait, shortened waits, and a progress sink that
// records what it is told.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <set>
#include <sstream>
#include <string_view>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/nginx_fixture.h"
#include "updater/http_downloader.h"
#include "updater/progress_sink.h"
#include "updater/timing.h"

namespace http_test {

class RecordingClock : public plat::IClock {
 public:
  explicit RecordingClock(plat::IClock& inner) : inner_(inner) {}
  uint32_t ms() override { return inner_.ms(); }
  double seconds() override { return inner_.seconds(); }
  int64_t wallTime() override { return inner_.wallTime(); }
  void sleepMs(uint32_t ms) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      sleeps_.push_back(ms);
    }
    inner_.sleepMs(ms);
  }
  // How many waits of exactly `ms` were made.
  size_t waitsOf(uint32_t ms) const {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t n = 0;
    for (uint32_t s : sleeps_) n += s == ms;
    return n;
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    sleeps_.clear();
  }

 private:
  plat::IClock& inner_;
  mutable std::mutex mutex_;
  std::vector<uint32_t> sleeps_;
};

class RecordingPlatform : public veldra_test::ForwardingPlatform {
 public:
  explicit RecordingPlatform(std::unique_ptr<plat::HeadlessPlatform> inner)
      : ForwardingPlatform(std::move(inner)), clock_(ForwardingPlatform::clock()) {}
  plat::IClock& clock() override { return clock_; }
  RecordingClock& recorder() { return clock_; }

 private:
  RecordingClock clock_;
};

struct ProgressReport {
  int32_t fileSize, bytesDone, secondsLeft;
};

class RecordingSink : public updater::IProgressSink {
 public:
  void OnFetchVersion(std::string_view) override {}
  void OnFileStart() override {}
  void OnFileProgress(int32_t fileSize, int32_t bytesDone, int32_t secondsLeft) override {
    std::lock_guard<std::mutex> lock(mutex_);
    reports.push_back({fileSize, bytesDone, secondsLeft});
  }
  void OnFileDone(int32_t) override {}
  std::vector<ProgressReport> reports;

 private:
  std::mutex mutex_;
};

// Distinct values, so that the recorded waits tell which wait was made.
constexpr uint32_t kHeadWaitMs = 20;
constexpr uint32_t kIdleWaitMs = 7;

inline updater::Timing fastTiming() {
  updater::Timing t;
  t.httpHeadWaitMs = kHeadWaitMs;
  t.segmentIdleWaitMs = kIdleWaitMs;
  t.waitPassPerSegmentMs = 1;
  t.progressReportMs = 20;
  // Far above any pause the tests script, so that a loaded machine never makes a segment give
  // up; the test of the limit shortens it.
  t.segmentStallMs = 15000;
  return t;
}

// Bytes that differ at every offset of a small period, so a piece at a wrong offset shows.
inline std::string pattern(size_t n, uint32_t seed = 1) {
  std::string s(n, '\0');
  uint32_t x = seed * 2654435761u + 12345;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>(x >> 24);
  }
  return s;
}

// The Range values nginx logged for one path, of the connections numbered above `after`.
inline std::multiset<std::string> rangesOf(const veldra_test::NginxFixture& nginx, const std::string& path, long after = 0,
                                           std::set<std::string>* statuses = nullptr) {
  std::multiset<std::string> out;
  const std::string prefix = "GET " + path + " ";
  for (const std::string& line : nginx.accessLog()) {
    if (line.rfind(prefix, 0) != 0) continue;
    std::istringstream rest(line.substr(prefix.size()));  // "STATUS RANGE CONNECTION"
    std::string status, range;
    long connection = 0;
    rest >> status >> range >> connection;
    if (connection <= after) continue;
    if (statuses) statuses->insert(status);
    out.insert(range);
  }
  return out;
}

class HttpTest : public veldra_test::HeadlessTest {
 protected:
  void configure(plat::HeadlessOptions& o) override { o.realClock = true; }
  std::unique_ptr<plat::Platform> wrap(std::unique_ptr<plat::HeadlessPlatform> headless) override {
    auto p = std::make_unique<RecordingPlatform>(std::move(headless));
    recording_ = p.get();
    return p;
  }
  // Stops nginx when a test started it, and checks that its process has ended.
  void TearDown() override {
    const int pid = nginx.pid();
    EXPECT_TRUE(nginx.stop());
    if (pid > 0) {
      EXPECT_FALSE(veldra_test::processAlive(pid));
    }
    veldra_test::HeadlessTest::TearDown();
  }
  RecordingClock& clockRecord() { return recording_->recorder(); }

  // One try as the callers make it: Start, then Wait and Reset. Start's code, else Wait's.
  int fetch(updater::CHttpDownloader& d, const std::string& url, const std::string& name,
            updater::IProgressSink* sink = nullptr) {
    int rc = d.Start(url, dir.hostPath(name), sink, updater::HTTP_SEGMENT_COUNT);
    if (rc == 0) rc = d.Wait();
    d.Reset();
    return rc;
  }

  veldra_test::NginxFixture nginx;  // started by the tests that use it

 private:
  RecordingPlatform* recording_ = nullptr;
};

}  // namespace http_test

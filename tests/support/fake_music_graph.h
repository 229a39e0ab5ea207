// A music graph for the player's tests: records every call (and its own making and release) into
// a log shared by all the fakes of a factory, answers with set results, lets the test queue
// events, and may lack any of its facets.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "plat/music_graph.h"

namespace veldra_test {

struct FakeMusicGraphScript {
  // Which facets the graphs have.
  bool hasBuilder = true, hasControl = true, hasEvents = true, hasSeeking = true, hasAudio = true;
  // What they answer.
  int32_t renderResult = plat::kGraphOk;
  int32_t runResult = plat::kGraphOk;
  int32_t stopResult = plat::kGraphOk;
  int32_t rewindResult = plat::kGraphOk;
  // Events the next getEvent calls take, oldest first.
  std::deque<int32_t> events;
  // "made 1", "renderFile 1 MUSIC\a.wav", "run 1", "setVolume 1 -2500", "released 1", ...
  std::vector<std::string> log;
  int made = 0;
  // The notify target the last graph was given.
  plat::WindowId window = plat::kNoWindow;
  uint32_t message = 0;

  int count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& l : log) n += l.rfind(prefix, 0) == 0;
    return n;
  }
};

class FakeMusicGraph final : public plat::IMusicGraph {
 public:
  explicit FakeMusicGraph(FakeMusicGraphScript& s) : s_(s), id_(std::to_string(++s.made)) { note("made"); }
  ~FakeMusicGraph() override { note("released"); }

  // Installs a factory making fakes that follow the script (until the factory is cleared).
  static void install(FakeMusicGraphScript& s) {
    plat::setMusicGraphFactory([&s] { return std::unique_ptr<plat::IMusicGraph>(new FakeMusicGraph(s)); });
  }

  plat::IMusicBuilder* builder() override { return s_.hasBuilder ? this : nullptr; }
  plat::IMusicControl* control() override { return s_.hasControl ? this : nullptr; }
  plat::IMusicEvents* events() override { return s_.hasEvents ? this : nullptr; }
  plat::IMusicSeeking* seeking() override { return s_.hasSeeking ? this : nullptr; }
  plat::IMusicAudio* audio() override { return s_.hasAudio ? this : nullptr; }

  int32_t renderFile(std::string_view path) override {
    note("renderFile", std::string(path));
    return s_.renderResult;
  }
  int32_t run() override {
    note("run");
    return s_.runResult;
  }
  int32_t pause() override {
    note("pause");
    return plat::kGraphOk;
  }
  int32_t stop() override {
    note("stop");
    return s_.stopResult;
  }
  int32_t getEvent(int32_t& code, int32_t& p1, int32_t& p2) override {
    if (s_.events.empty()) return plat::kGraphNoEvent;
    code = s_.events.front();
    p1 = p2 = 0;
    s_.events.pop_front();
    note("getEvent", std::to_string(code));
    return plat::kGraphOk;
  }
  int32_t notifyWindow(plat::WindowId w, uint32_t message) override {
    s_.window = w;
    s_.message = message;
    note("notifyWindow", std::to_string(message));
    return plat::kGraphOk;
  }
  int32_t rewind() override {
    note("rewind");
    return s_.rewindResult;
  }
  int32_t setVolume(int32_t mB) override {
    note("setVolume", std::to_string(mB));
    return plat::kGraphOk;
  }

 private:
  void note(const char* op, const std::string& arg = {}) {
    s_.log.push_back(std::string(op) + " " + id_ + (arg.empty() ? "" : " " + arg));
  }
  FakeMusicGraphScript& s_;
  std::string id_;
};

}  // namespace veldra_test

// A recorder in front of the music player: while it lives, the player's calls succeed, play
// nothing and are recorded in order, so that the client's music behaviour can be checked.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "audio/music_player.h"

namespace veldra_test {

struct MusicCall {
  std::string op;     // the call's name, as "music_open_file"
  int32_t value = 0;  // the volume of music_set_volume
  std::string name;   // the file of music_open_file
};

class RecordingMusicPlayer final : public MusicPlayerHook {
 public:
  RecordingMusicPlayer() { music_player_set_hook(this); }
  ~RecordingMusicPlayer() override { music_player_set_hook(nullptr); }
  RecordingMusicPlayer(const RecordingMusicPlayer&) = delete;
  RecordingMusicPlayer& operator=(const RecordingMusicPlayer&) = delete;

  std::vector<MusicCall> calls;

  void clear() { calls.clear(); }
  std::vector<std::string> ops() const {
    std::vector<std::string> v;
    for (const MusicCall& c : calls) v.push_back(c.op);
    return v;
  }
  int count(const std::string& op) const {
    int n = 0;
    for (const MusicCall& c : calls) n += c.op == op;
    return n;
  }

  int32_t open_file(const char* name) override {
    record("music_open_file", 0, name ? name : "");
    return 0;
  }
  void run() override { record("music_run"); }
  void pause() override { record("music_pause"); }
  int32_t stop() override {
    record("music_stop");
    return 0;
  }
  int32_t set_volume(int32_t volume) override {
    record("music_set_volume", volume);
    return 0;
  }
  int32_t poll_events() override {
    record("music_poll_events");
    return 0;
  }

 private:
  void record(const char* op, int32_t value = 0, const char* name = "") { calls.push_back(MusicCall{op, value, name}); }
};

}  // namespace veldra_test

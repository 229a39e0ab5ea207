// Records every voice call of the SOUND module as a seam call while it lives: the call's name,
// a = channel (first channel of sound_play_voice_any), b = loop flag, volume or pan, c = image
// size (last channel of sound_play_voice_any), text = file name. The calls still reach the module.
#pragma once

namespace veldra_test {

class RecordingSoundModule {
 public:
  RecordingSoundModule();
  ~RecordingSoundModule();
  RecordingSoundModule(const RecordingSoundModule&) = delete;
  RecordingSoundModule& operator=(const RecordingSoundModule&) = delete;
};

}  // namespace veldra_test

// The music graph (the DirectShow filter-graph stand-in): renders one file into a streaming
// voice of the audio device, fed by a named thread from a PCM source. Its five facets are the
// interfaces the music player asks for; a graph may lack any of them (the accessors give null),
// which fakes in tests use.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "plat/audio.h"
#include "plat/types.h"

namespace plat {

constexpr int32_t kGraphOk = 0;
constexpr int32_t kGraphFail = static_cast<int32_t>(0x80004005u);   // E_FAIL
constexpr int32_t kGraphNoEvent = static_cast<int32_t>(0x80004004u);  // E_ABORT: nothing queued
constexpr int32_t EC_COMPLETE = 1;

// ---- PCM sources ----------------------------------------------------------------------------

// Decoded PCM of one file, read front to back.
struct PcmSource {
  virtual ~PcmSource() = default;
  virtual WaveFormat format() const = 0;  // usable by the mixer (waveFormatUsable)
  // Up to `bytes` bytes of whole blocks into dst: the count read, 0 at the end, -1 on an error.
  virtual int32_t read(uint8_t* dst, uint32_t bytes) = 0;
  // Back to the first sample; false when the source cannot.
  virtual bool rewind() = 0;
};

// Opens a game file (code page 936 path, as given to renderFile) as PCM: null when the file is
// missing or not audio this build can decode. audio/ installs one at start.
using PcmSourceOpener = std::function<std::unique_ptr<PcmSource>(std::string_view cp936Path)>;
// Installs the opener (an empty one removes it). Main thread, before graphs render.
void setPcmSourceOpener(PcmSourceOpener opener);
// Through the installed opener; null without one.
std::unique_ptr<PcmSource> openPcmSource(std::string_view cp936Path);

// ---- the graph's facets ---------------------------------------------------------------------

struct IMusicBuilder {
  virtual ~IMusicBuilder() = default;
  // kGraphOk, or kGraphFail when the file cannot be rendered (the graph stays empty).
  virtual int32_t renderFile(std::string_view cp936Path) = 0;
};

struct IMusicControl {
  virtual ~IMusicControl() = default;
  virtual int32_t run() = 0;    // nothing when already running
  virtual int32_t pause() = 0;  // keeps the position
  virtual int32_t stop() = 0;
};

struct IMusicEvents {
  virtual ~IMusicEvents() = default;
  // Takes the oldest queued event without waiting: kGraphOk with its code and parameters, or
  // kGraphNoEvent when none is waiting.
  virtual int32_t getEvent(int32_t& code, int32_t& param1, int32_t& param2) = 0;
  // Where the graph posts `message` (once per queued event) through events().post.
  virtual int32_t notifyWindow(WindowId window, uint32_t message) = 0;
};

struct IMusicSeeking {
  virtual ~IMusicSeeking() = default;
  // Back to the start of the tune (kGraphFail when the source cannot rewind).
  virtual int32_t rewind() = 0;
};

struct IMusicAudio {
  virtual ~IMusicAudio() = default;
  // -10000..0 hundredths of dB; DSERR_INVALIDPARAM out of range.
  virtual int32_t setVolume(int32_t mB) = 0;
};

struct IMusicGraph : IMusicBuilder, IMusicControl, IMusicEvents, IMusicSeeking, IMusicAudio {
  // The facets; a graph lacking one answers null.
  virtual IMusicBuilder* builder() { return this; }
  virtual IMusicControl* control() { return this; }
  virtual IMusicEvents* events() { return this; }
  virtual IMusicSeeking* seeking() { return this; }
  virtual IMusicAudio* audio() { return this; }
};

// ---- making graphs --------------------------------------------------------------------------

using MusicGraphFactory = std::function<std::unique_ptr<IMusicGraph>()>;

// A new graph from the installed factory: by default a graph on the platform's audio device,
// null when the machine has no device (the device is opened with the mixer's format).
std::unique_ptr<IMusicGraph> createMusicGraph();
// Installs a factory (tests: fake graphs); an empty one goes back to the default.
void setMusicGraphFactory(MusicGraphFactory factory);
// The real graph on a device: PCM from openPcmSource, a named feeder thread, one streaming
// voice made with DSBCAPS_GLOBALFOCUS.
std::unique_ptr<IMusicGraph> makeMusicGraph(IAudioDevice& device);

}  // namespace plat

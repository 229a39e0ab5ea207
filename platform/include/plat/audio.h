// The audio device, its sound buffers and the mixer behind them (the DirectSound stand-in): one
// 22,050 Hz 16-bit stereo output, any number of static or streaming PCM buffers mixed into it.
// Every call is thread-safe. Results are DirectSound's numbers.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "plat/event.h"

namespace plat {

// ---- results --------------------------------------------------------------------------------

constexpr int32_t DS_OK = 0;
constexpr int32_t DSERR_INVALIDPARAM = static_cast<int32_t>(0x80070057u);
constexpr int32_t DSERR_OUTOFMEMORY = static_cast<int32_t>(0x8007000Eu);
constexpr int32_t DSERR_GENERIC = static_cast<int32_t>(0x80004005u);
constexpr int32_t DSERR_CONTROLUNAVAIL = static_cast<int32_t>(0x8878001Eu);
constexpr int32_t DSERR_INVALIDCALL = static_cast<int32_t>(0x88780032u);
constexpr int32_t DSERR_BADFORMAT = static_cast<int32_t>(0x88780064u);
constexpr int32_t DSERR_NODRIVER = static_cast<int32_t>(0x88780078u);
constexpr int32_t DSERR_BUFFERLOST = static_cast<int32_t>(0x88780096u);
constexpr int32_t DSERR_UNINITIALIZED = static_cast<int32_t>(0x887800AAu);

// ---- buffer capabilities (the flag values callers pass) -------------------------------------

constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr uint32_t DSBCAPS_STATIC = 0x00000002;
constexpr uint32_t DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr uint32_t DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x00000040;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr uint32_t DSBCAPS_CTRLPOSITIONNOTIFY = 0x00000100;
constexpr uint32_t DSBCAPS_STICKYFOCUS = 0x00004000;
constexpr uint32_t DSBCAPS_GLOBALFOCUS = 0x00008000;
constexpr uint32_t DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;

// status() bits.
constexpr uint32_t DSBSTATUS_PLAYING = 0x1;
constexpr uint32_t DSBSTATUS_BUFFERLOST = 0x2;
constexpr uint32_t DSBSTATUS_LOOPING = 0x4;

// lock() flags.
constexpr uint32_t DSBLOCK_FROMWRITECURSOR = 0x1;
constexpr uint32_t DSBLOCK_ENTIREBUFFER = 0x2;

constexpr int32_t DSBVOLUME_MIN = -10000;
constexpr int32_t DSBVOLUME_MAX = 0;
constexpr int32_t DSBPAN_LEFT = -10000;
constexpr int32_t DSBPAN_RIGHT = 10000;

// A notification offset that fires when the buffer stops.
constexpr uint32_t DSBPN_OFFSETSTOP = 0xFFFFFFFFu;

// ---- formats --------------------------------------------------------------------------------

constexpr uint16_t kWaveFormatPcm = 1;

// WAVEFORMATEX without its extra bytes.
struct WaveFormat {
  uint16_t formatTag = kWaveFormatPcm;
  uint16_t channels = 2;
  uint32_t samplesPerSec = 22050;
  uint32_t avgBytesPerSec = 88200;
  uint16_t blockAlign = 4;
  uint16_t bitsPerSample = 16;
};

// What the device produces: PCM, 2 channels, 22,050 Hz, 16 bits.
constexpr uint32_t kMixRate = 22050;
constexpr uint32_t kMixChannels = 2;
constexpr uint32_t kMixPeriodMs = 10;  // the headless device mixes one period at a time

// PCM, 1 or 2 channels, 8-bit unsigned or 16-bit signed, block align = channels x bits / 8,
// a rate of 1..192,000 Hz. The average bytes per second is not checked (callers compute it).
bool waveFormatUsable(const WaveFormat& f);

// ---- buffers --------------------------------------------------------------------------------

// What lock() hands out: the locked bytes as one or two pieces (the second starts at offset 0
// when the range wraps). Write into them, then pass the same record to unlock().
struct LockRegion {
  uint8_t* first = nullptr;
  uint32_t firstBytes = 0;
  uint8_t* second = nullptr;
  uint32_t secondBytes = 0;
};

struct Notification {
  uint32_t offset = 0;     // a byte offset in the buffer, or DSBPN_OFFSETSTOP
  Event* event = nullptr;  // set from the mixing thread; must outlive the buffer's notifications
};

// Faults a test can inject into one buffer.
struct BufferFaults {
  bool lose = false;          // now: lost (status bit 1), stopped, data zeroed
  int32_t failRestores = 0;   // the next n restore() calls fail with DSERR_BUFFERLOST
  int32_t failLocks = 0;      // the next n lock() calls fail with lockError
  int32_t lockError = DSERR_BUFFERLOST;
};

// A secondary buffer. Releasing it (destroying it) takes it out of the mix before its memory
// goes, also while it plays.
struct ISoundBuffer {
  virtual ~ISoundBuffer() = default;

  // Locks bytes from offset (or from the write cursor, or the whole buffer, by flags): a staging
  // copy of the range that unlock() copies in under the mixer lock. One lock at a time; a range
  // longer than the buffer, an offset beyond it, or a second lock is DSERR_INVALIDPARAM /
  // DSERR_INVALIDCALL; a lost buffer answers DSERR_BUFFERLOST.
  virtual int32_t lock(uint32_t offset, uint32_t bytes, LockRegion& out, uint32_t flags = 0) = 0;
  // Copies the pieces in and ends the lock. The record's byte counts say how much was written
  // (at most what was locked; a caller may lower them); the pointers must be the locked ones.
  virtual int32_t unlock(const LockRegion& region) = 0;

  // Starts (or keeps) playing from the current position; loop makes it wrap at the end.
  // A notification on the current position fires now. A lost buffer answers DSERR_BUFFERLOST.
  virtual int32_t play(bool loop) = 0;
  // Stops where it is (DSBPN_OFFSETSTOP notifications fire).
  virtual int32_t stop() = 0;
  // The play cursor (byte offset, block aligned) and the write cursor (one mix period ahead).
  virtual int32_t getCurrentPosition(uint32_t* play, uint32_t* write) = 0;
  virtual int32_t setCurrentPosition(uint32_t offset) = 0;
  virtual uint32_t status() = 0;  // DSBSTATUS_* bits

  // -10000..0 hundredths of dB (a gain of 10^(v/2000), -10000 silent); -10000..10000 pan lowers
  // the opposite side by |pan| hundredths of dB. Out of range: DSERR_INVALIDPARAM, nothing
  // changes. Without the control in the caps: DSERR_CONTROLUNAVAIL.
  virtual int32_t setVolume(int32_t mB) = 0;
  virtual int32_t setPan(int32_t pan) = 0;
  virtual int32_t getVolume(int32_t* mB) = 0;
  virtual int32_t getPan(int32_t* pan) = 0;

  // Replaces the notification list (needs DSBCAPS_CTRLPOSITIONNOTIFY). Offsets beyond the
  // buffer (other than DSBPN_OFFSETSTOP) or a null event are DSERR_INVALIDPARAM. An empty list
  // removes them.
  virtual int32_t setNotifications(std::span<const Notification> list) = 0;
  // Clears a loss (the data stays zero until refilled); DS_OK also when nothing was lost.
  virtual int32_t restore() = 0;

  virtual WaveFormat format() const = 0;
  virtual uint32_t bytes() const = 0;
  virtual uint32_t caps() const = 0;

  // Tests only.
  virtual void injectFaults(const BufferFaults& faults) = 0;
};

// ---- the device -----------------------------------------------------------------------------

struct IAudioDevice {
  virtual ~IAudioDevice() = default;
  // Opens the output for the primary format the caller asks (PCM stereo; the mixer always
  // produces kMixRate 16-bit stereo). DS_OK, also when already open; DSERR_NODRIVER when the
  // machine has no device (the game then runs silent); DSERR_BADFORMAT for a format that is
  // not usable.
  virtual int32_t open(const WaveFormat& primary) = 0;
  virtual bool isOpen() const = 0;
  // Stops the output; buffers still held keep working but are no longer heard.
  virtual void close() = 0;
  // A secondary buffer of `bytes` bytes of `format` (zeroed) with DSBCAPS_* caps: DS_OK and out
  // set, or DSERR_UNINITIALIZED before open, DSERR_BADFORMAT for an unusable format,
  // DSERR_INVALIDPARAM for a size under one block (0 too), DSERR_OUTOFMEMORY. A
  // partial last block is kept but never played.
  virtual int32_t createBuffer(const WaveFormat& format, uint32_t bytes, uint32_t caps,
                               std::unique_ptr<ISoundBuffer>& out) = 0;
  // Tests only: loses every live buffer (as a device reset would).
  virtual void loseAllBuffers() = 0;
};

// The device of a platform without one: open answers DSERR_NODRIVER.
IAudioDevice& noAudioDevice();

// The headless device: fake time pulls the mixer one kMixPeriodMs period at a time while it is
// open. A period that fires notifications ends only when the threads they woke wait again
// (bounded), so refills land before the next period.
class HeadlessAudio : public IAudioDevice {
 public:
  // Starts (again) keeping what the mixer produces: interleaved stereo samples at kMixRate.
  virtual void startRecording() = 0;
  virtual void stopRecording() = 0;
  virtual std::vector<int16_t> recording() const = 0;
  virtual void clearRecording() = 0;
  // Mixes one period now, as fake time would (nothing while closed).
  virtual void pullPeriod() = 0;
  // Periods mixed since the device opened.
  virtual uint64_t periods() const = 0;
};

// Writes interleaved 16-bit stereo samples at kMixRate as a RIFF WAVE file (host path).
bool writeMixWave(const std::string& hostPath, std::span<const int16_t> stereo);

}  // namespace plat

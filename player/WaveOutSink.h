// Feeds 16-bit samples to the wave-out device through three buffers of 32
// frames each: two are held back before playback starts, then one is queued
// for every 32 frames while the device plays the others.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <string.h>

#include "PcmSink.h"
#include "PlaybackShared.h"

class WaveOutSink : public PcmSink {
 public:
  // Opens the device for the stream of `header`; null when it cannot.
  static WaveOutSink* Create(int channels, const FrameHeader& header, PlaybackShared* shared);
  ~WaveOutSink() override;

  void Append(int channel, int16_t sample) override {
    int at = position_[channel];
    if (at + 2 > capacity_) return;
    uint8_t* p = reinterpret_cast<uint8_t*>(slot_[2]->lpData) + at;
    p[0] = static_cast<uint8_t>(sample);
    p[1] = static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8);
    position_[channel] = at + 2 * channels_;
  }
  void WriteBuffer() override;
  void Clear() override;
  void SetStopped() override { stopped_ = true; }
  // Stores what fits, as Append does, a sample every 2 x channels bytes.
  void AppendBlock(int channel, const int16_t* samples, int count) override {
    int at = position_[channel];
    const int step = 2 * channels_;
    int room = capacity_ - at < 2 ? 0 : (capacity_ - at - 2) / step + 1;
    if (count > room) count = room;
    // Windows runs little-endian: a sample is stored as it is held.
    char* p = slot_[2]->lpData + at;
    if (step == 2)
      memcpy(p, samples, 2 * count);
    else
      for (int i = 0; i < count; ++i, p += step) memcpy(p, samples + i, 2);
    position_[channel] = at + count * step;
  }

  int BufferSize() const { return bufferSize_; }

 private:
  WaveOutSink(int channels, PlaybackShared* shared);
  void Rotate();
  void Queue(WAVEHDR* h, DWORD length);
  void WaitDone(WAVEHDR* h);
  void ResetPositions();
  DWORD Filled() const;

  int channels_;
  PlaybackShared* shared_;
  HWAVEOUT device_ = nullptr;
  HANDLE semaphore_ = nullptr;
  WAVEFORMATEX format_ = {};
  int bufferSize_ = 0;  // 32 frames of the stream
  int capacity_ = 0;    // 32 frames of the longest frame, so a layer change fits
  WAVEHDR headers_[3] = {};
  WAVEHDR* slot_[3];  // ring: slots 1, 2, 3; samples go into slot 3
  int position_[2] = {0, 2};
  int frames_ = 0;
  int primed_ = 0;
  bool stopped_ = false;
};

// Where decoded 16-bit samples go: the decoder appends each channel's
// samples and closes every frame with WriteBuffer.
#pragma once

#include <stdint.h>

class PcmSink {
 public:
  virtual ~PcmSink() {}
  virtual void Append(int channel, int16_t sample) = 0;
  virtual void WriteBuffer() = 0;  // once per decoded frame
  virtual void Clear() = 0;        // drop everything queued
  virtual void SetStopped() = 0;   // the destructor then discards instead of draining
  // Consecutive samples of one channel; the synthesis filters hand over a
  // block of 32 at a time this way. A sink may store them faster than by
  // one Append each.
  virtual void AppendBlock(int channel, const int16_t* samples, int count) {
    for (int i = 0; i < count; ++i) Append(channel, samples[i]);
  }
};

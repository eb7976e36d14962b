// The 32-band polyphase synthesis filter, one object per output channel:
// 32 subband samples in, 32 PCM samples of 16 bits out to the sink.
#pragma once

#include <stdint.h>

#include "PcmSink.h"

class SynthesisFilterBank {
 public:
  SynthesisFilterBank(int channel, float scale);
  SynthesisFilterBank(const SynthesisFilterBank&) = delete;
  SynthesisFilterBank& operator=(const SynthesisFilterBank&) = delete;
  void Reset();
  // Matrixes and windows `input`, appends 32 samples for the channel to the
  // sink, and zeroes `input` for the next block.
  void ComputePcm(PcmSink& sink);
  // The same from `in` instead of `input`, which it leaves as it is.
  void ComputePcm(const float in[32], PcmSink& sink);

  float input[32];  // the decoder writes the subband samples here

  // out[k] = sum of in[n] * cos(k * (2n + 1) * pi / 64), the fast way.
  static void Dct32(const float in[32], float out[32]);
  alignas(16) static const float kWindow[512];

  // ToPcm16 of 32 values, four at a time where the build has SSE2.
  static void ToPcm16Block(const float in[32], int16_t out[32]);

 private:
  void Filter(const float in[32], int16_t out[32]);
  int channel_;
  float scale_;
  int offset_;  // newest V block within the ring, steps of 64
  // V vector ring of 1024, stored twice so sums run straight; ring_ is its
  // start in the storage at a multiple of 16 bytes.
  float ringStorage_[2048 + 4];
  float* ring_;
};

// 16-bit sample of a filter output: clipped, halves rounded away from zero,
// not-a-number gives the top value.
inline int16_t ToPcm16(float v) {
  if (!(v <= 32767.0f)) return 32767;
  if (v < -32768.0f) return -32768;
  int i = static_cast<int>(v);
  float rest = v - static_cast<float>(i);
  if (rest >= 0.5f) ++i;
  else if (rest <= -0.5f) --i;
  if (i > 32767) i = 32767;
  if (i < -32768) i = -32768;
  return static_cast<int16_t>(i);
}

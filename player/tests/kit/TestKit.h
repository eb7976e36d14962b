// Helpers shared by the player tests.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "FileDecoder.h"
#include "FrameHeader.h"
#include "PcmSink.h"

namespace testkit {

// Interleaved 16-bit PCM.
struct Pcm {
  int channels = 1;
  int rate = 44100;
  std::vector<int16_t> samples;
  size_t Frames() const { return samples.size() / channels; }
  std::vector<float> Channel(int c) const;
};

// Sum of tones (Hz, amplitude 0..1) per channel plus a slow chirp on every
// channel when `chirp` is set.
struct Tone {
  double hz, amplitude;
};
Pcm MakeSignal(int rate, double seconds, const std::vector<std::vector<Tone>>& tones,
               bool chirp = true);

bool WriteFile(const std::string& path, const void* data, size_t size);
std::vector<uint8_t> ReadFile(const std::string& path);

// Runs twolame on the signal (raw PCM) into `out`; `mode` is s, j, d or m;
// extra holds more options (e.g. "-p" for check words).
bool EncodeLayer2(const Pcm& pcm, const std::string& out, char mode, int kbits,
                  const std::string& extra = "");

// Keeps everything appended, per channel.
class CaptureSink : public PcmSink {
 public:
  void Append(int channel, int16_t sample) override { pcm[channel & 1].push_back(sample); }
  void WriteBuffer() override { ++frames; }
  void Clear() override {}
  void SetStopped() override {}
  std::vector<int16_t> pcm[2];
  int frames = 0;
  Pcm Interleaved(int channels, int rate) const;
};

// Lag of `out` against `ref` (out[i + lag] ~ ref[i]) in [0, maxLag] by correlation.
int FindDelay(const std::vector<float>& ref, const std::vector<float>& out, int maxLag);
// Signal-to-noise ratio in dB of out (shifted by lag) against ref, skipping
// `margin` samples at both ends.
double Snr(const std::vector<float>& ref, const std::vector<float>& out, int lag, int margin);
// Amplitude of one frequency in a signal (Goertzel).
double ToneLevel(const std::vector<float>& x, int rate, double hz);

// Layer I frames from PCM, with the standard's analysis filter bank.
struct Layer1Options {
  int version = 1;          // 1 MPEG-1, 0 LSF
  int samplingRateIndex = 1;
  int bitRateIndex = 14;
  int mode = FrameHeader::kStereo;
  int modeExtension = 0;
  bool crc = false;
};
std::vector<uint8_t> WriteLayer1(const Pcm& pcm, const Layer1Options& options);

// The analysis filter bank, 32 new samples (scaled to +-1) in, 32 subband samples out.
class AnalysisFilter {
 public:
  void Push(const float* in32, float* out32);

 private:
  float x_[512] = {};
};

}  // namespace testkit

// One subband of a Layer I or Layer II frame. A frame is decoded by calling,
// across all its subbands in turn: ReadAllocation, (Layer II)
// ReadScaleFactorSelection, ReadScaleFactors, then per group (Layer I)
// ReadSampleData and PutNextSample, (Layer II) ReadGroup, until the frame
// is done.
#pragma once

#include "Crc16.h"
#include "FrameHeader.h"
#include "FrameReader.h"
#include "Layer12Tables.h"

// Single channel; stereo (two independent channels: stereo, dual channel,
// and joint stereo below the bound); intensity (joint stereo from the bound
// on: one allocation and one set of samples, two sets of scale factors).
enum class SubbandKind { kSingle, kStereo, kIntensity };

// Channel choice: both channels, only the left into filter 0, only the right
// into filter 0.
enum ChannelChoice { kBothChannels = 0, kLeftOnly = 1, kRightOnly = 2 };

class Layer1Subband {
 public:
  void Init(SubbandKind kind, int number);
  void ReadAllocation(FrameReader& reader, Crc16* crc);
  void ReadScaleFactors(FrameReader& reader);
  void ReadSampleData(FrameReader& reader);  // 12 per frame
  void PutNextSample(int choice, float* filter0, float* filter1);

 private:
  int number_ = 0;
  int coded_ = 1;   // allocations and sample sets read
  int scaled_ = 1;  // sets of scale factors (output channels)
  int allocation_[2] = {0, 0};
  float scale_[2] = {0, 0};
  float value_[2] = {0, 0};
};

class Layer2Subband {
 public:
  void Init(SubbandKind kind, int number, const layer12::AllocationTable& table);
  void ReadAllocation(FrameReader& reader, Crc16* crc);
  void ReadScaleFactorSelection(FrameReader& reader, Crc16* crc);
  void ReadScaleFactors(FrameReader& reader);
  // Reads group 0-11 of three samples and writes them, scaled, into time
  // slots 0-2 of the filter inputs at the subband's position: out0 for
  // filter 0, out1 for filter 1, by the channel choice as PutNextSample of
  // Layer I does.
  void ReadGroup(FrameReader& reader, int group, int choice, float (*out0)[32],
                 float (*out1)[32]);

 private:
  int number_ = 0;
  int coded_ = 1;
  int scaled_ = 1;
  int bits_ = 0;  // allocation bits
  const int8_t* classes_ = nullptr;
  const layer12::QuantClass* quant_[2] = {nullptr, nullptr};
  int selection_[2] = {0, 0};
  float scale_[2][3] = {};
};

// The per-sample steps, inline: they run for every sample of every subband.

inline void Layer1Subband::ReadSampleData(FrameReader& reader) {
  for (int c = 0; c < coded_; ++c) {
    int a = allocation_[c];
    if (!a) {
      value_[c] = 0.0f;
      continue;
    }
    float code = static_cast<float>(reader.GetBits(a + 1));
    value_[c] = layer12::kLayer1Quant[a].factor * code + layer12::kLayer1Quant[a].offset;
  }
  if (coded_ == 1) {
    float v = value_[0];
    for (int c = 0; c < scaled_; ++c) value_[c] = v * scale_[c];
  } else {
    for (int c = 0; c < 2; ++c) value_[c] *= scale_[c];
  }
}

inline void Layer1Subband::PutNextSample(int choice, float* filter0, float* filter1) {
  if (scaled_ == 1) {
    filter0[number_] = value_[0];
  } else if (choice == kBothChannels) {
    filter0[number_] = value_[0];
    filter1[number_] = value_[1];
  } else {
    filter0[number_] = value_[choice == kRightOnly ? 1 : 0];
  }
}

inline void Layer2Subband::ReadGroup(FrameReader& reader, int group, int choice,
                                     float (*out0)[32], float (*out1)[32]) {
  const int part = group / 4;
  float raw[2][3];
  for (int c = 0; c < coded_; ++c) {
    const layer12::QuantClass* q = quant_[c];
    if (!q) {
      raw[c][0] = raw[c][1] = raw[c][2] = 0.0f;
    } else if (q->grouped) {
      const float* g = q->grouped + 3 * reader.GetBits(q->bits);
      raw[c][0] = g[0];
      raw[c][1] = g[1];
      raw[c][2] = g[2];
    } else {
      for (int k = 0; k < 3; ++k)
        raw[c][k] = q->factor * static_cast<float>(reader.GetBits(q->bits)) + q->offset;
    }
  }
  const int n = number_;
  auto put = [&](int c, float (*out)[32]) {
    const float* r = raw[coded_ == 1 ? 0 : c];
    const float s = quant_[c] ? scale_[c][part] : 0.0f;
    out[0][n] = r[0] * s;
    out[1][n] = r[1] * s;
    out[2][n] = r[2] * s;
  };
  if (scaled_ == 1) {
    put(0, out0);
  } else if (choice == kBothChannels) {
    put(0, out0);
    put(1, out1);
  } else {
    put(choice == kRightOnly ? 1 : 0, out0);
  }
}

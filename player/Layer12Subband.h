// One subband of a Layer I or Layer II frame. A frame is decoded by calling,
// across all its subbands in turn: ReadAllocation, (Layer II)
// ReadScaleFactorSelection, ReadScaleFactors, then per group ReadSampleData
// and PutNextSample until the group and then the frame are done.
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
  bool ReadSampleData(FrameReader& reader);  // true after the 12th sample
  bool PutNextSample(int choice, float* filter0, float* filter1);

 private:
  int number_ = 0;
  int coded_ = 1;   // allocations and sample sets read
  int scaled_ = 1;  // sets of scale factors (output channels)
  int count_ = 0;
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
  bool ReadSampleData(FrameReader& reader);  // true after the 12th group
  bool PutNextSample(int choice, float* filter0, float* filter1);  // true after 3 values

 private:
  int number_ = 0;
  int coded_ = 1;
  int scaled_ = 1;
  int bits_ = 0;  // allocation bits
  const int8_t* classes_ = nullptr;
  const layer12::QuantClass* quant_[2] = {nullptr, nullptr};
  int selection_[2] = {0, 0};
  float scale_[2][3] = {};
  float value_[2][3] = {};
  int group_ = 0;
  int next_ = 0;
};

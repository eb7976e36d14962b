// One MPEG audio frame header (MPEG-1 and MPEG-2 at low sampling rates,
// Layers I to III): its fields, the checks a candidate must pass, the frame
// and main-data sizes, and the texts shown for a file.
#pragma once

#include <stdint.h>

#include "Crc16.h"

class FrameHeader {
 public:
  enum Mode { kStereo = 0, kJointStereo = 1, kDualChannel = 2, kSingleChannel = 3 };

  // True when the four header bytes (big-endian in `bits`) name a frame this
  // decoder can read: a known layer, sampling rate and bit rate that the
  // standard allows for the mode.
  static bool Acceptable(uint32_t bits);
  // Takes the fields of an acceptable header.
  void Parse(uint32_t bits);

  int layer = 0;           // 1-3
  int protectionBit = 1;   // 1 = no check word
  int bitRateIndex = 0;
  int paddingBit = 0;
  int modeExtension = 0;
  int version = 1;         // 1 = MPEG-1, 0 = MPEG-2 LSF
  int mode = kStereo;
  int samplingRateIndex = 0;  // 0-2
  int subbands = 0;        // Layers I and II
  int intensityBound = 0;  // first subband coded as intensity stereo
  int copyright = 0;
  int original = 0;
  int emphasis = 0;
  uint32_t bits = 0;       // the four header bytes

  int frameSize = 0;      // bytes after the 4 header bytes
  int mainDataSize = 0;   // Layer III main data bytes of the frame

  Crc16 crc;               // fed with the header's check bits when protected
  uint16_t checkWord = 0;  // stored check word of a protected frame

  bool HasCrc() const { return protectionBit == 0; }
  bool IsSingleChannel() const { return mode == kSingleChannel; }
  int Channels() const { return IsSingleChannel() ? 1 : 2; }
  int BitRate() const;       // kbit/s
  int SamplingRate() const;  // Hz
  int SamplesPerFrame() const;
  double MsPerFrame() const;
  // Frame length in bytes including the header, without the padding slot.
  int UnpaddedLength() const;
  // Bit-rate index per channel for Layer II table choice (MPEG-1 only).
  int PerChannelBitRateIndex() const;

  const char* VersionText() const;
  const char* LayerText() const;
  const char* BitRateText() const;
  const char* SamplingRateText() const;
  const char* ModeText() const;
};

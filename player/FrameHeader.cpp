#include "FrameHeader.h"

#include <stdio.h>

namespace {

// kbit/s by bit-rate index; the low sampling rates share one row for
// Layers II and III.
const int kRatesV1L1[16] = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0};
const int kRatesV1L2[16] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
const int kRatesV1L3[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
const int kRatesV0L1[16] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0};
const int kRatesV0L23[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
const int* const kBitRates[2][3] = {{kRatesV0L1, kRatesV0L23, kRatesV0L23},
                                    {kRatesV1L1, kRatesV1L2, kRatesV1L3}};

// "N kbit/s" for every rate of the tables, kept for the library's lifetime.
struct BitRateTexts {
  char text[2][3][16][16];
  BitRateTexts() {
    for (int v = 0; v < 2; ++v)
      for (int l = 0; l < 3; ++l)
        for (int i = 0; i < 16; ++i) {
          if (i == 0) snprintf(text[v][l][i], 16, "free format");
          else if (i == 15) snprintf(text[v][l][i], 16, "forbidden");
          else snprintf(text[v][l][i], 16, "%d kbit/s", kBitRates[v][l][i]);
        }
  }
};
const BitRateTexts kBitRateTexts;

const int kSamplingRates[2][3] = {{22050, 24000, 16000}, {44100, 48000, 32000}};
const char* const kSamplingRateTexts[2][3] = {{"22.05 kHz", "24 kHz", "16 kHz"},
                                              {"44.1 kHz", "48 kHz", "32 kHz"}};
const char* const kModeTexts[4] = {"Stereo", "Joint stereo", "Dual channel",
                                   "Single channel"};
const char* const kLayerTexts[3] = {"Layer I", "Layer II", "Layer III"};

int LayerOf(uint32_t bits) { return 4 - static_cast<int>((bits >> 17) & 3); }

}  // namespace

bool FrameHeader::Acceptable(uint32_t bits) {
  if ((bits >> 20) != 0xFFF) return false;
  if (((bits >> 17) & 3) == 0) return false;  // reserved layer
  int rateIndex = (bits >> 12) & 15;
  if (rateIndex == 0 || rateIndex == 15) return false;  // free format is not played
  if (((bits >> 10) & 3) == 3) return false;
  int version = (bits >> 19) & 1;
  // MPEG-1 Layer II allows only some bit rates per mode.
  if (version == 1 && LayerOf(bits) == 2) {
    bool single = ((bits >> 6) & 3) == kSingleChannel;
    if (single && rateIndex >= 11) return false;
    if (!single && (rateIndex <= 3 || rateIndex == 5)) return false;
  }
  return true;
}

void FrameHeader::Parse(uint32_t b) {
  bits = b;
  version = (b >> 19) & 1;
  layer = LayerOf(b);
  protectionBit = (b >> 16) & 1;
  bitRateIndex = (b >> 12) & 15;
  samplingRateIndex = (b >> 10) & 3;
  paddingBit = (b >> 9) & 1;
  mode = (b >> 6) & 3;
  modeExtension = (b >> 4) & 3;
  copyright = (b >> 3) & 1;
  original = (b >> 2) & 1;
  emphasis = b & 3;

  if (layer == 1) {
    subbands = 32;
  } else if (version == 0) {
    subbands = 30;
  } else {
    int perChannel = PerChannelBitRateIndex();
    if (perChannel == 1 || perChannel == 2)
      subbands = samplingRateIndex == 2 ? 12 : 8;
    else if (samplingRateIndex == 1 || (perChannel >= 3 && perChannel <= 5))
      subbands = 27;
    else
      subbands = 30;
  }
  intensityBound = mode == kJointStereo ? 4 * modeExtension + 4 : 0;
  if (intensityBound > subbands) intensityBound = subbands;

  int rate = SamplingRate();
  int kbits = BitRate();
  int size;
  if (layer == 1)
    size = (12000 * kbits / rate + paddingBit) * 4;
  else if (layer == 3 && version == 0)
    size = 72000 * kbits / rate + paddingBit;
  else
    size = 144000 * kbits / rate + paddingBit;
  int side = version == 1 ? (IsSingleChannel() ? 17 : 32) : (IsSingleChannel() ? 9 : 17);
  mainDataSize = size - side - (HasCrc() ? 2 : 0) - 4;
  if (mainDataSize < 0) mainDataSize = 0;
  frameSize = size - 4;
}

int FrameHeader::BitRate() const { return kBitRates[version][layer - 1][bitRateIndex]; }

int FrameHeader::SamplingRate() const { return kSamplingRates[version][samplingRateIndex]; }

int FrameHeader::SamplesPerFrame() const {
  if (layer == 1) return 384;
  if (layer == 3 && version == 0) return 576;
  return 1152;
}

double FrameHeader::MsPerFrame() const {
  return SamplesPerFrame() * 1000.0 / SamplingRate();
}

int FrameHeader::UnpaddedLength() const {
  return frameSize + 4 - (layer == 1 ? 4 : 1) * paddingBit;
}

int FrameHeader::PerChannelBitRateIndex() const {
  if (IsSingleChannel()) return bitRateIndex;
  return bitRateIndex == 4 ? 1 : bitRateIndex - 4;
}

const char* FrameHeader::VersionText() const { return version ? "MPEG-1" : "MPEG-2 LSF"; }
const char* FrameHeader::LayerText() const { return kLayerTexts[layer - 1]; }
const char* FrameHeader::BitRateText() const {
  return kBitRateTexts.text[version][layer - 1][bitRateIndex];
}
const char* FrameHeader::SamplingRateText() const {
  return kSamplingRateTexts[version][samplingRateIndex];
}
const char* FrameHeader::ModeText() const { return kModeTexts[mode]; }

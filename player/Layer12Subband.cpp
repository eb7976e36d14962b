#include "Layer12Subband.h"

using layer12::kLayer1Quant;
using layer12::kScaleFactors;

namespace {

void Counts(SubbandKind kind, int* coded, int* scaled) {
  *coded = kind == SubbandKind::kStereo ? 2 : 1;
  *scaled = kind == SubbandKind::kSingle ? 1 : 2;
}

}  // namespace

void Layer1Subband::Init(SubbandKind kind, int number) {
  *this = Layer1Subband();
  number_ = number;
  Counts(kind, &coded_, &scaled_);
}

void Layer1Subband::ReadAllocation(FrameReader& reader, Crc16* crc) {
  for (int c = 0; c < coded_; ++c) {
    int a = static_cast<int>(reader.GetBits(4));
    if (crc) crc->Add(a, 4);
    allocation_[c] = a == 15 ? 0 : a;  // 15 is forbidden: no samples
  }
  if (coded_ == 1 && scaled_ == 2) allocation_[1] = allocation_[0];
}

void Layer1Subband::ReadScaleFactors(FrameReader& reader) {
  for (int c = 0; c < scaled_; ++c)
    if (allocation_[c]) scale_[c] = kScaleFactors[reader.GetBits(6)];
}

void Layer2Subband::Init(SubbandKind kind, int number, const layer12::AllocationTable& table) {
  *this = Layer2Subband();
  number_ = number;
  Counts(kind, &coded_, &scaled_);
  bits_ = table.bits[number];
  classes_ = table.classes[number];
}

void Layer2Subband::ReadAllocation(FrameReader& reader, Crc16* crc) {
  for (int c = 0; c < coded_; ++c) {
    int a = static_cast<int>(reader.GetBits(bits_));
    if (crc) crc->Add(a, bits_);
    int cls = classes_[a & 15];
    quant_[c] = cls < 0 ? nullptr : &layer12::Layer2Class(cls);
  }
  if (coded_ == 1 && scaled_ == 2) quant_[1] = quant_[0];
}

void Layer2Subband::ReadScaleFactorSelection(FrameReader& reader, Crc16* crc) {
  for (int c = 0; c < scaled_; ++c) {
    if (!quant_[c]) continue;
    selection_[c] = static_cast<int>(reader.GetBits(2));
    if (crc) crc->Add(selection_[c], 2);
  }
}

void Layer2Subband::ReadScaleFactors(FrameReader& reader) {
  for (int c = 0; c < scaled_; ++c) {
    if (!quant_[c]) continue;
    float* s = scale_[c];
    switch (selection_[c]) {
      case 0:
        s[0] = kScaleFactors[reader.GetBits(6)];
        s[1] = kScaleFactors[reader.GetBits(6)];
        s[2] = kScaleFactors[reader.GetBits(6)];
        break;
      case 1:
        s[0] = s[1] = kScaleFactors[reader.GetBits(6)];
        s[2] = kScaleFactors[reader.GetBits(6)];
        break;
      case 2:
        s[0] = s[1] = s[2] = kScaleFactors[reader.GetBits(6)];
        break;
      default:
        s[0] = kScaleFactors[reader.GetBits(6)];
        s[1] = s[2] = kScaleFactors[reader.GetBits(6)];
        break;
    }
  }
}


#include "Layer12Subband.h"

using layer12::kLayer1Quant;
using layer12::kScaleFactors;

namespace {

void Place(int scaled, int choice, int number, const float* v, float* f0, float* f1) {
  if (scaled == 1) {
    f0[number] = v[0];
  } else if (choice == kBothChannels) {
    f0[number] = v[0];
    f1[number] = v[1];
  } else {
    f0[number] = v[choice == kRightOnly ? 1 : 0];
  }
}

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

bool Layer1Subband::ReadSampleData(FrameReader& reader) {
  for (int c = 0; c < coded_; ++c) {
    int a = allocation_[c];
    if (!a) {
      value_[c] = 0.0f;
      continue;
    }
    float code = static_cast<float>(reader.GetBits(a + 1));
    value_[c] = kLayer1Quant[a].factor * code + kLayer1Quant[a].offset;
  }
  if (coded_ == 1) {
    float v = value_[0];
    for (int c = 0; c < scaled_; ++c) value_[c] = v * scale_[c];
  } else {
    for (int c = 0; c < 2; ++c) value_[c] *= scale_[c];
  }
  if (++count_ < 12) return false;
  count_ = 0;
  return true;
}

bool Layer1Subband::PutNextSample(int choice, float* filter0, float* filter1) {
  Place(scaled_, choice, number_, value_, filter0, filter1);
  return true;
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

bool Layer2Subband::ReadSampleData(FrameReader& reader) {
  int part = group_ / 4;
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
  for (int c = 0; c < scaled_; ++c) {
    const float* r = raw[coded_ == 1 ? 0 : c];
    float s = quant_[c] ? scale_[c][part] : 0.0f;
    for (int k = 0; k < 3; ++k) value_[c][k] = r[k] * s;
  }
  next_ = 0;
  if (++group_ < 12) return false;
  group_ = 0;
  return true;
}

bool Layer2Subband::PutNextSample(int choice, float* filter0, float* filter1) {
  float v[2] = {value_[0][next_], value_[1][next_]};
  Place(scaled_, choice, number_, v, filter0, filter1);
  if (++next_ < 3) return false;
  next_ = 0;
  return true;
}

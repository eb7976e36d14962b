#include "Layer12Decoder.h"

#include "Layer12Subband.h"

namespace {

SubbandKind KindOf(const FrameHeader& h, int sb) {
  if (h.IsSingleChannel()) return SubbandKind::kSingle;
  if (h.mode == FrameHeader::kJointStereo && sb >= h.intensityBound) return SubbandKind::kIntensity;
  return SubbandKind::kStereo;
}

bool CheckWordMatches(FrameHeader& h) {
  if (!h.HasCrc()) return true;
  bool ok = h.crc.Value() == h.checkWord;
  h.crc.Reset();
  return ok;
}

void SynthesiseLayer1(Layer1Subband* subbands, int count, FrameReader& reader, int choice,
                      SynthesisFilterBank& filter0, SynthesisFilterBank* filter1, PcmSink& sink) {
  float* in1 = filter1 ? filter1->input : filter0.input;
  for (int sample = 0; sample < 12; ++sample) {
    for (int sb = 0; sb < count; ++sb) {
      subbands[sb].ReadSampleData(reader);
      subbands[sb].PutNextSample(choice, filter0.input, in1);
    }
    filter0.ComputePcm(sink);
    if (filter1) filter1->ComputePcm(sink);
  }
  sink.WriteBuffer();
}

void SynthesiseLayer2(Layer2Subband* subbands, int count, FrameReader& reader, int choice,
                      SynthesisFilterBank& filter0, SynthesisFilterBank* filter1, PcmSink& sink) {
  // Three time slots per filter; subbands above the frame's count stay 0.
  float slots[2][3][32] = {};
  float (*out1)[32] = filter1 ? slots[1] : slots[0];
  for (int group = 0; group < 12; ++group) {
    for (int sb = 0; sb < count; ++sb) subbands[sb].ReadGroup(reader, group, choice, slots[0], out1);
    for (int t = 0; t < 3; ++t) {
      filter0.ComputePcm(slots[0][t], sink);
      if (filter1) filter1->ComputePcm(slots[1][t], sink);
    }
  }
  sink.WriteBuffer();
}

}  // namespace

bool DecodeLayer12Frame(FrameReader& reader, FrameHeader& h, int choice,
                        SynthesisFilterBank& filter0, SynthesisFilterBank* filter1,
                        PcmSink& sink) {
  Crc16* crc = h.HasCrc() ? &h.crc : nullptr;
  int count = h.subbands;
  if (h.layer == 1) {
    Layer1Subband subbands[32];
    for (int sb = 0; sb < count; ++sb) subbands[sb].Init(KindOf(h, sb), sb);
    for (int sb = 0; sb < count; ++sb) subbands[sb].ReadAllocation(reader, crc);
    if (!CheckWordMatches(h)) return false;
    for (int sb = 0; sb < count; ++sb) subbands[sb].ReadScaleFactors(reader);
    SynthesiseLayer1(subbands, count, reader, choice, filter0, filter1, sink);
    return true;
  }
  const layer12::AllocationTable& table = layer12::Layer2Table(h);
  if (count > table.subbands) count = table.subbands;
  Layer2Subband subbands[30];
  for (int sb = 0; sb < count; ++sb) subbands[sb].Init(KindOf(h, sb), sb, table);
  for (int sb = 0; sb < count; ++sb) subbands[sb].ReadAllocation(reader, crc);
  for (int sb = 0; sb < count; ++sb) subbands[sb].ReadScaleFactorSelection(reader, crc);
  if (!CheckWordMatches(h)) return false;
  for (int sb = 0; sb < count; ++sb) subbands[sb].ReadScaleFactors(reader);
  SynthesiseLayer2(subbands, count, reader, choice, filter0, filter1, sink);
  return true;
}

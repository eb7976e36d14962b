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

template <typename Subband>
void Synthesise(Subband* subbands, int count, FrameReader& reader, int choice,
                SynthesisFilterBank& filter0, SynthesisFilterBank* filter1, PcmSink& sink) {
  float* in1 = filter1 ? filter1->input : filter0.input;
  bool frameDone;
  do {
    frameDone = false;
    for (int sb = 0; sb < count; ++sb) frameDone = subbands[sb].ReadSampleData(reader);
    bool groupDone;
    do {
      groupDone = false;
      for (int sb = 0; sb < count; ++sb)
        groupDone = subbands[sb].PutNextSample(choice, filter0.input, in1);
      filter0.ComputePcm(sink);
      if (filter1) filter1->ComputePcm(sink);
    } while (!groupDone);
  } while (!frameDone && count > 0);
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
    Synthesise(subbands, count, reader, choice, filter0, filter1, sink);
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
  Synthesise(subbands, count, reader, choice, filter0, filter1, sink);
  return true;
}

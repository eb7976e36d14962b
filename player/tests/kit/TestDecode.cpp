#include "FrameReader.h"
#include "Layer12Decoder.h"
#include "Layer12Subband.h"
#include "SynthesisFilterBank.h"
#include "TestKit.h"

namespace testkit {

DecodeResult DecodeFile(const std::string& path, PcmSink& sink) {
  DecodeResult r;
  FrameReader reader(path.c_str());
  FrameHeader h;
  SynthesisFilterBank f0(0, 32768.0f), f1(1, 32768.0f);
  while (reader.ReadHeader(h)) {
    if (r.frames++ == 0) r.first = h;
    if (h.layer == 3) continue;
    bool mono = h.IsSingleChannel();
    if (DecodeLayer12Frame(reader, h, mono ? kLeftOnly : kBothChannels, f0, mono ? nullptr : &f1,
                           sink))
      ++r.decoded;
    else
      ++r.crcMismatches;
  }
  return r;
}

}  // namespace testkit

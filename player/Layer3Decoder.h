// Layer III frame decoder of the playback thread: side information, bit
// reservoir, spectrum, stereo and hybrid synthesis, then the synthesis
// filters into the sink.
#pragma once

#include "BitReservoir.h"
#include "Layer3SideInfo.h"
#include "Layer3Spectrum.h"

class FrameReader;
class FrameHeader;
class PcmSink;
class SynthesisFilterBank;

class Layer3Decoder {
 public:
  // channelChoice: 0 both channels, 1 left only, 2 right only, 3 both mixed
  // into one. filter1 may be null when only one channel is output.
  Layer3Decoder(FrameReader* reader, FrameHeader* header,
                SynthesisFilterBank* filter0, SynthesisFilterBank* filter1,
                PcmSink* sink, int channelChoice);

  // Decodes the frame the reader holds (its header read, the reader just
  // past the header and check word). A frame whose main data did not
  // arrive gives no output.
  void DecodeFrame();
  // After a seek: empty reservoir, silent overlap.
  void Reset();

 private:
  void DecodeGranule(int gr);
  void Output(int ch, const float samples[18][32]);

  FrameReader* reader_;
  FrameHeader* header_;
  SynthesisFilterBank* filter_[2];
  PcmSink* sink_;
  int channelChoice_;

  Layer3SideInfo side_;
  Layer3Channel channel_[2];
  float overlap_[2][576];  // per channel 18 time slots of 32 subbands
  int64_t received_;  // main-data bytes put into the reservoir
  BitReservoir reservoir_;
};

// Decodes the frames of one stream, whatever their layer, into a sink: the
// per-frame step that the playback thread and whole-file decoding share.
#pragma once

#include <memory>

#include "FrameHeader.h"
#include "FrameReader.h"
#include "Layer3Decoder.h"
#include "PcmSink.h"
#include "SynthesisFilterBank.h"

class FrameDecoder {
 public:
  enum Result { kDecoded, kBadCheckWord, kFailed };

  // `header` is the one the reader fills for every frame. Mono output runs
  // through filter 0 only; a single-channel stream gives its one channel.
  FrameDecoder(FrameReader& reader, FrameHeader& header, PcmSink& sink, float scale, bool mono);
  ~FrameDecoder();
  FrameDecoder(const FrameDecoder&) = delete;
  FrameDecoder& operator=(const FrameDecoder&) = delete;

  // Decodes the frame the reader holds. A Layer III decoder is made at the
  // first Layer III frame and deleted when the layer changes away from III.
  // A Layer I/II frame whose check word does not match gives no output.
  Result Decode();
  // After a seek: both filters and the Layer III decoder start afresh.
  void Reset();

 private:
  FrameReader& reader_;
  FrameHeader& header_;
  PcmSink& sink_;
  int choice_;
  SynthesisFilterBank filter0_;
  std::unique_ptr<SynthesisFilterBank> filter1_;
  std::unique_ptr<Layer3Decoder> layer3_;
  int lastLayer_ = 0;
};

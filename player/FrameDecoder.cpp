#include "FrameDecoder.h"

#include "Layer12Decoder.h"
#include "Layer12Subband.h"

FrameDecoder::FrameDecoder(FrameReader& reader, FrameHeader& header, PcmSink& sink, float scale,
                           bool mono)
    : reader_(reader),
      header_(header),
      sink_(sink),
      choice_(header.IsSingleChannel() ? kLeftOnly : kBothChannels),
      filter0_(0, scale),
      filter1_(mono ? nullptr : new SynthesisFilterBank(1, scale)) {}

FrameDecoder::~FrameDecoder() = default;

FrameDecoder::Result FrameDecoder::Decode() {
  if (header_.layer != lastLayer_) {
    if (header_.layer == 3)
      layer3_.reset(new Layer3Decoder(&reader_, &header_, &filter0_, filter1_.get(), &sink_, choice_));
    else if (lastLayer_ == 3)
      layer3_.reset();
    lastLayer_ = header_.layer;
  }
  if (header_.layer == 3) {
    try {
      layer3_->DecodeFrame();
    } catch (...) {
      // A frame that cannot be decoded is dropped; the next one goes on.
      return kFailed;
    }
    return kDecoded;
  }
  return DecodeLayer12Frame(reader_, header_, choice_, filter0_, filter1_.get(), sink_)
             ? kDecoded
             : kBadCheckWord;
}

void FrameDecoder::Reset() {
  filter0_.Reset();
  if (filter1_) filter1_->Reset();
  if (layer3_) layer3_->Reset();
}

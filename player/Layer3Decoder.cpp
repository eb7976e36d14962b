#include "Layer3Decoder.h"

#include <algorithm>
#include <cstring>

#include "FrameReader.h"
#include "Layer3Hybrid.h"
#include "Layer3Stereo.h"
#include "PcmSink.h"
#include "SynthesisFilterBank.h"

Layer3Decoder::Layer3Decoder(FrameReader* reader, FrameHeader* header,
                             SynthesisFilterBank* filter0,
                             SynthesisFilterBank* filter1, PcmSink* sink,
                             int channelChoice)
    : reader_(reader),
      header_(header),
      filter_{filter0, filter1},
      sink_(sink),
      channelChoice_(channelChoice) {
  std::memset(&side_, 0, sizeof side_);
  std::memset(channel_, 0, sizeof channel_);
  Reset();
}

void Layer3Decoder::Reset() {
  std::memset(overlap_, 0, sizeof overlap_);
  reservoir_.Reset();
  received_ = 0;
}

void Layer3Decoder::DecodeFrame() {
  const bool mpeg1 = header_->version == 1;
  const int channels = header_->Channels();
  const int sideSize = Layer3SideInfoSize(mpeg1, channels);
  const int start = reader_->BitPosition() / 8;
  const int available = reader_->BodyLength() - start - sideSize;
  if (available < 0) return;  // a body too short for its side information
  const uint8_t* body = reader_->Body() + start;
  ParseLayer3SideInfo(body, mpeg1, channels, side_);

  const int mainSize = std::min(std::max(header_->mainDataSize, 0), available);
  // Where this frame's main data starts: main_data_begin bytes before the
  // data of this frame, counted from what the reservoir has received.
  const int64_t begin = received_ - side_.mainDataBegin;
  reservoir_.PutBytes(body + sideSize, mainSize);
  received_ += mainSize;

  // Round up to the byte the previous frame's data ended in.
  const int64_t used = (reservoir_.BitPosition() + 7) / 8;
  if (begin < used) {
    // The data lies before what was received or already used (after a
    // start or a seek): no output.
    reservoir_.SetBitPosition(used * 8);
    return;
  }
  reservoir_.SetBitPosition(begin * 8);

  const int granules = mpeg1 ? 2 : 1;
  for (int gr = 0; gr < granules; ++gr) DecodeGranule(gr);
  sink_->WriteBuffer();
}

void Layer3Decoder::DecodeGranule(int gr) {
  const bool mpeg1 = header_->version == 1;
  const int channels = header_->Channels();
  const bool joint = header_->mode == FrameHeader::kJointStereo;
  const int modeExt = joint ? header_->modeExtension : 0;
  const ScaleFactorBands& bands =
      kScaleFactorBands[header_->samplingRateIndex % 3 + (mpeg1 ? 3 : 0)];
  const int64_t dataEnd = reservoir_.BitsWritten();

  for (int ch = 0; ch < channels; ++ch) {
    Layer3GranuleInfo& g = side_.granule[gr][ch];
    Layer3Channel& c = channel_[ch];
    const int64_t begin = reservoir_.BitPosition();
    // A granule never reads past the data received.
    const int64_t end = std::min(begin + g.part23Length, dataEnd);
    if (mpeg1)
      ReadScaleFactorsMpeg1(reservoir_, g, side_.scfsi[ch], gr, c);
    else
      ReadScaleFactorsLsf(reservoir_, g, ch == 1 && (modeExt & 1), c);
    if (reservoir_.BitPosition() > end) {
      // Scale factors longer than the granule: nothing of it is usable.
      c.nonZero = 0;
      std::memset(c.codes, 0, sizeof c.codes);
      reservoir_.SetBitPosition(end);
    } else {
      DecodeSpectrum(reservoir_, g, bands, end, c);
    }
    Requantise(g, bands, c);
  }

  if (channels == 2 && modeExt)
    Layer3StereoProcess(mpeg1, modeExt, side_.granule[gr][1], bands, channel_);

  int first = 0, last = channels - 1;
  if (channels == 2) {
    if (channelChoice_ == 1 || channelChoice_ == 3) last = 0;
    if (channelChoice_ == 2) first = 1;
    if (channelChoice_ == 3) {
      float* l = channel_[0].xr;
      const float* r = channel_[1].xr;
      for (int i = 0; i < 576; ++i) l[i] = (l[i] + r[i]) * 0.5f;
      channel_[0].nonZero = std::max(channel_[0].nonZero, channel_[1].nonZero);
    }
  }

  float samples[18][32];
  for (int ch = first; ch <= last; ++ch) {
    const Layer3GranuleInfo& g = side_.granule[gr][ch];
    Layer3HybridSynthesis(g, bands, channel_[ch].xr, channel_[ch].nonZero,
                          overlap_[ch], samples);
    Output(ch, samples);
  }
}

void Layer3Decoder::Output(int ch, const float samples[18][32]) {
  SynthesisFilterBank* filter =
      ch == 1 && channelChoice_ != 2 ? filter_[1] : filter_[0];
  if (!filter) return;
  for (int t = 0; t < 18; ++t) filter->ComputePcm(samples[t], *sink_);
}

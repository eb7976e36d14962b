#include "FileDecoder.h"

#include <algorithm>

#include "FrameDecoder.h"
#include "FrameReader.h"

namespace {

// Interleaves each frame's samples when the frame is complete. The output
// is two channels from the first sample of channel 1 on, which a stream
// other than single channel gives in its first decoded frame.
class InterleavingSink : public PcmSink {
 public:
  explicit InterleavingSink(std::vector<int16_t>& out) : out_(out) {}
  void Append(int channel, int16_t sample) override {
    if (channel & 1) stereo_ = true;
    frame_[channel & 1].push_back(sample);
  }
  void AppendBlock(int channel, const int16_t* samples, int count) override {
    if (channel & 1) stereo_ = true;
    frame_[channel & 1].insert(frame_[channel & 1].end(), samples, samples + count);
  }
  void WriteBuffer() override {
    // A channel that came short (never in a well-formed stream) is padded
    // with silence so that the channels stay in step.
    const size_t n = std::max(frame_[0].size(), frame_[1].size());
    const int channels = stereo_ ? 2 : 1;
    for (int c = 0; c < channels; ++c) frame_[c].resize(n, 0);
    for (size_t i = 0; i < n; ++i)
      for (int c = 0; c < channels; ++c) out_.push_back(frame_[c][i]);
    Clear();
  }
  void Clear() override {
    frame_[0].clear();
    frame_[1].clear();
  }
  void SetStopped() override {}

 private:
  std::vector<int16_t>& out_;
  std::vector<int16_t> frame_[2];
  bool stereo_ = false;
};

}  // namespace

FileDecodeReport DecodeFile(const char* path, PcmSink& sink) {
  FileDecodeReport r;
  FrameReader reader(path);
  r.opened = reader.IsOpen();
  FrameHeader header;
  if (!r.opened || !reader.ReadHeader(header)) return r;
  r.first = header;
  r.rate = header.SamplingRate();
  r.channels = header.Channels();
  FrameDecoder decoder(reader, header, sink, 32768.0f, header.IsSingleChannel());
  do {
    ++r.frames;
    switch (decoder.Decode()) {
      case FrameDecoder::kDecoded: ++r.decoded; break;
      case FrameDecoder::kBadCheckWord: ++r.crcMismatches; break;
      case FrameDecoder::kFailed: ++r.failed; break;
    }
  } while (reader.ReadHeader(header));
  return r;
}

DecodedPcm DecodeFileToPcm(const char* path) {
  DecodedPcm out;
  InterleavingSink sink(out.samples);
  out.report = DecodeFile(path, sink);
  return out;
}

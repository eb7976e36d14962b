#include "Layer3TestSupport.h"

#include "FrameReader.h"
#include "Layer12Subband.h"
#include "Layer3Decoder.h"
#include "SynthesisFilterBank.h"

void DecodeLayer3File(const std::string& path, Layer3File& out) {
  FrameReader reader(path.c_str());
  FrameHeader header;
  if (!reader.IsOpen() || !reader.ReadHeader(header)) return;
  out.opened = true;
  out.channels = header.Channels();
  out.rate = header.SamplingRate();
  SynthesisFilterBank filter0(0, 32768.0f), filter1(1, 32768.0f);
  int choice = out.channels == 1 ? kLeftOnly : kBothChannels;
  Layer3Decoder decoder(&reader, &header, &filter0, out.channels == 2 ? &filter1 : nullptr,
                        &out.sink, choice);
  do {
    if (header.layer == 3) decoder.DecodeFrame();
    ++out.frames;
  } while (reader.ReadHeader(header));
}

testkit::Pcm ReadRawPcm(const std::string& path, int channels, int rate) {
  testkit::Pcm pcm;
  pcm.channels = channels;
  pcm.rate = rate;
  std::vector<uint8_t> bytes = testkit::ReadFile(path);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    pcm.samples.push_back(int16_t(bytes[i] | (bytes[i + 1] << 8)));
  return pcm;
}

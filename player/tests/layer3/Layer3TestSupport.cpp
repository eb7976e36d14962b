#include "Layer3TestSupport.h"

void DecodeLayer3File(const std::string& path, Layer3File& out) {
  FileDecodeReport r = DecodeFile(path.c_str(), out.sink);
  out.opened = r.frames > 0;
  out.channels = r.channels;
  out.rate = r.rate;
  out.frames = r.frames;
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

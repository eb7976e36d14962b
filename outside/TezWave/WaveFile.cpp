#include "WaveFile.h"

#include <cstring>

namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

bool ReadAll(const char* path, std::vector<uint8_t>& bytes) {
  FILE* file = fopen(path, "rb");
  if (!file) return false;
  uint8_t block[65536];
  size_t n;
  while ((n = fread(block, 1, sizeof block, file)) > 0) bytes.insert(bytes.end(), block, block + n);
  fclose(file);
  return true;
}

int16_t SampleAt(const uint8_t* data, uint32_t bits, uint32_t index) {
  if (bits == 8) return int16_t((int(data[index]) - 128) << 8);
  return int16_t(Le16(data + 2 * index));
}

}  // namespace

bool ReadWaveFile(const char* path, std::vector<int16_t>& frames, std::string& error) {
  frames.clear();
  std::vector<uint8_t> bytes;
  if (!path || !ReadAll(path, bytes)) {
    error = "File not found.";
    return false;
  }
  if (bytes.size() < 12 || memcmp(bytes.data(), "RIFF", 4) || memcmp(bytes.data() + 8, "WAVE", 4)) {
    error = "Not a wave file.";
    return false;
  }
  uint32_t channels = 0, rate = 0, bits = 0;
  const uint8_t* data = nullptr;
  uint32_t dataBytes = 0;
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const uint8_t* chunk = bytes.data() + at;
    uint32_t size = Le32(chunk + 4);
    if (size > bytes.size() - at - 8) {
      error = "Wave chunk runs past the end of the file.";
      return false;
    }
    if (!memcmp(chunk, "fmt ", 4)) {
      if (size < 16 || Le16(chunk + 8) != 1) {
        error = "Wave format is not PCM.";
        return false;
      }
      channels = Le16(chunk + 10);
      rate = Le32(chunk + 12);
      bits = Le16(chunk + 22);
    } else if (!memcmp(chunk, "data", 4)) {
      data = chunk + 8;
      dataBytes = size;
    }
    at += 8 + size + (size & 1);
  }
  if (!data || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) || rate < 1000 ||
      rate > 192000) {
    error = "Unsupported wave format.";
    return false;
  }
  const uint32_t sourceFrames = dataBytes / (channels * bits / 8);
  std::vector<int16_t> samples(size_t(sourceFrames) * channels);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = SampleAt(data, bits, uint32_t(i));
  ConvertToRecording(samples, channels, rate, frames);
  return true;
}

void ConvertToRecording(const std::vector<int16_t>& samples, uint32_t channels, uint32_t rate,
                        std::vector<int16_t>& frames) {
  frames.clear();
  if ((channels != 1 && channels != 2) || rate == 0) return;
  const uint64_t sourceFrames = samples.size() / channels;
  const uint64_t outFrames = sourceFrames * kWaveRate / rate;
  frames.resize(size_t(outFrames) * kWaveChannels);
  for (uint64_t i = 0; i < outFrames; ++i) {
    uint64_t source = i * rate / kWaveRate;
    if (source >= sourceFrames) source = sourceFrames - 1;
    const int16_t left = samples[size_t(source * channels)];
    frames[2 * i] = left;
    frames[2 * i + 1] = channels == 2 ? samples[size_t(source * channels + 1)] : left;
  }
}

bool CWaveWriter::Open(const char* path) {
  Close();
  m_file = path ? fopen(path, "wb") : nullptr;
  m_dataBytes = 0;
  m_failed = false;
  if (!m_file) return false;
  uint8_t header[44] = {};
  m_failed = fwrite(header, 1, sizeof header, m_file) != sizeof header;
  return !m_failed;
}

bool CWaveWriter::Append(const int16_t* samples, size_t frameCount) {
  if (!m_file) return false;
  if (frameCount == 0) return true;
  size_t bytes = frameCount * kWaveFrameBytes;
  if (fwrite(samples, 1, bytes, m_file) != bytes) m_failed = true;
  m_dataBytes += uint32_t(bytes);
  return !m_failed;
}

bool CWaveWriter::Close() {
  if (!m_file) return !m_failed;
  uint8_t h[44];
  memcpy(h, "RIFF", 4);
  PutLe32(h + 4, 36 + m_dataBytes);
  memcpy(h + 8, "WAVEfmt ", 8);
  PutLe32(h + 16, 16);
  PutLe16(h + 20, 1);
  PutLe16(h + 22, kWaveChannels);
  PutLe32(h + 24, kWaveRate);
  PutLe32(h + 28, kWaveRate * kWaveFrameBytes);
  PutLe16(h + 32, kWaveFrameBytes);
  PutLe16(h + 34, 16);
  memcpy(h + 36, "data", 4);
  PutLe32(h + 40, m_dataBytes);
  if (fseek(m_file, 0, SEEK_SET) || fwrite(h, 1, sizeof h, m_file) != sizeof h) m_failed = true;
  if (fclose(m_file)) m_failed = true;
  m_file = nullptr;
  return !m_failed;
}

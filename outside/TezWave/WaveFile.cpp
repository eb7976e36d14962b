#include "WaveFile.h"

#include <algorithm>
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

int16_t SampleAt(const uint8_t* data, uint32_t bits, uint32_t index) {
  if (bits == 8) return int16_t((int(data[index]) - 128) << 8);
  return int16_t(Le16(data + 2 * index));
}

}  // namespace

bool CWaveReader::Open(const char* path, std::string& error) {
  Close();
  m_file = path ? fopen(path, "rb") : nullptr;
  if (!m_file) {
    error = "File not found.";
    return false;
  }
  auto fail = [&](const char* reason) {
    error = reason;
    Close();
    return false;
  };
  _fseeki64(m_file, 0, SEEK_END);
  const int64_t fileSize = _ftelli64(m_file);
  uint8_t head[12];
  _fseeki64(m_file, 0, SEEK_SET);
  if (fileSize < 12 || fread(head, 1, 12, m_file) != 12 || memcmp(head, "RIFF", 4) ||
      memcmp(head + 8, "WAVE", 4))
    return fail("Not a wave file.");
  uint32_t channels = 0, rate = 0, bits = 0;
  int64_t data = -1;
  uint32_t dataBytes = 0;
  int64_t at = 12;
  while (at + 8 <= fileSize) {
    uint8_t chunk[24];
    _fseeki64(m_file, at, SEEK_SET);
    if (fread(chunk, 1, 8, m_file) != 8) return fail("Not a wave file.");
    const uint32_t size = Le32(chunk + 4);
    if (int64_t(size) > fileSize - at - 8) return fail("Wave chunk runs past the end of the file.");
    if (!memcmp(chunk, "fmt ", 4)) {
      if (size < 16 || fread(chunk + 8, 1, 16, m_file) != 16 || Le16(chunk + 8) != 1)
        return fail("Wave format is not PCM.");
      channels = Le16(chunk + 10);
      rate = Le32(chunk + 12);
      bits = Le16(chunk + 22);
    } else if (!memcmp(chunk, "data", 4)) {
      data = at + 8;
      dataBytes = size;
    }
    at += 8 + int64_t(size) + (size & 1);
  }
  if (data < 0 || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) || rate < 1000 ||
      rate > 192000 || !m_converter.Configure(channels, rate))
    return fail("Unsupported wave format.");
  m_channels = channels;
  m_bits = bits;
  m_dataFrames = m_framesLeft = dataBytes / (channels * bits / 8);
  _fseeki64(m_file, data, SEEK_SET);
  return true;
}

bool CWaveReader::Read(size_t sourceFrames, std::vector<int16_t>& out) {
  if (!m_file || m_framesLeft == 0 || sourceFrames == 0) return false;
  if (sourceFrames > m_framesLeft) sourceFrames = size_t(m_framesLeft);
  const size_t frameBytes = m_channels * m_bits / 8;
  m_block.resize(sourceFrames * frameBytes);
  const size_t got = fread(m_block.data(), 1, m_block.size(), m_file) / frameBytes;
  if (got == 0) {
    m_framesLeft = 0;
    return false;
  }
  m_framesLeft -= got;
  m_samples.resize(got * m_channels);
  for (size_t i = 0; i < m_samples.size(); ++i)
    m_samples[i] = SampleAt(m_block.data(), m_bits, uint32_t(i));
  const size_t before = out.size();
  m_converter.Push(m_samples.data(), got, out);
  if (m_framesLeft == 0) {  // as long as the whole file read at once
    const uint64_t extra = m_converter.Emitted() - TotalFrames();
    out.resize(out.size() - std::min(size_t(extra) * kWaveChannels, out.size() - before));
  }
  return true;
}

void CWaveReader::Close() {
  if (m_file) fclose(m_file);
  m_file = nullptr;
  m_framesLeft = 0;
}

bool ReadWaveFile(const char* path, std::vector<int16_t>& frames, std::string& error) {
  frames.clear();
  CWaveReader reader;
  if (!reader.Open(path, error)) return false;
  while (reader.Read(65536, frames)) {
  }
  return true;
}

bool CRecordingConverter::Configure(uint32_t channels, uint32_t rate) {
  const bool ok = (channels == 1 || channels == 2) && rate != 0;
  m_channels = ok ? channels : 0;
  m_rate = ok ? rate : 0;
  m_consumed = m_emitted = 0;
  return ok;
}

uint64_t CRecordingConverter::FramesFor(uint64_t sourceFrames) const {
  return m_rate ? sourceFrames * kWaveRate / m_rate : 0;
}

void CRecordingConverter::Push(const int16_t* samples, size_t sourceFrames,
                               std::vector<int16_t>& out) {
  if (!m_rate || sourceFrames == 0) return;
  const uint64_t end = m_consumed + sourceFrames;
  while (m_emitted * m_rate < end * kWaveRate) {
    const size_t source = size_t(m_emitted * m_rate / kWaveRate - m_consumed);
    const int16_t left = samples[source * m_channels];
    out.push_back(left);
    out.push_back(m_channels == 2 ? samples[source * 2 + 1] : left);
    ++m_emitted;
  }
  m_consumed = end;
}

void ConvertToRecording(const std::vector<int16_t>& samples, uint32_t channels, uint32_t rate,
                        std::vector<int16_t>& frames) {
  frames.clear();
  CRecordingConverter converter;
  if (!converter.Configure(channels, rate)) return;
  const size_t sourceFrames = samples.size() / channels;
  frames.reserve(size_t(converter.FramesFor(sourceFrames)) * kWaveChannels);
  converter.Push(samples.data(), sourceFrames, frames);
  frames.resize(size_t(converter.FramesFor(sourceFrames)) * kWaveChannels);
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

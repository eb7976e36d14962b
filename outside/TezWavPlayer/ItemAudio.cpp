#include "ItemAudio.h"

#include <windows.h>

#include <algorithm>

#include "FrameDecoder.h"
#include "FrameReader.h"
#include "UserMessage.h"
#include "WaveFile.h"

// Gives the next piece of the sound in the recording format.
class CItemAudio::Source {
 public:
  virtual ~Source() = default;
  // Appends the next piece to out; false at the end.
  virtual bool Next(std::vector<int16_t>& out) = 0;
  virtual uint64_t TotalFrames() const = 0;
};

namespace {

constexpr size_t kWaveBlockFrames = 16384;

std::string TypeOf(const std::string& path) {
  const size_t dot = path.find_last_of(".\\/");
  if (dot == std::string::npos || path[dot] != '.') return "";
  return path.substr(dot + 1);
}

bool StartsWithRiff(const std::string& path) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  char head[4] = {};
  DWORD got = 0;
  const bool riff = ReadFile(f, head, sizeof head, &got, nullptr) && got == sizeof head &&
                    head[0] == 'R' && head[1] == 'I' && head[2] == 'F' && head[3] == 'F';
  CloseHandle(f);
  return riff;
}

// By the extension; a fetched item's temporary file (another extension)
// by its first bytes.
bool IsMpegAudioFile(const std::string& path) {
  const std::string type = TypeOf(path);
  if (!_stricmp(type.c_str(), "mp3") || !_stricmp(type.c_str(), "mp2")) return true;
  if (!_stricmp(type.c_str(), "wav")) return false;
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES && !StartsWithRiff(path);
}

class WaveSource : public CItemAudio::Source {
 public:
  bool Open(const std::string& path, std::string& error) {
    return m_reader.Open(path.c_str(), error);
  }
  bool Next(std::vector<int16_t>& out) override { return m_reader.Read(kWaveBlockFrames, out); }
  uint64_t TotalFrames() const override { return m_reader.TotalFrames(); }

 private:
  CWaveReader m_reader;
};

// One MPEG frame at a time: the decoder's samples of a frame are
// interleaved when the frame is complete, then converted.
class MpegSource : public CItemAudio::Source, private PcmSink {
 public:
  explicit MpegSource(const std::string& path) : m_reader(path.c_str()) {}

  bool Open(std::string& error) {
    if (!m_reader.IsOpen()) {
      error = "File not found.";
      return false;
    }
    if (!m_reader.ReadHeader(m_header)) {
      error = "Not an MPEG audio file.";
      return false;
    }
    m_channels = m_header.Channels();
    if (!m_converter.Configure(uint32_t(m_channels), uint32_t(m_header.SamplingRate()))) {
      error = "Unsupported MPEG audio format.";
      return false;
    }
    m_total = m_converter.FramesFor(uint64_t(m_reader.FrameCount(m_header)) *
                                    uint64_t(m_header.SamplesPerFrame()));
    m_decoder.reset(new FrameDecoder(m_reader, m_header, *this, 32768.0f,
                                     m_header.IsSingleChannel()));
    m_more = true;
    return true;
  }

  bool Next(std::vector<int16_t>& out) override {
    if (!m_more) return false;
    m_out = &out;
    m_decoder->Decode();
    m_out = nullptr;
    m_more = m_reader.ReadHeader(m_header);
    return true;
  }
  uint64_t TotalFrames() const override { return m_total; }

 private:
  void Append(int channel, int16_t sample) override { m_frame[channel & 1].push_back(sample); }
  void AppendBlock(int channel, const int16_t* samples, int count) override {
    m_frame[channel & 1].insert(m_frame[channel & 1].end(), samples, samples + count);
  }
  void WriteBuffer() override {
    // A channel that came short is padded with silence to stay in step.
    const size_t n = std::max(m_frame[0].size(), m_frame[1].size());
    for (int c = 0; c < m_channels; ++c) m_frame[c].resize(n, 0);
    m_interleaved.resize(n * size_t(m_channels));
    for (size_t i = 0; i < n; ++i)
      for (int c = 0; c < m_channels; ++c) m_interleaved[i * size_t(m_channels) + c] = m_frame[c][i];
    if (m_out) m_converter.Push(m_interleaved.data(), n, *m_out);
    Clear();
  }
  void Clear() override {
    m_frame[0].clear();
    m_frame[1].clear();
  }
  void SetStopped() override {}

  FrameReader m_reader;
  FrameHeader m_header;
  std::unique_ptr<FrameDecoder> m_decoder;
  CRecordingConverter m_converter;
  int m_channels = 0;
  uint64_t m_total = 0;
  bool m_more = false;
  std::vector<int16_t> m_frame[2];
  std::vector<int16_t> m_interleaved;
  std::vector<int16_t>* m_out = nullptr;
};

std::unique_ptr<CItemAudio::Source> OpenMpeg(const std::string& path, std::string& error) {
  // The reader would ask the user about a file it cannot open: check first,
  // and keep its boxes off, a stand-in never waits on a user.
  SetUserMessagesEnabled(false);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    error = "File not found.";
    return nullptr;
  }
  std::unique_ptr<MpegSource> source(new MpegSource(path));
  const bool opened = source->Open(error);
  TakeUserMessages();
  if (!opened) return nullptr;
  return source;
}

}  // namespace

CItemAudio::CItemAudio() = default;
CItemAudio::~CItemAudio() = default;

bool CItemAudio::Open(const std::string& path, std::string& error) {
  Close();
  if (IsMpegAudioFile(path)) {
    m_source = OpenMpeg(path, error);
    if (!m_source) return false;
    // A stream of headers without any sound is no MPEG audio.
    while (m_pending.empty() && m_source->Next(m_pending)) {
    }
    if (m_pending.empty()) {
      Close();
      error = "Not an MPEG audio file.";
      return false;
    }
    return true;
  }
  std::unique_ptr<WaveSource> wave(new WaveSource());
  if (!wave->Open(path, error)) return false;
  m_source = std::move(wave);
  return true;
}

size_t CItemAudio::Read(size_t frames, std::vector<int16_t>& out) {
  const size_t want = frames * kWaveChannels;
  size_t given = 0;
  while (given < want && m_source) {
    if (m_pendingAt == m_pending.size()) {
      m_pending.clear();
      m_pendingAt = 0;
      if (!m_source->Next(m_pending)) break;
      continue;
    }
    const size_t n = std::min(want - given, m_pending.size() - m_pendingAt);
    out.insert(out.end(), m_pending.begin() + long(m_pendingAt),
               m_pending.begin() + long(m_pendingAt + n));
    m_pendingAt += n;
    given += n;
  }
  return given / kWaveChannels;
}

uint64_t CItemAudio::TotalFrames() const { return m_source ? m_source->TotalFrames() : 0; }

void CItemAudio::Close() {
  m_source.reset();
  m_pending.clear();
  m_pendingAt = 0;
}

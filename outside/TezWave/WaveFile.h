// PCM wave files. Everything recorded is kept in one format: 44100 Hz,
// 16-bit, stereo; files of other PCM formats are converted when read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr uint32_t kWaveRate = 44100;
constexpr uint32_t kWaveChannels = 2;
constexpr uint32_t kWaveFrameBytes = 4;

// Reads a PCM wave file (8 or 16 bits, mono or stereo, any rate) into
// interleaved stereo 16-bit frames at 44100 Hz. False with a reason for a
// missing file, a file that is not RIFF/WAVE, a format other than PCM or
// chunks that run past the end of the file.
bool ReadWaveFile(const char* path, std::vector<int16_t>& frames, std::string& error);

// Interleaved 16-bit samples of 1 or 2 channels at rate into the recording
// format; frames stays empty for another channel count or a rate of 0.
void ConvertToRecording(const std::vector<int16_t>& samples, uint32_t channels, uint32_t rate,
                        std::vector<int16_t>& frames);

// The same conversion piece by piece, for sound read as it plays: each
// recording frame takes the source frame at its own time.
class CRecordingConverter {
 public:
  // False (and nothing converted) for another channel count or a rate of 0.
  bool Configure(uint32_t channels, uint32_t rate);
  // Appends the recording frames that sourceFrames more source frames give.
  void Push(const int16_t* samples, size_t sourceFrames, std::vector<int16_t>& out);
  // Recording frames that sourceFrames give in all.
  uint64_t FramesFor(uint64_t sourceFrames) const;
  // Recording frames given out so far (the last source frame may give one
  // more than FramesFor counts).
  uint64_t Emitted() const { return m_emitted; }

 private:
  uint32_t m_channels = 0;
  uint32_t m_rate = 0;
  uint64_t m_consumed = 0;  // source frames pushed so far
  uint64_t m_emitted = 0;   // recording frames given out so far
};

// Reads a PCM wave file a block at a time, converted as ReadWaveFile does.
class CWaveReader {
 public:
  CWaveReader() = default;
  CWaveReader(const CWaveReader&) = delete;
  CWaveReader& operator=(const CWaveReader&) = delete;
  ~CWaveReader() { Close(); }

  // False with the reasons of ReadWaveFile.
  bool Open(const char* path, std::string& error);
  // Appends the recording frames of up to sourceFrames more frames of the
  // file; false at its end.
  bool Read(size_t sourceFrames, std::vector<int16_t>& out);
  // Recording frames of the whole file.
  uint64_t TotalFrames() const { return m_converter.FramesFor(m_dataFrames); }
  void Close();

 private:
  FILE* m_file = nullptr;
  uint32_t m_channels = 0;
  uint32_t m_bits = 0;
  uint64_t m_dataFrames = 0;
  uint64_t m_framesLeft = 0;
  CRecordingConverter m_converter;
  std::vector<uint8_t> m_block;
  std::vector<int16_t> m_samples;
};

// Writes frames (stereo, 16-bit, 44100 Hz) as a wave file; the header is
// made right when the file is closed.
class CWaveWriter {
 public:
  CWaveWriter() = default;
  CWaveWriter(const CWaveWriter&) = delete;
  CWaveWriter& operator=(const CWaveWriter&) = delete;
  ~CWaveWriter() { Close(); }

  bool Open(const char* path);
  bool Append(const int16_t* samples, size_t frameCount);
  bool Close();
  bool IsOpen() const { return m_file != nullptr; }

 private:
  FILE* m_file = nullptr;
  uint32_t m_dataBytes = 0;
  bool m_failed = false;
};

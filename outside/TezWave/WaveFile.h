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

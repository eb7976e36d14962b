#include "ItemAudio.h"

#include <windows.h>

#include "FileDecoder.h"
#include "UserMessage.h"
#include "WaveFile.h"

static bool IsMpegAudioFile(const std::string& path) {
  const size_t dot = path.find_last_of(".\\/");
  if (dot == std::string::npos || path[dot] != '.') return false;
  const std::string type = path.substr(dot + 1);
  return !_stricmp(type.c_str(), "mp3") || !_stricmp(type.c_str(), "mp2");
}

static bool ReadMpegFile(const std::string& path, std::vector<int16_t>& frames,
                         std::string& error) {
  frames.clear();
  // The decoder would ask the user about a file it cannot open: check first,
  // and keep its boxes off, a stand-in never waits on a user.
  SetUserMessagesEnabled(false);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    error = "File not found.";
    return false;
  }
  const DecodedPcm pcm = DecodeFileToPcm(path.c_str());
  TakeUserMessages();
  if (!pcm.report.opened) {
    error = "File not found.";
    return false;
  }
  if (pcm.report.frames == 0 || pcm.samples.empty()) {
    error = "Not an MPEG audio file.";
    return false;
  }
  ConvertToRecording(pcm.samples, uint32_t(pcm.report.channels), uint32_t(pcm.report.rate), frames);
  if (frames.empty()) {
    error = "Unsupported MPEG audio format.";
    return false;
  }
  return true;
}

bool ReadItemAudio(const std::string& path, std::vector<int16_t>& frames, std::string& error) {
  if (IsMpegAudioFile(path)) return ReadMpegFile(path, frames, error);
  return ReadWaveFile(path.c_str(), frames, error);
}

#include "ItemAudio.h"

#include <windows.h>

#include "FileDecoder.h"
#include "UserMessage.h"
#include "WaveFile.h"

static std::string TypeOf(const std::string& path) {
  const size_t dot = path.find_last_of(".\\/");
  if (dot == std::string::npos || path[dot] != '.') return "";
  return path.substr(dot + 1);
}

static bool StartsWithRiff(const std::string& path) {
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
static bool IsMpegAudioFile(const std::string& path) {
  const std::string type = TypeOf(path);
  if (!_stricmp(type.c_str(), "mp3") || !_stricmp(type.c_str(), "mp2")) return true;
  if (!_stricmp(type.c_str(), "wav")) return false;
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES && !StartsWithRiff(path);
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

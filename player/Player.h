// Interface of the player library Sonavel, shared by the library and its
// callers. GetPlayerObject returns the library's one player object.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "TezApi.h"

// Messages posted to the notify window.
enum : UINT {
  WM_PLAYER_NOTIFY = WM_USER + 11,  // wParam one of PLAYER_NOTIFY_*
  WM_PLAYER_FRAME = 0x5F18,         // wParam frame number
  WM_PLAYER_SEEKED = 0x5F1B,        // a seek was carried out
};

enum : WPARAM {
  PLAYER_NOTIFY_ENDED = 1035,
  PLAYER_NOTIFY_STOPPED = 1036,
  PLAYER_NOTIFY_STARTED = 1037,
  PLAYER_NOTIFY_SECONDS = 1038,  // lParam playing position in whole seconds
};

// Record returned by GetFileInfo; the texts are constant strings of the library.
struct PlayerFileInfo {
  int32_t durationSeconds;
  const char* version;       // "MPEG-1", "MPEG-2 LSF"
  const char* layer;         // "Layer I", "Layer II", "Layer III"
  const char* bitRate;       // "128 kbit/s", "free format", "forbidden"
  const char* samplingRate;  // "44.1 kHz", ...
  const char* mode;          // "Stereo", "Joint stereo", "Dual channel", "Single channel"
  uint32_t frames;
  int32_t padding;
  int32_t crcPresent;
  int32_t copyright;
  int32_t original;
  int32_t reserved;
};

// Slot 0 ends the object: a virtual destructor would take two slots under
// this compiler, so a deleting method stands in its place. The library's
// one player is never freed: Delete ends its playback and forgets the file.
class Player {
 public:
  virtual void Delete() = 0;
  virtual void Play() = 0;
  virtual int Open(const char* path, HWND notify, HWND trackbar) = 0;
  virtual void Stop() = 0;
  virtual void Pause() = 0;
  virtual void SkipForward() = 0;
  virtual void SkipBack() = 0;
  virtual int SeekToFrame(int frame) = 0;
  virtual int HoldTrackbar() = 0;
  virtual int SetVolume(unsigned right, unsigned left) = 0;
  virtual int GetDuration(const char* path) = 0;
  virtual PlayerFileInfo* GetFileInfo(const char* path) = 0;
  virtual int IsDeviceAvailable() = 0;
  virtual int OpenGrowing(const char* path, int expectedSize, HWND notify, HWND trackbar) = 0;

 protected:
  ~Player() = default;
};

extern "C" Player* TEZAPI GetPlayerObject();
typedef Player*(TEZAPI* GetPlayerObjectProc)();

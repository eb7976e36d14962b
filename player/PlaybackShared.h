// The record that the player object shares with its decoding thread. The
// seek and stop fields are written under `mutex`.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <stdint.h>

#include <memory>

#include "FrameHeader.h"
#include "FrameReader.h"

struct PlaybackShared {
  HWND notify = nullptr;
  HWND trackbar = nullptr;
  HANDLE mutex = nullptr;
  HANDLE running = nullptr;  // manual-reset event, reset while paused

  volatile uint8_t stopRequested = 0;
  volatile uint8_t ended = 0;  // the thread has finished by itself
  volatile uint8_t paused = 0;
  int seekTarget = 0;
  uint8_t seekRequested = 0;
  uint8_t trackbarFollowing = 1;

  std::unique_ptr<FrameReader> reader;
  std::unique_ptr<FrameHeader> header;  // null in growing mode until the thread reads one

  int mono = 0;
  int scaleFlag = 0;
  float scale = 32768.0f;
  int outputKind = 0;  // wave-out
  HWAVEOUT* waveOut = nullptr;
};

// The player object: prepares a file, runs one decoding thread per playback
// and carries the caller's requests to it through the shared record.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "FrameHeader.h"
#include "PlaybackShared.h"
#include "Player.h"

class StreamPlayer final : public Player {
 public:
  StreamPlayer();
  ~StreamPlayer();

  void Delete() override;
  void Play() override;
  int Open(const char* path, HWND notify, HWND trackbar) override;
  void Stop() override;
  void Pause() override;
  void SkipForward() override;
  void SkipBack() override;
  int SeekToFrame(int frame) override;
  int HoldTrackbar() override;
  int SetVolume(unsigned right, unsigned left) override;
  int GetDuration(const char* path) override;
  PlayerFileInfo* GetFileInfo(const char* path) override;
  int IsDeviceAvailable() override;
  int OpenGrowing(const char* path, int expectedSize, HWND notify, HWND trackbar) override;

  int TotalFrames() const { return total_; }
  int Step() const { return step_; }

 private:
  static const int kMaxPath = 1023;

  int OpenFile(const char* path, bool growing, int expectedSize, HWND notify, HWND trackbar);
  bool TakePath(const char* path);
  int Prepare();
  void ReleasePlayback();
  void Resume();
  void LockShared();
  void UnlockShared();
  void RequestSeek(int frame);
  int CurrentFrame();

  PlaybackShared shared_;
  FrameHeader header_;  // first header as read at preparation
  char path_[kMaxPath + 1] = {};
  bool growing_ = false;
  int expectedSize_ = 0;
  int total_ = 0;
  int step_ = 1;
  HWND trackbar_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  HWAVEOUT waveOut_ = nullptr;

  bool prepared_ = false;
  bool playing_ = false;
  bool paused_ = false;
  bool outputActive_ = false;
  bool seeking_ = false;
  HWND notify_ = nullptr;
};

#include "StreamPlayer.h"

#include <commctrl.h>
#include <string.h>

#include <string>

#include "DecodeThread.h"
#include "UserMessage.h"

StreamPlayer::StreamPlayer() { shared_.running = CreateEventA(nullptr, TRUE, TRUE, nullptr); }

StreamPlayer::~StreamPlayer() {
  ReleasePlayback();
  if (shared_.mutex) CloseHandle(shared_.mutex);
  CloseHandle(shared_.running);
}

void StreamPlayer::Delete() {
  Stop();
  prepared_ = false;
  path_[0] = 0;
  notify_ = nullptr;
  trackbar_ = nullptr;
  shared_.notify = nullptr;
  shared_.trackbar = nullptr;
}

bool StreamPlayer::TakePath(const char* path) {
  if (!path || strlen(path) > static_cast<size_t>(kMaxPath)) {
    path_[0] = 0;
    std::string text = std::string("Error opening file: ") + (path ? path : "");
    ShowUserMessage(nullptr, text.c_str(), "Invalid handle", MB_OK);
    return false;
  }
  strcpy(path_, path);
  return true;
}

int StreamPlayer::Prepare() {
  prepared_ = true;
  shared_.notify = notify_;
  if (shared_.mutex) CloseHandle(shared_.mutex);
  shared_.mutex = CreateMutexA(nullptr, FALSE, nullptr);  // one playback per process
  shared_.stopRequested = 0;
  shared_.ended = 0;
  shared_.seekRequested = 0;
  shared_.seekTarget = 0;

  shared_.reader.reset();
  shared_.header.reset();
  if (!path_[0]) {
    // no file
  } else if (growing_) {
    shared_.reader.reset(new FrameReader(path_, expectedSize_));
  } else {
    shared_.reader.reset(new FrameReader(path_));
    shared_.header.reset(new FrameHeader);
  }
  shared_.waveOut = &waveOut_;
  shared_.mono = 0;
  shared_.scaleFlag = 0;
  shared_.scale = 32768.0f;
  shared_.trackbar = trackbar_;
  shared_.trackbarFollowing = 1;
  shared_.outputKind = 0;
  if (growing_ && shared_.reader) return 1;

  if (!shared_.header || !shared_.reader->ReadHeader(*shared_.header)) {
    ShowUserMessage(notify_, "No header found!", "File format error", MB_OK | MB_ICONERROR);
    prepared_ = false;
    return 0;
  }
  header_ = *shared_.header;
  total_ = shared_.reader->TrackbarTotal(header_);
  step_ = total_ < 32 ? 1 : total_ / 32;
  if (trackbar_) {
    SendMessageA(trackbar_, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageA(trackbar_, TBM_SETRANGEMAX, FALSE, total_);
    SendMessageA(trackbar_, TBM_SETPOS, TRUE, 0);
    SendMessageA(trackbar_, TBM_SETTICFREQ, total_ / 16, 0);
    SendMessageA(trackbar_, TBM_SETLINESIZE, 0, step_);
  }
  return 1;
}

int StreamPlayer::Open(const char* path, HWND notify, HWND trackbar) {
  return OpenFile(path, false, 0, notify, trackbar);
}

int StreamPlayer::OpenGrowing(const char* path, int expectedSize, HWND notify, HWND trackbar) {
  return OpenFile(path, true, expectedSize, notify, trackbar);
}

int StreamPlayer::OpenFile(const char* path, bool growing, int expectedSize, HWND notify,
                           HWND trackbar) {
  Stop();
  growing_ = growing;
  expectedSize_ = expectedSize;
  trackbar_ = trackbar;
  int result = TakePath(path) ? Prepare() : 0;
  if (!path_[0]) prepared_ = false;
  notify_ = notify;
  shared_.notify = notify;
  return result;
}

void StreamPlayer::Resume() {
  outputActive_ = true;
  paused_ = false;
  shared_.paused = 0;
  if (waveOut_) waveOutRestart(waveOut_);
  SetEvent(shared_.running);
}

void StreamPlayer::Play() {
  if (!prepared_) return;
  if (paused_ && thread_ && !shared_.ended) {
    Resume();
  } else {
    Stop();
    Prepare();
    if (!prepared_) return;
    shared_.stopRequested = 0;
    shared_.seekRequested = 1;
    SetEvent(shared_.running);
    thread_ = CreateThread(nullptr, 0, DecodeThread, &shared_, 0, &threadId_);
    if (!thread_) return;
    SetThreadPriority(thread_, THREAD_PRIORITY_ABOVE_NORMAL);
    outputActive_ = true;
  }
  playing_ = true;
  if (notify_) PostMessageA(notify_, WM_PLAYER_NOTIFY, PLAYER_NOTIFY_STARTED, 0);
}

// Ends the decoding thread: a stop request that it takes at the next frame
// (or in a wait for the device), termination after 1000 ms.
void StreamPlayer::ReleasePlayback() {
  if (!thread_) return;
  SetThreadPriority(thread_, THREAD_PRIORITY_HIGHEST);
  if (paused_) {
    paused_ = false;
    shared_.paused = 0;
    if (waveOut_) {
      waveOutReset(waveOut_);
      waveOutRestart(waveOut_);
    }
  }
  SetEvent(shared_.running);
  // Raised before the mutex too, so that a thread waiting inside a seek for
  // a growing file gives up and lets go of the mutex.
  shared_.stopRequested = 1;
  WaitForSingleObject(shared_.mutex, INFINITE);
  if (shared_.ended) {
    ReleaseMutex(shared_.mutex);
  } else {
    shared_.stopRequested = 1;
    ReleaseMutex(shared_.mutex);
    if (WaitForSingleObject(thread_, 1000) != WAIT_OBJECT_0) {
      TerminateThread(thread_, 2);
      if (waveOut_) {
        waveOutReset(waveOut_);
        waveOutClose(waveOut_);
        waveOut_ = nullptr;
      }
    }
  }
  WaitForSingleObject(thread_, 1000);
  CloseHandle(thread_);
  thread_ = nullptr;
}

void StreamPlayer::Stop() {
  outputActive_ = false;
  seeking_ = false;
  ReleasePlayback();
  playing_ = false;
  paused_ = false;
  shared_.paused = 0;
  shared_.reader.reset();
  shared_.header.reset();
  if (trackbar_) {
    // Positions the thread posted before it ended must not move the thumb
    // after the stop.
    MSG stale;
    while (PeekMessageA(&stale, trackbar_, TBM_SETPOS, TBM_SETPOS, PM_REMOVE)) {
    }
    SendMessageA(trackbar_, TBM_SETPOS, TRUE, 0);
  }
  if (notify_) PostMessageA(notify_, WM_PLAYER_NOTIFY, PLAYER_NOTIFY_STOPPED, 0);
  if (shared_.mutex) {
    CloseHandle(shared_.mutex);
    shared_.mutex = nullptr;
  }
}

void StreamPlayer::Pause() {
  if (playing_) {
    playing_ = false;
    paused_ = true;
    if (prepared_) {
      shared_.paused = 1;
      ResetEvent(shared_.running);
      if (waveOut_) waveOutPause(waveOut_);
    } else if (MCIERROR error = mciSendStringA("pause sounder", nullptr, 0, nullptr)) {
      char text[256] = {};
      mciGetErrorStringA(error, text, sizeof text);
      ShowUserMessage(notify_, text, "Could not pause", MB_OK | MB_ICONWARNING);
    }
  } else if (paused_ && thread_) {
    Resume();
    playing_ = true;
  }
}

int StreamPlayer::CurrentFrame() {
  WaitForSingleObject(shared_.mutex, INFINITE);
  int n = shared_.reader->CurrentFrame();
  ReleaseMutex(shared_.mutex);
  return n;
}

void StreamPlayer::RequestSeek(int frame) {
  WaitForSingleObject(shared_.mutex, INFINITE);
  shared_.seekTarget = frame;
  shared_.seekRequested = 1;
  ReleaseMutex(shared_.mutex);
}

void StreamPlayer::SkipForward() {
  if (!shared_.reader || !shared_.mutex) return;
  int n = CurrentFrame();
  if (n + step_ >= total_) return;
  RequestSeek(n + step_);
}

void StreamPlayer::SkipBack() {
  if (!shared_.reader || !shared_.mutex) return;
  int n = CurrentFrame() - step_;
  RequestSeek(n < 0 ? 0 : n);
}

// A stopped player has no mutex (Stop closed it) and no thread to share with.
void StreamPlayer::LockShared() {
  if (shared_.mutex) WaitForSingleObject(shared_.mutex, INFINITE);
}

void StreamPlayer::UnlockShared() {
  if (shared_.mutex) ReleaseMutex(shared_.mutex);
}

int StreamPlayer::SeekToFrame(int frame) {
  if (!prepared_) return 0;
  if (frame < 0 || frame > total_) return total_;
  LockShared();
  shared_.seekTarget = frame;
  shared_.seekRequested = 1;
  shared_.trackbarFollowing = 1;
  UnlockShared();
  return 1;
}

int StreamPlayer::HoldTrackbar() {
  if (!prepared_) return 0;
  LockShared();
  shared_.trackbarFollowing = 0;
  UnlockShared();
  return 1;
}

int StreamPlayer::SetVolume(unsigned right, unsigned left) {
  if (!outputActive_ || !waveOut_) return 0;
  return waveOutSetVolume(waveOut_, (right << 16) + (left & 0xFFFF));
}

int StreamPlayer::GetDuration(const char* path) {
  if (growing_) return 0;
  FrameReader reader(path);
  FrameHeader header;
  if (!reader.ReadHeader(header)) {
    ShowUserMessage(notify_, "No header found!", "File format error", MB_OK | MB_ICONERROR);
    return 0;
  }
  return static_cast<int>(reader.FrameCount(header) * header.MsPerFrame() / 1000);
}

PlayerFileInfo* StreamPlayer::GetFileInfo(const char* path) {
  FrameReader reader(path);
  FrameHeader h;
  if (!reader.ReadHeader(h)) {
    ShowUserMessage(notify_, "Header is invalid or corrupt!", "File format error",
                    MB_OK | MB_ICONERROR);
    return nullptr;
  }
  PlayerFileInfo* info = new PlayerFileInfo;
  int frames = reader.FrameCount(h);
  info->durationSeconds = static_cast<int32_t>(frames * h.MsPerFrame() / 1000);
  info->version = h.VersionText();
  info->layer = h.LayerText();
  info->bitRate = h.BitRateText();
  info->samplingRate = h.SamplingRateText();
  info->mode = h.ModeText();
  info->frames = static_cast<uint32_t>(frames);
  info->padding = h.paddingBit;
  info->crcPresent = h.HasCrc() ? 1 : 0;
  info->copyright = h.copyright;
  info->original = h.original;
  info->reserved = 0;
  return info;
}

int StreamPlayer::IsDeviceAvailable() {
  WAVEFORMATEX f = {};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = 2;
  f.nSamplesPerSec = 16000;
  f.nAvgBytesPerSec = 64000;
  f.nBlockAlign = 4;
  f.wBitsPerSample = 16;
  HWAVEOUT device;
  if (waveOutOpen(&device, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL | WAVE_ALLOWSYNC) !=
      MMSYSERR_NOERROR)
    return 0;
  waveOutClose(device);
  return 1;
}

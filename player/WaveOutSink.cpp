#include "WaveOutSink.h"

#include <string.h>

#include "UserMessage.h"

namespace {

const DWORD kBufferWaitMs = 10000;

void CALLBACK WaveOutDone(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
  if (message == WOM_DONE || message == WOM_CLOSE)
    ReleaseSemaphore(reinterpret_cast<HANDLE>(instance), 1, nullptr);
}

}  // namespace

WaveOutSink::WaveOutSink(int channels, PlaybackShared* shared)
    : channels_(channels), shared_(shared) {
  for (int i = 0; i < 3; ++i) slot_[i] = &headers_[i];
}

WaveOutSink* WaveOutSink::Create(int channels, const FrameHeader& header,
                                 PlaybackShared* shared) {
  WaveOutSink* s = new WaveOutSink(channels, shared);
  s->bufferSize_ = channels * 2 * 32 * header.SamplesPerFrame();
  s->capacity_ = channels * 2 * 32 * 1152;
  WAVEFORMATEX& f = s->format_;
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = static_cast<WORD>(channels);
  f.nSamplesPerSec = header.SamplingRate();
  f.nAvgBytesPerSec = f.nSamplesPerSec * channels * 2;
  f.nBlockAlign = static_cast<WORD>(channels * 2);
  f.wBitsPerSample = 16;
  s->semaphore_ = CreateSemaphoreA(nullptr, 0, 1024, nullptr);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (attempt) Sleep(1000);
    if (waveOutOpen(&s->device_, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(&WaveOutDone),
                    reinterpret_cast<DWORD_PTR>(s->semaphore_),
                    CALLBACK_FUNCTION | WAVE_ALLOWSYNC) == MMSYSERR_NOERROR)
      break;
    s->device_ = nullptr;
  }
  if (!s->device_) {
    ShowUserMessage(shared->notify, "Could not open wave device.", "Audio playback error",
                    MB_OK | MB_ICONERROR);
    delete s;
    return nullptr;
  }
  if (shared->waveOut) *shared->waveOut = s->device_;
  for (WAVEHDR& h : s->headers_) {
    h.lpData = static_cast<LPSTR>(calloc(s->capacity_, 1));
    h.dwBufferLength = s->bufferSize_;
    h.dwUser = 0;
  }
  s->ResetPositions();
  return s;
}

WaveOutSink::~WaveOutSink() {
  if (device_) {
    if (stopped_ || shared_->stopRequested) {
      waveOutReset(device_);
    } else {
      if (primed_ == 1) Queue(slot_[0], slot_[0]->dwBufferLength);
      DWORD filled = Filled();
      if (frames_ > 0 || filled > 0) {
        DWORD length = filled > static_cast<DWORD>(bufferSize_) ? filled : bufferSize_;
        memset(slot_[2]->lpData + filled, 0, length - filled);
        Queue(slot_[2], length);
        Rotate();
      }
    }
    for (int i = 2; i >= 0; --i) WaitDone(slot_[i]);
    if (shared_->waveOut) *shared_->waveOut = nullptr;
    for (int tries = 0; tries < 40; ++tries) {
      if (waveOutClose(device_) != WAVERR_STILLPLAYING) break;
      waveOutReset(device_);
      Sleep(256);
    }
  }
  if (semaphore_) CloseHandle(semaphore_);
  for (WAVEHDR& h : headers_) free(h.lpData);
}

void WaveOutSink::ResetPositions() {
  for (int c = 0; c < 2; ++c) position_[c] = 2 * c;
}

DWORD WaveOutSink::Filled() const {
  int most = 0;
  for (int c = 0; c < channels_; ++c)
    if (position_[c] - 2 * c > most) most = position_[c] - 2 * c;
  return static_cast<DWORD>(most);
}

void WaveOutSink::Rotate() {
  WAVEHDR* third = slot_[2];
  slot_[2] = slot_[1];
  slot_[1] = slot_[0];
  slot_[0] = third;
}

void WaveOutSink::Queue(WAVEHDR* h, DWORD length) {
  h->dwBufferLength = length;
  h->dwFlags = 0;
  if (waveOutPrepareHeader(device_, h, sizeof *h) != MMSYSERR_NOERROR) return;
  h->dwUser = 1;
  if (waveOutWrite(device_, h, sizeof *h) != MMSYSERR_NOERROR) {
    waveOutUnprepareHeader(device_, h, sizeof *h);
    h->dwUser = 0;
  }
}

// Waits until the device has given the buffer back. A stop, or a device
// that keeps the buffer past the time limit (not counting pauses), is reset
// so that the buffer is never reused or freed while the device holds it.
void WaveOutSink::WaitDone(WAVEHDR* h) {
  if (!h->dwUser) return;
  volatile DWORD* flags = &h->dwFlags;
  DWORD waited = 0;
  bool reset = false;
  while (!(*flags & WHDR_DONE)) {
    if (!reset && (shared_->stopRequested || stopped_ || waited >= kBufferWaitMs)) {
      waveOutReset(device_);
      reset = true;
      waited = 0;
    } else if (reset && waited >= kBufferWaitMs) {
      break;
    }
    WaitForSingleObject(semaphore_, 50);
    if (!shared_->paused || reset) waited += 50;
  }
  waveOutUnprepareHeader(device_, h, sizeof *h);
  h->dwUser = 0;
}

void WaveOutSink::WriteBuffer() {
  if (++frames_ < 32) return;
  frames_ = 0;
  slot_[2]->dwBufferLength = Filled();
  if (primed_ == 0) {
    primed_ = 1;
    Rotate();
  } else if (primed_ == 1) {
    primed_ = 2;
    Queue(slot_[0], slot_[0]->dwBufferLength);
    Rotate();
    Queue(slot_[0], slot_[0]->dwBufferLength);
  } else {
    Queue(slot_[2], slot_[2]->dwBufferLength);
    Rotate();
    WaitDone(slot_[2]);
  }
  ResetPositions();
}

void WaveOutSink::Clear() {
  waveOutReset(device_);
  for (WAVEHDR& h : headers_) {
    WaitDone(&h);
    memset(h.lpData, 0, capacity_);
  }
  ResetPositions();
  frames_ = 0;
  primed_ = 0;
}

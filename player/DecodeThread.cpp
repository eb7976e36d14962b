#include "DecodeThread.h"

#include <commctrl.h>

#include <memory>

#include "FrameDecoder.h"
#include "Player.h"
#include "WaveOutSink.h"

namespace {

void PostNotify(PlaybackShared& s, UINT message, WPARAM w, LPARAM l) {
  if (s.notify) PostMessageA(s.notify, message, w, l);
}

void PostPosition(PlaybackShared& s, const FrameHeader& h, int frame) {
  PostNotify(s, WM_PLAYER_FRAME, frame, 0);
  if (s.trackbarFollowing && s.trackbar) PostMessageA(s.trackbar, TBM_SETPOS, TRUE, frame);
  PostNotify(s, WM_PLAYER_NOTIFY, PLAYER_NOTIFY_SECONDS,
               static_cast<LPARAM>(h.MsPerFrame() * frame * 0.001));
}

}  // namespace

DWORD WINAPI DecodeThread(LPVOID param) {
  PlaybackShared& s = *static_cast<PlaybackShared*>(param);
  FrameReader& reader = *s.reader;
  reader.SetCancelFlag(&s.stopRequested);
  if (!s.header) {
    s.header.reset(new FrameHeader);
    if (!reader.ReadHeader(*s.header)) {
      WaitForSingleObject(s.mutex, INFINITE);
      s.ended = 1;
      if (!s.stopRequested) PostNotify(s, WM_PLAYER_NOTIFY, PLAYER_NOTIFY_ENDED, 0);
      ReleaseMutex(s.mutex);
      return 0;
    }
  }
  FrameHeader& header = *s.header;
  bool mono = header.IsSingleChannel() || s.mono;
  std::unique_ptr<WaveOutSink> sink(WaveOutSink::Create(mono ? 1 : 2, header, &s));
  if (!sink) return 1;
  FrameDecoder decoder(reader, header, *sink, s.scale, mono);

  for (bool have = true; have;) {
    WaitForSingleObject(s.running, INFINITE);  // held here while paused
    WaitForSingleObject(s.mutex, INFINITE);
    if (s.stopRequested) {
      sink->SetStopped();
      sink.reset();
      ReleaseMutex(s.mutex);
      return 0;
    }
    bool seek = s.seekRequested != 0;
    int target = s.seekTarget;
    s.seekRequested = 0;
    if (seek) sink->Clear();
    else if (reader.CurrentFrame() % 16 == 0) PostPosition(s, header, reader.CurrentFrame());
    ReleaseMutex(s.mutex);

    if (seek) {
      // Outside the mutex: in a growing file the seek may wait for the
      // writer, and the caller's operations must not wait with it.
      // Past the last frame (the frame count is a guess) the file ends.
      if (!reader.SeekFrame(header, target)) break;
      decoder.Reset();
      WaitForSingleObject(s.mutex, INFINITE);
      bool stopping = s.stopRequested != 0;
      if (!stopping) {
        PostNotify(s, WM_PLAYER_SEEKED, 0, 0);
        PostPosition(s, header, reader.CurrentFrame());
      }
      ReleaseMutex(s.mutex);
      if (stopping) continue;
    }

    decoder.Decode();
    have = reader.ReadHeader(header);
  }

  WaitForSingleObject(s.mutex, INFINITE);
  if (!s.stopRequested) PostPosition(s, header, reader.CurrentFrame());
  ReleaseMutex(s.mutex);
  // Drained outside the mutex, so that a stop can still cut it short.
  if (s.stopRequested) sink->SetStopped();
  sink.reset();
  WaitForSingleObject(s.mutex, INFINITE);
  s.ended = 1;
  if (!s.stopRequested) PostNotify(s, WM_PLAYER_NOTIFY, PLAYER_NOTIFY_ENDED, 0);
  ReleaseMutex(s.mutex);
  return 0;
}

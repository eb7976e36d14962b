#include "DecodeThread.h"

#include <commctrl.h>

#include <memory>

#include "Layer12Decoder.h"
#include "Layer12Subband.h"
#include "Layer3Decoder.h"
#include "Player.h"
#include "SynthesisFilterBank.h"
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
  int choice = header.IsSingleChannel() ? kLeftOnly : kBothChannels;
  SynthesisFilterBank filter0(0, s.scale);
  std::unique_ptr<SynthesisFilterBank> filter1(mono ? nullptr : new SynthesisFilterBank(1, s.scale));
  std::unique_ptr<WaveOutSink> sink(WaveOutSink::Create(mono ? 1 : 2, header, &s));
  if (!sink) return 1;
  std::unique_ptr<Layer3Decoder> layer3;
  if (header.layer == 3)
    layer3.reset(new Layer3Decoder(&reader, &header, &filter0, filter1.get(), sink.get(), choice));
  int lastLayer = header.layer;

  bool have = true;
  while (have) {
    WaitForSingleObject(s.running, INFINITE);  // held here while paused
    WaitForSingleObject(s.mutex, INFINITE);
    if (s.stopRequested) {
      sink->SetStopped();
      sink.reset();
      ReleaseMutex(s.mutex);
      return 0;
    }
    if (s.seekRequested) {
      sink->Clear();
      if (!reader.SeekFrame(header, s.seekTarget)) {
        sink->SetStopped();
        sink.reset();
        ReleaseMutex(s.mutex);
        return 1;
      }
      s.seekRequested = 0;
      filter0.Reset();
      if (filter1) filter1->Reset();
      if (layer3) layer3->Reset();
      PostNotify(s, WM_PLAYER_SEEKED, 0, 0);
      PostPosition(s, header, reader.CurrentFrame());
    } else if (reader.CurrentFrame() % 16 == 0) {
      PostPosition(s, header, reader.CurrentFrame());
    }
    ReleaseMutex(s.mutex);

    if (header.layer != lastLayer) {
      if (header.layer == 3)
        layer3.reset(new Layer3Decoder(&reader, &header, &filter0, filter1.get(), sink.get(), choice));
      else if (lastLayer == 3)
        layer3.reset();
      lastLayer = header.layer;
    }
    if (header.layer == 3) {
      try {
        layer3->DecodeFrame();
      } catch (...) {
        // A frame that cannot be decoded is dropped; the next one goes on.
      }
    } else {
      DecodeLayer12Frame(reader, header, choice, filter0, filter1.get(), *sink);
    }
    have = reader.ReadHeader(header);
  }

  WaitForSingleObject(s.mutex, INFINITE);
  if (!s.stopRequested) PostPosition(s, header, reader.CurrentFrame());
  ReleaseMutex(s.mutex);
  // Drained outside the mutex, so that a stop can still cut it short.
  if (s.stopRequested) sink->SetStopped();
  layer3.reset();
  sink.reset();
  WaitForSingleObject(s.mutex, INFINITE);
  s.ended = 1;
  if (!s.stopRequested) PostNotify(s, WM_PLAYER_NOTIFY, PLAYER_NOTIFY_ENDED, 0);
  ReleaseMutex(s.mutex);
  return 0;
}

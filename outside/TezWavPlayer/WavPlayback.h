// One playback at a time of a wave or MPEG audio file, paced in real time
// (times the speed setting) by a thread timer of the host's thread: into a
// record wave file when the run records to files, else through wave-out.
// Reports by mail: start, status each second, stop; a file that cannot be
// played gives an error and then the stop, so the host never waits for ever.
// The sound is read as it plays: a few wave-out buffers, or the frames due
// at each tick, are all it holds.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ItemAudio.h"
#include "StandInLink.h"
#include "WaveFile.h"

class CDataItem;

class CWavPlayback {
 public:
  explicit CWavPlayback(CStandInLink& link) : m_link(link) {}
  ~CWavPlayback() { Finish(false); }

  // item may be null (a plain file of the run). 1 = accepted.
  int Start(const std::string& path, int recordToFile, const char* recordFile, CDataItem* item);
  // Ends a playback at once (what was played so far stays recorded).
  int Stop();
  int IsPlaying() const { return m_playing; }
  int PositionSeconds() const { return int(m_position / kWaveRate); }
  int TotalSeconds() const { return int(m_total / kWaveRate); }
  void SetSpeed(int speed) { m_speed = speed < 1 ? 1 : speed; }
  void SetReportInterval(int ms) { m_reportMs = ms < 100 ? 100 : ms; }
  int ReportInterval() const { return m_reportMs; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Tick();
  void Fail(const std::string& text);
  void Finish(bool report);
  bool OpenSpeaker();
  // Frames due by now at the speed setting.
  uint64_t FramesDue(DWORD now) const;
  // Writes the frames due by now into the record file; true at the end.
  bool WriteDue(DWORD now);
  // Hands the next block to each buffer the device is done with; true
  // once the sound has ended and the device played it all.
  bool FeedSpeaker();
  void CloseSpeaker();

  static constexpr int kSpeakerBuffers = 4;
  static constexpr size_t kSpeakerBufferFrames = kWaveRate / 4;
  static constexpr size_t kWriteBlockFrames = 32768;

  CStandInLink& m_link;
  CItemAudio m_audio;
  bool m_ended = false;    // the sound has no more frames
  uint64_t m_total = 0;    // frames of the whole item
  uint64_t m_position = 0;  // frames done
  uint64_t m_queued = 0;    // frames handed to wave-out
  int m_playing = 0;
  int m_speed = 1;
  int m_reportMs = 1000;
  DWORD m_startTick = 0;
  DWORD m_lastReport = 0;
  int32_t m_startTime = 0;
  CDataItem* m_item = nullptr;
  CWaveWriter m_writer;
  std::vector<int16_t> m_block;
  HWAVEOUT m_waveOut = nullptr;
  WAVEHDR m_headers[kSpeakerBuffers] = {};
  std::vector<int16_t> m_buffers[kSpeakerBuffers];
  UINT_PTR m_timer = 0;
};

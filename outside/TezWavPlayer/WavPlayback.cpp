#include "WavPlayback.h"

#include <algorithm>
#include <ctime>

#include "DataItem.h"

static CWavPlayback* g_timerOwner = nullptr;

int CWavPlayback::Start(const std::string& path, int recordToFile, const char* recordFile,
                        CDataItem* item) {
  Finish(false);
  m_item = item;
  m_position = m_queued = 0;
  m_ended = false;
  std::string error;
  m_link.SendEvent(TEZ_EVENT_START);
  if (!m_audio.Open(path, error)) {
    Fail(error + " [" + path + "]");
    return 1;
  }
  m_total = m_audio.TotalFrames();
  if (recordToFile && recordFile && *recordFile) {
    if (!m_writer.Open(recordFile)) {
      m_audio.Close();
      Fail(std::string("Cannot write the record file ") + recordFile);
      return 1;
    }
  } else if (!OpenSpeaker()) {
    m_audio.Close();
    Fail("Cannot open the wave-out device.");
    return 1;
  }
  m_playing = 1;
  m_startTick = m_lastReport = GetTickCount();
  m_startTime = int32_t(time(nullptr));
  g_timerOwner = this;
  m_timer = SetTimer(nullptr, 0, 50, OnTimer);
  return 1;
}

bool CWavPlayback::OpenSpeaker() {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kWaveChannels;
  format.nSamplesPerSec = kWaveRate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = kWaveFrameBytes;
  format.nAvgBytesPerSec = kWaveRate * kWaveFrameBytes;
  if (waveOutOpen(&m_waveOut, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    m_waveOut = nullptr;
    return false;
  }
  for (WAVEHDR& h : m_headers) h = WAVEHDR{};
  FeedSpeaker();
  if (!m_waveOut) return false;  // the device refused a buffer
  return true;
}

bool CWavPlayback::FeedSpeaker() {
  bool allDone = true;
  for (int i = 0; i < kSpeakerBuffers && m_waveOut; ++i) {
    WAVEHDR& h = m_headers[i];
    const bool inUse = (h.dwFlags & WHDR_PREPARED) != 0;
    if (inUse && !(h.dwFlags & WHDR_DONE)) {
      allDone = false;
      continue;
    }
    if (inUse) {
      waveOutUnprepareHeader(m_waveOut, &h, sizeof h);
      h = WAVEHDR{};
    }
    if (m_ended) continue;
    std::vector<int16_t>& buffer = m_buffers[i];
    buffer.clear();
    if (m_audio.Read(kSpeakerBufferFrames, buffer) < kSpeakerBufferFrames) m_ended = true;
    if (buffer.empty()) continue;
    h.lpData = reinterpret_cast<LPSTR>(buffer.data());
    h.dwBufferLength = DWORD(buffer.size() * sizeof(int16_t));
    if (waveOutPrepareHeader(m_waveOut, &h, sizeof h) != MMSYSERR_NOERROR ||
        waveOutWrite(m_waveOut, &h, sizeof h) != MMSYSERR_NOERROR) {
      CloseSpeaker();
      return true;
    }
    m_queued += buffer.size() / kWaveChannels;
    allDone = false;
  }
  return m_ended && allDone;
}

void CWavPlayback::CloseSpeaker() {
  if (!m_waveOut) return;
  waveOutReset(m_waveOut);
  for (WAVEHDR& h : m_headers) {
    if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(m_waveOut, &h, sizeof h);
    h = WAVEHDR{};
  }
  waveOutClose(m_waveOut);
  m_waveOut = nullptr;
}

uint64_t CWavPlayback::FramesDue(DWORD now) const {
  return uint64_t(now - m_startTick) * kWaveRate * uint64_t(m_speed) / 1000;
}

bool CWavPlayback::WriteDue(DWORD now) {
  const uint64_t due = FramesDue(now);
  while (!m_ended && m_position < due) {
    const size_t want = size_t(std::min<uint64_t>(due - m_position, kWriteBlockFrames));
    m_block.clear();
    const size_t got = m_audio.Read(want, m_block);
    if (got < want) m_ended = true;
    if (got) m_writer.Append(m_block.data(), got);
    m_position += got;
  }
  return m_ended;
}

void CALLBACK CWavPlayback::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_timerOwner) g_timerOwner->Tick();
}

void CWavPlayback::Tick() {
  if (!m_playing) return;
  const DWORD now = GetTickCount();
  bool done;
  if (m_writer.IsOpen()) {
    done = WriteDue(now);
  } else {
    // Paced by the clock as a record file is, whatever pace the device keeps.
    const bool played = FeedSpeaker();
    const uint64_t due = FramesDue(now);
    m_position = std::min(due, m_queued);
    done = played && due >= m_queued;
  }
  // The size of an MPEG item only estimates its length.
  if (m_ended && m_total < m_position) m_total = m_position;
  if (!done && now - m_lastReport >= DWORD(m_reportMs)) {
    m_lastReport = now;
    const int values[3] = {1, PositionSeconds(), TotalSeconds()};
    m_link.SendStatus(3, values, nullptr);
  }
  if (done) Finish(true);
}

int CWavPlayback::Stop() {
  if (!m_playing) return 0;
  Finish(true);
  return 1;
}

void CWavPlayback::Fail(const std::string& text) {
  if (m_item) {
    m_item->SetErrorHint(text.c_str(), 1);
    m_item->SetRecStatus(6);
  }
  m_link.SendError(text.c_str());
  m_item = nullptr;
  m_link.SendEvent(TEZ_EVENT_STOP);
}

void CWavPlayback::Finish(bool report) {
  if (m_timer) KillTimer(nullptr, m_timer);
  m_timer = 0;
  if (g_timerOwner == this) g_timerOwner = nullptr;
  CloseSpeaker();
  m_audio.Close();
  const bool wasPlaying = m_playing;
  m_playing = 0;
  bool written = m_writer.IsOpen() ? m_writer.Close() : true;
  if (!wasPlaying || !report) return;
  if (m_item) m_item->SetPlayTimes(m_startTime, int32_t(time(nullptr)), PositionSeconds());
  if (!written) {
    Fail("Failed to write the record file.");
    return;
  }
  m_item = nullptr;
  m_link.SendEvent(TEZ_EVENT_STOP);
}

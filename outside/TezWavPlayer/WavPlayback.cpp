#include "WavPlayback.h"

#include <ctime>

#include "DataItem.h"
#include "ItemAudio.h"

static CWavPlayback* g_timerOwner = nullptr;

int CWavPlayback::Start(const std::string& path, int recordToFile, const char* recordFile,
                        CDataItem* item) {
  Finish(false);
  m_item = item;
  m_position = 0;
  std::string error;
  m_link.SendEvent(TEZ_EVENT_START);
  if (!ReadItemAudio(path, m_frames, error)) {
    Fail(error + " [" + path + "]");
    return 1;
  }
  if (recordToFile && recordFile && *recordFile) {
    if (!m_writer.Open(recordFile)) {
      Fail(std::string("Cannot write the record file ") + recordFile);
      return 1;
    }
  } else if (!OpenSpeaker()) {
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
  m_header = {};
  m_header.lpData = reinterpret_cast<LPSTR>(m_frames.data());
  m_header.dwBufferLength = DWORD(m_frames.size() * sizeof(int16_t));
  if (m_header.dwBufferLength == 0) return true;
  if (waveOutPrepareHeader(m_waveOut, &m_header, sizeof m_header) != MMSYSERR_NOERROR ||
      waveOutWrite(m_waveOut, &m_header, sizeof m_header) != MMSYSERR_NOERROR) {
    waveOutClose(m_waveOut);
    m_waveOut = nullptr;
    return false;
  }
  return true;
}

void CALLBACK CWavPlayback::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_timerOwner) g_timerOwner->Tick();
}

void CWavPlayback::Tick() {
  if (!m_playing) return;
  const DWORD now = GetTickCount();
  const size_t total = m_frames.size() / kWaveChannels;
  size_t due = size_t(uint64_t(now - m_startTick) * kWaveRate * m_speed / 1000);
  if (due > total) due = total;
  if (m_writer.IsOpen() && due > m_position)
    m_writer.Append(&m_frames[m_position * kWaveChannels], due - m_position);
  m_position = due;
  bool done = m_position >= total;
  if (m_waveOut && m_header.dwBufferLength) done = done && (m_header.dwFlags & WHDR_DONE);
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
  if (m_waveOut) {
    waveOutReset(m_waveOut);
    if (m_header.dwBufferLength) waveOutUnprepareHeader(m_waveOut, &m_header, sizeof m_header);
    waveOutClose(m_waveOut);
    m_waveOut = nullptr;
  }
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

#include "MediaWrapper.h"

CMediaWrapper::CMediaWrapper(const char* path, const CStringList*, int load,
                             const CTezDllInitParams* params)
    : CDllWrapper(path) {
  if (load) Load();
  if (GetDllLoadState() && params) m_initResult = Initialize(params);
}

CMediaWrapper::~CMediaWrapper() {
  if (Ready() && m_close) m_close();
}

void CMediaWrapper::ResolveExports() {
  Bind(m_initialize1, "tezInitialize1");
  Bind(m_initialize2, "tezInitialize2");
  Bind(m_initialize3, "tezInitialize3");
  Bind(m_close, "tezClose");
  Bind(m_startRecord, "tezStartRecord");
  Bind(m_finishRecord, "tezFinishRecord");
  Bind(m_finishRecordWithWavs, "tezFinishRecordWithWavs");
  Bind(m_recordSection, "tezRecordSection");
  Bind(m_stop, "tezStop");
  Bind(m_speakers, "tezSpeakers");
  Bind(m_play, "tezPlay");
  Bind(m_pause, "tezPause");
  Bind(m_pauseWithWavs, "tezPauseWithWavs");
  Bind(m_resume, "tezResume");
  Bind(m_rewind, "tezRewind");
  Bind(m_ff, "tezFF");
  Bind(m_nextTrack, "tezNextTrack");
  Bind(m_erase, "tezErase");
  Bind(m_skip, "tezSkip");
  Bind(m_setDirection, "tezSetDirection");
  Bind(m_getVersion, "tezGetVersion");
  Bind(m_getState, "tezGetState");
  Bind(m_getReportInterval, "tezGetReportInterval");
  Bind(m_setReportInterval, "tezSetReportInterval");
}

int CMediaWrapper::Initialize(const CTezDllInitParams* params) {
  if (!Ready()) return 0;
  return InitializeLibrary(params, m_initialize3, m_initialize2, m_initialize1);
}

std::string WaveListText(const CStringList& wavs) {
  std::string text;
  for (const std::string& wav : wavs) {
    if (wav.empty()) continue;
    text += wav;
    text += '\0';
  }
  text += '\0';
  return text;
}

int CMediaWrapper::StartRecord(int record, int first) {
  return Ready() && m_startRecord ? m_startRecord(record, first) : 0;
}
int CMediaWrapper::FinishRecord(int finish) {
  return Ready() && m_finishRecord ? m_finishRecord(finish) : 0;
}
int CMediaWrapper::FinishRecordWithWavs(int finish, const CStringList& wavs) {
  return Ready() && m_finishRecordWithWavs
             ? m_finishRecordWithWavs(finish, WaveListText(wavs).c_str())
             : 0;
}
int CMediaWrapper::Stop() { return Ready() && m_stop ? m_stop() : 0; }
int CMediaWrapper::Pause() { return Ready() && m_pause ? m_pause() : 0; }
int CMediaWrapper::PauseWithWavs(const CStringList& wavs) {
  return Ready() && m_pauseWithWavs ? m_pauseWithWavs(WaveListText(wavs).c_str()) : 0;
}
int CMediaWrapper::Resume() { return Ready() && m_resume ? m_resume() : 0; }
int CMediaWrapper::GetVersion() { return Ready() && m_getVersion ? m_getVersion() : 0; }
int CMediaWrapper::GetState() { return Ready() && m_getState ? m_getState() : 0; }

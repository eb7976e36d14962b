// Wrapper of the media library of the selected media type: the device
// that records the run. Each call answers later by a media event mail.
#pragma once

#include "DllWrapper.h"
#include "TezDllInitParams.h"
#include "TezMediaApi.h"

class CMediaWrapper : public CDllWrapper {
 public:
  // disabledIds is not read.
  CMediaWrapper(const char* path, const CStringList* disabledIds, int load,
                const CTezDllInitParams* params);
  ~CMediaWrapper() override;
  void ResolveExports() override;

  int Initialize(const CTezDllInitParams* params);
  int StartRecord(int record, int first);
  int FinishRecord(int finish);
  int FinishRecordWithWavs(int finish, const CStringList& wavs);
  int Stop();
  int Pause();
  int PauseWithWavs(const CStringList& wavs);
  int Resume();
  int GetVersion();
  int GetState();

 private:
  tezInitialize1_t m_initialize1 = nullptr;
  tezInitialize2_t m_initialize2 = nullptr;
  tezInitialize3_t m_initialize3 = nullptr;
  tezClose_t m_close = nullptr;
  tezStartRecord_t m_startRecord = nullptr;
  tezFinishRecord_t m_finishRecord = nullptr;
  tezFinishRecordWithWavs_t m_finishRecordWithWavs = nullptr;
  tezRecordSection_t m_recordSection = nullptr;
  tezStop_t m_stop = nullptr;
  tezSpeakers_t m_speakers = nullptr;
  tezPlay_t m_play = nullptr;
  tezPause_t m_pause = nullptr;
  tezPauseWithWavs_t m_pauseWithWavs = nullptr;
  tezResume_t m_resume = nullptr;
  tezRewind_t m_rewind = nullptr;
  tezFF_t m_ff = nullptr;
  tezNextTrack_t m_nextTrack = nullptr;
  tezErase_t m_erase = nullptr;
  tezSkip_t m_skip = nullptr;
  tezSetDirection_t m_setDirection = nullptr;
  tezGetVersion_t m_getVersion = nullptr;
  tezGetState_t m_getState = nullptr;
  tezGetReportInterval_t m_getReportInterval = nullptr;
  tezSetReportInterval_t m_setReportInterval = nullptr;
};

// The names as one text of NUL-ended names closed by an empty name.
std::string WaveListText(const CStringList& wavs);

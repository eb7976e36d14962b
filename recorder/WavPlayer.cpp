#include "WavPlayer.h"

#include "LogOperator.h"

CWavPlayer::CWavPlayer(const char* path, const CStringList* disabledIds, int load,
                       const CTezDllInitParams* params)
    : CTezItemPlayer(path, disabledIds, load, params) {
  // The base constructor bound only its own entries.
  if (Ready()) ResolveExports();
}

void CWavPlayer::ResolveExports() {
  CTezItemPlayer::ResolveExports();
  Bind(m_playFile, "TezWavPlayer_PlayFile");
}

int CWavPlayer::PlayFile(const char* file, int recordToFile, const char* recordFile) {
  return Ready() && m_playFile ? m_playFile(file, recordToFile, recordFile) : 0;
}

CTezItemPlayer* MakeItemPlayer(const char* path, const CStringList* disabledIds, int load,
                               const CTezDllInitParams* params) {
  return new CWavPlayer(path, disabledIds, load, params);
}

CTezItemOperator* MakeItemOperator(const char* path, const CStringList* disabledIds, int load,
                                   const CTezDllInitParams* params) {
  CTezItemOperator probe(path, disabledIds, 0, params);
  if (probe.Supports("actlog")) return new CLogOperator(path, disabledIds, load, params);
  return new CTezItemOperator(path, disabledIds, load, params);
}

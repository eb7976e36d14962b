// Wrapper of the wav player: an item player with one more entry,
// TezWavPlayer_PlayFile, bound when the library has it.
#pragma once

#include "TezItemOperator.h"
#include "TezItemPlayer.h"
#include "TezMediaApi.h"

class CWavPlayer : public CTezItemPlayer {
 public:
  CWavPlayer(const char* path, const CStringList* disabledIds, int load,
             const CTezDllInitParams* params);
  void ResolveExports() override;

  int HasPlayFile() const { return m_playFile != nullptr; }
  // 0 when not loaded or the entry is missing.
  int PlayFile(const char* file, int recordToFile, const char* recordFile);

 private:
  TezWavPlayer_PlayFile_t m_playFile = nullptr;
};

// The wrapper kind a library file of an item-player list gets: the wav
// player kind for every player, since it behaves as a plain item player
// when the library lacks the wav entry.
CTezItemPlayer* MakeItemPlayer(const char* path, const CStringList* disabledIds, int load,
                               const CTezDllInitParams* params);
// The log-operator kind when the library's identifiers name the item log
// ("actlog"), else a plain item operator.
CTezItemOperator* MakeItemOperator(const char* path, const CStringList* disabledIds, int load,
                                   const CTezDllInitParams* params);

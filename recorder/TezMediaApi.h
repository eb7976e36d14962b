// Entries of a media library (tez*) that the Recorder calls. Lists of
// record files are texts of NUL-ended names, closed by an empty name.
#pragma once

#include <windows.h>

#include "TezApi.h"
#include "TezDllInitParams.h"

extern "C" {
typedef TezInitialize_t tezInitialize1_t;
typedef TezInitialize2_t tezInitialize2_t;
typedef TezInitialize3_t tezInitialize3_t;
typedef int(TEZAPI* tezClose_t)();
typedef int(TEZAPI* tezStartRecord_t)(int record, int first);
typedef int(TEZAPI* tezFinishRecord_t)(int finish);
typedef int(TEZAPI* tezFinishRecordWithWavs_t)(int finish, const char* wavList);
typedef int(TEZAPI* tezRecordSection_t)();
typedef int(TEZAPI* tezStop_t)();
typedef int(TEZAPI* tezSpeakers_t)(int on);
typedef int(TEZAPI* tezPlay_t)();
typedef int(TEZAPI* tezPause_t)();
typedef int(TEZAPI* tezPauseWithWavs_t)(const char* wavList);
typedef int(TEZAPI* tezResume_t)();
typedef int(TEZAPI* tezRewind_t)();
typedef int(TEZAPI* tezFF_t)();
typedef int(TEZAPI* tezNextTrack_t)();
typedef int(TEZAPI* tezErase_t)();
typedef int(TEZAPI* tezSkip_t)();
typedef int(TEZAPI* tezSetDirection_t)(int direction);
typedef int(TEZAPI* tezGetVersion_t)();
typedef int(TEZAPI* tezGetState_t)();
typedef int(TEZAPI* tezGetReportInterval_t)();
typedef int(TEZAPI* tezSetReportInterval_t)(int interval);
}

// The wav player's own entry: plays a wave file (into recordFile when
// recordToFile is set) and ends with a player stop event.
extern "C" typedef int(TEZAPI* TezWavPlayer_PlayFile_t)(const char* file, int recordToFile,
                                                        const char* recordFile);

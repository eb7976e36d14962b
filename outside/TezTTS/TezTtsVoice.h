// The voice record the speech library exchanges with its callers (308
// bytes, little-endian), and the library's entries.
#pragma once

#include <windows.h>

#include <cstdint>

#include "TezApi.h"

#pragma pack(push, 1)
struct TezTtsVoice {
  int32_t first;       // copied, not interpreted
  int32_t index;       // the voice's index in the program's list when stored
  char name[256];      // zero-terminated
  int16_t minPitch;
  int16_t maxPitch;    // below 0: no pitch control
  int16_t pitch;
  int16_t pad;
  int32_t minSpeed;
  int32_t maxSpeed;    // below 0: no speed control
  int32_t speed;
  int32_t extra1;      // copied, not interpreted
  int32_t extra2;      // copied, not interpreted
  int32_t kept;        // kept when a voice is read again
  int32_t defaultPitch;
  int32_t defaultSpeed;
  int32_t extra3;      // copied, not interpreted
};
#pragma pack(pop)
static_assert(sizeof(TezTtsVoice) == 308, "voice record is 308 bytes");

extern "C" {
typedef int(TEZAPI* TTtsInitialize1)(HWND parent);
typedef int(TEZAPI* TTtsClose)();
typedef int(TEZAPI* TTtsPlayString)(const char* text);
typedef int(TEZAPI* TTtsVoiceCall)(TezTtsVoice* voice);
typedef int(TEZAPI* TTtsIndexVoiceCall)(int index, TezTtsVoice* voice);
typedef int(TEZAPI* TTtsIntCall)(int value);
typedef int(TEZAPI* TTtsCount)();
}

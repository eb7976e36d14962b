// The decoding thread of a playback: reads frames, decodes them into the
// wave-out sink, carries out the seeks and stops that the player requests,
// and posts the playing position.
#pragma once

#include <windows.h>

#include "PlaybackShared.h"

// Thread routine; the parameter is the PlaybackShared of the player. Exit
// code 0 after a stop or at the end of the file (a seek past the last frame
// ends it too), 1 when the output cannot be opened.
DWORD WINAPI DecodeThread(LPVOID shared);

// Entry of Sonavel.dll: the library's one player object.
#include "Player.h"
#include "StreamPlayer.h"

namespace {
StreamPlayer player;
}

extern "C" Player* TEZAPI GetPlayerObject() { return &player; }

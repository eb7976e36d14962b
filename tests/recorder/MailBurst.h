// A burst of malformed mail written into a mailslot, as a faulty or
// hostile sender would: blocks of 0 to 400 bytes, records of the right
// size with random categories, codes, values and text lengths.
#pragma once

#include <windows.h>

// Writes count blocks into the mailslot (a full "\\.\mailslot\..." name).
// True when every block was written within ms; a reader that stops makes
// the writes wait, and the burst then fails.
bool SendMalformedBurst(const char* mailslot, int count, unsigned seed, DWORD ms);

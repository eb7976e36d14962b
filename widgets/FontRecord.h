// A font in stored form data: colour, height, name, pitch and style, in
// that order.
#pragma once

#include "Filer.h"
#include "Graphics.h"

void WriteFontRecord(TWriter& w, TFont& f);
// A pitch outside the known ones raises EReadError with badData.
void ReadFontRecord(TReader& r, TFont& f, const char* badData);

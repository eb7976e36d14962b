// Ini files on disk, shared between processes: every access holds a named
// mutex of the file, and a write replaces the file by a complete new one, so
// that neither a second writer nor a writer that dies halfway corrupts it.
#pragma once

#include <functional>
#include <string>

#include "IniText.h"

// Reads the file (a missing file reads as empty). False when it cannot be read.
bool ReadIniFile(const char* path, IniText* text);

// Loads the file under its lock, lets change() edit it, and writes it back
// when change() returns true. False when the file could not be read or written.
bool ChangeIniFile(const char* path, const std::function<bool(IniText&)>& change);

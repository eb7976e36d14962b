// The controller's trace file: time-stamped lines, the file restarted
// above a size limit, each line optionally copied to the trace mailslot.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// "%2d:%2.2d:%2.2d.%3.3d " of the time.
std::string TraceStamp(const SYSTEMTIME& time);
// Low 32 bits of the file's size as the directory lists it; 0 when absent.
int32_t GetFileSizeByName(const std::string& fileName);
// Raises EInOutError when the file cannot be written.
void WriteTrace(const std::string& fileName, const std::string& text, bool toMailslot,
                int32_t maxSize);

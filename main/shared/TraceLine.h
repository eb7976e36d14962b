// The trace call at the head of each window method of the main program.
#pragma once

#include <string>

// Writes nothing in the main program.
void TraceLine(const std::string& fileName, const std::string& text, bool toMailslot);

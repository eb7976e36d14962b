// The sound of a file the player plays, in the recording format: wave
// files through the wave reader, MPEG audio files (by their extension, or
// for a file of another extension by not being a wave file) through the
// decoder of the player library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// False with a reason when the file is missing or holds no playable sound.
bool ReadItemAudio(const std::string& path, std::vector<int16_t>& frames, std::string& error);

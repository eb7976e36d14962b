// Disk-space check before a run and the sweep of left-over temporary files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ChannelList.h"

// True when a run may start: the free space of the program's disk is
// unknown or at least minRecSpace megabytes; otherwise the status line
// shows "Not enough free disk space" for 10 seconds.
bool CheckFreeSpace(int32_t minRecSpace,
                    const std::function<void(const std::string&, int)>& showStatusLine);

// Deletes the "*.tzx" files of the temporary folder ([Folders] tempFolder
// of TezParam.inx in dir) that no item of any list names: neither the
// lists saved in the data folder nor the ones given (those in memory).
// Files in use stay. Returns the files deleted.
std::vector<std::string> SweepTempFolder(const std::string& dir,
                                         const std::vector<const TChannelList*>& inMemory);

// The update list that an installer leaves behind (TezUpdateList.inx):
// entries of programs to run once at the controller's start, each guarded
// by the installed version in the registry.
#pragma once

#include <functional>
#include <string>

// Works through the list in fileName (nothing when the file is missing):
// each active entry whose installed version is at least its compare
// version runs its command line, waiting up to its time-out, and is then
// marked done (active := 0) so that it does not run at the next start.
// trace receives one line per entry that runs or cannot be started.
// The settings store must be loaded.
void ProcessUpdateList(const std::string& fileName,
                       const std::function<void(const std::string&)>& trace);

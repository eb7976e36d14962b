#include "TempSweep.h"

#include <windows.h>

#include <memory>
#include <set>

#include "IniFiles2.h"
#include "Utils.h"

bool CheckFreeSpace(int32_t minRecSpace,
                    const std::function<void(const std::string&, int)>& showStatusLine) {
  int64_t free = FreeDiskSpaceMB();
  if (free < 0 || free >= minRecSpace) return true;
  if (showStatusLine) showStatusLine("Not enough free disk space", 10);
  return false;
}

namespace {
// A folder setting taken relative to dir, with its final "\".
std::string FolderOf(const std::string& dir, const std::string& value) {
  if (value.empty()) return "";
  std::string path = value.size() > 1 && value[1] == ':' ? value : dir + "\\" + value;
  char full[MAX_PATH] = {};
  DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) return "";
  std::string out = full;
  if (out.back() != '\\') out += '\\';
  return out;
}

std::string Upper(const std::string& s) {
  std::string u = s;
  CharUpperBuffA(&u[0], static_cast<DWORD>(u.size()));
  return u;
}

// Every temporary file that an item of the list names, upper-cased.
void Named(const TChannelList& list, std::set<std::string>& names) {
  std::vector<int> lists;
  for (int n = 1; n <= list.Count(); ++n) lists.push_back(n);
  for (int n : {TChannelList::DeletedList, TChannelList::PendingList, TChannelList::RejectedList})
    lists.push_back(n);
  for (int n : lists) {
    TContentSection* contents = list.GetContents(n);
    if (!contents) continue;
    for (int item = 1; item <= contents->Count(); ++item)
      for (int k = 1; k <= contents->TempFileCount(item); ++k)
        names.insert(Upper(contents->TempFileName(item, k)));
  }
}
}  // namespace

std::vector<std::string> SweepTempFolder(const std::string& dir,
                                         const std::vector<const TChannelList*>& inMemory) {
  std::vector<std::string> deleted;
  TIniFile param(dir + "\\TezParam.inx");
  std::string temp = FolderOf(dir, param.ReadString("Folders", "tempFolder", ""));
  if (temp.empty()) return deleted;
  std::vector<std::string> found;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((temp + "*.tzx").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return deleted;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(temp + fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  if (found.empty()) return deleted;

  std::set<std::string> named;
  for (const TChannelList* list : inMemory)
    if (list) Named(*list, named);
  std::string data = FolderOf(dir, param.ReadString("Folders", "dataFolder", ""));
  if (!data.empty() && IsFile(data + "TezData.inx")) {
    auto saved = std::make_unique<TChannelList>(data, "TezData.inx");
    Named(*saved, named);
    saved->doNotSave = 1;
  }
  for (const std::string& file : found) {
    if (named.count(Upper(file))) continue;
    if (DeleteFileA(file.c_str())) deleted.push_back(file);
  }
  return deleted;
}

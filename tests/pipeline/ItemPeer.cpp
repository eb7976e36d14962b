// Writes a known item record into section argv[2] of file argv[1] and
// exits 0 when the save succeeded.
#include <cstdlib>

#include "DataItem.h"
#include "IniManager.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  CIniManager ini("TezIniManager.dll", 1);
  if (!ini.GetDllLoadState()) return 3;
  CDataItem item;
  item.Init(atol(argv[2]), 2, "Talk", argv[1], "TezParam.inx", "tmp\\", 0, nullptr, nullptr,
            nullptr, "wav", 0, nullptr);
  if (!item.Load()) return 4;
  // With auto-save off nothing is written until Save.
  item.SetLocalFileName("C:\\talk.mp2", 0);
  item.SetDownloadTimes(100, 200, 3000);
  item.SetPlayTimes(210, 250, 40);
  item.SetRecStatus(6);
  item.SetPreview("talk.gif", "gif", 0);
  item.SetErrorHint("Unknown Internet protocol.", 0);
  item.SetDescription("A talk, with commas", 0);
  item.AddTempFile("tmp\\a.tzx");
  item.AddTempFile("tmp\\b.tzx");
  item.IncPlayableTempFiles();
  return item.Save() ? 0 : 5;
}

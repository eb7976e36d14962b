// The sweep of temporary files on real files (some in use) and the channel
// cleanup dialog on the test display.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "../forms/Pump.h"
#include "../forms/UserInput.h"
#include "ChannelCleanup.h"
#include "HalvornRun.h"
#include "IniFiles2.h"
#include "TempSweep.h"

namespace {

class Cleanup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IniManagerLoad());
    dir_ = GetCurrentDir();
    RemoveTree(dir_ + "\\prog");
    RemoveTree(dir_ + "\\Data");
    CreateDirectoryA("prog", nullptr);
    CreateDirectoryA("Data", nullptr);
    CreateDirectoryA("Data\\Temp", nullptr);
    prog_ = dir_ + "\\prog";
    temp_ = dir_ + "\\Data\\Temp\\";
    WriteText(prog_ + "\\TezParam.inx",
              "[Other]\r\ntempFolder=wrong\\\r\n"
              "[Folders]\r\ntempFolder=..\\Data\\Temp\\\r\ndataFolder=..\\Data\\\r\n");
    WriteText(dir_ + "\\Data\\TezData.inx",
              "[Data Types]\r\nnumberTypes=2\r\ntype1=News\r\ntype2=Music\r\n"
              "[News]\r\nname=News\r\n[Music]\r\nname=Music\r\nactive=0\r\n");
    CreateDirectoryA("Data\\News", nullptr);
    CreateDirectoryA("Data\\Music", nullptr);
    CreateDirectoryA("Data\\Pending", nullptr);
    for (const char* f : {"news.tzx", "inactive.tzx", "pending.tzx", "memory.tzx", "loose1.tzx",
                          "loose2.tzx", "busy.tzx", "keep.txt"})
      WriteText(temp_ + f, "x");
    WriteText(dir_ + "\\Data\\News\\News.inx", Items("news.tzx"));
    WriteText(dir_ + "\\Data\\Music\\Music.inx", Items("inactive.tzx"));
    WriteText(dir_ + "\\Data\\Pending\\Pending.inx", Items("pending.tzx"));
  }
  std::string Items(const std::string& tempFile) {
    return "[Entry List]\r\nnumberEntries=1\r\n[1]\r\nlink=http://h/x\r\nnumberTempFiles=1\r\n"
           "tempFile1=" + temp_ + tempFile + "\r\n";
  }
  std::string dir_, prog_, temp_;
};

}  // namespace

TEST_F(Cleanup, SweepDeletesOnlyTempFilesNoListNamesAndKeepsFilesInUse) {
  // A list in memory names a file the saved lists do not know yet.
  CreateDirectoryA("Mem", nullptr);
  WriteText(dir_ + "\\Mem\\TezData.inx", "[Data Types]\r\nnumberTypes=1\r\ntype1=Talk\r\n");
  CreateDirectoryA("Mem\\Talk", nullptr);
  WriteText(dir_ + "\\Mem\\Talk\\Talk.inx", Items("memory.tzx"));
  TChannelList memory(dir_ + "\\Mem\\", "TezData.inx");
  // A run holds this one open.
  HANDLE busy = CreateFileA((temp_ + "busy.tzx").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(busy, INVALID_HANDLE_VALUE);
  std::vector<std::string> deleted = SweepTempFolder(prog_, {&memory});
  CloseHandle(busy);
  EXPECT_EQ(deleted.size(), 2u);
  for (const char* f : {"loose1.tzx", "loose2.tzx"}) EXPECT_FALSE(FileExists(temp_ + f)) << f;
  for (const char* f : {"news.tzx", "inactive.tzx", "pending.tzx", "memory.tzx", "busy.tzx",
                        "keep.txt"})
    EXPECT_TRUE(FileExists(temp_ + f)) << f;
  // The sweep's own copy of the lists leaves their files as they were.
  EXPECT_EQ(ReadText(dir_ + "\\Data\\News\\News.inx"), Items("news.tzx"));

  // Without the folder settings nothing is swept.
  WriteText(temp_ + "loose3.tzx", "x");
  WriteText(prog_ + "\\TezParam.inx", "[Folders]\r\ndataFolder=..\\Data\\\r\n");
  EXPECT_TRUE(SweepTempFolder(prog_, {}).empty());
  EXPECT_TRUE(FileExists(temp_ + "loose3.tzx"));
}

TEST_F(Cleanup, FreeSpaceCheckStopsARunBelowTheMinimum) {
  std::string shown;
  auto status = [&](const std::string& text, int seconds) {
    shown = text + " " + std::to_string(seconds);
  };
  EXPECT_TRUE(CheckFreeSpace(0, status));
  EXPECT_EQ(shown, "");
  EXPECT_FALSE(CheckFreeSpace(0x7fffffff, status));
  EXPECT_EQ(shown, "Not enough free disk space 10");
}

namespace {
// What the user does in the dialog: entries clicked, then OK or Cancel.
struct DialogActions {
  std::vector<int> clicks;
  const char* button;
  std::string seenCaptions;
};
DialogActions* g_actions = nullptr;

// Runs inside the dialog's modal loop: notes each entry and its tick, then
// clicks the boxes of the entries named and the button, as the user does.
void CALLBACK DriveDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowA("TfrmChannelCleanup", "Brindale Cleanup");
  if (!dialog || !IsWindowVisible(dialog) || !g_actions) return;
  KillTimer(nullptr, id);
  HWND listWindow = FindControlByName(dialog, "ChannelsList");
  auto* list = dynamic_cast<TCheckListBox*>(TWinControl::FromHandle(listWindow));
  ASSERT_NE(list, nullptr);
  for (int i = 0; i < list->Items()->Count(); ++i)
    g_actions->seenCaptions += list->Items()->Strings(i) + (list->Checked(i) ? "*" : "") + "|";
  const int itemHeight = static_cast<int>(SendMessageA(listWindow, LB_GETITEMHEIGHT, 0, 0));
  for (int i : g_actions->clicks) {
    SendMessageA(listWindow, LB_SETTOPINDEX, i, 0);
    int top = static_cast<int>(SendMessageA(listWindow, LB_GETTOPINDEX, 0, 0));
    ClickAt(listWindow, 8, (i - top) * itemHeight + itemHeight / 2);
  }
  HWND button = FindControlByName(dialog, g_actions->button);
  RECT r;
  GetClientRect(button, &r);
  ClickAt(button, r.right / 2, r.bottom / 2);
}
}  // namespace

TEST_F(Cleanup, DialogEmptiesTheCheckedListsOnly) {
  {
    TChannelList list(dir_ + "\\Data\\", "TezData.inx");
    EXPECT_FALSE(RunCleanupDialog(nullptr, &list, true));  // refused while a run works
    EXPECT_EQ(list.GetContents(TChannelList::PendingList)->Count(), 1);
  }
  const int D = TChannelList::DeletedList, R = TChannelList::RejectedList,
            P = TChannelList::PendingList;
  struct Case {
    DialogActions actions;
    std::vector<int> emptied;
  } cases[] = {
      {{{}, "btnCancel", ""}, {}},
      {{{}, "btnOk", ""}, {D, R, P}},
      {{{0, 1}, "btnOk", ""}, {P}},        // only "Pending Items" left checked
      {{{0, 1, 2, 4}, "btnOk", ""}, {2}},  // the second channel only
  };
  for (Case& c : cases) {
    SetUp();
    TChannelList list(dir_ + "\\Data\\", "TezData.inx");
    for (int n : {D, R}) {
      TContentSection* contents = list.GetContents(n);
      contents->SetLink(contents->AddItem(), "http://h/d");
    }
    g_actions = &c.actions;
    SetTimer(nullptr, 0, 200, DriveDialog);
    EXPECT_TRUE(RunCleanupDialog(nullptr, &list, false));
    g_actions = nullptr;
    EXPECT_EQ(c.actions.seenCaptions,
              "Deleted Items*|Rejected Items*|Pending Items*|News|Music|");
    for (int n : {1, 2, D, R, P}) {
      bool emptied = std::find(c.emptied.begin(), c.emptied.end(), n) != c.emptied.end();
      EXPECT_EQ(list.GetContents(n)->Count(), emptied ? 0 : 1) << c.actions.button << " " << n;
    }
    // Emptied lists lose their files and are written at once.
    EXPECT_EQ(FileExists(temp_ + "pending.tzx"),
              std::find(c.emptied.begin(), c.emptied.end(), P) == c.emptied.end());
    EXPECT_EQ(TIniFile(dir_ + "\\Data\\Music\\Music.inx").ReadInteger("Entry List",
                                                                       "numberEntries", -1),
              std::find(c.emptied.begin(), c.emptied.end(), 2) == c.emptied.end() ? 1 : 0);
  }
}

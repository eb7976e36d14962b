// The item's temp files, its file walk, and a record passed between two
// processes through a real .inx file.
#include <gtest/gtest.h>

#include "DataItem.h"
#include "PipeTestSupport.h"

namespace {

class ItemFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(TestIni().GetDllLoadState()) << "TezIniManager.dll must lie beside the test";
    CreateDirectoryA("tmp", nullptr);
  }
  void Setup(CDataItem& item, const char* file, HWND window = nullptr) {
    item.Init(1, 1, "News", file, "TezParam.inx", "tmp\\", 0, window, nullptr, nullptr, "wav", 1,
              nullptr);
  }
  std::string Key(const char* file, const char* key) {
    return TestIni().GetString(file, "1", key);
  }
};

}  // namespace

TEST_F(ItemFiles, CursorWalksThePlayableTempFiles) {
  WriteTextFile("tmp\\one.tzx", "1");
  WriteTextFile("tmp\\two.tzx", "2");
  WriteTextFile("tmp\\three.tzx", "3");
  WriteTextFile("Walk.inx",
                "[1]\r\nnumberTempFiles=3\r\nnumberPlayableTempFiles=2\r\n"
                "tempFile1=tmp\\one.tzx\r\ntempFile2=tmp\\two.tzx\r\ntempFile3=tmp\\three.tzx\r\n");
  CDataItem item;
  Setup(item, "Walk.inx");
  ASSERT_EQ(item.Load(), 1);
  std::string name;
  ASSERT_EQ(item.GetFirstFile(name, 0), 1);
  EXPECT_EQ(name, "tmp\\two.tzx");
  ASSERT_EQ(item.GetNextFile(name, 1), 1);
  EXPECT_EQ(name.substr(name.size() - 14), "\\tmp\\three.tzx");
  EXPECT_EQ(name[1], ':');  // full path
  EXPECT_EQ(item.GetNextFile(name, 0), 0);

  // A playable file that has gone: "File not found." is written.
  DeleteFileA("tmp\\three.tzx");
  ASSERT_EQ(item.GetFirstFile(name, 0), 1);
  EXPECT_EQ(item.GetNextFile(name, 0), 0);
  EXPECT_EQ(Key("Walk.inx", "errorHint"), "File not found.");

  // More playable files than files: a corrupted item.
  WriteTextFile("Bad.inx",
                "[1]\r\nnumberTempFiles=1\r\nnumberPlayableTempFiles=2\r\ntempFile1=tmp\\one.tzx\r\n");
  CDataItem bad;
  Setup(bad, "Bad.inx");
  ASSERT_EQ(bad.Load(), 1);
  EXPECT_EQ(bad.GetFirstFile(name, 0), 0);
  EXPECT_EQ(Key("Bad.inx", "errorHint"), "Corrupted item.");
}

TEST_F(ItemFiles, FirstFileOfALinkOrALocalFile) {
  WriteTextFile("First.inx",
                "[1]\r\nlink=URL:Http://Host:81/Dir/Show.MP3\r\nlocalFileName=tmp\\none.mp3\r\n");
  CDataItem item;
  Setup(item, "First.inx");
  ASSERT_EQ(item.Load(), 1);
  std::string name;
  int isUrl = 0;
  CUrlParts parts;
  ASSERT_EQ(item.GetFirstFile(name, &isUrl, &parts, 1), 1);  // links get no file check
  EXPECT_EQ(name, "URL:Http://Host:81/Dir/Show.MP3");
  EXPECT_EQ(isUrl, 1);
  EXPECT_EQ(parts.scheme, "http");
  EXPECT_EQ(parts.port, "81");
  EXPECT_EQ(parts.path, "dir/show.mp3");

  DeleteFileA("tmp\\missing.mp3");  // left by an earlier run
  WriteTextFile("Local.inx", "[1]\r\nlocalFileName=tmp\\missing.mp3\r\n");
  CDataItem local;
  Setup(local, "Local.inx");
  ASSERT_EQ(local.Load(), 1);
  EXPECT_EQ(local.GetFirstFile(name, &isUrl, &parts, 0), 0);
  EXPECT_EQ(isUrl, 0);
  EXPECT_EQ(Key("Local.inx", "errorHint"), "File not found.");
  WriteTextFile("tmp\\missing.mp3", "now here");
  EXPECT_EQ(local.GetFirstFile(name, 0), 1);
  EXPECT_EQ(name, "tmp\\missing.mp3");
}

TEST_F(ItemFiles, NewTempFilesJoinTheListAndAreWritten) {
  WriteTextFile("Temp.inx", "[1]\r\nforeign=1\r\n");
  CDataItem item;
  Setup(item, "Temp.inx");
  ASSERT_EQ(item.Load(), 1);
  EXPECT_EQ(item.AddTempFile(nullptr), 0);  // nothing pending

  std::string first;
  ASSERT_EQ(item.GetNewTempFile(first, nullptr, 0, nullptr), 1);
  EXPECT_EQ(first.rfind("tmp\\tez", 0), 0u);
  EXPECT_EQ(first.substr(first.size() - 4), ".tzx");
  EXPECT_EQ(first.find_first_not_of("0123456789abcdef", 7), first.size() - 4);  // lower-case hex
  EXPECT_FALSE(FileExists(first));  // only a name
  // A new pending file deletes the one before.
  WriteTextFile(first, "partial download");
  std::string second;
  ASSERT_EQ(item.GetNewTempFile(second, "mp3", 1, nullptr), 1);
  EXPECT_FALSE(FileExists(first));
  EXPECT_EQ(second[1], ':');
  EXPECT_EQ(second.substr(second.size() - 4), ".mp3");
  WriteTextFile(second, "fetched");
  EXPECT_EQ(item.AddTempFile(nullptr), 1);
  item.IncPlayableTempFiles();
  EXPECT_EQ(item.AddTempFile("tmp\\given.wav"), 1);
  item.IncPlayableTempFiles();
  EXPECT_EQ(Key("Temp.inx", "numberTempFiles"), "2");
  EXPECT_EQ(Key("Temp.inx", "numberPlayableTempFiles"), "2");
  EXPECT_EQ(Key("Temp.inx", "tempFile1"), second);
  EXPECT_EQ(Key("Temp.inx", "tempFile2"), "tmp\\given.wav");

  // Removing a playable entry lowers the count and renumbers the keys.
  EXPECT_EQ(item.RemoveTempFile("tmp\\nothere.wav", 1), 0);
  EXPECT_EQ(item.RemoveTempFile(second.c_str(), 1), 1);
  EXPECT_FALSE(FileExists(second));
  EXPECT_EQ(item.GetNumberPlayableTempFiles(), 1);
  EXPECT_EQ(Key("Temp.inx", "numberTempFiles"), "1");
  EXPECT_EQ(Key("Temp.inx", "tempFile1"), "tmp\\given.wav");
  EXPECT_EQ(Key("Temp.inx", "tempFile2"), "");

  // The pending file is deleted with the item; listed files stay.
  std::string pending;
  {
    CDataItem owner;
    Setup(owner, "Temp.inx");
    ASSERT_EQ(owner.GetNewTempFile(pending, nullptr, 0, "tmp\\pending.tzx"), 1);
    EXPECT_EQ(pending, "tmp\\pending.tzx");
    WriteTextFile(pending, "x");
  }
  EXPECT_FALSE(FileExists(pending));

  WriteTextFile("tmp\\given.wav", "kept until cleared");
  item.ClearTempFiles(1);
  EXPECT_FALSE(FileExists("tmp\\given.wav"));
  EXPECT_TRUE(item.GetTempFiles().empty());
  EXPECT_EQ(Key("Temp.inx", "numberTempFiles"), "0");
  EXPECT_EQ(Key("Temp.inx", "numberPlayableTempFiles"), "0");
  EXPECT_EQ(Key("Temp.inx", "tempFile1"), "");
  EXPECT_EQ(Key("Temp.inx", "foreign"), "1");
}

TEST_F(ItemFiles, RecordWrittenByOneProcessIsReadByAnother) {
  // The main program's keys; the peer loads them, changes its own and saves.
  WriteTextFile("Shared.inx",
                "[7]\r\nwrittenByHost=yes\r\nrequestId=4711\r\nlink=ftp://host/talk.mp2\r\n"
                "type=speech\r\n");
  char command[] = "PipeItemPeer.exe Shared.inx 7";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  ASSERT_EQ(exitCode, 0u);

  CDataItem item;
  item.Init(7, 2, "Talk", "Shared.inx", "TezParam.inx", "tmp\\", 0, nullptr, nullptr, nullptr,
            "wav", 1, nullptr);
  ASSERT_EQ(item.Load(), 1);
  EXPECT_EQ(item.GetRequestId(), 4711);
  EXPECT_EQ(item.GetLink(), "ftp://host/talk.mp2");
  EXPECT_EQ(item.GetLocalFileName(), "C:\\talk.mp2");
  EXPECT_EQ(item.GetStartDownload(), 100);
  EXPECT_EQ(item.GetFinishPlay(), 250);
  EXPECT_EQ(item.GetRecStatus(), 6);
  EXPECT_EQ(item.GetType(), "speech");
  EXPECT_EQ(item.GetTempFiles(), (CStringList{"tmp\\a.tzx", "tmp\\b.tzx"}));
  EXPECT_EQ(item.GetNumberPlayableTempFiles(), 1);
  std::string text, type;
  EXPECT_EQ(item.GetPreview(text, type, 0), 1);
  EXPECT_EQ(text + "|" + type, "talk.gif|gif");
  item.GetErrorHint(text, 0);
  EXPECT_EQ(text, "Unknown Internet protocol.");
  EXPECT_EQ(item.GetDescription(), "A talk, with commas");
  EXPECT_EQ(TestIni().GetString("Shared.inx", "7", "writtenByHost"), std::string("yes"));
}

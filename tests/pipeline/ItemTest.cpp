// The item record in real .inx files through the settings store.
#include <gtest/gtest.h>

#include <cstdio>

#include "DataItem.h"
#include "PipeTestSupport.h"

namespace {

class Item : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(TestIni().GetDllLoadState()) << "TezIniManager.dll must lie beside the test";
    CreateDirectoryA("temp", nullptr);
  }

  // An item of section number in file, as the Recorder sets it up.
  void Setup(CDataItem& item, const char* file, long number, const char* channel = "News",
             HWND window = nullptr) {
    item.Init(number, 3, channel, file, "TezParam.inx", "temp\\", 0, window, nullptr, nullptr,
              "wav", 1, nullptr);
  }

  std::string Key(const char* file, const char* section, const char* key) {
    return TestIni().GetString(file, section, key);
  }
};

}  // namespace

TEST_F(Item, LoadAppliesTheReadRules) {
  WriteTextFile("Load.inx",
                "[1]\r\nrequestId=77\r\ncreationTime=1000\r\nlink=http://h/a.mp3\r\n"
                "startDownload=1\r\nfinishDownload=2\r\nlengthBytes=300\r\n"
                "localFileName=C:\\a.mp3\r\nstartPlay=4\r\nfinishPlay=5\r\nlengthSeconds=6\r\n"
                "itemStatus=0\r\ntype=\r\nfileCreatedByBrindale=1\r\nnumberTempFiles=2\r\n"
                "numberPlayableTempFiles=1\r\ntempFile1=t1\r\ntempFile2=t2\r\n"
                "previewFileName=p.gif\r\npreviewFileType=gif\r\nerrorHint=old\r\n"
                "description=Morning news\r\nselectedItem=1\r\nextension=MP3\r\n"
                "currentExtension=WAV\r\n"
                "[2]\r\nitemStatus=3\r\nrecStatus=6\r\ntype=speech\r\nrequestId=x12\r\n");
  CDataItem item;
  Setup(item, "Load.inx", 1);
  ASSERT_EQ(item.Load(), 1);
  EXPECT_EQ(item.GetRequestId(), 77);
  EXPECT_EQ(item.GetCreationTime(), 1000);
  EXPECT_EQ(item.GetLink(), "http://h/a.mp3");
  EXPECT_EQ(item.GetLengthBytes(), 300);
  EXPECT_EQ(item.GetLocalFileName(), "C:\\a.mp3");
  EXPECT_EQ(item.GetLengthSeconds(), 6);
  EXPECT_EQ(item.GetItemStatus(), 1);  // below 2 reads as 1
  EXPECT_EQ(item.GetRecStatus(), 1);   // missing reads as 1
  EXPECT_EQ(item.GetType(), "basic");
  EXPECT_EQ(item.GetFileCreatedByBrindale(), 1);
  EXPECT_EQ(item.GetTempFiles(), (CStringList{"t1", "t2"}));
  EXPECT_EQ(item.GetNumberPlayableTempFiles(), 1);
  EXPECT_EQ(item.GetDescription(), "Morning news");
  EXPECT_EQ(item.GetSelectedItem(), 1);
  std::string text, type;
  EXPECT_EQ(item.GetExtension(text), 1);
  EXPECT_EQ(text, "WAV");  // currentExtension first, as written
  EXPECT_EQ(item.GetPreview(text, type, 0), 1);
  EXPECT_EQ(text + "|" + type, "p.gif|gif");
  item.GetErrorHint(text, 0);
  EXPECT_EQ(text, "old");

  CDataItem second;
  Setup(second, "Load.inx", 2);
  ASSERT_EQ(second.Load(), 1);
  EXPECT_EQ(second.GetItemStatus(), 3);
  EXPECT_EQ(second.GetRecStatus(), 6);
  EXPECT_EQ(second.GetType(), "speech");
  EXPECT_EQ(second.GetRequestId(), 0);  // not a number
  EXPECT_EQ(second.GetExtension(text), 0);
  EXPECT_EQ(text, "");

  CDataItem extension;
  WriteTextFile("Ext.inx", "[1]\r\nextension=MP3\r\n");
  Setup(extension, "Ext.inx", 1);
  ASSERT_EQ(extension.Load(), 1);
  EXPECT_EQ(extension.GetExtension(text), 1);
  EXPECT_EQ(text, "mp3");

  // A missing file or an unnamed section loads nothing and changes nothing.
  CDataItem missing;
  Setup(missing, "NoSuchFile.inx", 1);
  EXPECT_EQ(missing.Load(), 0);
  EXPECT_EQ(missing.GetRequestId(), -1);
  CDataItem unnamed;
  EXPECT_EQ(unnamed.Load(), 0);
}

TEST_F(Item, OverlongValuesAreCutToTheBuffer) {
  std::string longText(600, 'd');
  WriteTextFile("Long.inx", "[1]\r\ndescription=" + longText + "\r\nlink=http://h/" +
                                longText + ".mp3\r\n");
  CDataItem item;
  Setup(item, "Long.inx", 1);
  ASSERT_EQ(item.Load(), 1);
  EXPECT_EQ(item.GetDescription(), longText.substr(0, 255));
  EXPECT_EQ(item.GetLink().size(), 255u);
}

TEST_F(Item, SaveWritesItsOwnKeysAndKeepsOthers) {
  WriteTextFile("Save.inx",
                "[4]\r\nforeignKey=kept\r\nselectedItem=1\r\nextension=ogg\r\n"
                "tempFile9=stale\r\n[5]\r\nrequestId=55\r\n");
  CDataItem item;
  Setup(item, "Save.inx", 4);
  ASSERT_EQ(item.Load(), 1);
  item.SetAutoSave(0);
  item.SetLocalFileName("song.mp3", 0);
  item.SetDescription("Evening, news", 0);
  item.SetDownloadTimes(10, 20, 30);
  item.SetRecStatus(3);
  EXPECT_EQ(Key("Save.inx", "4", "localFileName"), "");  // nothing written yet
  EXPECT_EQ(item.Save(), 1);

  struct Expected {
    const char* section;
    const char* key;
    const char* value;
  } expected[] = {
      {"4", "foreignKey", "kept"},  // keys of other programs stay
      {"4", "selectedItem", "1"},   // read-only keys are not written
      {"4", "extension", "ogg"},
      {"5", "requestId", "55"},
      {"4", "localFileName", "song.mp3"},
      {"4", "description", "Evening, news"},
      {"4", "lengthBytes", "30"},
      {"4", "recStatus", "3"},
      {"4", "itemStatus", "1"},
      {"4", "type", "basic"},
      {"4", "requestId", "0"},
      {"4", "startPlay", "0"},
      {"4", "numberTempFiles", "0"},
  };
  for (const Expected& e : expected)
    EXPECT_EQ(Key("Save.inx", e.section, e.key), e.value) << e.section << " " << e.key;

  // A store that cannot write reports the failure through the result.
  CDataItem unwritable;
  Setup(unwritable, "NoSuchFolder\\Save.inx", 1);
  EXPECT_EQ(unwritable.Save(), 0);
}

TEST_F(Item, SettersWriteAtOnceWithAutoSave) {
  WriteTextFile("Set.inx", "[1]\r\npreviewFileName=old.gif\r\npreviewFileType=gif\r\n");
  CDataItem item;
  Setup(item, "Set.inx", 1);
  ASSERT_EQ(item.Load(), 1);
  item.SetRecStatus(6);
  item.SetPlayTimes(1, 2, 3);
  item.SetErrorHint("Bad URL", 0);
  EXPECT_EQ(item.SetLocalFileName("x.mp3", 0), 1);
  EXPECT_EQ(Key("Set.inx", "1", "recStatus"), "6");
  EXPECT_EQ(Key("Set.inx", "1", "lengthSeconds"), "3");
  EXPECT_EQ(Key("Set.inx", "1", "errorHint"), "Bad URL");
  EXPECT_EQ(Key("Set.inx", "1", "localFileName"), "x.mp3");
  EXPECT_EQ(Key("Set.inx", "1", "fileCreatedByBrindale"), "0");

  // A preview needs both parts; with one missing both are removed.
  std::string file, type;
  item.SetPreview("new.gif", "", 1);
  EXPECT_EQ(item.GetPreview(file, type, 1), 0);
  EXPECT_EQ(ReadTextFile("Set.inx").find("previewFile"), std::string::npos);

  item.SetAutoSave(0);
  item.SetRecStatus(2);
  EXPECT_EQ(item.SetLocalFileName("y.mp3", 0), 0);
  EXPECT_EQ(item.SetCurrentExtension("ogg"), 1);  // always written
  EXPECT_EQ(Key("Set.inx", "1", "recStatus"), "6");
  EXPECT_EQ(Key("Set.inx", "1", "localFileName"), "x.mp3");
  EXPECT_EQ(Key("Set.inx", "1", "currentExtension"), "ogg");
  item.SetDescription("Written on request", 1);
  EXPECT_EQ(Key("Set.inx", "1", "description"), "Written on request");
}

TEST_F(Item, KeysWrittenOneByOneAreTracedToTheReportWindow) {
  WriteTextFile("Trace.inx", "[1]\r\nlink=http://host/a.mp3\r\n");
  CReportWindow window("PipelineTrace");
  CDataItem item;
  Setup(item, "Trace.inx", 1, "News", window.Handle());
  ASSERT_EQ(item.Load(), 1);
  item.SetRecStatus(6);
  item.SetErrorHint("Bad URL", 1);
  item.SetPlayTimes(1, 2, 3);
  EXPECT_EQ(window.TakeReports(),
            "\t\t Item : recStatus=6\n\t\t Item : errorHint=Bad URL\n"
            "\t\t Item : startPlay=1\n\t\t Item : finishPlay=2\n\t\t Item : lengthSeconds=3");
  // A whole save is not traced key by key.
  EXPECT_EQ(item.Save(), 1);
  EXPECT_EQ(window.TakeReports(), "");
}

TEST_F(Item, DisplayNameTable) {
  struct Case {
    long number;
    const char* keys;
    const char* channel;
    const char* expected;
  } cases[] = {
      {1, "description=Morning news\r\nlink=http://h/a.mp3\r\n", "News", "Morning news"},
      {2, "link=http://host/dir/show.mp3\r\nlocalFileName=c:\\a.mp3\r\n", "News", "show.mp3"},
      {3, "localFileName=C:\\music\\song.mp3\r\n", "News", "song.mp3"},
      {4, "localFileName=/song.mp3\r\n", "News", "/song.mp3"},  // separator at the start
      {12, "", "News", "News 12"},
      {13, "", "", "Brindale item 13"},
      {14, "description=a/b\r\n", "", "b"},
  };
  std::string text;
  for (const Case& c : cases)
    text += "[" + std::to_string(c.number) + "]\r\nforeign=1\r\n" + c.keys;
  WriteTextFile("Names.inx", text);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    CDataItem item;
    Setup(item, "Names.inx", c.number, c.channel);
    ASSERT_EQ(item.Load(), 1);
    std::string name;
    item.GetDisplayName(name);
    EXPECT_EQ(name, c.expected);
  }
}

TEST(ItemValues, JoinReplaceRemoveAndLogLine) {
  CReportWindow window("PipelineItemValues");
  CDataItem item;
  item.Init(1, 1, "", "", "", "", 0, window.Handle(), nullptr, nullptr, "", 0, nullptr);
  std::string value;
  EXPECT_EQ(item.GetValue("genre", value), 0);
  item.SetValue("genre", "jazz", 0);
  item.SetValue("genre", "blues", 0);
  EXPECT_EQ(item.GetValue("genre", value), 1);
  EXPECT_EQ(value, "jazz&blues");
  item.SetValue("genre", "rock", 1);
  EXPECT_EQ(item.GetValue("genre", value), 1);
  EXPECT_EQ(value, "rock");
  // "a" and "r" share bucket 12 (the later first), "b" is in 13.
  item.SetValue("b", "2", 1);
  item.SetValue("a", "1", 1);
  item.SetValue("r", "3", 1);
  item.RemoveValue("genre");
  EXPECT_EQ(item.GetValue("genre", value), 0);

  item.SetErrorHint("File not found.", 0);
  item.SetDownloadTimes(10, 20, 300);
  item.SetLocalFileName("c:\\a.mp3", 0);
  FILE* log = fopen("item.log", "wb+");
  ASSERT_NE(log, nullptr);
  fputs("head\r\n", log);
  fseek(log, 0, SEEK_SET);
  item.WriteLog(log, "user7", "cassette");
  fclose(log);
  EXPECT_EQ(ReadTextFile("item.log"),
            "head\r\nuser7,-1,-1,,10,20,300,c:\\a.mp3,-1,-1,-1,cassette,1,File not found.,"
            "r?3#a?1#b?2\r\n");

  // A file that cannot be written: reported, nothing else happens.
  FILE* readOnly = fopen("item.log", "rb");
  ASSERT_NE(readOnly, nullptr);
  item.WriteLog(readOnly, "user7", "cassette");
  fclose(readOnly);
  EXPECT_EQ(window.TakeReports().rfind("Log error : ", 0), 0u);
  item.WriteLog(nullptr, "user7", "cassette");
  EXPECT_EQ(window.TakeReports(), "");
}

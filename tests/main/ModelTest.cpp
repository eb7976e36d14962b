// The channel list, the channel item files and the options through the
// real settings store on real files.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ChannelList.h"
#include "ContentSection.h"
#include "DllManager.h"
#include "HalvornOptions.h"
#include "IniFiles2.h"
#include "TezMMBut.h"

namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Here() { return GetCurrentDir() + "\\"; }

// A file handle closed after a time, by a thread of its own.
struct Hold {
  HANDLE file;
  DWORD ms;
};

DWORD WINAPI CloseAfter(LPVOID p) {
  auto* h = static_cast<Hold*>(p);
  Sleep(h->ms);
  CloseHandle(h->file);
  return 0;
}

// The folder of the test program, where the built libraries lie.
std::string BinDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return ExtractFilePath(path);
}

// The colour of a solid picture of a library.
COLORREF PictureColour(const std::string& library, const char* name) {
  HMODULE module = LoadLibraryExA((BinDir() + library).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HBITMAP bitmap =
      static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  COLORREF c = CLR_INVALID;
  if (bitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    c = GetPixel(dc, 5, 5);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  if (module) FreeLibrary(module);
  return c;
}

class Model : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IniManagerLoad()) << "TezIniManager.dll must lie beside the test";
    system("rmdir /s /q data >nul 2>&1");
    CreateDirectoryA("data", nullptr);
    DeleteFileA("TezParam.inx");
  }
  std::string Data() { return Here() + "data\\"; }
  std::string Key(const std::string& file, const std::string& section, const std::string& key) {
    return TIniFile(file).ReadString(section, key, "<none>");
  }
};

}  // namespace

TEST_F(Model, ItemFileRoundTripKeepsForeignKeysAndRenumbers) {
  CreateDirectoryA("data\\News", nullptr);
  std::string longLink = "http://a/" + std::string(600, 'q') + ".mp3";
  WriteText("data\\News\\News.inx",
            "[Entry List]\r\nnumberEntries=3\r\nmaxIndex=17\r\n1=abc\r\n"
            "[abc]\r\nlink=http://a/1.mp3\r\nrecorderOnly=kept\r\ndescription=First\r\n"
            "longLink=" + longLink + "\r\n"
            "[2]\r\nlink=http://a/2.mp3\r\nrequestId=7\r\n"
            "[3]\r\nlocalFileName=x.wav\r\nfileCreatedByBrindale=1\r\n");
  {
    TContentSection items(Data(), "News", "News\\", "News.inx");
    ASSERT_EQ(items.Count(), 3);
    EXPECT_EQ(items.GetLink(1), "http://a/1.mp3");
    EXPECT_EQ(items.GetDisplayText(1), "First");
    EXPECT_EQ(items.GetDisplayText(2), "http://a/2.mp3");
    EXPECT_EQ(items.GetDisplayText(3), "No description for this item");
    EXPECT_EQ(items.GetItemStatus(2), 1);
    items.SetExtension(1, " .MP3 ");
    items.SetDescription(2, "Second");
    items.SetDescription(1, "");  // removes the key
    items.DeleteItem(3, false);
  }
  std::string f = Data() + "News\\News.inx";
  EXPECT_EQ(Key(f, "Entry List", "numberEntries"), "2");
  EXPECT_EQ(Key(f, "Entry List", "maxIndex"), "17");
  EXPECT_EQ(Key(f, "Entry List", "1"), "<none>");
  EXPECT_EQ(Key(f, "1", "recorderOnly"), "kept");
  EXPECT_NE(ReadText(f).find("longLink=" + longLink + "\r\n"), std::string::npos);
  EXPECT_EQ(Key(f, "1", "extension"), "MP3");
  EXPECT_EQ(Key(f, "1", "description"), "<none>");
  EXPECT_EQ(Key(f, "2", "requestId"), "7");
  EXPECT_EQ(Key(f, "2", "description"), "Second");
  EXPECT_EQ(Key(f, "abc", "link"), "<none>");
  EXPECT_EQ(Key(f, "3", "localFileName"), "<none>");
  EXPECT_EQ(GetFileAttributesA((f + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Model, DeleteKeepsOrderAndRemovesOnlyOwnFiles) {
  WriteText("data\\own.wav", "12345");
  WriteText("data\\foreign.wav", "123");
  WriteText("data\\t1.tzx", "1234567");
  CreateDirectoryA("data\\Del", nullptr);
  std::string text = "[Entry List]\r\nnumberEntries=5\r\n";
  for (int i = 1; i <= 5; ++i) text += Format("[%d]\r\ndescription=item%d\r\n", i, i);
  WriteText("data\\Del\\Del.inx", text);
  TContentSection items(Data(), "Del", "Del\\", "Del.inx");
  items.DeleteItem(2, true);
  ASSERT_EQ(items.Count(), 4);
  EXPECT_EQ(items.GetDescription(2), "item3");
  EXPECT_EQ(items.GetDescription(4), "item5");

  // Item 1 owns its local file; item 2's local file belongs to the user,
  // but its temporary file goes.
  items.SetItemFrom(1, [&] {
    TStringList l;
    l.Add("localFileName=" + Data() + "own.wav");
    l.Add("fileCreatedByBrindale=1");
    return l;
  }());
  TStringList lines;
  lines.Add("localFileName=" + Data() + "foreign.wav");
  lines.Add("numberTempFiles=1");
  lines.Add("tempFile1=" + Data() + "t1.tzx");
  items.SetItemFrom(2, lines);
  EXPECT_EQ(items.StoredSize(), 5 + 7);
  items.DeleteItem(2, true);
  items.DeleteItem(1, true);
  EXPECT_FALSE(FileExists("data\\own.wav"));
  EXPECT_TRUE(FileExists("data\\foreign.wav"));
  EXPECT_FALSE(FileExists("data\\t1.tzx"));
  items.Save();
  EXPECT_EQ(Key(Data() + "Del\\Del.inx", "Entry List", "numberEntries"), "2");
  EXPECT_EQ(Key(Data() + "Del\\Del.inx", "2", "description"), "item5");
}

TEST_F(Model, OversizedListIsCutAndFullListRefusesItems) {
  CreateDirectoryA("data\\Big", nullptr);
  std::string text = "[Entry List]\r\nnumberEntries=500\r\n";
  for (int i = 1; i <= 80; ++i) text += Format("[%d]\r\nlink=l%d\r\n", i, i);
  WriteText("data\\Big\\Big.inx", text);
  TContentSection items(Data(), "Big", "Big\\", "Big.inx");
  EXPECT_EQ(items.Count(), TContentSection::MaxItems);
  EXPECT_EQ(items.GetLink(75), "l75");
  EXPECT_EQ(items.AddItem(), 0);
  EXPECT_EQ(items.GetLink(76), "");
  items.SetLink(76, "ignored");  // no item, no effect
  items.DeleteItem(1, false);
  EXPECT_EQ(items.AddItem(), 75);
}

TEST_F(Model, FailedSaveLeavesTheOldFileWhole) {
  CreateDirectoryA("data\\Keep", nullptr);
  std::string original = "[Entry List]\r\nnumberEntries=1\r\n[1]\r\nlink=http://old\r\n";
  WriteText("data\\Keep\\Keep.inx", original);
  // A folder where the new file would go makes every write fail.
  CreateDirectoryA("data\\Keep\\Keep.inx.new", nullptr);
  {
    TContentSection items(Data(), "Keep", "Keep\\", "Keep.inx");
    items.SetLink(1, "http://new");
    EXPECT_THROW(items.Save(), Exception);
  }  // and once more when freed, silently
  EXPECT_EQ(ReadText("data\\Keep\\Keep.inx"), original);
}

// A reader of another program holds the file without letting it be
// replaced: a short hold delays the save, a long one refuses it.
TEST_F(Model, SaveWaitsForAReaderOfTheFile) {
  CreateDirectoryA("data\\Held", nullptr);
  std::string original = "[Entry List]\r\nnumberEntries=1\r\n[1]\r\nlink=http://old\r\n";
  struct Case {
    DWORD holdMs;
    bool saved;
  } cases[] = {{150, true}, {3000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.holdMs);
    WriteText("data\\Held\\Held.inx", original);
    TContentSection items(Data(), "Held", "Held\\", "Held.inx");
    items.SetLink(1, "http://new");
    HANDLE reader = CreateFileA("data\\Held\\Held.inx", GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    Hold hold{reader, c.holdMs};
    HANDLE closer = CreateThread(nullptr, 0, CloseAfter, &hold, 0, nullptr);
    bool threw = false;
    try {
      items.Save();
    } catch (const Exception&) {
      threw = true;
    }
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    EXPECT_EQ(threw, !c.saved);
    EXPECT_EQ(Key(Data() + "Held\\Held.inx", "1", "link"), c.saved ? "http://new" : "http://old");
    EXPECT_FALSE(FileExists(Data() + "Held\\Held.inx.new"));
    items.doNotSave = 1;
  }
}

TEST_F(Model, RecordAndPlayStatusOfStoredFormats) {
  WriteText("TezParam.inx", "[Extensions]\r\nmp3=Music,x,1\r\nhtml=Doc,x,0\r\n");
  WriteText("data\\have.mp3", "x");
  CreateDirectoryA("data\\S", nullptr);
  WriteText("data\\S\\S.inx",
            "[Entry List]\r\nnumberEntries=4\r\n"
            "[1]\r\nextension=mp3\r\nrecStatus=4\r\nlocalFileName=" + Data() + "have.mp3\r\n"
            "[2]\r\nextension=mp3\r\nrecStatus=4\r\nlocalFileName=" + Data() + "gone.mp3\r\n"
            "[3]\r\nextension=html\r\nrecStatus=4\r\nlocalFileName=" + Data() + "gone.mp3\r\n"
            "[4]\r\nextension=html\r\ncurrentExtension=mp3\r\nrecStatus=1\r\n");
  TContentSection items(Data(), "S", "S\\", "S.inx");
  struct Case { int n, record, play; } cases[] = {
      {1, 9, 1000}, {2, 13, 1004}, {3, 4, 4}, {4, 10, 10}, {9, 1, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(items.GetRecordStatus(c.n), c.record) << c.n;
    EXPECT_EQ(items.GetPlayStatus(c.n), c.play) << c.n;
  }
}

TEST_F(Model, ChannelListDefaultsOrderAndSpecialLists) {
  WriteText("data\\TezData.inx",
            "[Data Types]\r\nnumberTypes=3\r\ndefaultChannel=News\r\n"
            "type1=News\r\ntype2=Music\r\nDeleted=Trash\r\n"
            "[News]\r\nname=World News\r\nactive=0\r\nbutBitmap=NEWS\r\nforeign=keep\r\n"
            "[Music]\r\nworkingDir=Tunes\\\r\niniFile=t.inx\r\n");
  WriteText("data\\type3.inx", "");
  {
    TChannelList list(Data(), "TezData.inx");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.DefaultChannel(), "News");
    EXPECT_EQ(list.GetSection(3), "type3");  // no key: the key itself
    EXPECT_EQ(list.GetName(2), "Music");
    EXPECT_EQ(list.ActiveCount(), 2);
    EXPECT_EQ(list.IndexOfName("world news"), 1);
    EXPECT_EQ(list.IndexOfSection("MUSIC"), 2);
    EXPECT_EQ(list.IndexOfName("deleted"), -1);
    EXPECT_EQ(list.IndexOfName("Deleted"), 40);
    EXPECT_EQ(list.IndexOfSection("Rejected"), 42);
    EXPECT_EQ(list.GetContents(40)->GetSection(), "Trash");
    EXPECT_EQ(list.GetContents(7), nullptr);
    EXPECT_EQ(list.GetActive(21), 0);
    EXPECT_EQ(list.GetName(-1), "");
    EXPECT_EQ(list.GetContents(2)->FilePath(), Data() + "Tunes\\t.inx");
    EXPECT_TRUE(GetFileAttributesA("data\\type3") & FILE_ATTRIBUTE_DIRECTORY);
    list.GetContents(41)->SetLink(list.GetContents(41)->AddItem(), "http://pending");
    list.Exchange(1, 3);
    list.Exchange(1, 4);  // beyond the count: nothing
    list.SetActive(1, 0);  // now type3's section
  }
  std::string f = Data() + "TezData.inx";
  EXPECT_EQ(Key(f, "Data Types", "type1"), "type3");
  EXPECT_EQ(Key(f, "Data Types", "type3"), "News");
  EXPECT_EQ(Key(f, "Data Types", "numberTypes"), "3");
  EXPECT_EQ(Key(f, "News", "foreign"), "keep");
  EXPECT_EQ(Key(f, "type3", "active"), "0");
  EXPECT_EQ(Key(f, "type3", "workingDir"), "type3\\");
  EXPECT_EQ(Key(f, "type3", "iniFile"), "type3.inx");
  EXPECT_EQ(Key(Data() + "Pending\\Pending.inx", "1", "link"), "http://pending");
  EXPECT_EQ(Key(Data() + "Trash\\Trash.inx", "Entry List", "numberEntries"), "0");
}

TEST_F(Model, ChannelCountIsBoundedAndDoNotSaveKeepsItemFiles) {
  std::string text = "[Data Types]\r\nnumberTypes=99\r\n";
  WriteText("data\\TezData.inx", text);
  CreateDirectoryA("data\\type1", nullptr);
  std::string items = "[Entry List]\r\nnumberEntries=1\r\n[1]\r\nlink=x\r\n";
  WriteText("data\\type1\\type1.inx", items);
  {
    TChannelList list(Data(), "TezData.inx");
    EXPECT_EQ(list.Count(), 20);
    EXPECT_EQ(list.GetSection(20), "type20");
    EXPECT_EQ(list.GetSection(21), "");
    list.GetContents(1)->SetLink(1, "changed");
    list.ReloadChannel(1);  // drops the change
    EXPECT_EQ(list.GetContents(1)->GetLink(1), "x");
    list.GetContents(1)->SetLink(1, "changed again");
    list.doNotSave = 1;
  }
  EXPECT_EQ(ReadText("data\\type1\\type1.inx"), items);
}

TEST_F(Model, ChannelLibrariesAreBoundAndAsked) {
  WriteText("data\\TezData.inx",
            "[Data Types]\r\nnumberTypes=2\r\ntype1=Free\r\ntype2=Locked\r\n"
            "[Free]\r\nconfigDll=ChannelConfig.dll\r\nbutBitmapDll=ChannelButtons.dll\r\n"
            "[Locked]\r\nconfigDll=ChannelConfig.dll\r\nlocked=1\r\n");
  CreateDirectoryA("data\\Free", nullptr);
  CreateDirectoryA("data\\Locked", nullptr);
  for (const char* dir : {"data\\Free\\", "data\\Locked\\"}) {
    for (const char* dll : {"ChannelConfig.dll", "ChannelButtons.dll"})
      CopyFileA((BinDir() + dll).c_str(), (std::string(dir) + dll).c_str(), FALSE);
  }
  TChannelList list(Data(), "TezData.inx");
  ASSERT_NE(list.Channel(1)->configLibrary, nullptr);
  // The button pictures of a channel come from its own library.
  TTezMMBut button(nullptr);
  list.Channel(1)->butBitmap = "MUSIC";
  list.LoadButtonBitmaps(1, &button);
  ASSERT_FALSE(button.PicNormal()->Empty());
  EXPECT_EQ(button.PicNormal()->Width(), 71);
  EXPECT_EQ(ColorToRGB(button.PicPushed()->Canvas()->Pixels(5, 5)),
            PictureColour("ChannelButtons.dll", "MUSIC2_BMP"));
  TTezMMBut none(nullptr);
  list.LoadButtonBitmaps(2, &none);  // no library: nothing
  EXPECT_TRUE(none.PicNormal()->Empty());
  ASSERT_NE(list.Channel(1)->bitmapLibrary, nullptr);
  EXPECT_EQ(list.Channel(2)->bitmapLibrary, nullptr);
  HWND parent = CreateWindowA("STATIC", "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr);
  EXPECT_TRUE(list.ShowConfiguration(2, parent, nullptr));
  EXPECT_NE(GetWindow(parent, GW_CHILD), nullptr);  // the library's page
  list.SetActive(2, 0);  // the library refuses for a locked channel
  EXPECT_EQ(list.GetActive(2), 1);
  EXPECT_EQ(Key(Data() + "TezData.inx", "Locked", "active"), "<none>");
  EXPECT_TRUE(list.CloseConfiguration(2, 4));
  EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
  EXPECT_FALSE(list.ShowConfiguration(5, parent, nullptr));
  EXPECT_TRUE(list.CloseConfiguration(5, 4));
  DestroyWindow(parent);
}

TEST_F(Model, LibraryCacheLoadsEachNameOnce) {
  TTezDllManager cache;
  HMODULE a = cache.GetModule("ChannelConfig.dll");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(cache.GetModule("CHANNELCONFIG.DLL"), a);
  EXPECT_EQ(cache.GetModule("NoSuchLibrary.dll"), nullptr);
  EXPECT_EQ(cache.Count(), 1);
}

TEST_F(Model, OptionsLoadBoundsAndSaveRules) {
  WriteText("data\\TezData.inx", "[Data Types]\r\n");
  WriteText("TezParam.inx",
            "[Folders]\r\ndataFolder=data\r\nwavFolder=wavs\\\r\n"
            "[MediaTypes]\r\ncount=2\r\nrecor001=Disk\r\nrecor002=Dev\r\nselectedMediaType=Dev\r\n"
            "[Dev]\r\nmediaLength=-5\r\nmediaUsingComPort=1\r\nmediaComPort=12\r\n"
            "[Recorder]\r\nmasterVolume=0.3\r\nmaxItemLength=600\r\n"
            "[Dialer]\r\nuseDialer=2\r\n[Proxies]\r\nuseProxy=0\r\nhttpHost=stale\r\n");
  WriteText("Halvorn.inx", "[Params]\r\nslideNumJumps=-1\r\nwindowState=0\r\nmine=kept\r\n");
  WriteText("TezItemOperators.inx", "[TezHtmlConvert.dll]\r\ndetailLevel=9\r\n");
  THalvornOptions o;
  o.SerializeParameters(true);  // before a load: writes nothing
  EXPECT_EQ(Key("TezParam.inx", "Proxies", "httpHost"), "stale");
  ASSERT_TRUE(o.SerializeParameters(false));
  EXPECT_EQ(o.DataFolderPath(), Here() + "data\\");
  EXPECT_EQ(o.mediaTypes, (std::vector<std::string>{"Disk", "Dev"}));
  EXPECT_EQ(o.mediaLengthText, "30");
  EXPECT_EQ(o.mediaComPort, 1);
  EXPECT_EQ(o.slideNumJumps, 2);
  EXPECT_EQ(o.detailLevel, 2);
  EXPECT_EQ(o.volumePosition, 7);
  EXPECT_EQ(o.liveStreamMinutes, 10);
  EXPECT_EQ(o.viewState, 0);
  EXPECT_EQ(o.slideSoundPath, Here() + "wavs\\SlideSound.wav");
  EXPECT_TRUE(GetFileAttributesA("wavs") & FILE_ATTRIBUTE_DIRECTORY);

  o.mediaLengthText = "unlimited";
  o.dialerName = "secret";
  o.startWithWindows = 0;
  o.viewState = 1;
  ASSERT_TRUE(o.SerializeParameters(true));
  EXPECT_EQ(Key("TezParam.inx", "Dev", "mediaLength"), "0");
  EXPECT_EQ(Key("TezParam.inx", "Dev", "mediaComPort"), "1");
  EXPECT_EQ(Key("TezParam.inx", "Proxies", "httpHost"), "");
  EXPECT_EQ(Key("TezParam.inx", "Proxies", "ftpPort"), "21");
  EXPECT_EQ(Key("TezParam.inx", "Recorder", "masterVolume"), "0.3");
  EXPECT_EQ(Key("TezParam.inx", "Dialer", "dialerName"), "<none>");
  EXPECT_EQ(Key("Halvorn.inx", "Params", "windowState"), "1");
  EXPECT_EQ(Key("Halvorn.inx", "Params", "mine"), "kept");
  THalvornOptions again;
  ASSERT_TRUE(again.SerializeParameters(false));
  EXPECT_EQ(again.mediaLengthText, "Unlimited");

  // Without the data file the program must end.
  DeleteFileA("data\\TezData.inx");
  THalvornOptions none;
  EXPECT_FALSE(none.SerializeParameters(false));
}

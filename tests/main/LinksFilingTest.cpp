// Filing of files and links into the channel lists on real files, and the
// link check by the real Ostrevar.exe run from the check's thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "../forms/Pump.h"
#include "AuthThread.h"
#include "ChannelList.h"
#include "HalvornRun.h"
#include "IniFiles2.h"
#include "LinkFiler.h"

namespace {

constexpr UINT kFinished = WM_APP + 5;

// A window that notes the check's finished message.
struct FinishedWindow {
  FinishedWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LinksFilingTestWindow";
    RegisterClassA(&wc);
    hwnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance,
                         nullptr);
    Count() = 0;
  }
  ~FinishedWindow() { DestroyWindow(hwnd); }
  static int& Count() {
    static int n = 0;
    return n;
  }
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == kFinished) ++Count();
    return DefWindowProcA(w, m, wp, lp);
  }
  HWND hwnd;
};

class LinkFiling : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IniManagerLoad());
    dir_ = GetCurrentDir();
    RemoveTree(dir_ + "\\data");
    CreateDirectoryA("data", nullptr);
    DeleteFileA("Ostrevar.inx");
    DeleteFileA("CheckAuth.inx");
    WriteText("TezParam.inx",
              "[Extensions]\r\nmp3=Music,audio\r\nhtml=News\r\nmmm=Music\r\n"
              "defaultExtension=mmm\r\n");
    WriteText("data\\TezData.inx",
              "[Data Types]\r\nnumberTypes=2\r\ntype1=News\r\ntype2=Music\r\n"
              "[News]\r\nname=News\r\n[Music]\r\nname=Music\r\nactive=0\r\n");
    Reload();
  }
  void TearDown() override { filer_.reset(); list_.reset(); }
  void Reload() {
    filer_.reset();
    list_.reset();
    list_ = std::make_unique<TChannelList>(dir_ + "\\data\\", "TezData.inx");
    filer_ = std::make_unique<TLinkFiler>(list_.get());
    TIniFile param(dir_ + "\\TezParam.inx");
    TStringList extensions;
    param.ReadSectionValues("Extensions", extensions);
    filer_->ReadExtensionTables(extensions);
  }
  TContentSection* List(const char* section) {
    return list_->GetContents(list_->IndexOfSection(section));
  }
  void AddPending(const std::string& link) {
    TTezAddFileStuct r;
    r.listName = "Pending";
    r.link = link;
    ASSERT_TRUE(filer_->AddToList(r));
  }
  // Runs one check of Pending item 1 through Ostrevar.exe and files it.
  TLinkFiler::TReplyResult Check(int waitMs = 20000) {
    std::string request = dir_ + "\\CheckAuth.inx";
    EXPECT_TRUE(filer_->WriteCheckRequest(request, "id-7"));
    FinishedWindow w;
    TAuthThread thread(w.hwnd, kFinished,
                       "\"" + BinDir() + "Ostrevar.exe\" \"" + request + "\"");
    thread.Start();
    EXPECT_TRUE(PumpUntil([] { return FinishedWindow::Count() > 0; }, waitMs));
    return filer_->ApplyReply(request, asked_ ? ask_ : TLinkFiler::TAskFileType());
  }

  std::string dir_;
  std::unique_ptr<TChannelList> list_;
  std::unique_ptr<TLinkFiler> filer_;
  bool asked_ = false;
  TLinkFiler::TAskFileType ask_;
};

}  // namespace

TEST_F(LinkFiling, ExtensionTableNamesTheChannel) {
  struct Case {
    const char* name;
    const char* section;
  } cases[] = {{"c:\\x\\song.MP3", "Music"}, {"page.html", "News"}, {"a.b.html", "News"},
               {"noext", ""}, {"file.wav", ""}, {"dir.mp3\\file", ""}};
  for (const Case& c : cases) {
    EXPECT_EQ(filer_->FileSectionName(c.name), c.section) << c.name;
    EXPECT_EQ(filer_->FileIsLegal(c.name), c.section[0] != 0) << c.name;
  }
  EXPECT_EQ(filer_->DefaultFileExtension(), "mmm");
  EXPECT_EQ(LinkExtension("http://h/a/b.mp3?x=1.html#y"), ".mp3");
  EXPECT_EQ(LinkExtension("http://h.com/path"), "");
}

TEST_F(LinkFiling, ChannelsKeepFiftyAndDeletedKeepsTwentyWithItsFiles) {
  auto file = [&](int i) { return dir_ + "\\data\\f" + std::to_string(i) + ".mp3"; };
  for (int i = 1; i <= 71; ++i) {
    WriteText(file(i), "x");
    TTezAddFileStuct r;
    r.listName = "News";
    r.link = "http://h/" + std::to_string(i) + ".html";
    r.originalLink = "orig" + std::to_string(i);
    r.localFileName = file(i);
    r.extension = ".html";
    ASSERT_TRUE(filer_->AddToList(r)) << i;
    // Marked as made by us, so that dropping it out deletes its file.
    TContentSection* news = List("News");
    TStringList lines;
    news->CopyItemTo(news->Count(), lines);
    lines.Add("fileCreatedByBrindale=1");
    news->SetItemFrom(news->Count(), lines);
  }
  TContentSection* news = List("News");
  TContentSection* deleted = List("Deleted");
  ASSERT_EQ(news->Count(), 50);
  EXPECT_EQ(news->GetLink(1), "http://h/22.html");
  EXPECT_EQ(news->GetDescription(1), "orig22");
  EXPECT_EQ(news->GetExtension(1), "html");
  ASSERT_EQ(deleted->Count(), 20);
  EXPECT_EQ(deleted->GetLink(1), "http://h/2.html");
  EXPECT_EQ(deleted->GetOriginalChannel(20), "News");
  EXPECT_FALSE(FileExists(file(1)));  // dropped out of Deleted with its file
  EXPECT_TRUE(FileExists(file(2)));
  EXPECT_TRUE(FileExists(file(22)));  // moved items keep their files
  // What was filed is on disk at once.
  Reload();
  EXPECT_EQ(List("News")->Count(), 50);
  EXPECT_EQ(List("Deleted")->Count(), 20);
}

TEST_F(LinkFiling, MissingOrFullListsAddNothing) {
  TTezAddFileStuct r;
  r.listName = "Sports";
  r.link = "http://h/a.html";
  EXPECT_FALSE(filer_->AddToList(r));
  r.listName = "Pending";
  for (int i = 0; i < TContentSection::MaxItems; ++i) ASSERT_TRUE(filer_->AddToList(r));
  EXPECT_FALSE(filer_->AddToList(r));
  EXPECT_EQ(List("Pending")->Count(), TContentSection::MaxItems);
}

TEST_F(LinkFiling, RejectedKeepsFiftyAndEachMoveIsAnnounced) {
  int moves = 0;
  filer_->OnMovedToDeleted = [&] { ++moves; };
  TTezAddFileStuct r;
  r.listName = "Rejected";
  for (int i = 1; i <= 53; ++i) {
    r.link = "http://h/" + std::to_string(i);
    ASSERT_TRUE(filer_->AddToList(r));
    EXPECT_EQ(moves, i > 50 ? i - 50 : 0) << i;
  }
  EXPECT_EQ(List("Rejected")->Count(), 50);
  EXPECT_EQ(List("Rejected")->GetLink(1), "http://h/4");
  ASSERT_EQ(List("Deleted")->Count(), 3);
  EXPECT_EQ(List("Deleted")->GetLink(1), "http://h/1");
  EXPECT_EQ(List("Deleted")->GetOriginalChannel(1), "Rejected");
  // Pending is no channel: it keeps what it is given.
  r.listName = "Pending";
  for (int i = 0; i < 51; ++i) ASSERT_TRUE(filer_->AddToList(r));
  EXPECT_EQ(List("Pending")->Count(), 51);
  EXPECT_EQ(moves, 3);
}

TEST_F(LinkFiling, RequestFileHoldsTheLinkAndTheId) {
  WriteText("CheckAuth.inx", "[Reply]\r\nauthorize=1\r\n[Old]\r\nx=1\r\n");
  EXPECT_FALSE(filer_->WriteCheckRequest(dir_ + "\\CheckAuth.inx", "id"));  // nothing pending
  AddPending("http://h/first.mp3");
  AddPending("http://h/second.mp3");
  ASSERT_TRUE(filer_->WriteCheckRequest(dir_ + "\\CheckAuth.inx", "id-7"));
  TIniFile request(dir_ + "\\CheckAuth.inx");
  EXPECT_EQ(request.ReadString("Params", "link", ""), "http://h/first.mp3");
  EXPECT_EQ(request.ReadString("Params", "tezID", ""), "id-7");
  EXPECT_EQ(request.ReadString("Reply", "authorize", "none"), "none");  // made anew
  EXPECT_EQ(request.ReadString("Old", "x", "none"), "none");
}

TEST_F(LinkFiling, OstrevarRepliesFileTheLinks) {
  struct Case {
    const char* conf;  // Ostrevar.inx
    const char* link;
    const char* list;  // where it goes
    const char* filedLink;
    const char* extension;
    int requestId;
  } cases[] = {
      {"", "http://h/song.mp3", "Music", "http://h/song.mp3", "mp3", -1},
      {"[Mode]\r\nmode=refuse\r\n", "http://h/song.mp3", "Rejected", "http://h/song.mp3", "", -1},
      {"[Mode]\r\nmode=refuse\r\nlink=http://h/why\r\n", "http://h/s.mp3", "Rejected",
       "http://h/why", "", -1},
      // The reply names the type: a page filed as music by its channel type.
      {"[Mode]\r\nlink=http://h/real.html\r\nextension=.html\r\nextensionForChannel=.mp3\r\n"
       "requestId=42\r\n",
       "http://h/x", "Music", "http://h/real.html", "html", 42},
      // An accepted link of a type no channel takes goes to Rejected.
      {"", "http://h/clip.avi", "Rejected", "http://h/clip.avi", "", -1},
      {"[Mode]\r\nmode=slow\r\ndelayMs=300\r\n", "ftp://h/page.html", "News", "ftp://h/page.html",
       "html", -1},
  };
  for (const Case& c : cases) {
    SetUp();
    WriteText("Ostrevar.inx", c.conf);
    AddPending(c.link);
    TLinkFiler::TReplyResult result = Check();
    EXPECT_EQ(result.section, c.list) << c.conf << c.link;
    EXPECT_EQ(List("Pending")->Count(), 0) << c.conf;
    TContentSection* list = List(c.list);
    ASSERT_EQ(list->Count(), 1) << c.conf << c.link;
    EXPECT_EQ(list->GetLink(1), c.filedLink) << c.conf;
    EXPECT_EQ(list->GetExtension(1), c.extension) << c.conf;
    EXPECT_EQ(TIniFile(list->FilePath()).ReadString("1", "requestId", ""),
              std::to_string(c.requestId)) << c.conf;
    EXPECT_EQ(result.inactive, std::string(c.list) == "Music") << c.conf;
  }
}

TEST_F(LinkFiling, UnclearTypeIsAskedAndAnIgnoredLinkIsRejected) {
  // Accepted with the default extension and no channel type: the user is asked.
  WriteText("Ostrevar.inx", "[Mode]\r\nextension=mmm\r\nextensionForChannel=none\r\n");
  std::string askedLink, askedExt;
  asked_ = true;
  ask_ = [&](const std::string& link, const std::string& ext, std::string& outExt,
             std::string& outChannel) {
    askedLink = link;
    askedExt = ext;
    outExt = ".mmm";
    outChannel = ".mp3";
  };
  AddPending("http://h/stream");
  EXPECT_EQ(Check().section, "Music");
  EXPECT_EQ(askedLink, "http://h/stream");
  EXPECT_EQ(askedExt, "mmm");
  EXPECT_EQ(List("Music")->GetExtension(1), "mmm");
  // "Ignore Link" answers with no type: the link goes to Rejected.
  ask_ = [&](const std::string&, const std::string&, std::string& outExt,
             std::string& outChannel) { outExt = outChannel = ""; };
  AddPending("http://h/other");
  EXPECT_EQ(Check().section, "Rejected");
}

TEST_F(LinkFiling, ReplyGoesToTheLinkItAnswersWhenPendingChanged) {
  AddPending("http://h/a.mp3");
  AddPending("http://h/b.mp3");
  std::string request = dir_ + "\\CheckAuth.inx";
  ASSERT_TRUE(filer_->WriteCheckRequest(request, ""));
  // Meanwhile the first link is removed and another comes in.
  List("Pending")->DeleteItem(1, false);
  AddPending("http://h/c.mp3");
  WriteText(request, "[Reply]\r\nauthorize=1\r\nlink=http://h/a.mp3\r\n");
  EXPECT_TRUE(filer_->ApplyReply(request, nullptr).section.empty());
  EXPECT_EQ(List("Pending")->Count(), 2);
  EXPECT_EQ(List("Music")->Count(), 0);
  // A check of b whose reply arrives after c was put in front of it.
  ASSERT_TRUE(filer_->WriteCheckRequest(request, ""));
  List("Pending")->Exchange(1, 2);
  WriteText(request, "[Reply]\r\nauthorize=1\r\nlink=http://h/b.mp3\r\n");
  EXPECT_EQ(filer_->ApplyReply(request, nullptr).section, "Music");
  ASSERT_EQ(List("Pending")->Count(), 1);
  EXPECT_EQ(List("Pending")->GetLink(1), "http://h/c.mp3");
  // A missing reply file rejects the link.
  ASSERT_TRUE(filer_->WriteCheckRequest(request, ""));
  DeleteFileA(request.c_str());
  EXPECT_EQ(filer_->ApplyReply(request, nullptr).section, "Rejected");
  EXPECT_EQ(List("Rejected")->GetLink(1), "http://h/c.mp3");
}

TEST_F(LinkFiling, NextCheckClosesAStuckAuthorizeWindowWhoseProgramWritesNoReply) {
  WriteText("Ostrevar.inx", "[Mode]\r\nmode=slow\r\ndelayMs=600000\r\n");
  AddPending("http://h/stuck.mp3");
  std::string request = dir_ + "\\CheckAuth.inx";
  ASSERT_TRUE(filer_->WriteCheckRequest(request, ""));
  FinishedWindow w;
  auto first = std::make_unique<TAuthThread>(
      w.hwnd, kFinished, "\"" + BinDir() + "Ostrevar.exe\" \"" + request + "\"");
  first->Start();
  ASSERT_TRUE(PumpUntil([] { return FindWindowA(nullptr, "Authorize") != nullptr; }, 20000));
  // A form that goes stops waiting at once and is told nothing.
  first.reset();
  EXPECT_EQ(FinishedWindow::Count(), 0);
  ASSERT_NE(FindWindowA(nullptr, "Authorize"), nullptr);
  // The next check closes the left-over window before it starts.
  WriteText("Ostrevar.inx", "[Mode]\r\nmode=refuse\r\n");
  TLinkFiler::TReplyResult result = Check();
  EXPECT_EQ(result.section, "Rejected");
  EXPECT_TRUE(PumpUntil([] { return FindWindowA(nullptr, "Authorize") == nullptr; }, 5000));
}

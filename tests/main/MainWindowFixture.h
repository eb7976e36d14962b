// Halvorn.exe beside a window of this test captioned "Brindale Control",
// installed with three channels and started with the full window shown.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "HalvornRun.h"
#include "RunSupport.h"

// The controller's window: notes every message of the program range.
struct Peer {
  static std::vector<std::pair<UINT, WPARAM>>& Got() {
    static std::vector<std::pair<UINT, WPARAM>> got;
    return got;
  }
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_USER) Got().emplace_back(msg, wp);
    return DefWindowProcA(w, msg, wp, lp);
  }
  Peer() {
    Got().clear();
    window = OwnWindow("MainRunTestControl", "Brindale Control", Proc);
  }
  ~Peer() { DestroyWindow(window); }
  static bool Has(UINT msg, WPARAM wp) {
    for (auto& m : Got())
      if (m.first == msg && m.second == wp) return true;
    return false;
  }
  HWND window;
};

inline const char kItems[] =
    "[Entry List]\r\nnumberEntries=3\r\nmaxIndex=3\r\n"
    "[1]\r\nlink=http://example.invalid/a/first.wav\r\nrecStatus=4\r\nitemStatus=1\r\n"
    "description=First\r\n"
    "[2]\r\nlink=http://example.invalid/b/second.wav\r\nrecStatus=1\r\nitemStatus=1\r\n"
    "description=Second\r\n"
    "[3]\r\nlink=http://example.invalid/c/third.wav\r\nrecStatus=1\r\nitemStatus=1\r\n"
    "description=Third\r\n";

// Halvorn installed with channels 1 "News" (active, three items),
// 2 "Sports" (inactive) and 3 "Weather" (active, one item), and started
// with the full window shown. diskKeys are more keys of the media type
// "Disk"; with them the file medium's player library is installed too.
// files are more files of the installation (name, text), written last.
struct Halvorn {
  Install in{AllFiles()};
  HANDLE process = nullptr;
  explicit Halvorn(const std::string& newsItems = kItems, const std::string& diskKeys = "",
                   const std::vector<std::pair<std::string, std::string>>& files = {}) {
    WriteSettings(in, 0);
    if (!diskKeys.empty()) {
      WriteText(in.Path("TezParam.inx"), ReadText(in.Path("TezParam.inx")) + diskKeys);
      CopyFileA((BinDir() + "TezDiskPlayer.dll").c_str(), in.Path("TezDiskPlayer.dll").c_str(),
                FALSE);
    }
    WriteText(in.Path("data\\TezData.inx"),
              "[Data Types]\r\nnumberTypes=3\r\ntype1=1\r\ntype2=2\r\ntype3=3\r\n"
              "defaultChannel=1\r\n"
              "[1]\r\nname=News\r\nactive=1\r\nworkingDir=news\\\r\niniFile=news.inx\r\n"
              "[2]\r\nname=Sports\r\nactive=0\r\nworkingDir=sports\\\r\niniFile=sports.inx\r\n"
              "configDll=ChannelConfig.dll\r\n"
              "[3]\r\nname=Weather\r\nactive=1\r\nworkingDir=weather\\\r\niniFile=w.inx\r\n"
              "[Deleted]\r\nname=Deleted\r\nworkingDir=deleted\\\r\niniFile=deleted.inx\r\n");
    for (const char* d : {"news", "sports", "weather", "deleted"})
      CreateDirectoryA(in.Path(std::string("data\\") + d).c_str(), nullptr);
    WriteText(in.Path("data\\news\\news.inx"), newsItems);
    CopyFileA((BinDir() + "ChannelConfig.dll").c_str(),
              in.Path("data\\sports\\ChannelConfig.dll").c_str(), FALSE);
    WriteText(in.Path("data\\weather\\w.inx"),
              "[Entry List]\r\nnumberEntries=1\r\nmaxIndex=1\r\n"
              "[1]\r\nlink=http://example.invalid/w.wav\r\nrecStatus=1\r\nitemStatus=1\r\n");
    for (const auto& f : files) WriteText(in.Path(f.first), f.second);
    process = StartHalvorn(in);
  }
  ~Halvorn() {
    if (MainWindow()) PostMessageA(MainWindow(), WM_CLOSE, 0, 0);
    WaitUntil([this] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 20000);
    ProcessGuard guard(process);
  }
  bool Ready() {
    return WaitUntil([] { return MainWindow() && Shown("speedRecordNow") && Shown("chanBut1"); },
                     30000);
  }
  std::string Key(const char* file, const char* section, const char* key) {
    char value[256] = {};
    GetPrivateProfileStringA(section, key, "", value, sizeof value, in.Path(file).c_str());
    return value;
  }
};


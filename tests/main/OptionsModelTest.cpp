// Options kept through a load and a save: the live-stream length stored in
// seconds, twelve o'clock, passwords the stored format cannot hold, and the
// window's position component set by each load.
#include <windows.h>

#include <gtest/gtest.h>

#include "HalvornOptions.h"
#include "HalvornRun.h"
#include "IniFiles2.h"
#include "SavePos.h"
#include "Utils.h"

TEST(OptionsModel, ValuesSurviveALoadAndASave) {
  ASSERT_TRUE(IniManagerLoad());
  CreateDirectoryA("data", nullptr);
  WriteText("data\\TezData.inx", "[Data Types]\r\n");
  struct Case {
    const char* stored;     // [Recorder] and [AutoUpdate] and [Dialer] lines
    const char* pwd;        // the password set before the save, or none
    const char* maxItem;    // maxItemLength after the save
    int hour;
    const char* storedPwd;  // pwd after the save, unscrambled
  } cases[] = {
      // The length is saved as its whole minutes: the 30-second default is
      // 0 minutes, 90 seconds one minute.
      {"", nullptr, "0", 6, ""},
      {"[Recorder]\r\nmaxItemLength=90\r\n[AutoUpdate]\r\nhour=12\r\n", nullptr, "60", 0, ""},
      {"[AutoUpdate]\r\nhour=40\r\n[Dialer]\r\nuseDialer=1\r\n", "plain", "0", 6, "plain"},
      {"[Dialer]\r\nuseDialer=1\r\npwd=\xee\xff\r\n", "bad\x9e", "0", 6, "pa"},
      {"[Recorder]\r\nmaxItemLength=600\r\n[Dialer]\r\nuseDialer=1\r\n", "a\x93", "600", 6, ""},
  };
  for (const Case& c : cases) {
    WriteText("TezParam.inx", std::string("[Folders]\r\ndataFolder=data\r\n") + c.stored);
    WriteText("Halvorn.inx", "[Params]\r\nstartWithWindows=0\r\n");
    THalvornOptions o;
    ASSERT_TRUE(o.SerializeParameters(false));
    EXPECT_EQ(o.autoRecHour, c.hour) << c.stored;
    if (c.pwd) o.pwd = c.pwd;
    o.startWithWindows = 0;
    ASSERT_TRUE(o.SerializeParameters(true));
    TIniFile param(GetCurrentDir() + "\\TezParam.inx");
    EXPECT_EQ(param.ReadString("Recorder", "maxItemLength", ""), c.maxItem) << c.stored;
    std::string pwd = ScramblePassword(param.ReadString("Dialer", "pwd", ""));
    EXPECT_EQ(pwd, c.storedPwd) << c.stored;
    // The file stays whole: every key after the password is still read.
    EXPECT_EQ(param.ReadString("Update", "autoUpdateActive", ""), "1") << c.stored;
  }
}

TEST(OptionsModel, EachLoadSetsThePositionComponentAndASaveKeepsItsSection) {
  ASSERT_TRUE(IniManagerLoad());
  CreateDirectoryA("data", nullptr);
  WriteText("data\\TezData.inx", "[Data Types]\r\n");
  WriteText("TezParam.inx", "[Folders]\r\ndataFolder=data\r\nwavFolder=wavs\\\r\n");
  WriteText("Halvorn.inx",
            "[Params]\r\nstartWithWindows=0\r\nslideNumJumps=3\r\naudioEffects=0\r\n"
            "slideSound=Hop.wav\r\nposSection=DragDropSize\r\n");
  TSavePos position(nullptr);
  THalvornOptions o;
  o.position = &position;
  ASSERT_TRUE(o.SerializeParameters(false));
  EXPECT_EQ(position.SectionName, "DragDropSize");
  EXPECT_EQ(position.NumJumps, 3);
  EXPECT_FALSE(position.SoundEffects);
  EXPECT_EQ(position.SlideSound, GetCurrentDir() + "\\wavs\\Hop.wav");
  // Picked on the pages and then cancelled: the next load puts them back.
  position.NumJumps = 5;
  position.SoundEffects = true;
  position.SlideSound.clear();
  o.SerializeOptionsParameters(false);
  EXPECT_EQ(position.NumJumps, 3);
  EXPECT_FALSE(position.SoundEffects);
  EXPECT_EQ(position.SlideSound, GetCurrentDir() + "\\wavs\\Hop.wav");
  // The section the component has when the window closes is the one saved.
  position.SectionName = "ViewerSize";
  ASSERT_TRUE(o.SerializeParameters(true));
  TIniFile halvorn(GetCurrentDir() + "\\Halvorn.inx");
  EXPECT_EQ(halvorn.ReadString("Params", "posSection", ""), "ViewerSize");
  // A stored empty name leaves the component's own section.
  halvorn.WriteString("Params", "posSection", "");
  THalvornOptions fresh;
  fresh.position = &position;
  ASSERT_TRUE(fresh.SerializeParameters(false));
  EXPECT_EQ(position.SectionName, "ViewerSize");
}

TEST(OptionsModel, StartWithWindowsWritesTheQuotedControllerCommand) {
  ASSERT_TRUE(IniManagerLoad());
  CreateDirectoryA("data", nullptr);
  WriteText("data\\TezData.inx", "[Data Types]\r\n");
  WriteText("TezParam.inx", "[Folders]\r\ndataFolder=data\r\n");
  WriteText("Halvorn.inx", "[Params]\r\nstartWithWindows=1\r\n");
  THalvornOptions o;
  ASSERT_TRUE(o.SerializeParameters(false));
  ASSERT_TRUE(o.SerializeParameters(true));
  // The program's folder may hold spaces: the path is quoted.
  auto autostart = [] {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
      return std::string("<none>");
    char value[MAX_PATH * 2] = {};
    DWORD size = sizeof value - 1, type = 0;
    LONG found = RegQueryValueExA(key, "BrindaleSoftware", nullptr, &type,
                                  reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return found == ERROR_SUCCESS ? std::string(value) : std::string("<none>");
  };
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  EXPECT_EQ(autostart(), "\"" + ExtractFilePath(exe) + "pellomar.exe\" /GETDIR");
  o.startWithWindows = 0;
  ASSERT_TRUE(o.SerializeParameters(true));
  EXPECT_EQ(autostart(), "<none>");
}

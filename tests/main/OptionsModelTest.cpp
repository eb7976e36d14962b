// Options kept through a load and a save: the live-stream length stored in
// seconds, twelve o'clock, and passwords the stored format cannot hold.
#include <windows.h>

#include <gtest/gtest.h>

#include "HalvornOptions.h"
#include "HalvornRun.h"
#include "IniFiles2.h"
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
      {"", nullptr, "30", 6, ""},  // the 30-second default stays 30 seconds
      {"[Recorder]\r\nmaxItemLength=90\r\n[AutoUpdate]\r\nhour=12\r\n", nullptr, "90", 0, ""},
      {"[AutoUpdate]\r\nhour=40\r\n[Dialer]\r\nuseDialer=1\r\n", "plain", "30", 6, "plain"},
      {"[Dialer]\r\nuseDialer=1\r\npwd=\xee\xff\r\n", "bad\x9e", "30", 6, "pa"},
      {"[Dialer]\r\nuseDialer=1\r\n", "a\x93", "30", 6, ""},
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

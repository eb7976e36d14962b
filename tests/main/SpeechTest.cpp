// The speech page's voices through the real speech library stand-in: the
// lists, the bars of a chosen voice, adding, removing, the test sentence
// and storing on OK, read back from the library's own file.
#include <windows.h>

#include <gtest/gtest.h>

#include "SpeechOptions.h"
#include "SysUtils.h"

namespace {

std::string Key(const char* section, const char* key) {
  char buf[512] = {};
  GetPrivateProfileStringA(section, key, "<none>", buf, sizeof buf,
                           (GetCurrentDir() + "\\TezTTS.inx").c_str());
  return buf;
}

struct Page {
  Page() : options(tts) {
    options.ShowMessage = [this](const std::string& text) { messages.push_back(text); };
  }
  TTTsControl1 tts{nullptr};
  TSpeechOptions options;
  std::vector<std::string> messages;
};

}  // namespace

TEST(Speech, VoicesAreListedAddedRemovedAndStored) {
  DeleteFileA("TezTTS.inx");
  {
    Page page;
    TSpeechOptions& o = page.options;
    ASSERT_TRUE(o.Load(nullptr, "TezTTS.dll", "http://maker/"));
    EXPECT_EQ(o.systemNames, (std::vector<std::string>{"Clear Voice", "Steady Voice"}));
    EXPECT_EQ(o.tezNames, (std::vector<std::string>{"Brindale Voice"}));
    EXPECT_FALSE(o.controlsEnabled);

    // A voice without pitch control: an empty, disabled pitch bar at -1.
    o.SystemNamesClick(1);
    EXPECT_EQ(o.settingsCaption, "Steady Voice Settings");
    EXPECT_TRUE(o.addEnabled);
    EXPECT_FALSE(o.removeEnabled);
    EXPECT_FALSE(o.pitch.enabled);
    EXPECT_EQ(o.pitch.position, -1);
    EXPECT_EQ(o.pitch.min, -1);
    EXPECT_EQ(o.pitch.max, 0);
    EXPECT_EQ(o.pitch.minText + o.pitch.maxText + o.pitch.curText, "");
    EXPECT_TRUE(o.speed.enabled);
    EXPECT_EQ(o.speed.minText + "-" + o.speed.maxText + " " + o.speed.curText, "100-200 150");

    o.AddVoiceClick();
    EXPECT_EQ(o.tezNames, (std::vector<std::string>{"Brindale Voice", "Steady Voice"}));
    EXPECT_EQ(o.tezIndex, 1);
    EXPECT_TRUE(o.removeEnabled);
    EXPECT_EQ(Key("Voices", "count"), "2");
    // The same system voice once more is refused.
    o.SystemNamesClick(1);
    o.AddVoiceClick();
    EXPECT_EQ(page.messages, (std::vector<std::string>{"Voice Already Exists"}));
    EXPECT_EQ(o.tezNames.size(), 2u);

    // A program voice's bars change its record, kept when read again.
    o.TezNamesClick(1);
    o.SpeedChange(120);
    o.TezNamesClick(0);
    o.PitchChange(70);
    o.TezNamesClick(1);
    EXPECT_EQ(o.speed.position, 120);
    EXPECT_EQ(o.speed.curText, "120");
    o.SpeedChange(999);  // held within the voice's range
    EXPECT_EQ(o.speed.position, 200);
    o.SpeedChange(130);
    o.TestSpeechClick("This is a test");
    EXPECT_EQ(Key("Spoken", "text"), "This is a test");
    EXPECT_EQ(Key("Spoken", "voice"), "Steady Voice");
    EXPECT_EQ(Key("Spoken", "values"), "-1,130");
    o.StoreVoices();
  }
  EXPECT_EQ(Key("Voices", "voice1").substr(0, 18), "Brindale Voice,70,");
  EXPECT_EQ(Key("Voices", "voice2").substr(0, 20), "Steady Voice,-1,130,");

  // Loaded again from the library's file; removing the last voice is refused.
  Page page;
  TSpeechOptions& o = page.options;
  ASSERT_TRUE(o.Load(nullptr, "TezTTS.dll", "http://maker/"));
  ASSERT_EQ(o.tezNames, (std::vector<std::string>{"Brindale Voice", "Steady Voice"}));
  o.TezNamesClick(1);
  EXPECT_EQ(o.speed.position, 130);
  o.TezNamesClick(0);
  o.RemoveVoiceClick();
  EXPECT_EQ(o.tezNames, (std::vector<std::string>{"Steady Voice"}));
  EXPECT_FALSE(o.controlsEnabled);
  EXPECT_EQ(Key("Voices", "count"), "1");
  o.TezNamesClick(0);
  o.RemoveVoiceClick();
  ASSERT_EQ(page.messages.size(), 1u);
  EXPECT_EQ(page.messages[0],
            "Can't Remove Last Voice.\rYou need at least One Voice in order for TextToSpeech "
            "to work.");
  EXPECT_EQ(o.tezNames.size(), 1u);
}

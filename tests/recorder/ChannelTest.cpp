// The channel object over real data files: loading its items with their
// chains, and saving them renumbered without losing keys.
#include <gtest/gtest.h>

#include "IniManager.h"
#include "RecorderChannel.h"
#include "RecorderRunSupport.h"
#include "WavPlayer.h"

namespace {

class ChannelTest : public ::testing::Test {
 protected:
  ChannelTest() : m_run("channel") {
    GetCurrentDirectoryA(MAX_PATH, m_previous);
    SetCurrentDirectoryA(m_run.Path().c_str());
    m_run.WriteWave("items\\a.wav", 1000, 0.1);
    m_run.WriteWave("items\\b.wav", 2000, 0.1);
    // Players send no mail here: the test has no Recorder mailslot.
    m_players.reset(new CItemPlayerMap(
        CTezDllInitParams(nullptr, "unused", nullptr, 0, 0, "TezPlayers.inx")));
    m_players->Add("TezWavPlayer.dll",
                   MakeItemPlayer("TezWavPlayer.dll", nullptr, 0, &m_players->GetParams()));
  }
  ~ChannelTest() override {
    m_players.reset();
    SetCurrentDirectoryA(m_previous);
  }

  void InitChannel(CRecorderChannel& channel, int playSelected) {
    const std::string data = m_run.File("data\\");
    channel.Init(nullptr, m_run.File("TezParam.inx").c_str(), data.c_str(),
                 m_run.File("temp\\").c_str(), (data + "TezData.inx").c_str(), "News", "1",
                 &m_channelOperators, &m_operators, m_players.get(), "wav", 1, playSelected,
                 &m_disabledFormats, nullptr);
  }
  void WithoutChannelOperator() {
    m_run.Write("data\\TezData.inx",
                "[1]\r\nname=News\r\nactive=1\r\nworkingDir=news\\\r\niniFile=news.inx\r\n");
  }
  std::string ItemKey(const char* section, const char* key) {
    return m_run.Key("data\\news\\news.inx", section, key);
  }

  CIniManager m_ini{"TezIniManager.dll", 1};
  RunFolder m_run;
  char m_previous[MAX_PATH];
  CChannelOperatorMap m_channelOperators;
  CItemOperatorMap m_operators;
  std::unique_ptr<CItemPlayerMap> m_players;
  CStringList m_disabledFormats;
};

TEST_F(ChannelTest, InactiveChannelIsLoadedAsStateOneAndDropped) {
  m_run.Write("data\\TezData.inx", "[1]\r\nname=News\r\nactive=0\r\n");
  CRecorderChannel channel;
  InitChannel(channel, 0);
  EXPECT_EQ(channel.Load(), 0);
  EXPECT_EQ(m_run.Key("data\\TezData.inx", "1", "recordState"), "1");
}

TEST_F(ChannelTest, ItemsWithoutAChainAreSkippedAndPlaySelectedNeedsNoOperator) {
  m_run.WriteItems({"localFileName=items\\a.wav\r\nrecStatus=1\r\n",
                    "localFileName=items\\gone.wav\r\nrecStatus=1\r\n",
                    "localFileName=items\\b.wav\r\nrecStatus=1\r\ntype=\r\n"});
  {
    // A channel whose operator is not in the list is dropped...
    CRecorderChannel channel;
    InitChannel(channel, 0);
    EXPECT_EQ(channel.Load(), 0);
  }
  {
    // ...unless only selected items are played: then no operator is looked up.
    CRecorderChannel channel;
    InitChannel(channel, 1);
    EXPECT_EQ(channel.Load(), 1);
    EXPECT_EQ(channel.Operator(), nullptr);
    EXPECT_EQ(channel.DialerRequired(), 0);
  }
  WithoutChannelOperator();
  CRecorderChannel channel;
  InitChannel(channel, 0);
  ASSERT_EQ(channel.Load(), 1);
  ASSERT_EQ(channel.Items().size(), 2u);
  EXPECT_EQ(channel.Items()[1]->GetType(), "basic");
  EXPECT_NE(channel.Items()[0]->GetPlayer(), nullptr);
  EXPECT_EQ(ItemKey("2", "errorHint"), "File not found.");
}

TEST_F(ChannelTest, AddItemKeepsAnItemWithAChainAndDeletesOneWithout) {
  m_run.WriteItems({"localFileName=items\\a.wav\r\nrecStatus=1\r\n",
                    "localFileName=items\\gone.wav\r\nrecStatus=1\r\n"});
  WithoutChannelOperator();
  CRecorderChannel channel;
  InitChannel(channel, 0);
  ASSERT_EQ(channel.Load(), 1);
  ASSERT_EQ(channel.Items().size(), 1u);

  // Items as a channel operator makes them: set up, then given the
  // channel's context by AddItem.
  CDataItem* good = new CDataItem;
  good->SetRecStatus(1);
  good->SetLocalFileName("items\\a.wav", 0);
  EXPECT_EQ(channel.AddItem(good, 1, 1), 1);
  ASSERT_EQ(channel.Items().size(), 2u);
  EXPECT_EQ(channel.Items()[1], good);

  // The failed item is deleted: its pending temp file goes with it.
  CDataItem* bad = new CDataItem;
  bad->SetRecStatus(1);
  bad->SetLocalFileName("items\\gone.wav", 0);
  m_run.Write("temp\\pending.tzx", "x");
  std::string pending;
  ASSERT_EQ(bad->GetNewTempFile(pending, nullptr, 0, m_run.File("temp\\pending.tzx").c_str()), 1);
  EXPECT_EQ(channel.AddItem(bad, 2, 1), 0);
  EXPECT_EQ(channel.Items().size(), 2u);
  EXPECT_EQ(GetFileAttributesA(m_run.File("temp\\pending.tzx").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ChannelTest, SavingRenumbersItemsAndKeepsKeysOfOtherPrograms) {
  m_run.WriteItems({"localFileName=items\\a.wav\r\nrecStatus=1\r\noriginalChannel=Pending\r\n",
                    "localFileName=items\\gone.wav\r\nrecStatus=1\r\n",
                    "localFileName=items\\b.wav\r\nrecStatus=1\r\nselectedItem=1\r\n"
                    "creationDate=45000\r\n"});
  WithoutChannelOperator();
  CRecorderChannel channel;
  InitChannel(channel, 0);
  ASSERT_EQ(channel.Load(), 1);
  channel.SaveItems(1);
  EXPECT_EQ(ItemKey("Entry List", "numberEntries"), "2");
  EXPECT_EQ(ItemKey("Entry List", "maxIndex"), "3");
  EXPECT_EQ(ItemKey("1", "originalChannel"), "Pending");
  EXPECT_EQ(ItemKey("2", "localFileName"), "items\\b.wav");
  EXPECT_EQ(ItemKey("2", "selectedItem"), "1");
  EXPECT_EQ(ItemKey("2", "creationDate"), "45000");
  EXPECT_EQ(ItemKey("3", "localFileName"), "");
}

}  // namespace

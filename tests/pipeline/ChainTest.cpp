// The operator and player chain of an item, over real test libraries named
// in real index files.
#include <gtest/gtest.h>

#include <memory>

#include "DataItem.h"
#include "PipeTestSupport.h"

namespace {

class Chain : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(TestIni().GetDllLoadState()) << "TezIniManager.dll must lie beside the test";
    WriteTextFile("ChainOperators.inx",
                  "[Entry List]\r\nnumberEntries=3\r\nentry1=PipeOperator.dll\r\n"
                  "entry2=PipeConverter.dll\r\nentry3=PipeLinkFetch.dll\r\n"
                  "[PipeOperator.dll]\r\nid=web\r\nidentifiers=http,ftp\r\n"
                  "[PipeConverter.dll]\r\nid=conv\r\nidentifiers=ra,mp3\r\n"
                  "[PipeLinkFetch.dll]\r\nid=stream\r\nidentifiers=rm\r\n");
    WriteTextFile("ChainPlayers.inx",
                  "[PipePlayer.dll]\r\nid=mpeg\r\nidentifiers=mp3,wav\r\n"
                  "[PipeDeadPlayer.dll]\r\nid=dead\r\nidentifiers=ogg\r\n");
  }

  void SetUp() override {
    CreateDirectoryA("files", nullptr);
    CTezDllInitParams operatorParams(nullptr, "slot", nullptr, 0, 1, "ChainOperators.inx");
    CTezDllInitParams playerParams(nullptr, "slot", nullptr, 0, 1, "ChainPlayers.inx");
    operators = std::make_unique<CItemOperatorMap>(operatorParams);
    players = std::make_unique<CItemPlayerMap>(playerParams);
    // Entered unloaded, as the Recorder does; the chain loads what it uses.
    for (const char* name : {"PipeOperator.dll", "PipeConverter.dll", "PipeLinkFetch.dll"})
      operators->Add(name, new CTezItemOperator(name, nullptr, 0, &operatorParams));
    for (const char* name : {"PipePlayer.dll", "PipeDeadPlayer.dll"})
      players->Add(name, new CTezItemPlayer(name, nullptr, 0, &playerParams));
  }

  // An item of Chain.inx section 1 with the given keys.
  std::unique_ptr<CDataItem> MakeItem(const std::string& keys, int playSelected = 0,
                                      const CStringList* disabledFormats = nullptr) {
    WriteTextFile("Chain.inx", "[1]\r\n" + keys);
    auto item = std::make_unique<CDataItem>();
    item->Init(1, 1, "News", "Chain.inx", "TezParam.inx", "files\\", playSelected,
               window.Handle(), operators.get(), players.get(), "wav", 1, disabledFormats);
    EXPECT_EQ(item->Load(), 1);
    return item;
  }

  std::string Hint() { return TestIni().GetString("Chain.inx", "1", "errorHint"); }

  static std::string Names(const CDataItem& item) {
    std::string names;
    for (CTezItemOperator* op : item.GetOperators()) names += op->GetDllName() + ";";
    names += item.GetPlayer() ? item.GetPlayer()->GetDllName() : "no player";
    return names;
  }

  CReportWindow window{"PipelineChain"};
  std::unique_ptr<CItemOperatorMap> operators;
  std::unique_ptr<CItemPlayerMap> players;
};

}  // namespace

TEST_F(Chain, LocalFileWithUpperCaseExtensionGoesToItsPlayer) {
  WriteTextFile("files\\Song.MP3", "ID3");
  auto item = MakeItem("localFileName=files\\Song.MP3\r\n");
  EXPECT_EQ(item->FindOperatorPlayerChain(), 1);
  EXPECT_EQ(Names(*item), "PipePlayer.dll");
  EXPECT_EQ(item->GetPlayer()->GetDllLoadState(), 1);
  EXPECT_EQ(item->GetOperatorConnection(), 0);
  EXPECT_EQ(item->GetPlayerConnection(), 0);
}

TEST_F(Chain, LocalFileWithoutPlayerGetsTheDefaultPlayerAndNoConverter) {
  WriteTextFile("files\\show.ra", "x");
  auto item = MakeItem("localFileName=files\\show.ra\r\n");
  EXPECT_EQ(item->FindOperatorPlayerChain(), 1);
  EXPECT_EQ(Names(*item), "PipePlayer.dll");
  EXPECT_EQ(item->GetOperatorConnection(), 0);
}

TEST_F(Chain, LinkCases) {
  struct Case {
    const char* link;
    int result;
    const char* chain;
    int operatorConnection;
    int playerConnection;
    const char* hint;
  } cases[] = {
      // The player does not take http: the scheme operator fetches.
      {"http://host/news.mp3", 1, "PipeOperator.dll;PipePlayer.dll", 1, 0, ""},
      // The player takes mms links itself.
      {"mms://host/live.mp3", 1, "PipePlayer.dll", 0, 1, ""},
      {"gopher://host/a.mp3", 0, "", 0, 0, "Unknown Internet protocol."},
      // No player for ra: fetch, then convert to wav for the player.
      {"http://host/show.ra", 1, "PipeOperator.dll;PipeConverter.dll;PipePlayer.dll", 1, 0, ""},
      // No player for rm: an operator that fetches such links itself gives
      // mp3, and the converter of mp3 comes before the mp3 player.
      {"http://host/stream.rm", 1, "PipeLinkFetch.dll;PipeConverter.dll;PipePlayer.dll", 1, 0,
       ""},
      // Nothing converts xyz: the default extension's player, no operators;
      // the link still needs the connection.
      {"http://host/page.xyz", 1, "PipePlayer.dll", 1, 0, ""},
      // No path after the host: not a link, a name whose type is mp3.
      {"http://host.mp3", 1, "PipePlayer.dll", 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    auto item = MakeItem(std::string("link=") + c.link + "\r\nerrorHint=\r\n");
    EXPECT_EQ(item->FindOperatorPlayerChain(), c.result);
    if (c.result) {
      EXPECT_EQ(Names(*item), c.chain);
    }
    EXPECT_EQ(item->GetOperatorConnection(), c.operatorConnection);
    EXPECT_EQ(item->GetPlayerConnection(), c.playerConnection);
    EXPECT_EQ(Hint(), c.hint);
  }
}

TEST_F(Chain, ItemsThatCannotGoOn) {
  WriteTextFile("files\\a.longextens", "x");
  WriteTextFile("files\\b.mp3", "x");
  WriteTextFile("files\\c.ogg", "x");
  CStringList disabled{"mp3"};
  struct Case {
    const char* keys;
    const CStringList* disabledFormats;
    const char* hint;
    const char* report;
  } cases[] = {
      {"localFileName=files\\a.longextens\r\n", nullptr, "Failed to recognize item type.",
       "\t\t Item : errorHint=Failed to recognize item type."},
      {"localFileName=files\\b.mp3\r\n", &disabled,
       "This item cannot be recorded onto the selected device.",
       "\t\t Item : errorHint=This item cannot be recorded onto the selected device."},
      {"localFileName=files\\c.ogg\r\n", nullptr, "Internal software problem.",
       "Failed to load player PipeDeadPlayer.dll. Abort this item !\n"
       "\t\t Item : errorHint=Internal software problem."},
      {"localFileName=files\\gone.mp3\r\n", nullptr, "File not found.",
       "\t\t Item : errorHint=File not found.\n"
       "Current working name [files\\gone.mp3] is not valid"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hint);
    auto item = MakeItem(c.keys, 0, c.disabledFormats);
    EXPECT_EQ(item->FindOperatorPlayerChain(), 0);
    EXPECT_EQ(Hint(), c.hint);
    EXPECT_EQ(window.TakeReports(), c.report);
  }
}

TEST_F(Chain, StatusDecidesWhetherTheItemIsLookedAt) {
  WriteTextFile("files\\b.mp3", "x");
  // Play-selected run, item not selected: passed by with an empty chain.
  auto unselected = MakeItem("localFileName=files\\gone.mp3\r\nselectedItem=0\r\n", 1);
  EXPECT_EQ(unselected->FindOperatorPlayerChain(), 1);
  EXPECT_EQ(Names(*unselected), "no player");

  auto selected = MakeItem("localFileName=files\\b.mp3\r\nselectedItem=1\r\nrecStatus=4\r\n", 1);
  EXPECT_EQ(selected->FindOperatorPlayerChain(), 1);
  EXPECT_EQ(selected->GetRecStatus(), 1);
  EXPECT_EQ(Names(*selected), "PipePlayer.dll");

  // Recorded before (4) in a normal run: becomes 5 and is passed by.
  auto recorded = MakeItem("localFileName=files\\b.mp3\r\nrecStatus=4\r\n");
  EXPECT_EQ(recorded->FindOperatorPlayerChain(), 1);
  EXPECT_EQ(recorded->GetRecStatus(), 5);
  EXPECT_EQ(Names(*recorded), "no player");

  // An item in error is retried: status 1, hint cleared.
  auto failed = MakeItem("localFileName=files\\b.mp3\r\nrecStatus=6\r\nerrorHint=Bad URL\r\n");
  EXPECT_EQ(failed->FindOperatorPlayerChain(), 1);
  EXPECT_EQ(TestIni().GetString("Chain.inx", "1", "recStatus"), std::string("1"));
  EXPECT_EQ(Hint(), "");
  EXPECT_EQ(Names(*failed), "PipePlayer.dll");
}

TEST_F(Chain, ChangedItemIsTakenAfresh) {
  WriteTextFile("files\\old.tzx", "stale");
  auto item = MakeItem(
      "link=http://host/news.mp3\r\nitemStatus=2\r\nrecStatus=3\r\nstartDownload=5\r\n"
      "numberTempFiles=1\r\nnumberPlayableTempFiles=1\r\ntempFile1=files\\old.tzx\r\n"
      "currentExtension=wav\r\n");
  EXPECT_EQ(item->FindOperatorPlayerChain(), 1);
  EXPECT_FALSE(FileExists("files\\old.tzx"));
  EXPECT_TRUE(item->GetTempFiles().empty());
  EXPECT_EQ(TestIni().GetString("Chain.inx", "1", "startDownload"), std::string("0"));
  EXPECT_EQ(TestIni().GetString("Chain.inx", "1", "currentExtension"), std::string(""));
  // Fetched again from the link.
  EXPECT_EQ(Names(*item), "PipeOperator.dll;PipePlayer.dll");
}

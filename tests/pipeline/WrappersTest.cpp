// The library wrappers over real test libraries found through index files.
#include <gtest/gtest.h>

#include <memory>

#include "ChannelOperator.h"
#include "Dialer.h"
#include "LogOperator.h"
#include "PipeTestSupport.h"
#include "TextReport.h"
#include "TezItemPlayer.h"

namespace {

// A plain wrapper that reports to a caption of the test's own.
class CPlainWrapper : public CDllWrapper {
 public:
  CPlainWrapper(const char* path, const char* caption) : CDllWrapper(path, caption) {}
  void ResolveExports() override { ++resolved; }
  int resolved = 0;
};

// Keeps a test library in memory, so that its call record outlives the
// wrapper under test.
struct CHeldLibrary {
  explicit CHeldLibrary(const char* name) : module(LoadLibraryA(name)), record(RecordOf(name)) {
    if (record) *record = PipeTestRecord{};
  }
  ~CHeldLibrary() {
    if (module) FreeLibrary(module);
  }
  HMODULE module;
  PipeTestRecord* record;
};

void TestMailHook(const MailMessage*) {}

CTezDllInitParams SampleParams(const char* index) {
  return CTezDllInitParams(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234)), "\\\\.\\mailslot\\pipe",
                           TestMailHook, 1, 0, index);
}

}  // namespace

TEST(LoadReports, LoadedMissingAndSilent) {
  CReportWindow window("PipelineLoadReports");
  ASSERT_NE(window.Handle(), nullptr);

  CPlainWrapper loaded("PipeOperator.dll", "PipelineLoadReports");
  EXPECT_EQ(loaded.Load(), 1);
  EXPECT_EQ(loaded.GetDllLoadState(), 1);
  EXPECT_EQ(loaded.resolved, 1);
  EXPECT_EQ(window.TakeReports(), "DLL : PipeOperator.dll    loaded");

  CPlainWrapper missing("PipeNoSuchLibrary.dll", "PipelineLoadReports");
  EXPECT_EQ(missing.Load(), 0);
  EXPECT_EQ(missing.GetDllLoadState(), 0);
  EXPECT_EQ(missing.resolved, 0);
  EXPECT_EQ(window.TakeReports(),
            "DLL ERROR !!! : PipeNoSuchLibrary.dll not loaded!. Error = 126");

  CPlainWrapper silent("PipeNoSuchLibrary.dll", "");
  EXPECT_EQ(silent.Load(), 0);
  CPlainWrapper empty("", "PipelineLoadReports");
  EXPECT_EQ(empty.Load(), 0);
  EXPECT_EQ(window.TakeReports(), "");
}

TEST(HostLinkRecord, CopiesAllSixAndComparesExactly) {
  CTezDllInitParams base = SampleParams("TezPlayers.inx");
  EXPECT_EQ(base.m_parent, reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234)));
  EXPECT_EQ(base.m_mailslotName, "\\\\.\\mailslot\\pipe");
  EXPECT_EQ(base.m_hook, &TestMailHook);
  EXPECT_EQ(base.m_useMappedMail, 1);
  EXPECT_EQ(base.m_useMailslot, 0);
  EXPECT_EQ(base.m_indexFile, "TezPlayers.inx");

  CTezDllInitParams copy;
  copy = base;
  EXPECT_TRUE(copy == base);

  CTezDllInitParams differing[] = {
      SampleParams("tezplayers.inx"),  // case of the index file counts
      SampleParams("TezPlayers.inx"), SampleParams("TezPlayers.inx"),
      SampleParams("TezPlayers.inx"), SampleParams("TezPlayers.inx"),
      SampleParams("TezPlayers.inx")};
  differing[1].m_parent = nullptr;
  differing[2].m_mailslotName = "\\\\.\\mailslot\\PIPE";
  differing[3].m_hook = nullptr;
  differing[4].m_useMappedMail = 0;
  differing[5].m_useMailslot = 1;
  for (const CTezDllInitParams& other : differing) EXPECT_FALSE(other == base);

  CTezDllInitParams defaults;
  EXPECT_EQ(defaults.m_parent, nullptr);
  EXPECT_EQ(defaults.m_useMailslot, 1);
  EXPECT_EQ(defaults.m_indexFile, "TezItemOperators.inx");
}

class Wrappers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(TestIni().GetDllLoadState()) << "TezIniManager.dll must lie beside the test";
    WriteTextFile("PipeIndex.inx",
                  "[PipeOperator.dll]\r\nid=pipeop\r\nidentifiers= HTTP , Ftp ,,  rtsp\r\n"
                  "[PipeOpInit1.dll]\r\nid=partial\r\nidentifiers=http\r\n"
                  "localTypes=   FILE ,zip\r\n"
                  "[PipeConverter.dll]\r\nid=CONVERTER\r\nidentifiers=ra\r\n"
                  "[PipeNoSuchLibrary.dll]\r\nid=gone\r\nidentifiers=mp3\r\n");
    WriteTextFile("TezItemOperators.inx", "[PipeOperator.dll]\r\nid=x\r\nidentifiers=default\r\n");
  }
};

TEST_F(Wrappers, IdentifiersAreTrimmedLowerCasedAndMatchedInAnyCase) {
  CTezDllInitParams params = SampleParams("PipeIndex.inx");
  CTezItemOperator op("PipeOperator.dll", nullptr, 0, &params);
  EXPECT_EQ(op.GetId(), "pipeop");
  EXPECT_EQ(op.GetIdentifiers(), (CStringList{"http", "ftp", "", "rtsp"}));
  EXPECT_EQ(op.Supports("HTTP"), 1);
  EXPECT_EQ(op.Supports("Rtsp"), 1);
  EXPECT_EQ(op.Supports("mp3"), 0);
  EXPECT_EQ(op.Supports(""), 0);
  EXPECT_EQ(op.Supports(nullptr), 0);

  // Without a record the kind reads its default index file.
  CTezItemOperator byDefault("PipeOperator.dll", nullptr, 0, nullptr);
  EXPECT_EQ(byDefault.GetIdentifiers(), (CStringList{"default"}));
}

TEST_F(Wrappers, DisabledIdsSwitchToLocalTypesOrDisable) {
  CTezDllInitParams params = SampleParams("PipeIndex.inx");
  CStringList disabled{"partial", "converter"};

  CTezItemOperator local("PipeOpInit1.dll", &disabled, 0, &params);
  EXPECT_EQ(local.GetIdentifiers(), (CStringList{"file", "zip"}));
  EXPECT_EQ(local.Supports("ZIP"), 1);
  EXPECT_EQ(local.Supports("http"), 0);

  // An id in upper case in the index still matches; with no localTypes the
  // library still loads but handles nothing.
  CTezItemOperator off("PipeConverter.dll", &disabled, 1, &params);
  EXPECT_EQ(off.IsEnabled(), 0);
  EXPECT_EQ(off.GetDllLoadState(), 1);
  EXPECT_EQ(off.Supports("ra"), 0);
}

TEST_F(Wrappers, InitializeUsesTheRichestEntry) {
  CHeldLibrary full("PipeOperator.dll");
  CHeldLibrary partial("PipeOpInit1.dll");
  ASSERT_TRUE(full.record && partial.record);
  CTezDllInitParams params = SampleParams("PipeIndex.inx");

  {
    CTezItemOperator op("PipeOperator.dll", nullptr, 1, &params);
    EXPECT_EQ(op.GetInitResult(), 1);
    EXPECT_EQ(full.record->initVariant, 3);
    EXPECT_EQ(full.record->parent, params.m_parent);
    EXPECT_STREQ(full.record->mailslotName, "\\\\.\\mailslot\\pipe");
    EXPECT_EQ(full.record->hook, &TestMailHook);
    EXPECT_EQ(full.record->useMappedMail, 1);
    EXPECT_EQ(full.record->useMailslot, 0);
    EXPECT_STREQ(full.record->indexFile, "PipeIndex.inx");
  }
  EXPECT_EQ(full.record->closeCalls, 1);

  CTezItemOperator op("PipeOpInit1.dll", nullptr, 1, &params);
  EXPECT_EQ(op.GetInitResult(), 2);
  EXPECT_EQ(partial.record->initVariant, 1);
  EXPECT_EQ(partial.record->parent, params.m_parent);
  EXPECT_STREQ(partial.record->mailslotName, "\\\\.\\mailslot\\pipe");
  EXPECT_EQ(partial.record->hook, &TestMailHook);
  EXPECT_EQ(partial.record->useMappedMail, -1);  // not passed

  // A library without any Initialize entry keeps the result 0.
  CTezItemPlayer none("PipeOperator.dll", nullptr, 1, &params);
  EXPECT_EQ(none.GetDllLoadState(), 1);
  EXPECT_EQ(none.GetInitResult(), 0);
}

TEST_F(Wrappers, OperatorCallsAndMissingEntries) {
  CHeldLibrary full("PipeOperator.dll");
  CTezDllInitParams params = SampleParams("PipeIndex.inx");
  CTezItemOperator op("PipeOperator.dll", nullptr, 1, &params);
  CDataItem* item = reinterpret_cast<CDataItem*>(&params);
  EXPECT_EQ(op.Operate(item), 1);
  EXPECT_EQ(full.record->lastItem, item);
  EXPECT_EQ(op.GetVersion(), 280498);
  EXPECT_EQ(op.GetState(), 1);
  EXPECT_EQ(op.Stop(), 1);
  EXPECT_EQ(op.GetLinkEnabled(0), 1);
  EXPECT_EQ(op.GetLinkEnabled(5), 105);
  const char* wav = "wav";
  EXPECT_EQ(op.GetOutputType(wav), wav);
  EXPECT_EQ(op.GetLink("http://h/a", "out.tzx"), 1);
  EXPECT_STREQ(full.record->lastText, "http://h/a");
  CTezDllInitParams next = SampleParams("Other.inx");
  next.m_mailslotName = "next";
  CTezDllInitParams old;
  EXPECT_EQ(op.SwitchParent(&next, &old), 1);
  EXPECT_EQ(old.m_mailslotName, "\\\\.\\mailslot\\pipe");

  // Without _GetLinkEnabled2 the plain entry answers; missing entries 0.
  CTezItemOperator partial("PipeOpInit1.dll", nullptr, 1, &params);
  EXPECT_EQ(partial.GetLinkEnabled(5), 1);
  EXPECT_EQ(partial.GetVersion(), 0);
  EXPECT_EQ(partial.Operate(item), 0);
  EXPECT_EQ(partial.GetOutputType(wav), nullptr);
  EXPECT_EQ(partial.SwitchParent(&next, &old), 0);

  // Not loaded: every call answers 0 or null.
  CTezItemOperator unloaded("PipeOperator.dll", nullptr, 0, &params);
  EXPECT_EQ(unloaded.Initialize(&params), 0);
  EXPECT_EQ(unloaded.GetState(), 0);
  EXPECT_EQ(unloaded.GetLinkEnabled(0), 0);
  EXPECT_EQ(unloaded.GetOutputType(wav), nullptr);
  EXPECT_EQ(unloaded.SwitchParent(&next, nullptr), 0);

  // A library that is not there: usable, everything 0.
  CTezItemOperator gone("PipeNoSuchLibrary.dll", nullptr, 1, &params);
  EXPECT_EQ(gone.GetDllLoadState(), 0);
  EXPECT_EQ(gone.Supports("mp3"), 1);
  EXPECT_EQ(gone.Operate(item), 0);
  EXPECT_EQ(gone.Stop(), 0);
}

TEST_F(Wrappers, LogOperatorBindsItsOwnEntries) {
  CHeldLibrary full("PipeOperator.dll");
  CTezDllInitParams params = SampleParams("PipeIndex.inx");
  CLogOperator log("PipeOperator.dll", nullptr, 1, &params);
  EXPECT_EQ(log.GetInitResult(), 1);
  CDataItem* item = reinterpret_cast<CDataItem*>(&params);
  EXPECT_EQ(log.LogItem(item, "media"), 1);
  EXPECT_EQ(full.record->lastItem, item);
  EXPECT_STREQ(full.record->lastText, "media");
  EXPECT_EQ(log.SendLog(), 1);
  EXPECT_EQ(full.record->lastValue, 1);

  CLogOperator partial("PipeOpInit1.dll", nullptr, 1, &params);
  EXPECT_EQ(partial.LogItem(item, "media"), 0);
  EXPECT_EQ(partial.SendLog(), 0);
}

TEST_F(Wrappers, PlayerChannelOperatorAndDialer) {
  CHeldLibrary player("PipePlayer.dll");
  CHeldLibrary both("PipeChannelDialer.dll");
  WriteTextFile("TezPlayers.inx", "[PipePlayer.dll]\r\nid=p\r\nidentifiers=MP3\r\n");
  WriteTextFile("TezChannelOperators.inx",
                "[PipeChannelDialer.dll]\r\nid=c\r\nidentifiers=news\r\n");
  CTezDllInitParams params = SampleParams("");

  CTezItemPlayer play("PipePlayer.dll", nullptr, 1, &params);
  EXPECT_EQ(play.Supports("mp3"), 1);  // read from TezPlayers.inx
  EXPECT_EQ(play.GetInitResult(), 3);
  EXPECT_EQ(player.record->initVariant, 3);
  EXPECT_STREQ(player.record->indexFile, "");
  EXPECT_EQ(play.GetLinkEnabled("mms"), 1);
  EXPECT_EQ(play.GetLinkEnabled("http"), 0);
  EXPECT_EQ(play.GetPlayPosition(), 7);
  EXPECT_EQ(play.GetTotalPlayTime(), 70);
  EXPECT_EQ(play.SetReportInterval(250), 1);
  EXPECT_EQ(play.GetReportInterval(), 250);

  {
    CChannelOperator channel("PipeChannelDialer.dll", nullptr, 1, &params);
    EXPECT_EQ(channel.Supports("NEWS"), 1);
    EXPECT_EQ(both.record->initVariant, 2);
    EXPECT_EQ(channel.GetInitResult(), 0);  // the channel operator keeps none
    EXPECT_EQ(channel.GetDialerRequired(), 1);
    EXPECT_EQ(channel.Operate(&params), 1);
    EXPECT_EQ(both.record->lastItem, &params);
    EXPECT_EQ(channel.Stop(), 0);  // not bound
  }
  EXPECT_EQ(both.record->closeCalls, 1);

  CStringList disabled{"c"};
  CDialer dialer("PipeChannelDialer.dll", &disabled, 1, &params);
  EXPECT_TRUE(dialer.GetIdentifiers().empty());  // reads no index
  EXPECT_EQ(dialer.IsEnabled(), 1);
  EXPECT_EQ(dialer.GetInitResult(), 5);
  EXPECT_EQ(both.record->initVariant, 1);
  EXPECT_EQ(dialer.GetState(), 1);
  EXPECT_EQ(dialer.Connect(0), -1);
  EXPECT_EQ(dialer.SetPreDisconnectMessage(1), 1);
  EXPECT_EQ(both.record->lastValue, 1);
  EXPECT_EQ(dialer.SetPostStatusStrings(1), 0);
  EXPECT_EQ(dialer.GetConnectionState(), 0);
}

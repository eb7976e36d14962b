// Records between real processes: over mailslots (two and three
// processes), over the settings store's mail queue, and over both at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "MailSlot.h"
#include "MailTestSupport.h"
#include "MappedMail.h"

namespace {

std::vector<MailMessage> g_sent;
void TEZAPI KeepSent(const MailMessage* mail) { g_sent.push_back(*mail); }

std::vector<MailMessage> ReadRecords(const char* path) {
  std::vector<MailMessage> records;
  FILE* file = fopen(path, "rb");
  if (!file) return records;
  MailMessage mail;
  while (fread(&mail, sizeof mail, 1, file) == 1) records.push_back(mail);
  fclose(file);
  return records;
}

// A client on a server that another process is still opening.
bool InitializeWhenServed(CMailSlot& client, const std::string& name) {
  for (int i = 0; i < 200; ++i) {
    if (client.Initialize(name.c_str(), TEZ_MAIL_ITEM_OPERATOR, 1, nullptr)) return true;
    Sleep(50);
  }
  return false;
}

// Peer tag -> record numbers in the order taken.
std::map<int, std::vector<int>> BySender(const std::vector<MailMessage>& records) {
  std::map<int, std::vector<int>> senders;
  for (const MailMessage& mail : records) {
    senders[mail.lParam[0]].push_back(mail.lParam[1]);
    EXPECT_EQ(mail.category, TEZ_MAIL_ITEM_OPERATOR);
    EXPECT_EQ(mail.message, TEZ_MSG_STATUS);
    EXPECT_EQ(mail.Text(), "peer " + std::to_string(mail.lParam[0]) + " record " +
                               std::to_string(mail.lParam[1]));
  }
  return senders;
}

std::vector<int> Upto(int n) {
  std::vector<int> numbers;
  for (int i = 0; i < n; ++i) numbers.push_back(i);
  return numbers;
}

}  // namespace

TEST(MailProcesses, RecordReachesAnotherProcessWithItsBytesUnchanged) {
  const std::string name = UniqueSlot("bytes");
  HANDLE peer = StartPeer("serve " + name + " 3 received.bin");
  ASSERT_NE(peer, nullptr);
  g_sent.clear();
  {
    CMailSlot client;
    client.SetSendHook(KeepSent);
    ASSERT_TRUE(InitializeWhenServed(client, name));
    int values[12];
    for (int i = 0; i < 12; ++i) values[i] = -1000 * i - 7;
    const std::string longText(200, 'L');
    EXPECT_EQ(client.SendMail(TEZ_MSG_STATUS, 12, values, longText.c_str()), 1);
    EXPECT_EQ(client.SendMail(TEZ_MSG_EVENT, TEZ_EVENT_STOP), 1);
    EXPECT_EQ(client.SendMail(TEZ_MSG_ERROR, 0, "short"), 1);
  }
  ASSERT_EQ(WaitPeer(peer, 30000), 0);

  // As sent: the hook saw each record exactly as it went into the slot.
  ASSERT_EQ(g_sent.size(), 3u);
  EXPECT_EQ(g_sent[0].category, TEZ_MAIL_ITEM_OPERATOR);
  EXPECT_EQ(g_sent[0].lParam[9], -9007);
  EXPECT_EQ(g_sent[0].textLength, 127);
  EXPECT_EQ(g_sent[0].Text(), std::string(127, 'L'));
  EXPECT_EQ(g_sent[1].lParam[0], TEZ_EVENT_STOP);
  EXPECT_EQ(g_sent[1].lParam[1], 0);
  EXPECT_EQ(g_sent[2].Text(), "short");

  // As received in the other process: the same 184 bytes, id included.
  const std::vector<MailMessage> received = ReadRecords("received.bin");
  ASSERT_EQ(received.size(), 3u);
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(memcmp(&received[i], &g_sent[i], kMailRecordSize), 0) << "record " << i;
}

// A server of this process on a slot of its own, for client processes.
class MailServer : public ::testing::Test {
 protected:
  // With the settings-store companion when mapped.
  bool Open(const char* tag, bool mapped) {
    name = UniqueSlot(tag);
    server.EnableMappedMail(mapped ? 1 : 0);
    return server.Initialize(name.c_str(), TEZ_MAIL_RECORDER, 0, window.Handle()) == 1;
  }
  // Runs a client process to its end: 0 when it sent all.
  int RunClient(const std::string& arguments) {
    return WaitPeer(StartPeer("send " + name + " " + arguments), 20000);
  }
  // Once all came: nothing more arrives, nothing repeated or reported;
  // the records by sender.
  std::map<int, std::vector<int>> Settle() {
    window.Pump(&server, 300);
    EXPECT_EQ(window.repeats, 0);
    EXPECT_EQ(window.reports.size(), 0u);
    for (const std::string& report : window.reports) ADD_FAILURE() << "reported: " << report;
    return BySender(window.received);
  }

  std::string name;
  CMailWindow window;
  CMailSlot server;
};

TEST_F(MailServer, TakesRecordsOfTwoClientProcessesInTheirOrder) {
  ASSERT_TRUE(Open("three", false));
  HANDLE first = StartPeer("send " + name + " 1 30");
  HANDLE second = StartPeer("send " + name + " 2 30");
  EXPECT_TRUE(window.Receive(server, 60, 20000));
  EXPECT_EQ(WaitPeer(first, 20000), 0);
  EXPECT_EQ(WaitPeer(second, 20000), 0);
  const auto senders = Settle();
  ASSERT_EQ(senders.size(), 2u);
  EXPECT_EQ(senders.at(1), Upto(30));
  EXPECT_EQ(senders.at(2), Upto(30));
}

TEST_F(MailServer, TakesRecordsThroughTheSettingsStoreQueueAlone) {
  ASSERT_TRUE(Open("queue", true));
  EXPECT_EQ(RunClient("3 8 mapped noslot"), 0);
  EXPECT_TRUE(window.Receive(server, 8, 10000));
  const auto senders = Settle();
  ASSERT_EQ(senders.size(), 1u);
  EXPECT_EQ(senders.at(3), Upto(8));
}

TEST_F(MailServer, HandsOutARecordSentByBothTransportsOnce) {
  ASSERT_TRUE(Open("both", true));
  EXPECT_EQ(RunClient("4 5 mapped"), 0);
  EXPECT_TRUE(window.AwaitNotices(server, 10, 10000));
  window.Pump(&server, 200);
  EXPECT_EQ(window.notices, 10);
  EXPECT_EQ(window.repeats, 5);
  const auto senders = BySender(window.received);
  ASSERT_EQ(senders.size(), 1u);
  std::vector<int> numbers = senders.at(4);
  std::sort(numbers.begin(), numbers.end());
  EXPECT_EQ(numbers, Upto(5));
}

TEST(MailProcesses, MappedMailBetweenProcesses) {
  const char* name = "brindale_test_mapped_queue";
  CMailWindow window;
  CMappedMail queue("");
  ASSERT_EQ(queue.GetDllLoadState(), 1);
  MailMessage mail;
  int scratch = -1;
  while (queue.GetMail(name, &mail, &scratch)) {  // left by an earlier run
  }
  ASSERT_EQ(queue.CreateNewMail(name, window.Handle(), 1724), 1);
  EXPECT_EQ(queue.GetMailCount(name), 0);
  EXPECT_EQ(queue.GetMail(name, &mail, &scratch), 0);

  ASSERT_EQ(WaitPeer(StartPeer(std::string("queue ") + name + " 4"), 20000), 0);
  EXPECT_EQ(queue.GetMailCount(name), 4);
  MSG msg;
  int notices = 0;
  while (PeekMessageA(&msg, window.Handle(), 1724, 1724, PM_REMOVE)) ++notices;
  EXPECT_EQ(notices, 4);
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(queue.GetMail(name, &mail, &scratch), 1);
    EXPECT_EQ(scratch, kMailRecordSize);
    EXPECT_EQ(mail.category, TEZ_MAIL_MEDIA);
    EXPECT_EQ(mail.message, TEZ_MSG_STATUS);
    EXPECT_EQ(mail.lParam[0], i);
    EXPECT_EQ(mail.Text(), "queued " + std::to_string(i));
  }
  EXPECT_EQ(queue.GetMailCount(name), 0);

  // The default mail name, and a category given with the send.
  queue.SetMailbox(TEZ_MAIL_DIALER, name);
  EXPECT_EQ(queue.SendMail(TEZ_MSG_USER_COMMAND, 0, TEZ_MAIL_CONTROLLER, nullptr), 1);
  EXPECT_EQ(queue.SendMail(TEZ_MSG_ERROR, 0, "own", 0, nullptr), 1);
  ASSERT_EQ(queue.GetMail(nullptr, &mail, &scratch), 1);
  EXPECT_EQ(mail.category, TEZ_MAIL_CONTROLLER);
  ASSERT_EQ(queue.GetMail(nullptr, &mail, &scratch), 1);
  EXPECT_EQ(mail.category, TEZ_MAIL_CONTROLLER) << "a given category stays on the record";
  EXPECT_EQ(mail.Text(), "own");
  EXPECT_EQ(queue.CloseMail(name), 1);
}

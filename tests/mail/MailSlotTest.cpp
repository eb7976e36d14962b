// A server and clients over real mailslots inside one process: the send
// hook beside the slot, the reader's own repeat filter, records of the
// wrong size, failures, and a reader that will not stop.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "MailSlot.h"
#include "MailTestSupport.h"

namespace {

CMailSlot* g_hookTarget = nullptr;
void TEZAPI DeliverHere(const MailMessage* mail) { g_hookTarget->PutMail(mail); }

// A raw writer on the slot, for records no client would send.
class RawWriter {
 public:
  explicit RawWriter(const std::string& name)
      : m_handle(CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~RawWriter() {
    if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
  }
  bool Write(const void* bytes, DWORD size) {
    DWORD written = 0;
    return WriteFile(m_handle, bytes, size, &written, nullptr) && written == size;
  }
  bool WriteRecord(int32_t id) {
    MailMessage mail = {};
    mail.id = id;
    mail.category = TEZ_MAIL_MEDIA;
    mail.Fill(TEZ_MSG_EVENT, 1, &id, nullptr);
    return Write(&mail, sizeof mail);
  }

 private:
  HANDLE m_handle;
};

std::set<DWORD> ThreadsOfThisProcess() {
  std::set<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
  CloseHandle(snapshot);
  return ids;
}

}  // namespace

TEST(MailSlot, RecordBySlotAndHookAtOnceIsHandedOutOnce) {
  const std::string name = UniqueSlot("hook");
  CMailWindow window;
  CMailSlot server;
  ASSERT_EQ(server.Initialize(name.c_str(), TEZ_MAIL_RECORDER, 0, window.Handle()), 1);
  g_hookTarget = &server;
  CMailSlot client;
  client.SetSendHook(DeliverHere);
  ASSERT_EQ(client.Initialize(name.c_str(), TEZ_MAIL_ITEM_OPERATOR, 1, nullptr), 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(client.SendMail(TEZ_MSG_STATUS, i, "both ways"), 1);

  EXPECT_TRUE(window.AwaitNotices(server, 6, 5000));
  window.Pump(&server, 200);
  EXPECT_EQ(window.notices, 6);
  EXPECT_EQ(window.repeats, 3);
  ASSERT_EQ(window.received.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(window.received[i].category, TEZ_MAIL_ITEM_OPERATOR);
    EXPECT_EQ(window.received[i].lParam[0], i);
    EXPECT_EQ(window.received[i].Text(), "both ways");
  }
  g_hookTarget = nullptr;
}

TEST(MailSlot, ReaderDropsRepeatsAndRecordsOfTheWrongSize) {
  const std::string name = UniqueSlot("reader");
  CMailWindow window;
  CMailSlot server;
  ASSERT_EQ(server.Initialize(name.c_str(), TEZ_MAIL_RECORDER, 0, window.Handle()), 1);
  RawWriter writer(name);
  const std::vector<char> oversized(300, 'o'), shortOne(100, 's');
  ASSERT_TRUE(writer.WriteRecord(0));  // the reader's fresh ring holds id 0
  ASSERT_TRUE(writer.WriteRecord(5));
  ASSERT_TRUE(writer.WriteRecord(5));
  ASSERT_TRUE(writer.Write(oversized.data(), 300));
  ASSERT_TRUE(writer.Write(shortOne.data(), 100));
  // Records of the right size that cannot be ours: an unknown sender, a
  // text length out of bounds.
  MailMessage stranger = {};
  stranger.id = 41;
  stranger.category = 12345;
  ASSERT_TRUE(writer.Write(&stranger, sizeof stranger));
  MailMessage overlong = {};
  overlong.id = 42;
  overlong.category = TEZ_MAIL_MEDIA;
  overlong.textLength = 500;
  ASSERT_TRUE(writer.Write(&overlong, sizeof overlong));
  ASSERT_TRUE(writer.WriteRecord(6));

  ASSERT_TRUE(window.Receive(server, 2, 3000));
  EXPECT_EQ(window.received[0].id, 5);
  EXPECT_EQ(window.received[1].id, 6);
  // The reader went on after the odd records: a later one arrives too.
  ASSERT_TRUE(writer.WriteRecord(7));
  ASSERT_TRUE(window.Receive(server, 3, 3000));
  EXPECT_EQ(window.received[2].id, 7);
  window.Pump(&server, 200);
  EXPECT_EQ(window.notices, 3);

  EXPECT_TRUE(window.Reported("Mailslot Skipped multiple message [id == 0] error : #"));
  EXPECT_TRUE(window.Reported("Mailslot Skipped multiple message [id == 5] error : #"));
  // The malformed ones are dropped quietly and counted in one report.
  EXPECT_TRUE(window.Reported("Mailslot Skipped 4 malformed records error : #13 - "));
}

TEST(MailSlot, FailuresLeaveTheObjectUnusable) {
  const std::string name = UniqueSlot("fail");
  CMailWindow window;

  CMailSlot missing;  // nobody serves this name
  EXPECT_EQ(missing.Initialize(UniqueSlot("nobody").c_str(), TEZ_MAIL_MEDIA, 1, window.Handle()),
            0);
  EXPECT_EQ(missing.SendMail(TEZ_MSG_STATUS, 1, "lost"), 0);
  EXPECT_EQ(missing.SendMail(TEZ_MSG_STATUS, 1), 0);

  CMailSlot silent;  // a server needs a window to notify
  EXPECT_EQ(silent.Initialize(name.c_str(), TEZ_MAIL_RECORDER, 0, nullptr), 0);

  CMailSlot first, second;
  ASSERT_EQ(first.Initialize(name.c_str(), TEZ_MAIL_RECORDER, 0, window.Handle()), 1);
  EXPECT_EQ(second.Initialize(name.c_str(), TEZ_MAIL_RECORDER, 0, window.Handle()), 0);

  window.Pump(nullptr, 100);
  EXPECT_TRUE(window.Reported("Mailslot Initialize failed to open mailslot error : #"));
  EXPECT_TRUE(window.Reported("Mailslot Initialize CreateMailslot failed error : #"));
  EXPECT_EQ(window.reports.size(), 2u);
}

TEST(MailSlot, ReaderThatWillNotStopIsTerminated) {
  const std::string name = UniqueSlot("stuck");
  CMailWindow window;
  auto server = std::make_unique<CMailSlot>();
  const std::set<DWORD> before = ThreadsOfThisProcess();
  ASSERT_EQ(server->Initialize(name.c_str(), TEZ_MAIL_RECORDER, 0, window.Handle()), 1);
  std::vector<DWORD> started;
  for (DWORD id : ThreadsOfThisProcess())
    if (!before.count(id)) started.push_back(id);
  ASSERT_EQ(started.size(), 1u) << "the reader thread";
  HANDLE reader = OpenThread(THREAD_SUSPEND_RESUME | THREAD_QUERY_INFORMATION | SYNCHRONIZE, FALSE,
                             started[0]);
  ASSERT_NE(reader, nullptr);
  Sleep(150);  // let it reach its idle wait
  ASSERT_NE(SuspendThread(reader), static_cast<DWORD>(-1));

  server.reset();
  ASSERT_EQ(WaitForSingleObject(reader, 2000), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(reader, &code));
  EXPECT_EQ(static_cast<int32_t>(code), -4);
  CloseHandle(reader);
  window.Pump(nullptr, 100);
  EXPECT_TRUE(window.Reported("Mailslot Dtor force Terminate Thread error : #"));
}

TEST(MailSlot, ReaderStopsPromptlyAtDestruction) {
  CMailWindow window;
  auto server = std::make_unique<CMailSlot>();
  ASSERT_EQ(server->Initialize(UniqueSlot("stop").c_str(), TEZ_MAIL_RECORDER, 0, window.Handle()),
            1);
  server.reset();
  window.Pump(nullptr, 100);
  EXPECT_FALSE(window.Reported("Terminate")) << "the reader ended by itself";
}

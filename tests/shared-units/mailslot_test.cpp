// The mailslot component on real mailslots: delivery on the main thread,
// the error texts, reopening, oversized messages, and closing safely.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "MailBurst.h"
#include "MailMessage.h"
#include "MailSlotComp.h"
#include "ProbeProcess.h"

namespace {
struct Received {
  std::vector<std::string> texts;
  std::vector<std::string> data;
  std::vector<DWORD> threads;
};

void Listen(TMailSlotComp& slot, Received& r) {
  slot.OnMessageAvail = [&r](TObject*, const std::string& msg) {
    r.texts.push_back(msg);
    r.threads.push_back(GetCurrentThreadId());
  };
  slot.OnBinMessageAvail = [&r](TObject*, const char* data, int len) {
    r.data.emplace_back(data, static_cast<size_t>(len));
  };
}

std::string ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const EMailSlotComp& e) {
    return e.Message();
  }
  return "";
}
}  // namespace

TEST(MailSlotComp, RecordsFromAnotherProcessArriveOnTheMainThread) {
  Application->Initialize();
  TMailSlotComp slot(nullptr);
  slot.SetSlot("forms_test_halvorn");
  Received r;
  Listen(slot, r);
  slot.SetActive(true);
  ASSERT_TRUE(slot.Active());

  HANDLE peer = StartProbe("sendmail forms_test_halvorn 3");
  ASSERT_NE(peer, nullptr);
  ProbeGuard guard(peer);
  EXPECT_EQ(WaitExit(peer), 0u);
  ASSERT_TRUE(PumpUntil([&] { return r.data.size() == 3; }));
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(r.data[static_cast<size_t>(i)].size(), 184u);
    MailMessage m;
    std::memcpy(&m, r.data[static_cast<size_t>(i)].data(), sizeof m);
    EXPECT_EQ(m.lParam[0], i);
    EXPECT_EQ(std::string(m.text), "record " + std::to_string(i));
    // The text event carries the bytes up to the first zero (the id's).
    EXPECT_EQ(r.texts[static_cast<size_t>(i)], std::string(r.data[static_cast<size_t>(i)].c_str()));
    EXPECT_EQ(r.threads[static_cast<size_t>(i)], GetCurrentThreadId());
  }
}

TEST(MailSlotComp, ErrorsAndClientRoutines) {
  Application->Initialize();
  TMailSlotComp first(nullptr), second(nullptr);
  first.SetSlot("forms_test_twice");
  second.SetSlot("forms_test_twice");
  first.SetActive(true);
  EXPECT_EQ(ErrorOf([&] { second.SetActive(true); }), "Mailslot already exists");
  EXPECT_FALSE(second.Active());
  EXPECT_EQ(ErrorOf([&] { second.GetInfo(); }), "Not active");
  first.GetInfo();
  EXPECT_EQ(first.MessageCount(), 0);

  // Neither an unknown server nor a name the system finds invalid (error
  // 123) is the bad-name error of the slot functions.
  TMailSlotComp bad(nullptr);
  bad.SetServer("no such server");
  EXPECT_EQ(ErrorOf([&] { bad.SetActive(true); }), "Cannot open mailslot");
  EXPECT_FALSE(bad.Active());
  bad.SetServer(".");
  bad.SetSlot("a\\..\\..\\b");
  EXPECT_EQ(ErrorOf([&] { bad.SetActive(true); }), "Cannot open mailslot");
  EXPECT_FALSE(bad.Active());

  EXPECT_FALSE(MailSlotSendBinMessage(".", "forms_test_nobody", "x", 1));
  EXPECT_FALSE(MailSlotSendMessage(".", "forms_test_nobody", "Testing"));
  EXPECT_TRUE(MailSlotSendMessage(".", "forms_test_twice", "Testing"));
}

TEST(MailSlotComp, SlotNamesAndReopening) {
  Application->Initialize();
  TMailSlotComp slot(nullptr);
  slot.SetName("forms_test_named");  // the slot follows the name until set
  EXPECT_EQ(slot.Slot(), "forms_test_named");
  int opens = 0, closes = 0;
  slot.OnOpen = [&](TObject*) { ++opens; };
  slot.OnClose = [&](TObject*) { ++closes; };
  slot.SetActive(true);
  HANDLE h = slot.Handle();
  slot.SetSlot("FORMS_TEST_NAMED");  // same name in other case: nothing
  EXPECT_EQ(slot.Handle(), h);
  EXPECT_EQ(opens, 1);

  slot.SetSlot("forms_test_renamed");
  EXPECT_TRUE(slot.Active());
  EXPECT_EQ(opens, 2);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(MailSlotSendMessage(".", "forms_test_named", "old"));
  EXPECT_TRUE(MailSlotSendMessage(".", "forms_test_renamed", "new"));
  slot.SetName("other");
  EXPECT_EQ(slot.Slot(), "forms_test_renamed");

  // While the owner is being read, Active is applied when loading ends.
  TComponent owner(nullptr);
  owner.BeginLoading();
  auto* loaded = new TMailSlotComp(&owner);
  loaded->SetSlot("forms_test_loaded");
  loaded->SetActive(true);
  EXPECT_FALSE(loaded->Active());
  owner.EndLoading();
  EXPECT_TRUE(loaded->Active());
}

TEST(MailSlotComp, OversizedMessageIsDroppedAndTheNextStillArrives) {
  Application->Initialize();
  TMailSlotComp slot(nullptr);
  slot.SetSlot("forms_test_big");
  Received r;
  Listen(slot, r);
  slot.SetActive(true);
  std::string big(70000, 'b');
  ASSERT_TRUE(MailSlotSendMessage(".", "forms_test_big", big));
  ASSERT_TRUE(MailSlotSendMessage(".", "forms_test_big", "after"));
  ASSERT_TRUE(PumpUntil([&] { return !r.texts.empty(); }));
  EXPECT_EQ(r.texts, std::vector<std::string>{"after"});
}

TEST(MailSlotComp, NothingCallsAClosedOrFreedComponent) {
  Application->Initialize();
  Received r;
  for (int round = 0; round < 5; ++round) {
    auto* slot = new TMailSlotComp(nullptr);
    slot->SetSlot("forms_test_closing");
    Listen(*slot, r);
    slot->SetActive(true);
    for (int i = 0; i < 20; ++i) MailSlotSendMessage(".", "forms_test_closing", "x");
    // Let the watcher find the messages, then free the component while
    // they are still waiting.
    Sleep(30);
    delete slot;
  }
  size_t seen = r.texts.size();
  DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start > 300; });
  EXPECT_EQ(r.texts.size(), seen);
  // The name is free again at once.
  TMailSlotComp again(nullptr);
  again.SetSlot("forms_test_closing");
  again.SetActive(true);
  EXPECT_TRUE(again.Active());

  // Closing from inside its own event does not wait for itself.
  int events = 0;
  again.OnMessageAvail = [&](TObject*, const std::string&) {
    ++events;
    again.SetActive(false);
  };
  MailSlotSendMessage(".", "forms_test_closing", "one");
  MailSlotSendMessage(".", "forms_test_closing", "two");
  DWORD t0 = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return events > 0; }));
  PumpUntil([&] { return GetTickCount() - t0 > 200; });
  EXPECT_EQ(events, 1);
  EXPECT_FALSE(again.Active());
}

TEST(MailSlotComp, BurstOfMalformedMailIsTakenWholeAndReadingGoesOn) {
  Application->Initialize();
  TMailSlotComp slot(nullptr);
  slot.SetSlot("forms_test_burst");
  Received r;
  Listen(slot, r);
  slot.SetActive(true);
  // Blocks of 0 to 400 bytes, empty ones among them, as fast as a writer
  // can: each is handed on, in order, and none stops the reading.
  bool sent = false;
  std::thread writer(
      [&sent] { sent = SendMalformedBurst("\\\\.\\mailslot\\forms_test_burst", 2000, 7, 240000); });
  PumpUntil([&] { return r.data.size() >= 2000; }, 240000);
  writer.join();
  EXPECT_TRUE(sent);
  EXPECT_EQ(r.data.size(), 2000u);
  size_t empty = 0;
  for (const std::string& d : r.data) empty += d.empty();
  EXPECT_GT(empty, 0u);
  ASSERT_TRUE(MailSlotSendMessage(".", "forms_test_burst", "after"));
  ASSERT_TRUE(PumpUntil([&] { return !r.texts.empty() && r.texts.back() == "after"; }));
}

TEST(MailSlotComp, WriterSharesTheSlotWithAWriterThatHoldsIt) {
  Application->Initialize();
  TMailSlotComp slot(nullptr);
  slot.SetSlot("forms_test_shared_writers");
  Received r;
  Listen(slot, r);
  slot.SetActive(true);
  // Another writer holds the slot open, as the library's writer does, with
  // reading and writing shared.
  HANDLE held = CreateFileA("\\\\.\\mailslot\\forms_test_shared_writers", GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(MailSlotSendMessage(".", "forms_test_shared_writers", "beside another writer"));
  CloseHandle(held);
  ASSERT_TRUE(PumpUntil([&] { return r.texts.size() == 1; }));
  EXPECT_EQ(r.texts[0], "beside another writer");
}

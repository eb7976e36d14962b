// Shared units against real peer processes: single-instance hand-over,
// window messages by caption, and the time dialog driven from outside.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "AskSchedTime.h"
#include "ControlTags.h"
#include "MsgSend.h"
#include "ProbeProcess.h"
#include "WinExc32.h"

namespace {
std::string ReadAll(const char* name) {
  std::ifstream f(name);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}
int CountWindows(const char* caption) {
  struct Ctx {
    const char* caption;
    int n;
  } ctx{caption, 0};
  EnumWindows(
      [](HWND w, LPARAM lp) CALLBACK -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(lp);
        char text[256] = {};
        GetWindowTextA(w, text, sizeof text);
        if (std::strcmp(text, c->caption) == 0) ++c->n;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.n;
}
}  // namespace

TEST(JustOne, SecondInstanceHandsOverToTheFirstAndEnds) {
  std::remove("first.marker");
  std::remove("second.marker");
  HANDLE first = StartProbe("justone \"JustOne Probe\" first.marker min");
  ASSERT_NE(first, nullptr);
  ProbeGuard firstGuard(first);
  HWND form = WaitForWindow("JustOne Probe form");
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(form) != 0; }));

  HANDLE second = StartProbe("justone \"JustOne Probe\" second.marker");
  ASSERT_NE(second, nullptr);
  ProbeGuard secondGuard(second);
  EXPECT_EQ(WaitExit(second), 0u);
  EXPECT_EQ(ReadAll("second.marker"), "closing");  // BeforeClose fired in the second
  EXPECT_EQ(ReadAll("first.marker"), "");
  EXPECT_TRUE(PumpUntil([&] { return !IsIconic(form); })) << "first instance not restored";
  EXPECT_EQ(CountWindows("JustOne Probe form"), 1);
  EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  PostMessageA(form, WM_CLOSE, 0, 0);  // the main form ends its program
  EXPECT_EQ(WaitExit(first), 0u);
}

TEST(MsgSend, ReachesAWindowOfAnotherProcessByCaption) {
  HANDLE peer = StartProbe("msgtarget \"MsgSend Target\"");
  ASSERT_NE(peer, nullptr);
  ProbeGuard guard(peer);
  ASSERT_NE(WaitForWindow("MsgSend Target"), nullptr);

  TMsgSend send(nullptr);
  send.WindowCaption = "MsgSend Target";
  send.MsgVal = WM_USER + 100;
  send.MsgWParam = 7;
  send.msgLParam = -9;
  ASSERT_TRUE(send.SendMsg());  // handled when it returns
  HWND target = send.Target();
  char text[64] = {};
  GetWindowTextA(target, text, sizeof text);
  EXPECT_STREQ(text, "got 7 -9");

  send.WindowCaption = "got 7 -9";
  send.MsgVal = WM_USER + 101;
  ASSERT_TRUE(send.PostMsg());
  EXPECT_EQ(send.Target(), target);
  EXPECT_NE(WaitForWindow("posted 7 -9", 30000), nullptr);

  send.WindowCaption = "No Such Window Anywhere";
  EXPECT_FALSE(send.PostMsg());
  EXPECT_FALSE(send.SendMsg());
  EXPECT_EQ(send.Target(), nullptr);

  PostMessageA(target, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitExit(peer), 0u);
}

TEST(TimeDialog, ListRunsFrom12AMThrough11_45PM) {
  EXPECT_EQ(TfrmAskSchedTime1::TimeEntryText(0), "12:00 AM");
  EXPECT_EQ(TfrmAskSchedTime1::TimeEntryText(4), " 1:00 AM");
  EXPECT_EQ(TfrmAskSchedTime1::TimeEntryText(47), "11:45 AM");
  EXPECT_EQ(TfrmAskSchedTime1::TimeEntryText(48), "12:00 PM");
  EXPECT_EQ(TfrmAskSchedTime1::TimeEntryText(95), "11:45 PM");
}

namespace {
// What a user does in the dialog.
enum Action { kNothing, kToggleAutoRec, kChoose49 };
struct DialogCase {
  const char* fields;  // hour min ampm autorec
  int selected;        // entry shown on opening
  bool listEnabled;    // on opening
  Action action;
  const char* button;
  const char* result;  // modal result hour min ampm autorec index
};
}  // namespace

TEST(TimeDialog, ReturnsTheChosenTime) {
  const DialogCase cases[] = {
      {"0 0 0 1", 0, true, kNothing, "OKBtn", "1 0 0 0 1 0"},
      {"0 0 1 1", 48, true, kNothing, "OKBtn", "1 0 0 1 1 48"},
      {"11 45 1 1", 95, true, kChoose49, "OKBtn", "1 0 15 1 1 49"},
      {"3 30 0 0", 14, false, kNothing, "OKBtn", "1 3 30 0 0 14"},
      {"3 30 0 0", 14, false, kToggleAutoRec, "OKBtn", "1 3 30 0 1 14"},
      {"5 15 1 1", 69, true, kChoose49, "CancelBtn", "2 0 15 1 1 49"},
  };
  for (const DialogCase& c : cases) {
    SCOPED_TRACE(c.fields);
    std::remove("asktime.txt");
    HANDLE peer = StartProbe(std::string("asktime asktime.txt ") + c.fields);
    ASSERT_NE(peer, nullptr);
    ProbeGuard guard(peer);
    HWND dlg = WaitForWindow("Brindale Recording Time");
    ASSERT_NE(dlg, nullptr);
    HWND combo = FindControlByName(dlg, "cmbFullTime");
    HWND check = FindControlByName(dlg, "chkAutoRec");
    HWND button = FindControlByName(dlg, c.button);
    ASSERT_TRUE(combo && check && button);
    EXPECT_TRUE(GetWindowLongPtrA(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 96);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), c.selected);
    EXPECT_EQ(IsWindowEnabled(combo) != 0, c.listEnabled);
    EXPECT_EQ(IsWindowEnabled(FindControlByName(dlg, "pnlRetrieveTime")) != 0, c.listEnabled);
    if (c.action == kToggleAutoRec) {
      SendMessageA(check, BM_CLICK, 0, 0);
      EXPECT_TRUE(IsWindowEnabled(combo));
    }
    if (c.action == kChoose49) {
      SendMessageA(combo, CB_SETCURSEL, 49, 0);
      SendMessageA(GetParent(combo), WM_COMMAND,
                   MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(WaitExit(peer), 0u);
    EXPECT_EQ(ReadAll("asktime.txt"), c.result);
  }
}

TEST(WinExc32, StartsAndWaitsOrReportsTheFailure) {
  HANDLE process = nullptr;
  std::string cmd = "\"" + ProbePath() + "\" sendmail no_such_slot_anywhere 1";
  EXPECT_EQ(WinExecAndWait(cmd, SW_HIDE, 30000, process), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  EXPECT_EQ(code, 2u);  // the peer could not send to a slot nobody serves
  CloseHandle(process);
  process = nullptr;
  HANDLE idle = nullptr;
  std::string target = "\"" + ProbePath() + "\" msgtarget \"Idle Probe\"";
  EXPECT_EQ(WinExecAndWaitIdle(target, SW_SHOWNORMAL, 30000, idle), 0u);  // idle in its loop
  ASSERT_NE(idle, nullptr);
  ProbeGuard guard(idle);
  HWND w = WaitForWindow("Idle Probe");
  ASSERT_NE(w, nullptr);
  PostMessageA(w, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitExit(idle), 0u);
  EXPECT_EQ(WinExecAndWait("no_such_program_here.exe", SW_HIDE, 1000, process),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(process, nullptr);
}

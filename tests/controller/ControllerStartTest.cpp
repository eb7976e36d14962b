// The controller's start requests without a working Recorder, its single
// instance, daily schedule, device check and tray icon, with the device
// program and main-program stand-ins.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "ControllerSupport.h"
#include "MailMessage.h"

namespace {

const char kPeer[] = "HalvornPeer.log";

// Everything but the Recorder: each start fails.
const std::vector<std::string> kNoRecorder = {"Pellomar.exe", "Caddrel.exe", "HalvornPeer.exe",
                                              "HalvornBasket.dll", "TezIniManager.dll"};

std::string Param(const ControllerFolder& f, const char* section, const char* key) {
  return f.Key("TezParam.inx", section, key);
}

TEST(ControllerStart, FailedRecorderStartIsReportedAndRunKeysFollowTheMode) {
  ControllerFolder f("nostart", kNoRecorder);
  f.SetParam("Recorder", "optionPlayOpening", "1");
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  struct Case {
    int mode, recButton;
    const char* storeRecState;
    const char* playOpening;
    const char* virtualMedia;
    const char* selected;
    const char* failedState;  // the state told to the main program: kind and state 0
    const char* hint;
  };
  const Case cases[] = {
      {0, 1, "1", "1", "0", "0", "MSG 1238 0 0", "Brindale Error Running  Recorder"},
      {100, 1, "0", "0", "1", "0", "MSG 1238 0 0", "Brindale Error Running  Player"},
      {150, 1, "0", "0", "1", "1", "MSG 1238 0 0", "Brindale Error Running  Play Item"},
      {100, 0, "1", "1", "1", "0", "MSG 1238 0 0", "Brindale Error Running  Player"},
  };
  int failures = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode * 10 + c.recButton);
    if (c.recButton == 0) {
      f.SetParam("FileDisk", "recButAvailable", "0");
      ASSERT_TRUE(f.Send(1227)) << "the controller did not take the changed settings";
    }
    const int saves = f.CountLines(kPeer, "MSG 1276 1277 " + std::to_string(c.mode));
    const int idles = f.CountLines(kPeer, c.failedState);
    f.Post(kStartSession, WPARAM(c.mode));
    // Each start goes on after its failure: none is left waiting in state 7.
    const DWORD start = GetTickCount();
    while (f.CountLines(kPeer, "MSG 1226") == failures && GetTickCount() - start < 40000) Sleep(100);
    ASSERT_EQ(f.CountLines(kPeer, "MSG 1226"), ++failures);
    EXPECT_EQ(f.CountLines(kPeer, "MSG 1276 1277 " + std::to_string(c.mode)), saves + 1);
    // After the failure the main program hears kind and state 0 (never a
    // failed state), and the failure itself.
    EXPECT_GT(f.CountLines(kPeer, c.failedState), idles);
    for (const char* failedState : {"MSG 1238 5 ", "MSG 1238 21 ", "MSG 1238 37 "})
      EXPECT_LT(f.FindLine(kPeer, failedState), 0);
    EXPECT_EQ(Param(f, "Recorder", "storeRecState"), c.storeRecState);
    EXPECT_EQ(Param(f, "Recorder", "playOpening"), c.playOpening);
    EXPECT_EQ(Param(f, "Recorder", "useVirtualMedia"), c.virtualMedia);
    EXPECT_EQ(Param(f, "Recorder", "playSelectedItem"), c.selected);
    bool hinted = false;
    for (const std::string& line : f.Lines("pellomar.log"))
      hinted = hinted || line.find(c.hint) != std::string::npos;
    EXPECT_TRUE(hinted);
  }
}

TEST(ControllerStart, SecondStartOpensTheBasketOfTheFirstAndEnds) {
  ControllerFolder f("single", kNoRecorder);
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ASSERT_TRUE(f.WaitForLine("Caddrel.log", "REGISTER", 15000));
  HANDLE second = f.Start("Pellomar.exe", "/GETDIR");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(WaitForSingleObject(second, 30000), WAIT_OBJECT_0);
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1124 1 1", 10000));  // the basket, at once
  int controllers = 0;
  for (HWND w = FindWindowA(nullptr, "Brindale Control"); w;
       w = FindWindowExA(nullptr, w, nullptr, "Brindale Control"))
    ++controllers;
  EXPECT_EQ(controllers, 1);
  EXPECT_EQ(f.CountLines("Caddrel.log", "START"), 1);
}

TEST(ControllerStart, ScheduleStartsARunAtTheSetMinute) {
  struct Case {
    const char* recButton;
    const char* playButton;
    const char* save;  // the start request, by mode
  };
  const Case cases[] = {{"1", "1", "MSG 1276 1277 0"}, {"0", "1", "MSG 1276 1277 100"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.save);
    ControllerFolder f("schedule", kNoRecorder);
    // The time of day now, as the schedule dialog keeps it: 1 to 12 (0
    // for 12) and a PM flag; not in the last seconds of a minute.
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wSecond > 45) {
      Sleep(DWORD(61 - now.wSecond) * 1000);
      GetLocalTime(&now);
    }
    f.SetParam("AutoUpdate", "active", "1");
    f.SetParam("AutoUpdate", "hour", std::to_string(now.wHour % 12));
    f.SetParam("AutoUpdate", "min", std::to_string(now.wMinute));
    f.SetParam("AutoUpdate", "amPm", now.wHour >= 12 ? "1" : "0");
    f.SetParam("FileDisk", "recButAvailable", c.recButton);
    f.SetParam("FileDisk", "playButAvailable", c.playButton);
    // The main program leaves the start hanging: a failed start would arm
    // the schedule again for a retry within the minute.
    f.Write("HalvornPeer.inx", "[Peer]\r\nnoSave=1\r\n");
    ASSERT_TRUE(f.StartPeer());
    ASSERT_TRUE(f.StartController());
    EXPECT_TRUE(f.WaitForLine(kPeer, c.save, 15000));
    // Once a day: the minute's further checks start nothing more.
    Sleep(21000);
    EXPECT_EQ(f.CountLines(kPeer, "MSG 1276"), 1);
  }
}

TEST(ControllerStart, RecordingOnADeviceThatIsNotReadyShowsTheNotice) {
  ControllerFolder f("notready", kNoRecorder);
  f.SetParam("FileDisk", "mdSetEnabled", "1");
  f.SetParam("FileDisk", "mediaComPort", "0");  // taken as port 1
  f.Write("Caddrel.inx", "[Device]\r\nneverReady=1\r\n");
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ASSERT_TRUE(f.WaitForLine("Caddrel.log", "COMMAND 510 0", 15000));
  EXPECT_GE(f.FindLine("Caddrel.log", "COMMAND 10 1"), 0);
  f.Post(kStartSession, 0);
  ASSERT_TRUE(WaitForWindow("MiniDisc is not ready for recording.", true, 10000));
  EXPECT_EQ(f.CountLines("Caddrel.log", "COMMAND 510 0"), 2);
  EXPECT_LT(f.FindLine(kPeer, "MSG 1276"), 0);
  PostMessageA(FindWindowA(nullptr, "MiniDisc is not ready for recording."), WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitForWindow("MiniDisc is not ready for recording.", false, 5000));
  // A device that reports ready lets the next request through.
  PostMessageA(f.Controller(), 1164, 525, 0);
  f.Post(kStartSession, 0);
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1276 1277 0", 10000));
}

TEST(ControllerStart, DeviceProgramAlreadyRunningIsRegisteredWith) {
  ControllerFolder f("devrunning", kNoRecorder);
  HANDLE device = f.Start("Caddrel.exe");
  ASSERT_NE(device, nullptr);
  ASSERT_TRUE(WaitForWindow("BrindaleCaddrel", true, 15000));
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  EXPECT_TRUE(f.WaitForLine("Caddrel.log", "REGISTER", 15000));
  EXPECT_TRUE(f.WaitForLine("Caddrel.log", "COMMAND 10 1", 15000));
  EXPECT_EQ(f.CountLines("Caddrel.log", "START"), 1);
}

TEST(ControllerStart, MessagesPassedOnToTheMainProgram) {
  ControllerFolder f("tomain", kNoRecorder);
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ASSERT_TRUE(f.WaitForLine("Caddrel.log", "REGISTER", 15000));
  const int states = f.CountLines(kPeer, "MSG 1238 ");
  f.Post(1248);  // the main program started: it is told the state
  const DWORD start = GetTickCount();
  while (f.CountLines(kPeer, "MSG 1238 ") == states && GetTickCount() - start < 10000) Sleep(100);
  EXPECT_GT(f.CountLines(kPeer, "MSG 1238 "), states);
  f.Post(1230);
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1230", 10000));
  f.Post(1236);  // a failed run to retry: state 5, passed on, views refreshed
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1236", 10000));
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1238 5 0", 10000));
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1247 10", 10000));
}

}  // namespace

namespace {

// The controller's error box: a visible window of its process captioned
// with the application's title, holding an OK button.
HWND ErrorBox(DWORD controller) {
  for (HWND w = FindWindowA(nullptr, "Brindale Message"); w;
       w = FindWindowExA(nullptr, w, nullptr, "Brindale Message")) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == controller && IsWindowVisible(w) && FindWindowExA(w, nullptr, "Button", "OK"))
      return w;
  }
  return nullptr;
}

HWND WaitForErrorBox(DWORD controller, DWORD ms) {
  const DWORD start = GetTickCount();
  HWND box = nullptr;
  while (!(box = ErrorBox(controller)) && GetTickCount() - start < ms) Sleep(100);
  return box;
}

TEST(ControllerStart, TraceFileThatCannotBeWrittenIsReportedAndTheNextStartWorks) {
  ControllerFolder f("tracelock", kNoRecorder);
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ASSERT_TRUE(f.WaitForLine("Caddrel.log", "REGISTER", 15000));
  DWORD controller = 0;
  GetWindowThreadProcessId(f.Controller(), &controller);

  // Another program holds the trace file without sharing it.
  HANDLE lock = CreateFileA(f.File("pellomar.log").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  // The start fails (no Recorder) and its trace cannot be written: the
  // error reaches the user, and the start ends there.
  f.Post(1277, 0);
  // Each handler that traces meanwhile (the start's own cancel of the
  // update check among them) tells the same; every box is answered.
  int boxes = 0;
  for (HWND box = WaitForErrorBox(controller, 30000); box;
       box = WaitForErrorBox(controller, 3000)) {
    char text[256] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ(text, "I/O error 32");
    SendMessageA(FindWindowExA(box, nullptr, "Button", "OK"), BM_CLICK, 0, 0);
    Sleep(300);
    ASSERT_LT(++boxes, 20);
  }
  EXPECT_GE(boxes, 1);
  EXPECT_LT(f.FindLine(kPeer, "MSG 1226"), 0);
  CloseHandle(lock);

  // The start flag was cleared with the broken-off start: the next start
  // is taken, traced and reported.
  ASSERT_TRUE(WaitForWindow("Brindale Control", true, 1000));
  f.Post(1277, 0);
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1226", 30000));
  // The main program is told first; the trace line follows.
  auto traced = [&] {
    for (const std::string& line : f.Lines("pellomar.log"))
      if (line.find("Brindale Error Running  Recorder") != std::string::npos) return true;
    return false;
  };
  const DWORD since = GetTickCount();
  while (!traced() && GetTickCount() - since < 30000) Sleep(100);
  EXPECT_TRUE(traced()) << "waited 30 s for the trace of the failed start";
  EXPECT_EQ(ErrorBox(controller), nullptr);
}

}  // namespace

namespace {

// The settings store's mail queues of the folder, through its library as
// every program of the system reaches them.
class FolderQueues {
 public:
  explicit FolderQueues(const ControllerFolder& f) {
    GetCurrentDirectoryA(MAX_PATH, m_old);
    SetCurrentDirectoryA(f.Path().c_str());  // the queues live in the current folder
    m_library = LoadLibraryA(f.File("TezIniManager.dll").c_str());
    if (!m_library) return;
    m_send = reinterpret_cast<MailFn>(Entry("TezSendMail"));
    m_get = reinterpret_cast<MailFn>(Entry("TezGetMail"));
    m_count = reinterpret_cast<CountFn>(Entry("TezGetMailCount"));
  }
  ~FolderQueues() {
    if (m_library) FreeLibrary(m_library);
    SetCurrentDirectoryA(m_old);
  }
  bool Loaded() const { return m_send && m_get && m_count; }
  bool Send(const char* queue, const MailMessage& mail) { return m_send(queue, &mail, nullptr) == 1; }
  bool Take(const char* queue, MailMessage* mail) { return m_get(queue, mail, nullptr) == 1; }
  int Count(const char* queue) { return m_count(queue); }

 private:
  using MailFn = int(__cdecl*)(const char*, const MailMessage*, int*);
  using CountFn = int(__cdecl*)(const char*);
  void* Entry(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(m_library, name));
  }
  char m_old[MAX_PATH] = {};
  HMODULE m_library = nullptr;
  MailFn m_send = nullptr;
  MailFn m_get = nullptr;
  CountFn m_count = nullptr;
};

TEST(ControllerStart, MailLeftInTheQueueFromAnEarlierRunIsNotRelayed) {
  ControllerFolder f("queuerelay", kNoRecorder);
  const char kControllerQueue[] = "\\\\.\\mailslot\\Pellomar";
  {
    // A Recorder of an earlier run left copies of its reports in the
    // controller's queue.
    FolderQueues queues(f);
    ASSERT_TRUE(queues.Loaded());
    for (int i = 0; i < 3; ++i) {
      MailMessage mail = {};
      mail.id = 0x1724 + i;
      mail.category = TEZ_MAIL_TO_CONTROLLER;
      mail.message = 1;
      mail.lParam[0] = 40 + i;
      ASSERT_TRUE(queues.Send(kControllerQueue, mail));
    }
    ASSERT_EQ(queues.Count(kControllerQueue), 3);
  }
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ASSERT_TRUE(f.WaitForLine("Caddrel.log", "REGISTER", 15000));
  // The controller empties its queue at its start: nothing of that run
  // reaches the main program, by its queue or its mailslot.
  FolderQueues queues(f);
  ASSERT_TRUE(queues.Loaded());
  const DWORD start = GetTickCount();
  while (queues.Count(kControllerQueue) > 0 && GetTickCount() - start < 15000) Sleep(100);
  EXPECT_EQ(queues.Count(kControllerQueue), 0);
  Sleep(1000);  // a relay would have come by now
  EXPECT_EQ(queues.Count("halvorn"), 0);
  for (const std::string& line : f.Lines(kPeer)) EXPECT_EQ(line.find(" 5924 "), std::string::npos);
}

}  // namespace

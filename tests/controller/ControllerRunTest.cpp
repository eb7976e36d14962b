// Runs commanded through the controller: the real Recorder fetching items
// from the local web server, the device program and main-program
// stand-ins, all as separate processes talking over window messages,
// mailslots and mail queues.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <cstring>

#include "ControllerSupport.h"
#include "MailBurst.h"
#include "MailMessage.h"

namespace {

const char kPeer[] = "HalvornPeer.log";

// Handles this thread's window messages for that long.
void PumpMessages(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  } while (GetTickCount() - start < ms);
}

// A window of the test that the controller forwards the Recorder's reports to.
struct ReportWindow {
  static std::vector<std::pair<int, long>>& Reports() {
    static std::vector<std::pair<int, long>> reports;
    return reports;
  }
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRecorderReport) {
      Reports().emplace_back(int(wp), long(lp));
      return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
  }
  ReportWindow() {
    Reports().clear();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ControllerTestReports";
    RegisterClassA(&wc);
    window = CreateWindowA("ControllerTestReports", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           wc.hInstance, nullptr);
  }
  ~ReportWindow() { DestroyWindow(window); }
  void Pump(DWORD ms) { PumpMessages(ms); }
  // Pumps until the report comes; its index, or -1.
  int WaitFor(int code, long value, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
      int i = Find(code, value);
      if (i >= 0) return i;
      if (GetTickCount() - start > ms) return -1;
      Pump(20);
    }
  }
  int Find(int code, long value, int from = 0) const {
    auto& r = Reports();
    for (size_t i = size_t(from); i < r.size(); ++i)
      if (r[i].first == code && r[i].second == value) return int(i);
    return -1;
  }
  HWND window;
};

// Writes a block to the controller's mailslot as the Recorder does.
bool SendToController(const void* data, DWORD size) {
  HANDLE slot = CreateFileA("\\\\.\\mailslot\\pellomar", GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (slot == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(slot, data, size, &written, nullptr) && written == size;
  CloseHandle(slot);
  return ok;
}

// Whether the peer took a mail record (from its slot or queue) of that
// category, code and first value.
bool PeerGotMail(const ControllerFolder& f, int category, int code, long value) {
  for (const std::string& line : f.Lines(kPeer)) {
    char source[8];
    long id, c, m, v;
    if (sscanf(line.c_str(), "%7s %ld %ld %ld %ld", source, &id, &c, &m, &v) == 5 &&
        (!strcmp(source, "SLOT") || !strcmp(source, "QUEUE")) && c == category && m == code &&
        v == value)
      return true;
  }
  return false;
}

std::string Param(const ControllerFolder& f, const char* section, const char* key) {
  return f.Key("TezParam.inx", section, key);
}

TEST(ControllerRun, RecordCommandMakesTheRecordingAndTellsTheMainProgram) {
  ControllerFolder f("full");
  f.SetParam("Recorder", "optionPlayOpening", "0");
  f.WriteItems({f.HttpItem("first.wav", 1000, 0.5), f.HttpItem("second.wav", 2000, 0.5)});
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ASSERT_TRUE(f.WaitForLine("Caddrel.log", "COMMAND 10 1", 15000));
  EXPECT_GE(f.FindLine("Caddrel.log", "REGISTER"), 0);

  // Mail from before the main program opened its mailslot waits for it;
  // blocks shorter than a record are dropped.
  MailMessage early = {};
  early.id = 0x5151;
  early.category = TEZ_MAIL_TO_CONTROLLER;
  early.message = 77;
  early.lParam[0] = 5;
  ASSERT_TRUE(SendToController(&early, sizeof early));
  MailMessage shortBlock = early;
  shortBlock.id = 0x4242;
  ASSERT_TRUE(SendToController(&shortBlock, 100));

  f.Post(kStartSession, 0);  // as "&Record Now" does
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1247 10", 120000));

  // The save request first, then every state change in order.
  int at = 0;
  for (const char* line : {"MSG 1276 1277 0", "MSG 1238 7 0", "MSG 1238 1 0", "MSG 1235 0 0",
                           "MSG 1238 3 0", "MSG 1238 4 0", "MSG 1225 0 0", "MSG 1247 10 0"}) {
    int next = f.FindLine(kPeer, line, at);
    EXPECT_GE(next, at) << line;
    if (next >= 0) at = next;
  }
  EXPECT_LT(f.FindLine(kPeer, "MSG 1226"), 0);
  EXPECT_TRUE(PeerGotMail(f, TEZ_MAIL_TO_CONTROLLER, 77, 5));
  EXPECT_TRUE(PeerGotMail(f, TEZ_MAIL_TO_CONTROLLER, 1, 2));  // run started
  EXPECT_TRUE(PeerGotMail(f, TEZ_MAIL_TO_CONTROLLER, 1, 3));  // recording
  for (const std::string& line : f.Lines(kPeer)) EXPECT_EQ(line.find(" 16962 "), std::string::npos);

  EXPECT_EQ(Param(f, "Recorder", "storeRecState"), "1");
  EXPECT_EQ(Param(f, "Recorder", "playOpening"), "0");
  EXPECT_EQ(Param(f, "Recorder", "useVirtualMedia"), "0");
  EXPECT_EQ(Param(f, "Recorder", "playSelectedItem"), "0");
  EXPECT_NE(Param(f, "Recorder", "lastRecordingTime").find("ProcID="), std::string::npos);
  EXPECT_EQ(f.Key("data\\news\\news.inx", "1", "recStatus"), "4");
  EXPECT_EQ(f.Key("data\\news\\news.inx", "2", "recStatus"), "4");
  const std::string recording = f.Recording();
  ASSERT_FALSE(recording.empty());
  EXPECT_GE(ReadRuns(recording).size(), 2u);
  EXPECT_TRUE(WaitForWindow("Recorder", false, 15000));

  ASSERT_TRUE(f.CloseController());
  for (const char* line : {"UNREGISTER", "COMMAND 20 0", "CLOSE", "END"})
    EXPECT_GE(f.FindLine("Caddrel.log", line), 0) << line;
}

// One channel item of that length, the main-program stand-in and the
// controller, up to the device program's port.
bool StartWithOneItem(ControllerFolder& f, double seconds) {
  f.SetParam("Recorder", "optionPlayOpening", "0");
  f.WriteItems({f.HttpItem("first.wav", 1000, seconds)});
  return f.StartPeer() && f.StartController() &&
         f.WaitForLine("Caddrel.log", "COMMAND 10 1", 15000);
}

// The records each mail queue file of the folder still holds, by file.
std::vector<std::pair<std::string, uint32_t>> QueuedRecords(const ControllerFolder& f) {
  std::vector<std::pair<std::string, uint32_t>> held;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(f.File("*.mbx").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return held;
  do {
    HANDLE file = CreateFileA(f.File(found.cFileName).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    uint32_t header[4] = {0, 0, 0, 0};  // magic, capacity, head, count
    DWORD got = 0;
    if (file != INVALID_HANDLE_VALUE) {
      ReadFile(file, header, sizeof header, &got, nullptr);
      CloseHandle(file);
    }
    held.emplace_back(found.cFileName, header[3]);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return held;
}

TEST(ControllerRun, ReportsOfARunStayWithThatRun) {
  ControllerFolder f("queues");
  ASSERT_TRUE(StartWithOneItem(f, 0.5));
  f.Post(kStartSession, 0);
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1247 10", 120000));
  EXPECT_TRUE(WaitForWindow("Recorder", false, 15000));
  // No queue keeps a copy of the run's reports for a later run: neither
  // while the controller runs nor after it has ended.
  const DWORD start = GetTickCount();
  auto anyHeld = [&f] {
    for (const auto& q : QueuedRecords(f))
      if (q.second) return true;
    return false;
  };
  while (anyHeld() && GetTickCount() - start < 10000) Sleep(100);
  EXPECT_FALSE(QueuedRecords(f).empty());
  for (const auto& q : QueuedRecords(f)) EXPECT_EQ(q.second, 0u) << q.first;
  ASSERT_TRUE(f.CloseController());
  for (const auto& q : QueuedRecords(f)) EXPECT_EQ(q.second, 0u) << q.first;
}

TEST(ControllerRun, BurstOfMalformedMailLeavesTheMailAndTheRunsWorking) {
  ControllerFolder f("burst");
  ASSERT_TRUE(StartWithOneItem(f, 3.0));
  // A few thousand malformed blocks are taken as fast as they come.
  ASSERT_TRUE(SendMalformedBurst("\\\\.\\mailslot\\pellomar", 3000, 29, 240000));
  // The mail goes on: a sound record after the burst reaches the main program.
  MailMessage after = {};
  after.id = 0x2929;
  after.category = TEZ_MAIL_TO_CONTROLLER;
  after.message = 78;
  after.lParam[0] = 6;
  for (int i = 0; i < 10; ++i) {
    after.id = 0x2929 + i;
    ASSERT_TRUE(SendToController(&after, sizeof after));
  }
  f.Post(kStartSession, 0);
  // The Recorder's own slot takes a burst in the middle of its run, and
  // the run still hears its operators and player to the end.
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1238 3 0", 60000));
  ASSERT_TRUE(SendMalformedBurst("\\\\.\\mailslot\\Brindale_Recorder_Mailslot", 3000, 31,
                                 240000));
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1247 10", 120000));
  EXPECT_LT(f.FindLine(kPeer, "MSG 1226"), 0);
  EXPECT_TRUE(PeerGotMail(f, TEZ_MAIL_TO_CONTROLLER, 78, 6));
  EXPECT_TRUE(PeerGotMail(f, TEZ_MAIL_TO_CONTROLLER, 1, 3));  // the run's own reports
  EXPECT_EQ(f.Key("data\\news\\news.inx", "1", "recStatus"), "4");
  EXPECT_FALSE(f.Recording().empty());
}

TEST(ControllerRun, SavedChannelsCommandARecorderThatAnotherProgramStarted) {
  ControllerFolder f("elsewhere");
  ASSERT_TRUE(StartWithOneItem(f, 0.5));
  HWND recorder = nullptr;
  HANDLE process = StartRecorder(f.File(""), &recorder);
  ASSERT_NE(process, nullptr);
  ASSERT_NE(recorder, nullptr);
  // The main program's answer to a save request comes while that Recorder
  // is open: the controller commands it rather than starting one of its own.
  f.Post(1277, 0);
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1247 10", 120000));
  EXPECT_GE(f.FindLine(kPeer, "MSG 1225"), 0);
  EXPECT_EQ(f.Key("data\\news\\news.inx", "1", "recStatus"), "4");
  EXPECT_FALSE(f.Recording().empty());
  // Its end is watched through its process all the same.
  EXPECT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
  CloseHandle(process);
  EXPECT_EQ(Param(f, "Recorder", "lastRecordingTime").find("ProcID="), std::string::npos);
}

// A window "Recorder" of this process, whose process nobody else may open
// while it lives (an empty access list): the commands it gets, in order.
struct UnopenableRecorder {
  static std::vector<int>& Commands() {
    static std::vector<int> commands;
    return commands;
  }
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRecorderCommand) Commands().push_back(int(wp));
    if (msg == 5806) Commands().push_back(5806);  // terminate
    return DefWindowProcA(w, msg, wp, lp);
  }
  UnopenableRecorder() {
    Commands().clear();
    GetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                    nullptr, &oldAccess, nullptr, &descriptor);
    ACL none;
    InitializeAcl(&none, sizeof none, ACL_REVISION);
    SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT,
                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                    nullptr, &none, nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ControllerTestRecorder";
    RegisterClassA(&wc);
    window = CreateWindowA("ControllerTestRecorder", "Recorder", WS_POPUP, 0, 0, 1, 1, nullptr,
                           nullptr, wc.hInstance, nullptr);
  }
  ~UnopenableRecorder() {
    DestroyWindow(window);
    SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                    nullptr, oldAccess, nullptr);
    LocalFree(descriptor);
  }
  HWND window;
  PACL oldAccess = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
};

int CountTraces(const ControllerFolder& f, const std::string& text) {
  int n = 0;
  for (const std::string& line : f.Lines("pellomar.log")) n += line.find(text) != std::string::npos;
  return n;
}

TEST(ControllerRun, WaitForARecorderWhoseProcessCannotBeOpenedEnds) {
  ControllerFolder f("unopenable");
  ASSERT_TRUE(StartWithOneItem(f, 0.5));
  UnopenableRecorder recorder;
  ASSERT_NE(recorder.window, nullptr);
  // Opened by its id, this process cannot be waited for or ended.
  HANDLE self = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, GetCurrentProcessId());
  EXPECT_EQ(self, nullptr);
  if (self) CloseHandle(self);
  f.Post(1277, 0);
  const DWORD begun = GetTickCount();
  while (recorder.Commands().size() < 2 && GetTickCount() - begun < 30000) PumpMessages(50);
  ASSERT_EQ(recorder.Commands(), (std::vector<int>{0, 1}));
  f.Post(kStopSession);
  // Stop and kill, the terminate request after 60 s, and after 77 s the
  // wait gives up once instead of going on for ever.
  const std::string givenUp = "Recorder not ended: its process cannot be opened";
  const DWORD stopped = GetTickCount();
  while (CountTraces(f, givenUp) == 0 && GetTickCount() - stopped < 180000) PumpMessages(200);
  EXPECT_EQ(recorder.Commands(), (std::vector<int>{0, 1, 2, 3, 5806}));
  PumpMessages(3000);
  EXPECT_EQ(CountTraces(f, givenUp), 1);
  EXPECT_EQ(CountTraces(f, "Recorder ended by force"), 0);
  EXPECT_LT(f.FindLine(kPeer, "MSG 1225"), 0);
}

TEST(ControllerRun, SettingsChangedDuringARunRestartTheDeviceProgramAfterIt) {
  ControllerFolder f("settingsrun");
  ASSERT_TRUE(StartWithOneItem(f, 3.0));
  f.Post(kStartSession, 0);
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1238 3 0", 60000));
  f.Post(1227);  // settings changed while recording
  // The device program is left alone while the run records...
  Sleep(1500);
  ASSERT_NE(FindWindowA(nullptr, "Recorder"), nullptr);
  EXPECT_EQ(f.FindLine("Caddrel.log", "COMMAND 20"), -1);
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1247 10", 120000));
  EXPECT_EQ(f.Key("data\\news\\news.inx", "1", "recStatus"), "4");
  // ...and restarted once it had ended.
  const DWORD start = GetTickCount();
  while (f.CountLines("Caddrel.log", "START") < 2 && GetTickCount() - start < 30000) Sleep(200);
  EXPECT_EQ(f.CountLines("Caddrel.log", "START"), 2);
  EXPECT_GE(f.FindLine("Caddrel.log", "COMMAND 20"), 0);
}

TEST(ControllerRun, ItemInErrorLeavesTheRunGoing) {
  ControllerFolder f("itemerror");
  f.WriteItems({f.HttpItem("first.wav", 1000, 0.5), f.MissingHttpItem("gone.wav"),
                f.HttpItem("third.wav", 3000, 0.5)});
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  f.Post(kStartSession, 0);
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1225", 120000));
  EXPECT_LT(f.FindLine(kPeer, "MSG 1226"), 0);
  EXPECT_EQ(f.Key("data\\news\\news.inx", "1", "recStatus"), "4");
  EXPECT_NE(f.Key("data\\news\\news.inx", "2", "recStatus"), "4");
  EXPECT_EQ(f.Key("data\\news\\news.inx", "3", "recStatus"), "4");
}

TEST(ControllerRun, FailureBeforeRecordingIsReportedAsFailed) {
  ControllerFolder f("initerror");
  f.SetParam("FileDisk", "dllName", "NoSuchMedia.dll");
  f.WriteItems({f.HttpItem("first.wav", 1000, 0.5)});
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  f.Post(kStartSession, 0);
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1226", 60000));
  // The Recorder's answer to the kill does not turn the failure into success.
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1238 5 0", 5000));
  EXPECT_TRUE(WaitForWindow("Recorder", false, 15000));
  Sleep(1000);
  EXPECT_LT(f.FindLine(kPeer, "MSG 1225"), 0);
  EXPECT_LT(f.FindLine(kPeer, "MSG 1238 4 0"), 0);
}

TEST(ControllerRun, StopLetsTheRecorderEndItsRunBeforeTheKill) {
  ControllerFolder f("stop");
  f.WriteItems({f.HttpItem("first.wav", 1000, 3), f.HttpItem("second.wav", 2000, 3),
                f.HttpItem("third.wav", 3000, 3)});
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ReportWindow reports;
  f.Post(kRecorderCommand, 0, reinterpret_cast<LPARAM>(reports.window));
  f.Post(kStartSession, 0);
  ASSERT_GE(reports.WaitFor(5, (3L << 16) | 1, 90000), 0);  // item 1 plays
  f.Post(kStopSession);
  ASSERT_TRUE(WaitForWindow("Recorder", true, 1000));
  const DWORD start = GetTickCount();
  while (FindWindowA(nullptr, "Recorder") && GetTickCount() - start < 60000) reports.Pump(50);
  EXPECT_FALSE(FindWindowA(nullptr, "Recorder"));
  // The stop and the kill go out together; the Recorder takes the kill as
  // a stop, finishes its run and only then ends.
  const int stop = reports.Find(7, 2), kill = reports.Find(7, 3);
  ASSERT_GE(stop, 0);
  ASSERT_GT(kill, stop);
  EXPECT_GT(reports.Find(1, 1, stop), stop);  // the run's end
  // The run that recorded ended well: the main program is told, reloads its
  // channels, and the state is no longer recording.
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1247 10", 30000));
  int at = f.FindLine(kPeer, "MSG 1238 3 0");
  for (const char* line : {"MSG 1238 4 0", "MSG 1225 0 0", "MSG 1247 10 0"}) {
    int next = f.FindLine(kPeer, line, at);
    EXPECT_GE(next, at) << line;
    if (next >= 0) at = next;
  }
  EXPECT_LT(f.FindLine(kPeer, "MSG 1226"), 0);
  EXPECT_NE(f.Key("data\\news\\news.inx", "3", "recStatus"), "4");
}

TEST(ControllerRun, ExitDuringRunEndsTheRecorderBeforeTheMainProgramAndAHungDevice) {
  ControllerFolder f("exit");
  f.Write("Caddrel.inx", "[Device]\r\nignoreClose=1\r\n");
  f.WriteItems({f.HttpItem("first.wav", 1000, 3), f.HttpItem("second.wav", 2000, 3)});
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  f.Post(kStartSession, 0);
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1238 3 0", 90000));
  ASSERT_TRUE(f.CloseController());
  EXPECT_GE(f.FindLine(kPeer, "CLOSE RECORDER GONE"), 0);
  EXPECT_LT(f.FindLine(kPeer, "CLOSE RECORDER RUNNING"), 0);
  EXPECT_FALSE(FindWindowA(nullptr, "Recorder"));
  EXPECT_GE(f.FindLine("Caddrel.log", "CLOSE IGNORED"), 0);
  EXPECT_TRUE(WaitForWindow("BrindaleCaddrel", false, 5000));
}

}  // namespace

namespace {

TEST(ControllerRun, ExitTakesNoNewStartWhileItWaits) {
  ControllerFolder f("exitstart");
  f.Write("Caddrel.inx", "[Device]\r\nignoreClose=1\r\n");  // the exit waits for it
  ASSERT_TRUE(StartWithOneItem(f, 0.5));
  f.Post(WM_CLOSE);
  ASSERT_TRUE(f.WaitForLine(kPeer, "CLOSE", 30000));
  // A saved-channels answer, a start request: both come while the exit
  // waits for the device program.
  f.Post(1277, 0);
  f.Post(kStartSession, 0);
  EXPECT_TRUE(WaitForWindow("Brindale Control", false, 90000));
  EXPECT_FALSE(WaitForWindow("Recorder", true, 3000));
  EXPECT_EQ(CountTraces(f, "Recorder opened"), 0);
  EXPECT_GE(CountTraces(f, "Run start ignored: the controller exits"), 1);
}

}  // namespace

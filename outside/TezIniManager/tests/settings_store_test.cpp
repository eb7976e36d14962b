// The settings store as its callers see it: entries bound by name from the
// real DLL, files read back as plain text, a second process sharing values
// and queues.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "StoreBinding.h"

namespace {

StoreBinding& Store() {
  static StoreBinding store;
  return store;
}

std::string Slurp(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Spit(const char* path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string Get(const char* file, const char* section, const char* key, int size = 256) {
  std::vector<char> buf(size + 8, 'X');
  int n = Store().GetString(section, key, nullptr, buf.data(), size, file);
  EXPECT_EQ(n, static_cast<int>(strlen(buf.data())));
  return buf.data();
}

std::vector<std::string> List(const char* file, const char* section) {
  char buf[256];
  Store().GetString(section, nullptr, nullptr, buf, sizeof buf, file);
  std::vector<std::string> names;
  for (const char* p = buf; *p; p += strlen(p) + 1) names.push_back(p);
  return names;
}

// Runs the peer program and returns its exit code.
DWORD RunPeer(const std::string& args, DWORD waitMs = 60000, HANDLE* process = nullptr) {
  std::string cmd = "store_peer.exe " + args;
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  dir.resize(dir.find_last_of('\\') + 1);
  std::string path = dir + "store_peer.exe";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back('\0');
  if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi))
    return 999;
  CloseHandle(pi.hThread);
  if (process) {
    *process = pi.hProcess;
    return 0;
  }
  WaitForSingleObject(pi.hProcess, waitMs);
  DWORD code = 998;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  return code;
}

TEST(SettingsStore, EveryEntryIsBoundByName) {
  ASSERT_NE(Store().module, nullptr);
  EXPECT_NE(Store().GetString, nullptr);
  EXPECT_NE(Store().WriteString, nullptr);
  EXPECT_NE(Store().ReloadFile, nullptr);
  EXPECT_NE(Store().CreateNewMail, nullptr);
  EXPECT_NE(Store().SendMail, nullptr);
  EXPECT_NE(Store().GetMail, nullptr);
  EXPECT_NE(Store().GetMailCount, nullptr);
  EXPECT_NE(Store().CloseMail, nullptr);
}

TEST(SettingsStore, ValuesKeysAndSectionsStayIniText) {
  const char* f = "values.inx";
  DeleteFileA(f);
  EXPECT_EQ(Get(f, "Folders", "data"), "");  // missing file reads as nothing
  ASSERT_EQ(Store().WriteString("Folders", "data", "C:\\Brindale\\Data", f), 1);
  ASSERT_EQ(Store().WriteString("Folders", "temp", "tmp", f), 1);
  ASSERT_EQ(Store().WriteString("Recorder", "media", "5", f), 1);
  ASSERT_EQ(Store().WriteString("folders", "DATA", "D:\\x", f), 1);  // names ignore case
  EXPECT_EQ(Slurp(f), "[Folders]\r\ndata=D:\\x\r\ntemp=tmp\r\n\r\n[Recorder]\r\nmedia=5\r\n");
  EXPECT_EQ(Get(f, "FOLDERS", "Data"), "D:\\x");

  EXPECT_EQ(List(f, "Folders"), (std::vector<std::string>{"data", "temp"}));
  char sections[64];
  Store().GetString(nullptr, nullptr, nullptr, sections, sizeof sections, f);
  EXPECT_STREQ(sections, "Folders");
  EXPECT_STREQ(sections + strlen(sections) + 1, "Recorder");

  ASSERT_EQ(Store().WriteString("Folders", "temp", nullptr, f), 1);  // null value removes
  EXPECT_EQ(List(f, "Folders"), (std::vector<std::string>{"data"}));
  ASSERT_EQ(Store().WriteString("Folders", nullptr, nullptr, f), 1);  // null key erases
  EXPECT_EQ(Get(f, "Folders", "data"), "");
  EXPECT_EQ(Get(f, "Recorder", "media"), "5");
  EXPECT_EQ(Store().ReloadFile(f), 1);
}

TEST(SettingsStore, ForeignTextIsReadAndKept) {
  const char* f = "foreign.inx";
  Spit(f, "; written by hand\n[A]\n  key one  =  spaced value  \nother=1\n\n[B]\nx=2\n");
  EXPECT_EQ(Get(f, "A", "key one"), "spaced value");
  ASSERT_EQ(Store().WriteString("A", "new", "3", f), 1);
  EXPECT_EQ(Slurp(f),
            "; written by hand\r\n[A]\r\n  key one  =  spaced value  \r\nother=1\r\nnew=3\r\n\r\n"
            "[B]\r\nx=2\r\n");
}

TEST(SettingsStore, LongValuesAreCutNeverOverflow) {
  const char* f = "long.inx";
  DeleteFileA(f);
  std::string big(1000, 'v');
  ASSERT_EQ(Store().WriteString("S", "k", big.c_str(), f), 1);
  EXPECT_EQ(Get(f, "S", "k", 256), std::string(255, 'v'));
  EXPECT_EQ(Get(f, "S", "k", 1), "");
  // A key list cut to whole names still ends with an empty name.
  for (int i = 0; i < 40; ++i)
    Store().WriteString("L", ("key" + std::to_string(i)).c_str(), "1", f);
  char buf[20];
  memset(buf, 'X', sizeof buf);
  int n = Store().GetString("L", nullptr, nullptr, buf, sizeof buf, f);
  EXPECT_LE(n, 18);
  EXPECT_EQ(buf[n], '\0');
  EXPECT_EQ(buf[n + 1], '\0');
  EXPECT_STREQ(buf, "key0");
}

TEST(SettingsStore, TextThatWouldBreakTheFileIsRefused) {
  const char* f = "refused.inx";
  DeleteFileA(f);
  ASSERT_EQ(Store().WriteString("S", "k", "kept", f), 1);
  struct Case { const char* section; const char* key; const char* value; } cases[] = {
      {"S", "k", "two\r\nlines"}, {"S", "a=b", "1"}, {"S]", "k", "1"},
      {"S", "[x", "1"},           {"", "k", "1"},    {nullptr, "k", "1"},
  };
  for (const Case& c : cases) EXPECT_EQ(Store().WriteString(c.section, c.key, c.value, f), 0);
  EXPECT_EQ(Store().WriteString("S", "k", "1", nullptr), 0);
  EXPECT_EQ(Slurp(f), "[S]\r\nk=kept\r\n");
}

TEST(SettingsStore, AValueWrittenByOneProcessIsReadByAnotherRightAfter) {
  const char* f = "shared.inx";
  DeleteFileA(f);
  for (int i = 0; i < 5; ++i) {
    std::string v = "run" + std::to_string(i);
    ASSERT_EQ(RunPeer(std::string("write ") + f + " Recorder runKind " + v), 0u) << "peer failed";
    EXPECT_EQ(Get(f, "Recorder", "runKind"), v);
  }
}

TEST(SettingsStore, TwoWritersAtOnceLoseNothing) {
  const char* f = "contended.inx";
  DeleteFileA(f);
  HANDLE a, b;
  ASSERT_EQ(RunPeer(std::string("hammer ") + f + " S a 150", 0, &a), 0u);
  ASSERT_EQ(RunPeer(std::string("hammer ") + f + " S b 150", 0, &b), 0u);
  HANDLE both[] = {a, b};
  WaitForMultipleObjects(2, both, TRUE, 60000);
  for (HANDLE h : both) {
    DWORD code = 1;
    GetExitCodeProcess(h, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(h);
  }
  for (int i = 0; i < 150; ++i) {
    EXPECT_EQ(Get(f, "S", ("a" + std::to_string(i)).c_str()), "v" + std::to_string(i));
    EXPECT_EQ(Get(f, "S", ("b" + std::to_string(i)).c_str()), "v" + std::to_string(i));
  }
}

TEST(SettingsStore, AWriterKilledMidWriteLeavesAWholeFile) {
  const char* f = "killed.inx";
  DeleteFileA(f);
  Store().WriteString("Keep", "this", "1", f);
  HANDLE p;
  ASSERT_EQ(RunPeer(std::string("forever ") + f + " S", 0, &p), 0u);
  // Killed once it is writing.
  const DWORD start = GetTickCount();
  while (Get(f, "S", "k1").empty() && GetTickCount() - start < 60000) Sleep(10);
  EXPECT_FALSE(Get(f, "S", "k1").empty()) << "the writer wrote nothing in 60 s";
  TerminateProcess(p, 9);
  WaitForSingleObject(p, 5000);
  CloseHandle(p);
  // Whatever got in is a run k0..kN-1 with nothing torn, and the lock the
  // dead writer may have held is taken over.
  EXPECT_EQ(Get(f, "Keep", "this"), "1");
  int n = 0;
  while (!Get(f, "S", ("k" + std::to_string(n)).c_str()).empty()) ++n;
  EXPECT_GT(n, 0);
  EXPECT_EQ(Get(f, "S", ("k" + std::to_string(n + 1)).c_str()), "");
  ASSERT_EQ(Store().WriteString("Keep", "after", "2", f), 1);
  EXPECT_EQ(Get(f, "Keep", "after"), "2");
}

LRESULT CALLBACK Quiet(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

// A message-only window that receives a queue's notices.
HWND OwnerWindow(const char* className) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Quiet;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className;
  RegisterClassA(&wc);
  return CreateWindowA(className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                       nullptr);
}

TEST(SettingsStore, MailQueueCarriesRecordsBetweenProcessesAndNotifies) {
  HWND owner = OwnerWindow("StoreTestOwner");
  ASSERT_NE(owner, nullptr);
  const char* q = "\\\\.\\mailslot\\Store_Test_Queue";
  ASSERT_EQ(Store().CreateNewMail(q, owner, 1724), 1);
  EXPECT_EQ(Store().GetMailCount(q), 0);
  MailMessage m;
  int scratch = -1;
  EXPECT_EQ(Store().GetMail(q, &m, &scratch), 0);

  ASSERT_EQ(RunPeer(std::string("send ") + q + " 3 100"), 0u);
  EXPECT_EQ(Store().GetMailCount(q), 3);
  int notes = 0;
  MSG msg;
  while (PeekMessageA(&msg, owner, 1724, 1724, PM_REMOVE)) ++notes;
  EXPECT_EQ(notes, 3);

  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(Store().GetMail(q, &m, &scratch), 1);
    EXPECT_EQ(scratch, 184);
    MailMessage expect;
    memset(&expect, 0xA5, sizeof expect);
    expect.id = 100 + i;
    expect.category = 6169;
    expect.textLength = snprintf(expect.text, sizeof expect.text, "record %d", 100 + i);
    EXPECT_EQ(memcmp(&m, &expect, sizeof m), 0) << "record " << i << " changed on the way";
  }
  EXPECT_EQ(Store().GetMailCount(q), 0);
  EXPECT_EQ(Store().GetMail(q, &m, &scratch), 0);
  EXPECT_EQ(Store().CloseMail(q), 1);
  DestroyWindow(owner);
}

TEST(SettingsStore, RecordsWaitingBeforeTheOwnerOpensAreAnnounced) {
  HWND owner = OwnerWindow("StoreTestLate");
  const char* q = "late queue";
  MailMessage m = {};
  m.id = 7;
  int scratch;
  ASSERT_EQ(Store().SendMail(q, &m, &scratch), 1);  // this process keeps it alive
  ASSERT_EQ(Store().CreateNewMail(q, owner, 1734), 1);
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, owner, 1734, 1734, PM_REMOVE));
  ASSERT_EQ(Store().GetMail(q, &m, &scratch), 1);
  EXPECT_EQ(m.id, 7);
  EXPECT_EQ(Store().CloseMail(q), 1);
  EXPECT_EQ(Store().CloseMail(q), 0);
  DestroyWindow(owner);
}

TEST(SettingsStore, RecordsOfASenderThatEndedWaitForTheOwner) {
  HWND owner = OwnerWindow("StoreTestAfterSender");
  // A name no earlier run has used: the queue outlives its processes.
  std::string q = "after sender " + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(GetTickCount());
  // The peer is the only process that ever held the queue, and it has ended.
  ASSERT_EQ(RunPeer("send \"" + q + "\" 2 40"), 0u);
  ASSERT_EQ(Store().CreateNewMail(q.c_str(), owner, 1734), 1);
  int notes = 0;
  MSG msg;
  while (PeekMessageA(&msg, owner, 1734, 1734, PM_REMOVE)) ++notes;
  EXPECT_EQ(notes, 2);
  EXPECT_EQ(Store().GetMailCount(q.c_str()), 2);
  MailMessage m;
  int scratch;
  for (int id : {40, 41}) {
    ASSERT_EQ(Store().GetMail(q.c_str(), &m, &scratch), 1);
    EXPECT_EQ(m.id, id);
    EXPECT_STREQ(m.text, ("record " + std::to_string(id)).c_str());
  }
  EXPECT_EQ(Store().GetMail(q.c_str(), &m, &scratch), 0);
  EXPECT_EQ(Store().CloseMail(q.c_str()), 1);
  DestroyWindow(owner);
}

}  // namespace

namespace {

// The file that keeps a queue's block in the current folder.
std::string QueueFile(const std::string& queue) {
  std::string safe;
  for (char c : queue)
    if (isalnum(static_cast<unsigned char>(c)) && safe.size() < 48)
      safe += static_cast<char>(tolower(static_cast<unsigned char>(c)));
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(("TezMailBox_" + safe + "_*.mbx").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return "";
  FindClose(h);
  return found.cFileName;
}

// The block's header: magic, capacity, head, count, owner window, owner
// message, owner process.
std::vector<uint32_t> Header(const std::string& file) {
  std::string bytes = Slurp(file.c_str());
  std::vector<uint32_t> h(7, 0xFFFFFFFF);
  if (bytes.size() >= 28) memcpy(h.data(), bytes.data(), 28);
  return h;
}

void WriteHeader(const std::string& file, const std::vector<uint32_t>& h) {
  std::string bytes = Slurp(file.c_str());
  ASSERT_GE(bytes.size(), 28u);
  memcpy(&bytes[0], h.data(), 28);
  Spit(file.c_str(), bytes);
}

std::string Unique(const char* stem) {
  return std::string(stem) + " " + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(GetTickCount());
}

}  // namespace

TEST(SettingsStore, DamagedQueueFileIsResetAndCarriesRecordsAgain) {
  const std::string q = Unique("damaged");
  MailMessage m = {};
  int scratch;
  m.id = 1;
  ASSERT_EQ(Store().SendMail(q.c_str(), &m, &scratch), 1);
  ASSERT_EQ(Store().CloseMail(q.c_str()), 1);  // no process holds the block now
  const std::string file = QueueFile(q);
  ASSERT_FALSE(file.empty());
  // Head and count far outside the ring, as a broken write could leave them.
  std::vector<uint32_t> h = Header(file);
  h[2] = 99999;
  h[3] = 5000;
  WriteHeader(file, h);
  EXPECT_EQ(Store().GetMailCount(q.c_str()), 0);
  EXPECT_EQ(Store().GetMail(q.c_str(), &m, &scratch), 0);
  for (int id : {21, 22}) {
    m.id = id;
    ASSERT_EQ(Store().SendMail(q.c_str(), &m, &scratch), 1);
  }
  for (int id : {21, 22}) {
    ASSERT_EQ(Store().GetMail(q.c_str(), &m, &scratch), 1);
    EXPECT_EQ(m.id, id);
  }
  EXPECT_EQ(Store().GetMailCount(q.c_str()), 0);
  EXPECT_EQ(Store().CloseMail(q.c_str()), 1);
}

TEST(SettingsStore, OwnerThatHasEndedIsClearedAndNotNotified) {
  const std::string q = Unique("stale owner");
  HWND owner = OwnerWindow("StoreTestStale");
  ASSERT_EQ(Store().CreateNewMail(q.c_str(), owner, 1734), 1);
  ASSERT_EQ(Store().CloseMail(q.c_str()), 1);
  const std::string file = QueueFile(q);
  ASSERT_FALSE(file.empty());
  // The file names as owner a window of this process, registered by a
  // process that has ended.
  HANDLE ended = nullptr;
  ASSERT_EQ(RunPeer("nothing", 60000, &ended), 0u);
  WaitForSingleObject(ended, 60000);
  const DWORD endedId = GetProcessId(ended);
  CloseHandle(ended);
  std::vector<uint32_t> h = Header(file);
  h[4] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(owner));
  h[5] = 1734;
  h[6] = endedId;
  WriteHeader(file, h);
  MailMessage m = {};
  int scratch;
  m.id = 5;
  ASSERT_EQ(Store().SendMail(q.c_str(), &m, &scratch), 1);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, owner, 1734, 1734, PM_REMOVE));
  ASSERT_EQ(Store().GetMail(q.c_str(), &m, &scratch), 1);
  // Registered anew, the owner gets the notices again.
  ASSERT_EQ(Store().CreateNewMail(q.c_str(), owner, 1734), 1);
  ASSERT_EQ(Store().SendMail(q.c_str(), &m, &scratch), 1);
  EXPECT_TRUE(PeekMessageA(&msg, owner, 1734, 1734, PM_REMOVE));
  EXPECT_EQ(Store().CloseMail(q.c_str()), 1);
  DestroyWindow(owner);
}

TEST(SettingsStore, NoticeGoesOnlyToAWindowOfTheOwnersProcess) {
  const std::string q = Unique("other window");
  char dir[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, dir);
  const std::string file = std::string(dir) + "\\peer window " + std::to_string(GetTickCount());
  DeleteFileA(file.c_str());
  HANDLE peer = nullptr;
  ASSERT_EQ(RunPeer("window \"" + file + "\"", 60000, &peer), 0u);
  HWND other = nullptr;
  const DWORD start = GetTickCount();
  while (!other && GetTickCount() - start < 60000) {
    unsigned long value = 0;
    FILE* in = fopen(file.c_str(), "r");
    if (in) {
      if (fscanf(in, "%lu", &value) != 1) value = 0;
      fclose(in);
    }
    other = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
    if (!other) Sleep(20);
  }
  ASSERT_NE(other, nullptr);
  // A handle that names another process's window (as an ended owner's
  // handle may, once reused) is registered by this process.
  ASSERT_EQ(Store().CreateNewMail(q.c_str(), other, 1734), 1);
  MailMessage m = {};
  int scratch;
  m.id = 9;
  ASSERT_EQ(Store().SendMail(q.c_str(), &m, &scratch), 1);
  PostMessageA(other, WM_APP, 0, 0);  // after any notice: the peer counts and ends
  WaitForSingleObject(peer, 60000);
  DWORD notices = 99;
  GetExitCodeProcess(peer, &notices);
  CloseHandle(peer);
  EXPECT_EQ(notices, 0u);
  EXPECT_EQ(Store().GetMail(q.c_str(), &m, &scratch), 1);
  EXPECT_EQ(Store().CloseMail(q.c_str()), 1);
  DeleteFileA(file.c_str());
}

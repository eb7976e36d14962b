// A controller for the Recorder tests: a window captioned "Brindale
// Control" with the controller's mailslot. It starts Recorder.exe (from
// its own folder, in the current directory), registers itself, starts a
// run, writes every report it gets to a log file, and kills the Recorder
// when the run has ended.
//   RecTestController <log file> [stop-on-play=N] [skip-on-play=N] [kill-on-play=N]
//                     [start-twice] [bad-pointer] [stop-on-media-status]
//                     [kill-on-error-text] [stray-steps]
// start-twice sends a second start, by mail, once the run has started;
// stop-on-media-status sends the stop when the first media status report
// comes; kill-on-error-text kills on an error report with a text only (not
// on the first error); stray-steps posts run steps out of turn once the run
// has started.
// (the command is sent when item N of the run starts playing)
// Log lines: "W <code> <value>" for window reports, "M <code> <v0> ... <v5>
// |<text>" for mail, "EXIT <code>" when the Recorder has ended.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "MailSlot.h"

namespace {

const UINT kReport = 5669;
const UINT kCommand = 5769;
FILE* g_log = nullptr;
HWND g_window = nullptr;
HWND g_recorder = nullptr;
CMailSlot* g_slot = nullptr;
int g_onPlay[3] = {0, 0, 0};  // item numbers for stop, skip, kill
bool g_startTwice = false;
bool g_sawStart = false;
bool g_killed = false;
bool g_stopOnMediaStatus = false;
bool g_killOnErrorText = false;
bool g_straySteps = false;

void Line(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vfprintf(g_log, format, args);
  va_end(args);
  fputc('\n', g_log);
  fflush(g_log);
}

void Command(int command, LPARAM argument = 0) {
  if (g_recorder) PostMessageA(g_recorder, kCommand, command, argument);
}

void Kill() {
  if (g_killed) return;
  g_killed = true;
  Command(3);
}

void OnReport(int code, LPARAM value) {
  Line("W %d %ld", code, long(value));
  if (code == 1 && value == 2) {
    if (g_startTwice && !g_sawStart) {
      CMailSlot client;
      if (client.Initialize("\\\\.\\mailslot\\Brindale_Recorder_Mailslot", TEZ_MAIL_CONTROLLER,
                            1, nullptr))
        client.SendMail(1, 0);
    }
    g_sawStart = true;
    if (g_straySteps) {
      // Channel and item steps during the opening, and the end of a
      // hang-up that never began.
      for (UINT step : {5783u, 5787u, 5785u, 5782u, 5792u, 5805u})
        PostMessageA(g_recorder, step, 0, 0);
    }
  }
  if (code == 1 && value == 1 && g_sawStart) Kill();
  if (code == 6 && !g_killOnErrorText) Kill();
  if (code == 5 && (value >> 16) == 3) {
    static const int kCommands[3] = {2, 4, 3};
    for (int i = 0; i < 3; ++i)
      if (g_onPlay[i] && (value & 0xFFFF) == g_onPlay[i]) {
        g_onPlay[i] = 0;
        if (kCommands[i] == 3) g_killed = true;
        Command(kCommands[i]);
      }
  }
}

void TakeMail() {
  MailMessage mail;
  while (g_slot->GetMail(&mail)) {
    if (mail.category != TEZ_MAIL_TO_CONTROLLER || mail.message == 10) continue;
    if (mail.message == 9 && g_stopOnMediaStatus) {
      g_stopOnMediaStatus = false;
      Command(2);
    }
    if (mail.message == 6 && mail.textLength > 0 && g_killOnErrorText) Kill();
    Line("M %d %d %d %d %d %d %d |%s", mail.message, mail.lParam[0], mail.lParam[1],
         mail.lParam[2], mail.lParam[3], mail.lParam[4], mail.lParam[5], mail.Text().c_str());
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kReport) {
    OnReport(int(wParam), lParam);
    return 0;
  }
  if (message == WM_TEZ_MAIL_QUEUED) {
    TakeMail();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  MSG msg;
  while (int(end - GetTickCount()) > 0) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
}

std::string OwnFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  g_log = fopen(argv[1], "w");
  if (!g_log) return 2;
  bool badPointer = false;
  for (int i = 2; i < argc; ++i) {
    if (!strncmp(argv[i], "stop-on-play=", 13)) g_onPlay[0] = atoi(argv[i] + 13);
    if (!strncmp(argv[i], "skip-on-play=", 13)) g_onPlay[1] = atoi(argv[i] + 13);
    if (!strncmp(argv[i], "kill-on-play=", 13)) g_onPlay[2] = atoi(argv[i] + 13);
    if (!strcmp(argv[i], "start-twice")) g_startTwice = true;
    if (!strcmp(argv[i], "bad-pointer")) badPointer = true;
    if (!strcmp(argv[i], "stop-on-media-status")) g_stopOnMediaStatus = true;
    if (!strcmp(argv[i], "kill-on-error-text")) g_killOnErrorText = true;
    if (!strcmp(argv[i], "stray-steps")) g_straySteps = true;
  }
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "RecTestController";
  RegisterClassA(&windowClass);
  g_window = CreateWindowA("RecTestController", "Brindale Control", WS_OVERLAPPED, 0, 0, 10, 10,
                           nullptr, nullptr, windowClass.hInstance, nullptr);
  CMailSlot slot;
  g_slot = &slot;
  if (!g_window || !slot.Initialize("\\\\.\\mailslot\\Pellomar", 0, 0, g_window)) {
    Line("SETUP FAILED");
    return 2;
  }
  std::string exe = OwnFolder() + "Recorder.exe";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    Line("START FAILED");
    return 2;
  }
  for (int i = 0; i < 300 && !(g_recorder = FindWindowA(nullptr, "Recorder")); ++i) Pump(50);
  if (!g_recorder) {
    Line("NO WINDOW");
    TerminateProcess(process.hProcess, 1);
    return 2;
  }
  Pump(300);  // start-up ends before commands are taken
  if (badPointer) {
    for (UINT category : {5869u, 5969u, 6069u, 6169u, 6269u})
      PostMessageA(g_recorder, category, WPARAM(0x1234), 0);
  }
  Command(0, reinterpret_cast<LPARAM>(g_window));
  Command(1);
  const DWORD deadline = GetTickCount() + 90000;
  while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
    if (int(deadline - GetTickCount()) < 0) {
      Line("TIMEOUT");
      TerminateProcess(process.hProcess, 1);
      break;
    }
    Pump(20);
  }
  Pump(200);
  TakeMail();
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  Line("EXIT %lu", code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  fclose(g_log);
  DestroyWindow(g_window);
  return 0;
}

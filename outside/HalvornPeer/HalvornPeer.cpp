// A stand-in for the main program, beside which the controller is tried:
// a window with the main program's caption ([GlobalParams] halvornCaption
// of TezParam.inx) that answers the controller's request to save the
// channels, and the main program's mailslot "halvorn" and mail queue
// "halvorn", opened as the main program opens them: while a run works.
// Everything it gets is logged to HalvornPeer.log in the current directory:
//   MSG <message> <wParam> <lParam>        a window message from 1100 to 1800
//   CLOSE RECORDER GONE|RUNNING            WM_CLOSE, and whether a Recorder runs
//   SLOT <id> <category> <message> <v0> |<text>   mail from the mailslot
//   QUEUE <id> <category> <message> <v0> |<text>  mail from the queue
// With [Peer] noSave=1 in HalvornPeer.inx the save request goes unanswered.
#include <windows.h>

#include <string>

#include "MailSlot.h"
#include "MappedMail.h"
#include "TextUtil.h"

namespace {

const char kLogFile[] = "HalvornPeer.log";
const UINT kSaveChannels = 1276;
const UINT kRecorderState = 1238;
const UINT kQueueMail = 1734;

HWND g_window = nullptr;
bool g_noSave = false;
CMailSlot* g_slot = nullptr;
CMappedMail* g_queue = nullptr;
bool g_queueOpen = false;

void LogMail(const char* source, const MailMessage& mail) {
  AppendLineF(kLogFile, "%s %ld %ld %ld %ld |%s", source, long(mail.id), long(mail.category), long(mail.message),
      long(mail.lParam[0]), mail.Text().c_str());
}

// Opens the mailslot and the queue at the first state of a working run.
void OpenMail() {
  if (!g_slot) {
    g_slot = new CMailSlot();
    if (!g_slot->Initialize("\\\\.\\mailslot\\halvorn", 0, 0, g_window)) AppendLineF(kLogFile, "SLOT FAILED");
  }
  if (!g_queueOpen && g_queue) {
    g_queueOpen = g_queue->CreateNewMail("halvorn", g_window, kQueueMail) == 1;
    if (!g_queueOpen) AppendLineF(kLogFile, "QUEUE FAILED");
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TEZ_MAIL_QUEUED && g_slot) {
    MailMessage mail;
    while (g_slot->GetMail(&mail)) LogMail("SLOT", mail);
    return 0;
  }
  if (message == kQueueMail && g_queue) {
    MailMessage mail;
    int scratch = 0;
    while (g_queue->GetMail("halvorn", &mail, &scratch) == 1) LogMail("QUEUE", mail);
    return 0;
  }
  if (message >= 1100 && message <= 1800) {
    AppendLineF(kLogFile, "MSG %u %ld %ld", message, long(wParam), long(lParam));
    if (message == kSaveChannels && !g_noSave) {
      HWND controller = FindWindowA(nullptr, "Brindale Control");
      if (controller) PostMessageA(controller, UINT(wParam), WPARAM(lParam), 0);
    }
    if (message == kRecorderState) {
      const int state = int(wParam) & 15;
      if (state == 1 || state == 2 || state == 3 || state == 7) OpenMail();
    }
    return 0;
  }
  // Whether a run's Recorder was still there when the main program closed.
  if (message == WM_CLOSE)
    AppendLineF(kLogFile, "CLOSE %s", FindWindowA(nullptr, "Recorder") ? "RECORDER RUNNING" : "RECORDER GONE");
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  char folder[MAX_PATH] = {};
  DWORD n = GetCurrentDirectoryA(MAX_PATH - 32, folder);
  if (n == 0 || n >= MAX_PATH - 32) return 1;
  const std::string param = std::string(folder) + "\\TezParam.inx";
  const std::string own = std::string(folder) + "\\HalvornPeer.inx";
  char caption[256] = {};
  GetPrivateProfileStringA("GlobalParams", "halvornCaption", "Brindale Media Manager", caption,
                           sizeof caption, param.c_str());
  g_noSave = GetPrivateProfileIntA("Peer", "noSave", 0, own.c_str()) == 1;

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "THalvornPeer";
  if (!RegisterClassA(&windowClass)) return 1;
  g_window = CreateWindowA("THalvornPeer", caption, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                           nullptr, instance, nullptr);
  if (!g_window) return 1;
  g_queue = new CMappedMail(nullptr);
  AppendLineF(kLogFile, "START");
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (g_queueOpen) g_queue->CloseMail("halvorn");
  delete g_slot;
  delete g_queue;
  AppendLineF(kLogFile, "END");
  return 0;
}

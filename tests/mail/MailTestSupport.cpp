#include "MailTestSupport.h"

#include <cstdio>

#include "MailSlot.h"
#include "TextReport.h"

CMailWindow::CMailWindow() {
  m_window = CreateWindowExA(0, "STATIC", "brindale mail test", WS_POPUP, 0, 0, 10, 10, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
}

CMailWindow::~CMailWindow() {
  Pump(nullptr, 0);  // delete the atoms of reports still waiting
  if (m_window) DestroyWindow(m_window);
}

bool CMailWindow::PumpOnce(CMailSlot* slot, DWORD deadline) {
  MSG msg;
  if (!PeekMessageA(&msg, m_window, 0, 0, PM_REMOVE)) {
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(deadline - now) <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, deadline - now, QS_ALLINPUT);
    return true;
  }
  if (msg.message == WM_TEZ_TEXT_REPORT) {
    char text[256] = "";
    const ATOM atom = static_cast<ATOM>(msg.wParam);
    GlobalGetAtomNameA(atom, text, sizeof text);
    GlobalDeleteAtom(atom);
    reports.push_back(text);
  } else if (msg.message == WM_TEZ_MAIL_QUEUED) {
    ++notices;
    MailMessage mail;
    if (slot && slot->GetMail(&mail))
      received.push_back(mail);
    else if (slot)
      ++repeats;
  } else {
    DispatchMessageA(&msg);
  }
  return true;
}

bool CMailWindow::PumpUntil(CMailSlot* slot, const std::function<bool()>& done,
                            DWORD timeoutMs) {
  const DWORD deadline = GetTickCount() + timeoutMs;
  while (!done())
    if (!PumpOnce(slot, deadline)) return false;
  return true;
}

bool CMailWindow::Receive(CMailSlot& slot, size_t count, DWORD timeoutMs) {
  return PumpUntil(&slot, [&] { return received.size() >= count; }, timeoutMs);
}

bool CMailWindow::AwaitNotices(CMailSlot& slot, int count, DWORD timeoutMs) {
  return PumpUntil(&slot, [&] { return notices >= count; }, timeoutMs);
}

void CMailWindow::Pump(CMailSlot* slot, DWORD ms) {
  const DWORD deadline = GetTickCount() + ms;
  while (PumpOnce(slot, deadline)) {
  }
}

bool CMailWindow::Reported(const std::string& part) const {
  for (const std::string& text : reports)
    if (text.find(part) != std::string::npos) return true;
  return false;
}

std::string UniqueSlot(const char* tag) {
  char name[128];
  snprintf(name, sizeof name, "\\\\.\\mailslot\\brindale_test_%s_%lu", tag,
           static_cast<unsigned long>(GetCurrentProcessId()));
  return name;
}

HANDLE StartPeer(const std::string& arguments) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  std::string folder(path, n);
  folder.resize(folder.find_last_of('\\') + 1);
  std::string command = "\"" + folder + "MailPeer.exe\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return nullptr;
  CloseHandle(process.hThread);
  return process.hProcess;
}

int WaitPeer(HANDLE process, DWORD timeoutMs) {
  if (!process) return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(process, &code);
  else
    TerminateProcess(process, code);
  CloseHandle(process);
  return static_cast<int>(code);
}

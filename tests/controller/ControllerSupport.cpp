#include "ControllerSupport.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

const std::vector<std::string> kRunPrograms = {
    "Pellomar.exe",      "Recorder.exe",    "Caddrel.exe",      "HalvornPeer.exe",
    "HalvornBasket.dll", "TezIniManager.dll", "TezItems.dll",   "TezWavPlayer.dll",
    "Sonavel.dll",       "TezFileMedia.dll", "TezChannelOp.dll", "TezRasDialer.dll",
    "TezHttpGet.dll",    "RecPeerLog.dll"};

std::string Port() {
  const char* port = getenv("BRINDALE_HTTP_PORT");
  return port ? port : "0";
}

}  // namespace

bool WaitForWindow(const char* caption, bool present, DWORD ms) {
  const DWORD start = GetTickCount();
  while ((FindWindowA(nullptr, caption) != nullptr) != present) {
    if (GetTickCount() - start > ms) return false;
    Sleep(50);
  }
  return true;
}

void EndWindowProcess(const char* caption) {
  HWND window = FindWindowA(nullptr, caption);
  if (!window) return;
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  HANDLE process = id ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id) : nullptr;
  if (!process) return;
  TerminateProcess(process, 9);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

ControllerFolder::ControllerFolder(const std::string& name) : ControllerFolder(name, kRunPrograms) {}

ControllerFolder::ControllerFolder(const std::string& name,
                                   const std::vector<std::string>& programs)
    : RunFolder(name), m_name(name) {
  CreateDirectoryA(File("site").c_str(), nullptr);
  Link(programs);
  Write("TezItemOperators.inx",
        "[Entry List]\r\nnumberEntries=2\r\nentry1=TezHttpGet.dll\r\nentry2=RecPeerLog.dll\r\n"
        "[TezHttpGet.dll]\r\nid=http\r\nidentifiers=http\r\n"
        "[RecPeerLog.dll]\r\nid=log\r\nidentifiers=actLog\r\n");
  SetParam("GlobalParams", "showIntro", "0");
  SetParam("DragDrop", "autoOpenBasketOnStart", "0");
  SetParam("AutoUpdate", "active", "0");
  SetParam("FileDisk", "driverName", "Caddrel.exe");
}

ControllerFolder::~ControllerFolder() {
  if (Controller()) CloseController();
  for (const char* caption : {"Brindale Control", "Recorder", "BrindaleCaddrel"})
    EndWindowProcess(caption);
  for (HANDLE process : m_started) {
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process, 9);
      WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
  }
}

void ControllerFolder::Link(const std::vector<std::string>& programs) {
  for (const std::string& program : programs) {
    const std::string from = BinFolder() + program, to = File(program);
    if (!CreateHardLinkA(to.c_str(), from.c_str(), nullptr)) CopyFileA(from.c_str(), to.c_str(), FALSE);
  }
}

std::string ControllerFolder::HttpItem(const std::string& file, int value, double seconds) {
  WriteWave("site\\" + file, value, seconds);
  return MissingHttpItem(file);
}

std::string ControllerFolder::MissingHttpItem(const std::string& file) {
  return "link=http://127.0.0.1:" + Port() + "/files/" + m_name + "/site/" + file +
         "\r\nrecStatus=1\r\nitemStatus=1\r\n";
}

HANDLE ControllerFolder::Start(const std::string& program, const std::string& args) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string line = "\"" + File(program) + "\"" + (args.empty() ? "" : " " + args);
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, Path().c_str(),
                      &startup, &process))
    return nullptr;
  CloseHandle(process.hThread);
  m_started.push_back(process.hProcess);
  return process.hProcess;
}

bool ControllerFolder::StartPeer() {
  return Start("HalvornPeer.exe") && WaitForWindow("Brindale Media Manager", true, 20000);
}

bool ControllerFolder::StartController() {
  return Start("Pellomar.exe", "/GETDIR") && WaitForWindow("Brindale Control", true, 30000);
}

void ControllerFolder::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
  PostMessageA(Controller(), message, wParam, lParam);
}

bool ControllerFolder::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  DWORD_PTR result = 0;
  HWND controller = Controller();
  return controller && SendMessageTimeoutA(controller, message, wParam, lParam, SMTO_NORMAL, 60000,
                                           &result) != 0;
}

bool ControllerFolder::CloseController() {
  Post(WM_CLOSE);
  return WaitForWindow("Brindale Control", false, 90000);
}

std::vector<std::string> ControllerFolder::Lines(const std::string& log) const {
  std::istringstream text(Read(log));
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

int ControllerFolder::FindLine(const std::string& log, const std::string& prefix,
                               int from) const {
  std::vector<std::string> lines = Lines(log);
  for (size_t i = from < 0 ? 0 : size_t(from); i < lines.size(); ++i)
    if (lines[i].compare(0, prefix.size(), prefix) == 0) return int(i);
  return -1;
}

int ControllerFolder::CountLines(const std::string& log, const std::string& prefix) const {
  int n = 0;
  for (const std::string& line : Lines(log)) n += line.compare(0, prefix.size(), prefix) == 0;
  return n;
}

bool ControllerFolder::WaitForLine(const std::string& log, const std::string& prefix,
                                   DWORD ms) const {
  const DWORD start = GetTickCount();
  while (FindLine(log, prefix) < 0) {
    if (GetTickCount() - start > ms) return false;
    Sleep(100);
  }
  return true;
}

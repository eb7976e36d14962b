// Ostrevar.exe <request file>: reads [Params] link of the request and
// writes the [Reply] the main program files the link by. How it answers
// comes from Ostrevar.inx in the current directory, section [Mode]:
//   mode=authorize (default), refuse or slow
//   delayMs=<n>       how long slow mode waits before authorising (5000)
//   link, extension, extensionForChannel, requestId, originalLink
//                     values written into an authorising reply (the link
//                     and its original default to the requested link)
// Slow mode shows a window captioned "Authorize" while it waits; closing
// that window ends the program without a reply.
#include <windows.h>

#include <string>

namespace {

std::string ReadKey(const std::string& file, const char* section, const char* key,
                    const char* def) {
  char buf[2048] = {};
  GetPrivateProfileStringA(section, key, def, buf, sizeof buf, file.c_str());
  return buf;
}

void WriteKey(const std::string& file, const char* key, const std::string& value) {
  WritePrivateProfileStringA("Reply", key, value.c_str(), file.c_str());
}

// The request file named on the command line, quoted or not.
std::string RequestFile() {
  std::string cmd = GetCommandLineA();
  size_t i = 0;
  if (!cmd.empty() && cmd[0] == '"') {
    i = cmd.find('"', 1);
    i = i == std::string::npos ? cmd.size() : i + 1;
  } else {
    i = cmd.find(' ');
    if (i == std::string::npos) i = cmd.size();
  }
  while (i < cmd.size() && cmd[i] == ' ') ++i;
  std::string arg = cmd.substr(i);
  while (!arg.empty() && arg.back() == ' ') arg.pop_back();
  if (arg.size() >= 2 && arg.front() == '"' && arg.back() == '"') arg = arg.substr(1, arg.size() - 2);
  return arg;
}

LRESULT CALLBACK WaitProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    DestroyWindow(w);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(1);
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

// Waits ms with a window captioned "Authorize"; false when it was closed.
bool WaitShown(DWORD ms) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WaitProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "OstrevarWait";
  RegisterClassA(&wc);
  HWND w = CreateWindowA("OstrevarWait", "Authorize", WS_OVERLAPPED | WS_CAPTION, 0, 0, 200, 80,
                         nullptr, nullptr, wc.hInstance, nullptr);
  if (!w) return true;
  SetTimer(w, 1, ms, nullptr);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    if (m.message == WM_TIMER && m.hwnd == w) {
      DestroyWindow(w);
      while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
      return true;
    }
    DispatchMessageA(&m);
  }
  return m.wParam == 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::string request = RequestFile();
  if (request.empty()) return 2;
  char dir[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, dir);
  std::string conf = std::string(dir) + "\\Ostrevar.inx";
  std::string mode = ReadKey(conf, "Mode", "mode", "authorize");
  std::string link = ReadKey(request, "Params", "link", "");

  if (lstrcmpiA(mode.c_str(), "slow") == 0) {
    DWORD ms = GetPrivateProfileIntA("Mode", "delayMs", 5000, conf.c_str());
    if (!WaitShown(ms)) return 3;
  }
  if (lstrcmpiA(mode.c_str(), "refuse") == 0) {
    WriteKey(request, "authorize", "0");
    WriteKey(request, "link", ReadKey(conf, "Mode", "link", link.c_str()));
    return 0;
  }
  WriteKey(request, "authorize", "1");
  WriteKey(request, "link", ReadKey(conf, "Mode", "link", link.c_str()));
  WriteKey(request, "originalLink", ReadKey(conf, "Mode", "originalLink", link.c_str()));
  for (const char* key : {"extension", "extensionForChannel", "requestId"}) {
    std::string v = ReadKey(conf, "Mode", key, "\x01");
    if (v != "\x01") WriteKey(request, key, v);
  }
  return 0;
}

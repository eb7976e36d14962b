// Fetches documents of growing size from the local server through the HTTP
// control and prints the rate and the process's peak memory for each.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "HttpControl.h"
#include "MailMessage.h"
#include "TezItemOperatorApi.h"

namespace {

class Sink : public IHttpControlEvents {
 public:
  bool closed = false;
  short error = 0;
  void OnError(short number, std::string& d, long, const std::string&, const std::string&,
               long, BOOL*) override {
    error = number;
    std::fprintf(stderr, "error %d: %s\n", number, d.c_str());
  }
  void OnStateChanged(short s) override { closed = closed || s == HTTPCTL_STATE_CLOSED; }
  void OnProtocolStateChanged(short) override {}
  void OnDocOutput(CHttpDocOutput&) override {}
};

size_t PeakBytes() {
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return pmc.PeakPagefileUsage;
}

volatile bool g_stopped = false;
void TEZAPI Hook(const MailMessage* m) {
  if (m->message == TEZ_MSG_EVENT && m->lParam[0] == TEZ_EVENT_STOP) g_stopped = true;
}

double Seconds(const LARGE_INTEGER& t0) {
  LARGE_INTEGER f, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t1);
  return double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart);
}

// The same fetch through TezHttpGet.dll; its stop mail comes after the
// plug-in's 3 s end wait, which the rate leaves out.
int PluginRun(const char* port, const char* out, long long mb) {
  HMODULE dll = LoadLibraryA("TezHttpGet.dll");
  if (!dll) {
    std::fprintf(stderr, "TezHttpGet.dll not found\n");
    return 1;
  }
  auto init3 = reinterpret_cast<TezItemOperator_Initialize3_t>(
      reinterpret_cast<void*>(GetProcAddress(dll, "TezItemOperator_Initialize3")));
  auto getLink = reinterpret_cast<TezItemOperator_GetLink_t>(
      reinterpret_cast<void*>(GetProcAddress(dll, "TezItemOperator_GetLink")));
  auto close = reinterpret_cast<TezItemOperator_Close_t>(
      reinterpret_cast<void*>(GetProcAddress(dll, "TezItemOperator_Close")));
  HWND host = CreateWindowExA(0, "STATIC", "bench host", 0, 0, 0, 0, 0, nullptr, nullptr,
                              nullptr, nullptr);
  if (!init3(host, "bench", Hook, 0, 0, nullptr)) {
    std::fprintf(stderr, "the plug-in did not initialise\n");
    return 1;
  }
  std::string url = std::string("http://127.0.0.1:") + port + "/big/" +
                    std::to_string(mb * 1024 * 1024);
  LARGE_INTEGER t0;
  QueryPerformanceCounter(&t0);
  g_stopped = false;
  getLink(url.c_str(), out);
  MSG msg;
  while (!g_stopped && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  double s = Seconds(t0) - 3.0;
  WIN32_FILE_ATTRIBUTE_DATA a = {};
  GetFileAttributesExA(out, GetFileExInfoStandard, &a);
  long long got = (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
  std::printf("plug-in: %lld MB in %.2f s = %.1f MB/s, file %lld bytes, peak memory %.1f MB\n",
              mb, s, mb / (s > 0.001 ? s : 0.001), got, PeakBytes() / 1048576.0);
  close();
  DestroyWindow(host);
  DeleteFileA(out);
  return got == mb * 1024 * 1024 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const char* port = std::getenv("BRINDALE_HTTP_PORT");
  if (!port) {
    std::fprintf(stderr, "BRINDALE_HTTP_PORT is not set\n");
    return 2;
  }
  const char* out = argc > 1 ? argv[1] : "bench.bin";
  for (long long mb : {20LL, 200LL}) {
    Sink sink;
    CHttpControl ctl(&sink);
    std::string url = std::string("http://127.0.0.1:") + port + "/big/" +
                      std::to_string(mb * 1024 * 1024);
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    if (!ctl.GetDoc(url.c_str(), nullptr, out)) {
      std::fprintf(stderr, "%s\n", ctl.LastError().c_str());
      return 1;
    }
    MSG msg;
    while (!sink.closed && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    QueryPerformanceCounter(&t1);
    double s = double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart);
    WIN32_FILE_ATTRIBUTE_DATA a;
    GetFileAttributesExA(out, GetFileExInfoStandard, &a);
    long long got = (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
    std::printf("control: %lld MB in %.2f s = %.1f MB/s, file %lld bytes, peak memory %.1f MB%s\n",
                mb, s, mb / s, got, PeakBytes() / 1048576.0, sink.error ? " (ERROR)" : "");
    DeleteFileA(out);
    if (sink.error || got != mb * 1024 * 1024) return 1;
  }
  for (long long mb : {20LL, 200LL})
    if (PluginRun(port, out, mb)) return 1;
  return 0;
}

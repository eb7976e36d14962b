// Fetches documents of growing size from the local server through the HTTP
// control and prints the rate and the process's peak memory for each.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "HttpControl.h"

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
  return 0;
}

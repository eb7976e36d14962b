// Commands a running controller as its tray menu does, from a script:
//   PellomarCommand run <mode>   posts the start request (0 record, 100 play
//                                all) and waits until the run's Recorder has
//                                come and gone
//   PellomarCommand close        closes the controller and waits for its end
// Exit code 0 when done, 1 on a time-out, 2 without a controller.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const UINT kStartSession = 1228;

HWND WaitForWindow(const char* caption, bool present, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindWindowA(nullptr, caption);
    if ((window != nullptr) == present) return window ? window : HWND(1);
    if (GetTickCount() - start > ms) return nullptr;
    Sleep(50);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HWND controller = WaitForWindow("Brindale Control", true, 30000);
  if (!controller) {
    fprintf(stderr, "no controller\n");
    return 2;
  }
  if (!strcmp(argv[1], "run") && argc > 2) {
    PostMessageA(controller, kStartSession, WPARAM(atoi(argv[2])), 0);
    if (!WaitForWindow("Recorder", true, 60000)) {
      fprintf(stderr, "the Recorder did not start\n");
      return 1;
    }
    if (!WaitForWindow("Recorder", false, 600000)) {
      fprintf(stderr, "the Recorder did not end\n");
      return 1;
    }
    return 0;
  }
  if (!strcmp(argv[1], "close")) {
    PostMessageA(controller, WM_CLOSE, 0, 0);
    return WaitForWindow("Brindale Control", false, 60000) ? 0 : 1;
  }
  return 2;
}

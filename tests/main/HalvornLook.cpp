// Reads Halvorn's window from a script, as a user reads it:
//   HalvornLook pos <control>   prints the screen centre of a control
//   HalvornLook labels          prints the run display's labels
//   HalvornLook wait running    waits until the run display shows an item
//   HalvornLook wait idle       waits until no run is shown and the
//                               Recorder has ended
//   HalvornLook report          prints the channel shown and, for each row
//                               of the items grid, the item's name and its
//                               status, read from the hints that show when
//                               the mouse rests on them
// Exit code 0 when done, 1 on a time-out, 2 without the window or the
// control.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "RunSupport.h"

namespace {

void PrintLabels() {
  for (const char* name :
       {"lblGlobalStatus", "lblGlobalProgress", "lblChannelName", "lblItemStatus", "lblStatusLine"})
    printf("%s: %s\n", name + 3, TextOf(name).c_str());
}

int Report() {
  HWND channel = Control("chanBut1");
  if (channel) {
    RECT r = {};
    GetClientRect(channel, &r);
    printf("Channel: %s\n", HintAt(channel, r.right / 2, r.bottom / 2).c_str());
  }
  HWND grid = Control("gridItems");
  if (!grid || !IsWindowVisible(grid)) {
    printf("No items shown\n");
    return 0;
  }
  for (int row = 1; row <= 20; ++row) {
    POINT name = GridCell(6, row), status = GridCell(4, row);
    std::string text = HintAt(grid, name.x, name.y, 2500);
    if (text.empty()) break;
    std::string state = HintAt(grid, status.x, status.y, 2500);
    printf("Item %d: %s: %s\n", row, text.c_str(), state.empty() ? "New" : state.c_str());
  }
  SetCursorPos(0, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !WaitUntil([] { return MainWindow() != nullptr; }, 30000)) return 2;
  if (!strcmp(argv[1], "pos") && argc > 2) {
    HWND control = nullptr;
    if (!WaitUntil([&] { return (control = Control(argv[2])) && IsWindowVisible(control); },
                   30000))
      return 2;
    RECT r = {};
    GetWindowRect(control, &r);
    printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return 0;
  }
  if (!strcmp(argv[1], "labels")) {
    PrintLabels();
    return 0;
  }
  if (!strcmp(argv[1], "report")) return Report();
  if (!strcmp(argv[1], "wait") && argc > 2) {
    bool running = !strcmp(argv[2], "running");
    bool done = WaitUntil(
        [running] {
          if (running)
            return Shown("pnlRecPlayDisplay") && TextOf("lblItemStatus").rfind("Item #", 0) == 0;
          return !Shown("pnlRecPlayDisplay") && !FindWindowA(nullptr, "Recorder");
        },
        240000);
    return done ? 0 : 1;
  }
  return 2;
}

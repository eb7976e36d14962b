// A second process for the store's tests, driven by its command line:
//   write <file> <section> <key> <value>
//   hammer <file> <section> <prefix> <count>   writes prefix0..prefixN-1
//   forever <file> <section>                   writes k0, k1, ... until killed
//   send <queue> <count> <firstId>             queues records with ids
//   window <file>                              a window whose handle goes to
//                                              file; ends on WM_APP, its exit
//                                              code the queue notices (1734) it got
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "StoreBinding.h"

namespace {

int notices = 0;

LRESULT CALLBACK Counting(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == 1734) ++notices;
  if (m == WM_APP) PostQuitMessage(notices);
  return DefWindowProcA(w, m, wp, lp);
}

int CountNotices(const char* file) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Counting;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "StorePeerWindow";
  RegisterClassA(&wc);
  HWND w = CreateWindowA("StorePeerWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         wc.hInstance, nullptr);
  if (!w) return 100;
  std::string part = std::string(file) + ".part";
  FILE* out = fopen(part.c_str(), "w");
  if (!out) return 101;
  fprintf(out, "%lu", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(w)));
  fclose(out);
  MoveFileA(part.c_str(), file);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return static_cast<int>(msg.wParam);
}

}  // namespace

int main(int argc, char** argv) {
  StoreBinding store;
  if (!store.module || argc < 2) return 2;
  const char* cmd = argv[1];
  if (!strcmp(cmd, "write") && argc == 6)
    return store.WriteString(argv[3], argv[4], argv[5], argv[2]) == 1 ? 0 : 1;
  if (!strcmp(cmd, "hammer") && argc == 6) {
    int n = atoi(argv[5]);
    for (int i = 0; i < n; ++i) {
      char key[64], value[64];
      snprintf(key, sizeof key, "%s%d", argv[4], i);
      snprintf(value, sizeof value, "v%d", i);
      if (store.WriteString(argv[3], key, value, argv[2]) != 1) return 1;
    }
    return 0;
  }
  if (!strcmp(cmd, "forever") && argc == 4) {
    for (int i = 0;; ++i) {
      char key[32];
      snprintf(key, sizeof key, "k%d", i);
      store.WriteString(argv[3], key, "some value to make the file longer", argv[2]);
    }
  }
  if (!strcmp(cmd, "send") && argc == 5) {
    int n = atoi(argv[3]), first = atoi(argv[4]);
    for (int i = 0; i < n; ++i) {
      MailMessage m;
      memset(&m, 0xA5, sizeof m);  // every byte defined, so the receiver can compare
      m.id = first + i;
      m.category = 6169;
      m.textLength = snprintf(m.text, sizeof m.text, "record %d", first + i);
      int scratch = 0;
      if (store.SendMail(argv[2], &m, &scratch) != 1) return 1;
    }
    return 0;
  }
  if (!strcmp(cmd, "window") && argc == 3) return CountNotices(argv[2]);
  return 2;
}

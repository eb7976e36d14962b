// A medium for the tests that starts but takes no call after that. By the
// marker files of the current directory:
//   (none)                 every call is refused at once, and no mail answers it
//   RecPeerMedia.stop      the recording is taken but never answered; only a
//                          stop is answered, with the stop event
//   RecPeerMedia.late      the call is refused, and an error mail follows
//                          1.5 s later
#include <windows.h>

#include "StandInLink.h"
#include "TezApi.h"
#include "TezDllInitParams.h"

namespace {

CStandInLink g_link(TEZ_MAIL_MEDIA);

bool Marked(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

void CALLBACK LateError(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_link.SendError("The medium failed late");
}

}  // namespace

extern "C" {
int TEZAPI tezInitialize1(HWND parent, const char* name, TezMailHook hook) {
  return g_link.Initialize(parent, name, hook, 0, 1, nullptr);
}
int TEZAPI tezClose() {
  g_link.Close();
  return 1;
}
int TEZAPI tezGetState() { return 1; }
int TEZAPI tezStartRecord(int, int) {
  if (Marked("RecPeerMedia.stop")) {
    const int status[4] = {0, 0, 0, 0};
    g_link.SendStatus(4, status, "waiting");  // the test's sign that the call was taken
    return 1;
  }
  if (Marked("RecPeerMedia.late")) SetTimer(nullptr, 0, 1500, LateError);
  return 0;
}
int TEZAPI tezStop() {
  if (!Marked("RecPeerMedia.stop")) return 0;
  g_link.SendEvent(TEZ_EVENT_STOP);
  return 1;
}
}

// A medium for the tests that starts but takes no call after that: each
// call is refused at once, and no mail answers it.
#include <windows.h>

#include "TezApi.h"
#include "TezDllInitParams.h"

extern "C" {
int TEZAPI tezInitialize1(HWND, const char*, TezMailHook) { return 1; }
int TEZAPI tezClose() { return 1; }
int TEZAPI tezGetState() { return 1; }
int TEZAPI tezStartRecord(int, int) { return 0; }
}

// The Recorder program: runs only beside the controller (or with the
// marker file openrecorder, or "/debug"), and only once.
#include <cstring>

#include "RecorderDlg.h"
#include "TezApp.h"

class CRecorderApp : public CTezApp {
 public:
  BOOL InitInstance() override;
  int ExitInstance() override {
    if (m_event) CloseHandle(m_event);
    return 0;
  }

 private:
  HANDLE m_event = nullptr;
};

static CRecorderApp g_app;

BOOL CRecorderApp::InitInstance() {
  const bool controller = FindWindowA(nullptr, "Brindale Control") != nullptr;
  if (!controller && GetFileAttributesA("openrecorder") == INVALID_FILE_ATTRIBUTES &&
      !strstr(CommandLine(), "/debug"))
    return FALSE;
  m_event = CreateEventA(nullptr, FALSE, FALSE, "TezRecorderEvent");
  if (!m_event || GetLastError() == ERROR_ALREADY_EXISTS) return FALSE;
  CRecorderDlg dialog(controller);
  dialog.DoModal();
  return FALSE;
}

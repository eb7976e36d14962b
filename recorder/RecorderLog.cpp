// The activity log: lines in the dialog's edit control and, when asked, in
// Recorder.log.
#include <share.h>

#include <cstdarg>

#include "RecorderDlg.h"

void CRecorderDlg::Log(const char* text) {
  if (!text || !*text) return;
  EnterCriticalSection(&m_logLock);
  m_logQueue.emplace_back(text);
  LeaveCriticalSection(&m_logLock);
  if (m_hwnd) PostMessage(WM_TEZ_LOG_QUEUED);
}

void CRecorderDlg::LogF(const char* format, ...) {
  char text[600];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  Log(text);
}

void CRecorderDlg::DrainLog() {
  std::deque<std::string> lines;
  EnterCriticalSection(&m_logLock);
  lines.swap(m_logQueue);
  LeaveCriticalSection(&m_logLock);
  for (const std::string& line : lines) WriteLine(line.c_str());
}

void CRecorderDlg::OpenLogFile() {
  const std::string path = m_programFolder + "Recorder.log";
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info) &&
      (info.nFileSizeHigh || info.nFileSizeLow > 100000))
    DeleteFileA(path.c_str());
  m_log = _fsopen(path.c_str(), "at", _SH_DENYWR);
  if (!m_log) return;
  const std::string stars(38, '*');
  Log(stars.c_str());
  Log("*********  Log Started  **************");
  Log(stars.c_str());
}

void CRecorderDlg::WriteLine(const char* text) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  HWND edit = m_hwnd && m_editLogging ? GetDlgItem(IDC_LOG) : nullptr;
  if (edit) {
    if (m_linesShown % 500 == 0) SetWindowTextA(edit, "");
    char line[700];
    snprintf(line, sizeof line, "%d:%d:%d.%03d : %s\r\n", now.wHour, now.wMinute, now.wSecond,
             now.wMilliseconds, text);
    const int end = GetWindowTextLengthA(edit);
    SendMessageA(edit, EM_SETSEL, end, end);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line));
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
  }
  ++m_linesShown;
  if (m_log) {
    fprintf(m_log, "%d/%d/%02d, %d:%02d:%02d.%03d : %s\n", now.wDay, now.wMonth,
            now.wYear % 100, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, text);
    fflush(m_log);
  }
}

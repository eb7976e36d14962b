#include "PipeTestSupport.h"

#include <cstdio>

#include "TextReport.h"

void WriteTextFile(const std::string& path, const std::string& text) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return;
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

std::string ReadTextFile(const std::string& path) {
  std::string text;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  fclose(file);
  return text;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

CIniManager& TestIni() {
  static CIniManager ini("TezIniManager.dll", 1);
  return ini;
}

PipeTestRecord* RecordOf(const char* library) {
  HMODULE module = GetModuleHandleA(library);
  if (!module) return nullptr;
  auto entry = reinterpret_cast<PipeTest_Record_t>(
      reinterpret_cast<void*>(GetProcAddress(module, "PipeTest_Record")));
  return entry ? entry() : nullptr;
}

CReportWindow::CReportWindow(const char* caption) {
  m_window = CreateWindowExA(0, "STATIC", caption, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
}

CReportWindow::~CReportWindow() {
  TakeReports();
  if (m_window) DestroyWindow(m_window);
}

std::string CReportWindow::TakeReports() {
  std::string texts;
  MSG msg;
  while (PeekMessageA(&msg, m_window, WM_TEZ_TEXT_REPORT, WM_TEZ_TEXT_REPORT, PM_REMOVE)) {
    char text[256] = "";
    ATOM atom = static_cast<ATOM>(msg.wParam);
    GlobalGetAtomNameA(atom, text, sizeof text);
    GlobalDeleteAtom(atom);
    if (!texts.empty()) texts += "\n";
    texts += text;
  }
  return texts;
}

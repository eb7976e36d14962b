#include "FetchDlg.h"

#include "DataItem.h"

CFetchDlg::CFetchDlg(CItemOperatorFrame& frame, HWND parent, int paneId, int linkId,
                     int outputId)
    : CItemOperatorDlg(frame, parent, paneId), m_linkId(linkId), m_outputId(outputId) {}

void CFetchDlg::ExchangeFields(bool save) {
  if (save) {
    m_link = GetItemText(m_linkId);
    m_outputFile = GetItemText(m_outputId);
  } else {
    SetItemText(m_linkId, m_link);
    SetItemText(m_outputId, m_outputFile);
  }
}

LRESULT CFetchDlg::OnStartMessage(WPARAM, LPARAM) {
  Start();
  return 0;
}

LRESULT CFetchDlg::OnStopMessage(WPARAM, LPARAM) {
  Stop();
  return 0;
}

LRESULT CFetchDlg::OnStopButton(WPARAM, LPARAM) {
  Post(WM_TEZ_OP_STOP);
  return 0;
}

void CFetchDlg::Succeed() {
  if (m_item) {
    m_item->AddTempFile(nullptr);
    m_item->IncPlayableTempFiles();
  }
  Finish();
}

void CFetchDlg::OnTimer(UINT_PTR id) {
  if (id != kEndTimerId) return;
  KillEndTimer();
  Succeed();
}

void CFetchDlg::ArmEndTimer() {
  m_endTimer = SetTimer(m_hwnd, kEndTimerId, kEndTimerMs, nullptr);
}

void CFetchDlg::KillEndTimer() {
  if (m_endTimer) KillTimer(m_hwnd, kEndTimerId);
  m_endTimer = 0;
}

void CFetchDlg::ReportProgress(int32_t received, int32_t total) {
  const clock_t now = clock();
  if (now - m_lastProgress <= kProgressEvery) return;
  m_progress[0] = 1;
  m_progress[1] = received;
  m_progress[2] = total;
  MailStatus(3, m_progress, "Downloading");
  SetStatus(FormatText("Received %d out of %d bytes.", m_progress[1], m_progress[2]));
  m_lastProgress = now;
}

bool FileSize32(const std::string& path, int32_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info)) return false;
  size = info.nFileSizeHigh || info.nFileSizeLow > 0x7fffffff
             ? 0x7fffffff : static_cast<int32_t>(info.nFileSizeLow);
  return true;
}

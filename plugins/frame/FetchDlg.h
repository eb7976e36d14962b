// The status dialog of a fetch plug-in: one link fetched into one output
// file at a time. It keeps the link and output fields, the progress the
// host is told of, and the end timer that hands a complete file to the
// item once the control has settled.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "ItemOperatorDlg.h"

constexpr UINT_PTR kEndTimerId = 6171;
constexpr UINT kEndTimerMs = 3000;
constexpr clock_t kProgressEvery = 500;

// The entries that every fetch dialog's message map starts with (stopId:
// its stop button).
#define TEZ_FETCH_DLG_ENTRIES(Class, stopId)                 \
  TEZ_ITEM_OPERATOR_DLG_ENTRIES(Class),                      \
  TEZ_ON_MESSAGE(WM_TEZ_OP_START, &Class::OnStartMessage),   \
  TEZ_ON_MESSAGE(WM_TEZ_OP_STOP, &Class::OnStopMessage),     \
  TEZ_ON_COMMAND(stopId, &Class::OnStopButton)

class CFetchDlg : public CItemOperatorDlg {
 protected:
  // linkId, outputId: the dialog's link and output file fields.
  CFetchDlg(CItemOperatorFrame& frame, HWND parent, int paneId, int linkId, int outputId);

  // Starts the fetch of m_link into m_outputFile.
  virtual void Start() = 0;
  // Stops the operation at the user's or the host's word.
  virtual void Stop() = 0;
  // Ends the operation in work.
  virtual void Finish() = 0;

  void ExchangeFields(bool save) override;
  // The end timer hands the file over.
  void OnTimer(UINT_PTR id) override;
  LRESULT OnStartMessage(WPARAM, LPARAM);
  LRESULT OnStopMessage(WPARAM, LPARAM);
  LRESULT OnStopButton(WPARAM, LPARAM);

  // The file is complete: the item takes it as playable.
  void Succeed();
  void ArmEndTimer();
  void KillEndTimer();
  // Shows and mails the bytes so far, at most once in kProgressEvery.
  void ReportProgress(int32_t received, int32_t total);

  std::string m_link;
  std::string m_outputFile;
  int32_t m_start = 0;
  int32_t m_finish = 0;
  clock_t m_lastProgress = 0;
  int m_progress[3] = {1, 0, 0};
  int m_working = 0;  // between the start and the end of an operation

 private:
  int m_linkId;
  int m_outputId;
};

// The size of a file, held to 0x7fffffff; false when there is none.
bool FileSize32(const std::string& path, int32_t& size);

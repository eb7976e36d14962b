// The status dialog of an item-operator plug-in: a modeless dialog from
// resource 129 that hosts the transfer control, shows a running status log,
// owns the mail link to the host and runs the work that the exports post to
// it as private messages on the host's message loop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "TezDialog.h"

class CDataItem;
class CItemOperatorFrame;
class CMailSlot;
class CTezDllInitParams;

enum : UINT {
  WM_TEZ_OP_SHOW_STATUS = 5571,
  WM_TEZ_OP_SHOW_FIELDS = 5573,
  WM_TEZ_OP_START = 6170,
  WM_TEZ_LOG_SEND = 6171,
  WM_TEZ_OP_STOP = 6172,
  WM_TEZ_LOG_SENT = 6172,
  WM_TEZ_LOG_FAIL = 6173,
  WM_TEZ_LOG_STOP = 6174,
};

constexpr int kStatusDialogResource = 129;
// Host and path of the address that a clean-up fetches after "scheme://" to
// leave the transfer control idle: the host never resolves.
constexpr char kCleanupHostPath[] = "brindale-cleanup.invalid/index.html";
constexpr int kStatusLinesPerPane = 500;

// The entries that every status dialog's message map starts with (Class:
// the dialog class whose map it is).
#define TEZ_ITEM_OPERATOR_DLG_ENTRIES(Class)                             \
  TEZ_ON_MESSAGE(WM_TEZ_OP_SHOW_STATUS, &Class::OnShowStatus), \
  TEZ_ON_MESSAGE(WM_TEZ_OP_SHOW_FIELDS, &Class::OnShowFields), \
  TEZ_ON_MESSAGE(WM_TIMER, &Class::OnTimerMessage),           \
  TEZ_ON_MESSAGE(WM_DESTROY, &Class::OnDestroyMessage),       \
  TEZ_ON_MESSAGE(WM_CLOSE, &Class::OnCloseCommand),           \
  TEZ_ON_COMMAND(IDOK, &Class::OnCloseCommand),               \
  TEZ_ON_COMMAND(IDCANCEL, &Class::OnCloseCommand)

class CItemOperatorDlg : public CTezDialog {
 public:
  CItemOperatorDlg(CItemOperatorFrame& frame, HWND parent, int paneId);
  ~CItemOperatorDlg() override;

  HWND Handle() const { return m_hwnd; }

  // Works on the item the host hands over; a library without item work
  // leaves it alone.
  virtual void Operate(CDataItem* item) { (void)item; }

  // Replaces the mail link by a client on the record's mailslot. On
  // failure shows "Brindale error 130. Terminating." and returns false.
  bool OpenMailLink(const CTezDllInitParams& params);
  // The same from the frame's record, for libraries whose dialog opens its
  // own link; on failure the dialog is ended (hidden) and keeps the
  // unopened link, so that every later mail is dropped.
  void OpenMailLinkOrEnd();

  // Stores the current status text and appends it to the pane at once.
  void SetStatus(const std::string& text);
  // Appends the current status text.
  void AppendStatus();
  // Stores the text and appends it when the host's loop gets to it.
  void PostStatus(const std::string& text);
  void Post(UINT message, WPARAM wParam = 0) { PostMessage(message, wParam, 0); }

  // Mail to the host (category item operator); no-ops without a link.
  void MailEvent(int32_t event);
  void MailError(const char* text);
  void MailStatus(int count, const int* values, const char* text);

 protected:
  // The library's own initialisation, once the controls exist.
  virtual void InitLibrary() {}
  // Runs before the mail link is deleted and the window destroyed.
  virtual void OnCleanup() {}
  virtual void OnTimer(UINT_PTR id) { (void)id; }
  virtual void ExchangeFields(bool save) { (void)save; }
  // Runs after each status line was added to the pane.
  virtual void OnStatusLine(const std::string& text) { (void)text; }

  LRESULT OnShowStatus(WPARAM, LPARAM);
  LRESULT OnShowFields(WPARAM save, LPARAM);
  LRESULT OnTimerMessage(WPARAM id, LPARAM);
  LRESULT OnDestroyMessage(WPARAM, LPARAM);
  LRESULT OnCloseCommand(WPARAM, LPARAM);

  void SetItemText(int id, const std::string& text);
  std::string GetItemText(int id) const;

  CItemOperatorFrame& m_frame;
  int m_paneId;
  std::string m_status;
  int m_lines = 0;
  CMailSlot* m_mail = nullptr;
  UINT_PTR m_endTimer = 0;
  CDataItem* m_item = nullptr;
  int m_errorSeen = 0;
  int m_errorReported = 0;
  int m_stopped = 0;

 private:
  BOOL OnInitDialog() final;
  void OnDestroyed() final;
  void WriteLine();
};

// The module (DLL) that this code is linked into.
HINSTANCE FrameModule();

// printf-style text of at most 1023 characters (longer text is cut).
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

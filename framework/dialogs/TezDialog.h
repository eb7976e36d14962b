// A dialog from a resource template with a message map: a table of
// entries, walked in order, each binding a window message (or a command
// id of WM_COMMAND) to a member handler. The first matching entry handles
// the message; messages with no entry get the dialog's default handling.
#pragma once

#include <windows.h>

class CTezDialog;
typedef LRESULT (CTezDialog::*TezDialogHandler)(WPARAM wParam, LPARAM lParam);

struct TezMessageEntry {
  UINT message;  // 0 ends the map
  UINT commandId;  // for WM_COMMAND: the control id; else 0
  TezDialogHandler handler;
};

#define TEZ_ON_MESSAGE(msg, handler) \
  {(msg), 0, static_cast<TezDialogHandler>(handler)}
#define TEZ_ON_COMMAND(id, handler) \
  {WM_COMMAND, (id), static_cast<TezDialogHandler>(handler)}
#define TEZ_END_MESSAGE_MAP {0, 0, nullptr}

class CTezDialog {
 public:
  CTezDialog(UINT templateId, HWND parent);
  virtual ~CTezDialog();
  CTezDialog(const CTezDialog&) = delete;
  CTezDialog& operator=(const CTezDialog&) = delete;

  // Modal: returns the value given to EndDialog, -1 when the template
  // cannot be made.
  INT_PTR DoModal();
  // Modeless: 1 = the window exists.
  BOOL Create();
  void EndDialog(INT_PTR result);
  void DestroyWindow();

  HWND GetSafeHwnd() const { return m_hwnd; }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hwnd, id); }
  void SetDlgItemText(int id, const char* text) { ::SetDlgItemTextA(m_hwnd, id, text); }
  void EnableDlgItem(int id, BOOL enable) { ::EnableWindow(GetDlgItem(id), enable); }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::PostMessageA(m_hwnd, message, wParam, lParam);
  }

 protected:
  // Called once the controls exist; TRUE lets the system set the focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  // The map of the most derived class; the base map is empty.
  virtual const TezMessageEntry* GetMessageMap() const;
  // Called when the window is gone (modeless owners may delete themselves).
  virtual void OnDestroyed() {}

  HWND m_hwnd = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  UINT m_templateId;
  HWND m_parent;
  bool m_modal = false;
};

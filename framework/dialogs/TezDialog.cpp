#include "TezDialog.h"

#include "TezApp.h"

static const TezMessageEntry kEmptyMap[] = {TEZ_END_MESSAGE_MAP};

CTezDialog::CTezDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CTezDialog::~CTezDialog() {
  if (m_hwnd && !m_modal) {
    SetWindowLongPtrA(m_hwnd, DWLP_USER, 0);
    ::DestroyWindow(m_hwnd);
  }
}

const TezMessageEntry* CTezDialog::GetMessageMap() const { return kEmptyMap; }

static HINSTANCE ResourceInstance() {
  CTezApp* app = CTezApp::Current();
  return app && app->Instance() ? app->Instance() : GetModuleHandleA(nullptr);
}

INT_PTR CTezDialog::DoModal() {
  m_modal = true;
  return DialogBoxParamA(ResourceInstance(), MAKEINTRESOURCEA(m_templateId), m_parent,
                         DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CTezDialog::Create() {
  m_modal = false;
  return CreateDialogParamA(ResourceInstance(), MAKEINTRESOURCEA(m_templateId), m_parent,
                            DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CTezDialog::EndDialog(INT_PTR result) {
  if (!m_hwnd) return;
  if (m_modal)
    ::EndDialog(m_hwnd, result);
  else
    ::ShowWindow(m_hwnd, SW_HIDE);
}

void CTezDialog::DestroyWindow() {
  if (m_hwnd) ::DestroyWindow(m_hwnd);
}

bool CTezDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  for (const TezMessageEntry* entry = GetMessageMap(); entry && entry->message; ++entry) {
    if (entry->message != message) continue;
    if (message == WM_COMMAND && entry->commandId != LOWORD(wParam)) continue;
    *result = (this->*(entry->handler))(wParam, lParam);
    return true;
  }
  return false;
}

INT_PTR CALLBACK CTezDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CTezDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CTezDialog*>(lParam);
    self->m_hwnd = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    return self->OnInitDialog();
  }
  self = reinterpret_cast<CTezDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;
  LRESULT result = 0;
  if (self->Dispatch(message, wParam, lParam, &result)) {
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
  }
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        self->EndDialog(LOWORD(wParam));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      self->EndDialog(IDCANCEL);
      return TRUE;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, DWLP_USER, 0);
      self->m_hwnd = nullptr;
      self->OnDestroyed();
      return FALSE;
    default:
      break;
  }
  return FALSE;
}

#include "TezDialog.h"

#include "TezApp.h"

#include <algorithm>
#include <vector>

static const TezMessageEntry kEmptyMap[] = {TEZ_END_MESSAGE_MAP};

// A modeless dialog runs in its host's message loop, which does not know
// it: a message hook of the thread hands the dialog keys (Tab, arrows,
// Enter for IDOK or the default button, Escape for IDCANCEL, Alt with a
// letter) of this module's modeless dialogs to the dialog manager.
namespace {
std::vector<HWND> g_modeless;
HHOOK g_keyHook = nullptr;

LRESULT CALLBACK ModelessKeyHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && msg->message >= WM_KEYFIRST &&
      msg->message <= WM_KEYLAST && msg->hwnd) {
    HWND root = GetAncestor(msg->hwnd, GA_ROOT);
    if (std::find(g_modeless.begin(), g_modeless.end(), root) != g_modeless.end() &&
        IsDialogMessageA(root, msg)) {
      msg->message = WM_NULL;
      msg->wParam = 0;
      msg->lParam = 0;
    }
  }
  return CallNextHookEx(g_keyHook, code, wParam, lParam);
}

void AddModeless(HWND dialog) {
  g_modeless.push_back(dialog);
  if (!g_keyHook)
    g_keyHook = SetWindowsHookExA(WH_GETMESSAGE, ModelessKeyHook, nullptr, GetCurrentThreadId());
}

void RemoveModeless(HWND dialog) {
  g_modeless.erase(std::remove(g_modeless.begin(), g_modeless.end(), dialog), g_modeless.end());
  if (g_modeless.empty() && g_keyHook) {
    UnhookWindowsHookEx(g_keyHook);
    g_keyHook = nullptr;
  }
}
}  // namespace

CTezDialog::CTezDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CTezDialog::~CTezDialog() {
  if (m_hwnd && !m_modal) {
    RemoveModeless(m_hwnd);
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
    if (!self->m_modal) AddModeless(hwnd);
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
      if (!self->m_modal) RemoveModeless(hwnd);
      SetWindowLongPtrA(hwnd, DWLP_USER, 0);
      self->m_hwnd = nullptr;
      self->OnDestroyed();
      return FALSE;
    default:
      break;
  }
  return FALSE;
}

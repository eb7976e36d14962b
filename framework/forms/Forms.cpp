#include "Forms.h"

#include <vector>

#include "Application.h"
#include "Menus.h"

TForm::TForm(TComponent* owner, const char* className, TFormStyle style)
    : TWinControl(owner), className_(className), formStyle_(style) {
  // MDI children have the MDI child's default handling as class procedure.
  RegisterOwnClass(className_, CS_DBLCLKS, formStyle_ == fsMDIChild ? DefMDIChildProcA : DefWindowProcA);
  BeginLoading();
  width_ = 320;
  height_ = 240;
  left_ = CW_USEDEFAULT;
  top_ = CW_USEDEFAULT;
  CreateHandle();
  RECT r;
  GetWindowRect(Handle(), &r);
  left_ = r.left;
  top_ = r.top;
  if (formStyle_ == fsMDIForm) CreateMDIClient();
}

TForm::~TForm() {
  Destroying();
  SetMenu(nullptr);
  SetWindowMenu(nullptr);
  DestroyMDIChild();
  if (OnDestroy) OnDestroy(this);
}

void TForm::FormCreated() {
  EndLoading();
  if (Owner() == Application) Application->SetMainForm(this);
  if (OnCreate) OnCreate(this);
}

void TForm::FillCreateParams(CreateParams& p) {
  p.className = className_;
  if (formStyle_ == fsMDIChild) {
    TForm* frame = MDIFrame();
    // MDI children show from the start, as the client lists and activates
    // its visible children.
    p.style = WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    p.exStyle = WS_EX_MDICHILD;
    p.parent = frame ? frame->ClientHandle() : nullptr;
    return;
  }
  p.style = WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
  p.exStyle = 0;
  // Forms belong to the application window, as their taskbar entry.
  p.parent = Application->Handle();
  if (p.parent) p.exStyle |= WS_EX_APPWINDOW;
}

void TForm::ApplyStyle() {
  LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
  LONG_PTR ex = GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
  const LONG_PTR frame = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                         WS_MAXIMIZEBOX | WS_BORDER | WS_DLGFRAME | DS_MODALFRAME;
  style &= ~frame;
  ex &= ~static_cast<LONG_PTR>(WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE);
  switch (borderStyle_) {
    case bsNone:
      style |= WS_POPUP;
      break;
    case bsDialog:
      style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
      ex |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
    case bsToolWindow:
    case bsSizeToolWin:
    case bsSingle:
    case bsSizeable:
      style |= WS_CAPTION;
      if (borderStyle_ == bsSizeable || borderStyle_ == bsSizeToolWin) style |= WS_THICKFRAME;
      if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) ex |= WS_EX_TOOLWINDOW;
      break;
  }
  if (borderStyle_ != bsNone && (borderIcons_ & biSystemMenu) && (borderIcons_ & biHelp))
    ex |= WS_EX_CONTEXTHELP;
  else
    ex &= ~static_cast<LONG_PTR>(WS_EX_CONTEXTHELP);
  if (borderStyle_ != bsNone && (borderIcons_ & biSystemMenu)) {
    style |= WS_SYSMENU;
    if (borderStyle_ != bsDialog && borderStyle_ != bsToolWindow && borderStyle_ != bsSizeToolWin) {
      if (borderIcons_ & biMinimize) style |= WS_MINIMIZEBOX;
      if (borderIcons_ & biMaximize) style |= WS_MAXIMIZEBOX;
    }
  }
  SetWindowLongPtrA(Handle(), GWL_STYLE, style);
  SetWindowLongPtrA(Handle(), GWL_EXSTYLE, ex);
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  borderStyle_ = style;
  ApplyStyle();
}

void TForm::SetBorderIcons(unsigned icons) {
  borderIcons_ = icons;
  ApplyStyle();
}

void TForm::SetFormStyle(TFormStyle style) {
  if (style == fsMDIChild || style == fsMDIForm || formStyle_ == fsMDIChild || formStyle_ == fsMDIForm)
    return;
  formStyle_ = style;
  SetWindowPos(Handle(), style == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TForm::WindowState() const {
  if (IsIconic(Handle())) return wsMinimized;
  if (IsZoomed(Handle())) return wsMaximized;
  return wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
  if (!Visible()) return;
  ShowWindow(Handle(), state == wsMinimized ? SW_MINIMIZE
                       : state == wsMaximized ? SW_MAXIMIZE
                                              : SW_RESTORE);
}

void TForm::SetClientSize(int width, int height) {
  RECT r = {0, 0, width, height};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_EXSTYLE)));
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  if (menu_) {
    menu_->RemoveFreeNotification(this);
    menu_->SetWindowHandle(nullptr);
  }
  menu_ = menu;
  if (menu_) menu_->FreeNotification(this);
  if (Handle()) {
    ::SetMenu(Handle(), menu_ ? menu_->Handle() : nullptr);
    if (menu_) menu_->SetWindowHandle(Handle());
    SetMDIMenu();
    DrawMenuBar(Handle());
  }
}

void TForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == menu_) {
    menu_ = nullptr;
    if (Handle()) ::SetMenu(Handle(), nullptr);
  }
  if (operation == opRemove && component == windowMenu_) {
    windowMenu_ = nullptr;
    SetMDIMenu();
  }
}

void TForm::Show() {
  bool wasVisible = Visible();
  ShowWindow(Handle(), SW_SHOW);
  if (formStyle_ == fsMDIChild && GetParent(Handle()))
    SendMessageA(GetParent(Handle()), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(Handle()), 0);
  if (formStyle_ == fsStayOnTop)
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!wasVisible && OnShow) OnShow(this);
}

void TForm::Hide() { ShowWindow(Handle(), SW_HIDE); }

namespace {
struct Disabled {
  HWND except;
  std::vector<HWND> windows;
};
BOOL CALLBACK DisableOne(HWND w, LPARAM lp) {
  auto* d = reinterpret_cast<Disabled*>(lp);
  if (w != d->except && IsWindowVisible(w) && IsWindowEnabled(w)) {
    d->windows.push_back(w);
    EnableWindow(w, FALSE);
  }
  return TRUE;
}
}  // namespace

int TForm::ShowModal() {
  Disabled disabled{Handle(), {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled));
  ModalResult = mrNone;
  modal_ = true;
  Show();
  SetForegroundWindow(Handle());
  while (ModalResult == mrNone && !Application->Terminated()) Application->HandleMessage();
  modal_ = false;
  for (HWND w : disabled.windows)
    if (IsWindow(w)) EnableWindow(w, TRUE);
  Hide();
  return ModalResult;
}

void TForm::Close() {
  if (Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  if (modal_) ModalResult = mrCancel;
  Hide();
}

void TForm::SetMessageMethod(UINT msg, TMessageMethod method) { methods_[msg] = std::move(method); }

void TForm::DefaultHandler(TMessage& msg) { msg.Result = FormDefault(msg.Msg, msg.WParam, msg.LParam); }

LRESULT TForm::FormDefault(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_MINIMIZE && Application->MainForm() == this) {
        Application->Minimize();
        return 0;
      }
      break;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(Handle(), &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, BackgroundBrush());
      return 1;
    }
    case WM_ACTIVATE:
      // The focus goes back to the control that had it.
      if (LOWORD(wp) != WA_INACTIVE && !HIWORD(wp) && RestoreFocus()) return 0;
      break;
    case WM_COMMAND:
      if (menu_ && lp == 0 && HIWORD(wp) == 0 && menu_->DispatchCommand(LOWORD(wp))) return 0;
      break;
    case WM_INITMENUPOPUP:
      if (menu_ && menu_->DispatchPopup(reinterpret_cast<HMENU>(wp))) return 0;
      break;
    case WM_MENUSELECT:
      if (menu_) MenuSelectHint({menu_}, wp, lp);
      break;
    case WM_HELP:
      if (menu_ && MenuItemHelp({menu_}, *reinterpret_cast<HELPINFO*>(lp))) return TRUE;
      break;
    default:
      break;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  auto it = methods_.find(msg);
  if (it == methods_.end()) return FormDefault(msg, wp, lp);
  TMessage m{msg, wp, lp, 0};
  TMessageMethod method = it->second;  // the method may replace itself
  method(m);
  return m.Result;
}

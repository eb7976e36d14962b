#include "TrayShell.h"

#include <cstring>

#include "Application.h"
#include "Forms.h"

namespace {

const char kTrayClass[] = "TTrayIconWindow";

LRESULT CALLBACK TrayWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* icon = reinterpret_cast<TTrayIcon*>(GetWindowLongPtrA(w, GWLP_USERDATA));
  if (!icon || msg != WM_TRAY_NOTIFY) return DefWindowProcA(w, msg, wp, lp);
  try {
    return icon->WndProc(msg, wp, lp);
  } catch (const std::exception& e) {
    Application->HandleException(e);
    return 0;
  }
}

class Guard {
 public:
  explicit Guard(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
  ~Guard() { LeaveCriticalSection(cs_); }

 private:
  CRITICAL_SECTION* cs_;
};

}  // namespace

TTrayAnimThread::TTrayAnimThread(TTrayIcon* owner)
    : owner_(owner),
      running_(CreateEventA(nullptr, TRUE, TRUE, nullptr)),
      wake_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

TTrayAnimThread::~TTrayAnimThread() {
  CloseHandle(running_);
  CloseHandle(wake_);
}

void TTrayAnimThread::Unlink() { owner_ = nullptr; }
void TTrayAnimThread::Pause() { ResetEvent(running_); }
void TTrayAnimThread::Continue() { SetEvent(running_); }

void TTrayAnimThread::Stop() {
  Terminate();
  SetEvent(running_);
  SetEvent(wake_);
}

void TTrayAnimThread::Execute() {
  while (!Terminated()) {
    WaitForSingleObject(running_, INFINITE);  // paused here, holding nothing
    if (Terminated()) break;
    // The icon outlives this thread: it waits for it when animation ends.
    TTrayIcon* owner = owner_;
    if (!owner || Application->Terminated()) break;
    DWORD interval = static_cast<DWORD>(owner->Interval() > 0 ? owner->Interval() : 1);
    if (WaitForSingleObject(wake_, interval) != WAIT_TIMEOUT || Terminated()) continue;
    owner->FrameStep();
  }
}

TTrayIcon::TTrayIcon(TComponent* owner) : TComponent(owner) {
  InitializeCriticalSection(&lock_);
  static ATOM registered = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TrayWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kTrayClass;
    return RegisterClassA(&wc);
  }();
  (void)registered;
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kTrayClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  icon_.OnChange = [this](TObject*) { IconChanged(); };
  icons_.SetNotify([this](TIconList*, void*) { IconChanged(); }, nullptr);
}

TTrayIcon::~TTrayIcon() {
  Destroying();
  icon_.OnChange = nullptr;
  icons_.SetNotify(nullptr, nullptr);
  SetAnimated(false);
  Hide();
  SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  DeleteCriticalSection(&lock_);
}

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  if (active_ && !(ComponentState() & csDesigning)) Show();
}

std::string TTrayIcon::ShortHint() const {
  std::string tip = hint_.substr(0, hint_.find('|'));
  return tip.size() > 63 ? tip.substr(0, 63) : tip;
}

HICON TTrayIcon::CurrentIcon() {
  if (animated_ && icons_.GetCount() > 0) {
    int i = frame_;
    if (i < 0) i = 0;
    if (i >= icons_.GetCount()) i = icons_.GetCount() - 1;
    return icons_.Get(i)->Handle();
  }
  return icon_.Handle();
}

void TTrayIcon::FillData(NOTIFYICONDATAA& data) {
  std::memset(&data, 0, sizeof data);
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;  // the first layout: 88 bytes on 32 bits
  data.hWnd = window_;
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_TRAY_NOTIFY;
  data.hIcon = CurrentIcon();
  std::string tip = ShortHint();
  std::memcpy(data.szTip, tip.c_str(), tip.size() + 1);
}

void TTrayIcon::Show() {
  Hide();
  Guard guard(&lock_);
  if (!CurrentIcon()) return;
  NOTIFYICONDATAA data;
  FillData(data);
  added_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
  if (added_ && ShortHint().empty()) Shell_NotifyIconA(NIM_MODIFY, &data);
  if (thread_) thread_->Continue();
}

void TTrayIcon::Hide() {
  Guard guard(&lock_);
  NOTIFYICONDATAA data;
  FillData(data);
  if (added_) Shell_NotifyIconA(NIM_DELETE, &data);
  added_ = leftDown_ = rightDown_ = false;
  if (thread_) thread_->Pause();
}

void TTrayIcon::IconChanged() {
  if (ComponentState() & csDestroying) return;
  if (icons_.GetCount() == 0) animated_ = false;
  Guard guard(&lock_);
  if (added_) {
    if (!CurrentIcon()) {
      Hide();
      return;
    }
    NOTIFYICONDATAA data;
    FillData(data);
    Shell_NotifyIconA(NIM_MODIFY, &data);
  } else if (active_ || (ShowDesign && (ComponentState() & csDesigning))) {
    Show();
  }
}

void TTrayIcon::SetActive(bool active) {
  active_ = active;
  if (ComponentState() & csLoading) return;
  if (active)
    Show();
  else
    Hide();
}

void TTrayIcon::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  IconChanged();
}

void TTrayIcon::BeginIconsUpdate() {
  EnterCriticalSection(&lock_);
  icons_.BeginUpdate();
}

void TTrayIcon::EndIconsUpdate() {
  icons_.EndUpdate();
  LeaveCriticalSection(&lock_);
}

void TTrayIcon::SetAnimated(bool animated) {
  if (animated && icons_.GetCount() == 0) animated = false;
  // An animation turned off by an emptied list still has its thread: it is
  // ended here, before any new one starts.
  if (animated == animated_ && (animated_ || !thread_)) return;
  TTrayAnimThread* stopping = nullptr;
  {
    Guard guard(&lock_);
    if (thread_) {
      stopping = thread_;
      thread_->Unlink();
      thread_->Stop();
      thread_ = nullptr;
    }
    animated_ = animated;
    if (animated) {
      thread_ = new TTrayAnimThread(this);
      if (!added_) thread_->Pause();
      thread_->Resume();
    }
    frame_ = 0;
  }
  // Outside the lock: a step waiting for it sees no thread and ends.
  if (stopping) {
    stopping->WaitFor();
    delete stopping;
  }
  IconChanged();
}

void TTrayIcon::FrameStep() {
  Guard guard(&lock_);
  if (!animated_ || !thread_) return;
  int count = icons_.GetCount();
  if (count == 0) return;
  int next = frame_ + 1;
  frame_ = next >= count ? 0 : next;
  if (added_) {
    NOTIFYICONDATAA data;
    FillData(data);
    Shell_NotifyIconA(NIM_MODIFY, &data);
  }
}

LRESULT TTrayIcon::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_TRAY_NOTIFY) return DefWindowProcA(window_, msg, wp, lp);
  HandleMouse(static_cast<UINT>(lp));
  return 0;
}

void TTrayIcon::HandleMouse(UINT mouse) {
  POINT p;
  GetCursorPos(&p);
  TShiftState shift = KeyboardShiftState();
  switch (mouse) {
    case WM_MOUSEMOVE:
      if (OnMouseMove) OnMouseMove(this, shift, p.x, p.y);
      break;
    case WM_LBUTTONDOWN:
      if (OnMouseDown) OnMouseDown(this, mbLeft, shift | ssLeft, p.x, p.y);
      leftDown_ = true;
      break;
    case WM_LBUTTONUP:
      if (leftDown_) {
        leftDown_ = false;
        Click(false);
      }
      if (OnMouseUp) OnMouseUp(this, mbLeft, shift, p.x, p.y);
      break;
    case WM_LBUTTONDBLCLK:
      DblClick();
      if (OnMouseDown) OnMouseDown(this, mbLeft, shift | ssDouble, p.x, p.y);
      break;
    case WM_RBUTTONDOWN:
      if (OnMouseDown) OnMouseDown(this, mbRight, shift, p.x, p.y);
      rightDown_ = true;
      break;
    case WM_RBUTTONUP:
      if (rightDown_) {
        rightDown_ = false;
        Click(true);
      }
      if (OnMouseUp) OnMouseUp(this, mbRight, shift, p.x, p.y);
      break;
    case WM_RBUTTONDBLCLK:
      if (OnMouseDown) OnMouseDown(this, mbRight, ssDouble, p.x, p.y);
      break;
    case WM_MBUTTONDOWN:
      if (OnMouseDown) OnMouseDown(this, mbMiddle, shift, p.x, p.y);
      break;
    case WM_MBUTTONUP:
      if (OnMouseUp) OnMouseUp(this, mbMiddle, shift | ssMiddle, p.x, p.y);
      break;
    case WM_MBUTTONDBLCLK:
      if (OnMouseDown) OnMouseDown(this, mbMiddle, ssDouble, p.x, p.y);
      break;
    default:
      break;
  }
}

void TTrayIcon::SetPopupMenu(TPopupMenu* menu) {
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TTrayIcon::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TTrayIcon::Click(bool right) {
  if (right && active_ && popupMenu_ && popupMenu_->AutoPopup &&
      !(ComponentState() & csDesigning)) {
    DoPopup();
    return;
  }
  if (OnClick) OnClick(this);
}

void TTrayIcon::DblClick() {
  if (popupMenu_) {
    TMenuItem* items = popupMenu_->Items();
    for (int i = 0; i < items->Count(); ++i) {
      TMenuItem* item = items->Items(i);
      if (item->Default() && item->Enabled()) {
        item->Click();
        return;
      }
    }
  }
  if (OnDblClick) OnDblClick(this);
}

void TTrayIcon::DoPopup() {
  HWND active = GetActiveWindow();
  if (!active) active = Application->Handle();
  if (active) SendMessageA(active, WM_CANCELMODE, 0, 0);
  BringWindowToFront(window_, false);
  Application->ProcessMessages();
  POINT p;
  GetCursorPos(&p);
  popupMenu_->PopupComponent = this;
  try {
    popupMenu_->Popup(p.x, p.y);
  } catch (...) {
    BringWindowToFront(window_, false);
    throw;
  }
  BringWindowToFront(window_, false);
}

LRESULT TTrayIcon::BringWindowToFront(HWND window, bool restore) {
  if (!IsWindowEnabled(window)) return 0;
  BOOL result = SetForegroundWindow(window);
  if (!restore) return result;
  if (!IsWindowVisible(window)) return 0;
  if (!IsZoomed(window)) SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  return reinterpret_cast<LRESULT>(SetFocus(window));
}

#include "Application.h"

#include "Forms.h"

namespace {

constexpr UINT kCallOnMain = WM_APP + 0x3F00;
const char kUtilClass[] = "TPUtilWindow";
const char kAppClass[] = "TApplication";

struct UtilData {
  std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> handler;
};

LRESULT CALLBACK UtilWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* d = reinterpret_cast<UtilData*>(GetWindowLongPtrA(w, GWLP_USERDATA));
  if (d && d->handler) {
    TApplication::MessageHandled();
    try {
      return d->handler(w, msg, wp, lp);
    } catch (const std::exception& e) {
      Application->HandleException(e);
      return 0;
    }
  }
  return DefWindowProcA(w, msg, wp, lp);
}

std::string ExeTitle() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = ExtractFileName(path);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

HWND AllocateHandlerWindow(const char* className, DWORD exStyle, DWORD style, HWND parent,
                           std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> handler) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  if (!GetClassInfoA(instance, className, &wc)) {
    wc = {};
    wc.lpfnWndProc = UtilWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    RegisterClassA(&wc);
  }
  HWND w = CreateWindowExA(exStyle, className, "", style, 0, 0, 0, 0, parent, nullptr, instance,
                           nullptr);
  if (!w) throw EOutOfResources(SWindowCreate);
  SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new UtilData{std::move(handler)}));
  return w;
}

HWND AllocateHWnd(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> handler) {
  return AllocateHandlerWindow(kUtilClass, 0, 0, HWND_MESSAGE, std::move(handler));
}

void DeallocateHWnd(HWND window) {
  if (!window) return;
  auto* d = reinterpret_cast<UtilData*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
  delete d;
}

static TApplication theApplication;
TApplication* const Application = &theApplication;

TApplication::TApplication() : TComponent(nullptr), mainThreadId_(GetCurrentThreadId()) {
  title_ = ExeTitle();
}

TApplication::~TApplication() { Done(); }

void TApplication::Done() {
  DestroyComponents();
  mainForm_ = nullptr;
  if (handle_) {
    DestroyWindow(handle_);
    handle_ = nullptr;
  }
}

void TApplication::Initialize() {
  if (handle_) return;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  wc.lpszClassName = kAppClass;
  RegisterClassA(&wc);
  handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, kAppClass, title_.c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!handle_) throw EOutOfResources(SWindowCreate);
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) SetWindowTextA(handle_, title_.c_str());
}

LRESULT CALLBACK TApplication::WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kCallOnMain) {
    MessageHandled();
    auto* fn = reinterpret_cast<const std::function<void()>*>(lp);
    try {
      (*fn)();
    } catch (const std::exception& e) {
      Application->HandleException(e);
    }
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

void TApplication::RunOnMainThread(const std::function<void()>& fn) {
  if (IsMainThread()) {
    fn();
    return;
  }
  if (!handle_ || !IsWindow(handle_)) throw EThread("Synchronize without an application window");
  SendMessageA(handle_, kCallOnMain, 0, reinterpret_cast<LPARAM>(&fn));
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  if (IsKeyMsg(msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  const unsigned long handled = handled_;
  if (!ProcessMessage(msg) && !terminated_ && handled == handled_) WaitMessage();
}

void TApplication::Run() {
  if (mainForm_ && ShowMainForm && !terminated_) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

void TApplication::Minimize() {
  if (mainForm_ && mainForm_->HandleAllocated() && !IsIconic(mainForm_->Handle()))
    ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  if (mainForm_ && mainForm_->HandleAllocated() && IsIconic(mainForm_->Handle())) {
    ShowWindow(mainForm_->Handle(), SW_RESTORE);
    if (OnRestore) OnRestore(this);
  }
}

void TApplication::HandleException(const std::exception& e) {
  if (dynamic_cast<const EAbort*>(&e)) return;
  if (OnException) {
    const auto* ours = dynamic_cast<const Exception*>(&e);
    OnException(this, ours ? *ours : Exception(e.what()));
    return;
  }
  MessageBoxA(handle_, e.what(), title_.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == mainForm_) mainForm_ = nullptr;
}

bool TApplication::HelpCommand(UINT command, ULONG_PTR data, HWND window) {
  bool callHelp = true, result = false;
  if (OnHelp) result = OnHelp(command, data, callHelp);
  if (!callHelp || HelpFile.empty()) return result;
  return WinHelpA(window ? window : handle_, HelpFile.c_str(), command, data) != FALSE;
}

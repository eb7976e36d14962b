#include "oxSubClass.h"

#include <algorithm>
#include <cstring>

#include "Application.h"
#include "Forms.h"
#include "oxMenus.h"

namespace {

const char* const SNotOwner = "Not a valid Window";
const char* const SOutOfResources = "Windows Resources Exhausted";
constexpr UINT kRehookInterval = 250;
constexpr int kRehookTries = 11;

// A window procedure bound to one object: a few instructions that put the
// object in place of the window handle and jump to the shared procedure.
void* MakeBoundProc(void* object, WNDPROC proc) {
  void* code = VirtualAlloc(nullptr, 32, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
  if (!code) return nullptr;
  auto* p = static_cast<uint8_t*>(code);
#if defined(_WIN64)
  // mov rcx, object; mov rax, proc; jmp rax
  const auto o = reinterpret_cast<uint64_t>(object), f = reinterpret_cast<uint64_t>(proc);
  p[0] = 0x48; p[1] = 0xB9; std::memcpy(p + 2, &o, 8);
  p[10] = 0x48; p[11] = 0xB8; std::memcpy(p + 12, &f, 8);
  p[20] = 0xFF; p[21] = 0xE0;
#else
  // mov dword ptr [esp+4], object; jmp proc
  const auto o = reinterpret_cast<uint32_t>(object);
  const auto rel = static_cast<int32_t>(reinterpret_cast<intptr_t>(proc) -
                                        reinterpret_cast<intptr_t>(p + 13));
  p[0] = 0xC7; p[1] = 0x44; p[2] = 0x24; p[3] = 0x04; std::memcpy(p + 4, &o, 4);
  p[8] = 0xE9; std::memcpy(p + 9, &rel, 4);
#endif
  FlushInstructionCache(GetCurrentProcess(), code, 32);
  return code;
}

std::vector<TMenuFormSubclass*>& FormHooks() {
  static auto* hooks = new std::vector<TMenuFormSubclass*>;
  return *hooks;
}

}  // namespace

ToxBaseSubClass::ToxBaseSubClass(TComponent* owner) : TComponent(owner) {}

ToxBaseSubClass::~ToxBaseSubClass() {
  Destroying();
  Unhook();
  delete rehook_;
  if (control_) control_->RemoveFreeNotification(this);
}

void ToxBaseSubClass::HookMessage(UINT, WPARAM, LPARAM, LRESULT&) {}

void ToxBaseSubClass::SetActive(bool active) {
  if (active == active_) return;
  if (active)
    Hook();
  else
    Unhook();
}

void ToxBaseSubClass::SetControlMode(bool controlMode) {
  if (controlMode == controlMode_) return;
  const bool was = active_;
  Unhook();
  controlMode_ = controlMode;
  if (was) Hook();
}

void ToxBaseSubClass::SetWindow(HWND window) {
  const bool was = active_;
  Unhook();
  window_ = window;
  if (was) Hook();
}

void ToxBaseSubClass::SetControl(TWinControl* control) {
  if (control == control_) return;
  const bool was = active_;
  Unhook();
  if (control_) control_->RemoveFreeNotification(this);
  control_ = control;
  if (control_) control_->FreeNotification(this);
  window_ = control_ ? control_->Handle() : nullptr;
  if (was) Hook();
  Retargeted();
}

void ToxBaseSubClass::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == control_) {
    Unhook();
    if (rehook_) rehook_->SetEnabled(false);
    control_ = nullptr;
    window_ = nullptr;
  }
}

void ToxBaseSubClass::Hook() {
  if (active_) return;
  if (controlMode_) {
    if (!control_) return;
    savedMethod_ = control_->WindowProc;
    TWinControl* c = control_;
    control_->WindowProc = [this, c](UINT msg, WPARAM wp, LPARAM lp) {
      LRESULT result = savedMethod_ ? savedMethod_(msg, wp, lp) : c->DispatchDefault(msg, wp, lp);
      HookMessage(msg, wp, lp, result);
      return result;
    };
    active_ = true;
    return;
  }
  if (control_) window_ = control_->Handle();
  if (!window_ || !IsWindow(window_)) throw ENotOwnerError(SNotOwner);
  if (!thunk_) thunk_ = MakeBoundProc(this, reinterpret_cast<WNDPROC>(BoundProc));
  if (!thunk_) throw EOutOfResources(SOutOfResources);
  oldProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(thunk_)));
  active_ = true;
}

void ToxBaseSubClass::Unhook() {
  if (active_) {
    if (controlMode_) {
      if (control_) control_->WindowProc = savedMethod_;
      savedMethod_ = nullptr;
    } else if (window_ && IsWindow(window_) &&
               GetWindowLongPtrA(window_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(thunk_)) {
      SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
    }
    active_ = false;
  }
  // The bound procedure lives as long as the object: a hook chained
  // behind it may still call it.
  if (thunk_ && (ComponentState() & csDestroying)) {
    if (window_ && IsWindow(window_) &&
        GetWindowLongPtrA(window_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(thunk_))
      SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
    VirtualFree(thunk_, 0, MEM_RELEASE);
    thunk_ = nullptr;
  }
}

LRESULT CALLBACK ToxBaseSubClass::BoundProc(HWND self, UINT msg, WPARAM wp, LPARAM lp) {
  return reinterpret_cast<ToxBaseSubClass*>(self)->WindowMessage(msg, wp, lp);
}

LRESULT ToxBaseSubClass::WindowMessage(UINT msg, WPARAM wp, LPARAM lp) {
  HWND w = window_;
  WNDPROC old = oldProc_;
  LRESULT result = old ? CallWindowProcA(old, w, msg, wp, lp) : DefWindowProcA(w, msg, wp, lp);
  if (!active_) return result;
  try {
    HookMessage(msg, wp, lp, result);
  } catch (const std::exception& e) {
    Application->HandleException(e);
  }
  if (msg == WM_DESTROY && control_) {
    // The control makes a new window later: hook that one when it comes.
    rehookActive_ = active_;
    rehookTicks_ = 0;
    if (!rehook_) {
      rehook_ = new TTimer(nullptr);
      rehook_->SetInterval(kRehookInterval);
      rehook_->SetOnTimer([this](TObject*) { RehookTick(); });
    }
    rehook_->SetEnabled(true);
  }
  if (msg == WM_NCDESTROY) {
    active_ = false;
    window_ = nullptr;
  }
  return result;
}

// The timer stays with the hook and is only stopped here: freeing it
// inside its own tick would leave the timer's window procedure running on
// freed memory.
void ToxBaseSubClass::RehookTick() {
  if (!control_) {
    rehook_->SetEnabled(false);
    return;
  }
  if (!control_->HandleAllocated() && ++rehookTicks_ < kRehookTries) return;
  rehook_->SetEnabled(false);
  if (!control_->HandleAllocated()) return;  // no window came: the hook stays off
  window_ = control_->Handle();
  if (rehookActive_) Hook();
}

TMenuFormSubclass::TMenuFormSubclass(TWinControl* form) : ToxBaseSubClass(nullptr) {
  SetControlMode(true);
  SetControl(form);
  SetActive(true);
  FormHooks().push_back(this);
}

TMenuFormSubclass::~TMenuFormSubclass() {
  auto& hooks = FormHooks();
  hooks.erase(std::remove(hooks.begin(), hooks.end(), this), hooks.end());
}

TMenuFormSubclass* TMenuFormSubclass::Of(TWinControl* form) {
  for (TMenuFormSubclass* h : FormHooks())
    if (h->Control() == form) return h;
  return nullptr;
}

void TMenuFormSubclass::Retargeted() {
  if (Control() && Control()->HandleAllocated()) DrawMenuBar(Control()->Handle());
}

void TMenuFormSubclass::HookMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  TForm* form = dynamic_cast<TForm*>(Control());
  switch (msg) {
    case WM_INITMENUPOPUP:
      NoteMenuOpened(reinterpret_cast<HMENU>(wp));
      menuSelected_ = false;
      break;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      if (Control() && ToxMenuItemMessage(Control()->Handle(), msg, lp)) result = 1;
      break;
    case WM_INITMENU:
      if (auto* menu = form ? dynamic_cast<ToxMenu*>(form->Menu()) : nullptr) {
        menu->PrepareItems(menu->Data().changed);
        menu->Data().changed = false;
        if (menu->Style() != oxmNormal) ToxPrepareWindowMenu(menu, form);
      }
      break;
    case WM_EXITMENULOOP:
      ToxReleaseWindowMenuItems();
      break;
    case WM_MENUSELECT:
      menuSelected_ = true;
      break;
    case WM_MENUCHAR:
      if (LRESULT r = ToxMenuChar(static_cast<char>(LOWORD(wp)), reinterpret_cast<HMENU>(lp))) result = r;
      break;
    default:
      break;
  }
}


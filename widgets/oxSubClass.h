// Hooks on the messages of a window: either its window procedure is
// replaced (window mode) or a control's message method (control mode).
// The owner-drawn main menu hooks its form this way.
#pragma once

#include <windows.h>

#include <vector>

#include "Graphics.h"
#include "Controls.h"
#include "ExtCtrls.h"
#include "Menus.h"

class ToxMenu;

// "Not a valid Window": a window-mode hook on a handle that is no window.
class ENotOwnerError : public Exception {
  using Exception::Exception;
};

class ToxBaseSubClass : public TComponent {
 public:
  explicit ToxBaseSubClass(TComponent* owner);
  ~ToxBaseSubClass() override;

  // Activation installs the hook, deactivation restores what was there.
  // Window mode on a handle that is no window raises ENotOwnerError;
  // without memory for the window procedure, EOutOfResources.
  bool Active() const { return active_; }
  void SetActive(bool active);
  // Control mode replaces the control's WindowProc; window mode the
  // window's procedure.
  bool ControlMode() const { return controlMode_; }
  void SetControlMode(bool controlMode);
  // The hooked window (window mode).
  HWND Window() const { return window_; }
  void SetWindow(HWND window);
  // The hooked control: in window mode its window, hooked again when the
  // control makes a new one.
  TWinControl* Control() const { return control_; }
  void SetControl(TWinControl* control);

 protected:
  // After the window's own handling of a message; result holds its result.
  virtual void HookMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // The hook now follows another control.
  virtual void Retargeted() {}
  void Notification(TComponent* component, TOperation operation) override;

 private:
  static LRESULT CALLBACK BoundProc(HWND self, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT WindowMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Hook();
  void Unhook();
  void RehookTick();
  HWND window_ = nullptr;
  WNDPROC oldProc_ = nullptr;
  void* thunk_ = nullptr;  // the window procedure bound to this object
  TWinControl* control_ = nullptr;
  TWndMethod savedMethod_;
  bool active_ = false;
  bool controlMode_ = false;
  TTimer* rehook_ = nullptr;
  int rehookTicks_ = 0;
  bool rehookActive_ = false;
};

// The hook of a form that carries owner-drawn main menus: measures and
// paints their items, prepares them when the menu bar opens and answers
// the menu keys.
class TMenuFormSubclass : public ToxBaseSubClass {
 public:
  // Made active in control mode on the form.
  explicit TMenuFormSubclass(TWinControl* form);
  ~TMenuFormSubclass() override;
  // The hook of the form, or none.
  static TMenuFormSubclass* Of(TWinControl* form);
  int RefCount = 0;
  TCanvas* Canvas() { return &canvas_; }
  bool MenuSelected() const { return menuSelected_; }

 protected:
  void HookMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void Retargeted() override;

 private:
  TCanvas canvas_;
  bool menuSelected_ = false;
};

// The notification-area icon: one icon with a tool tip, mouse messages
// turned into events, a popup menu on a right click and an animation of
// a list of icons stepped on a thread of its own.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <functional>
#include <string>

#include "Classes.h"
#include "Controls.h"
#include "IconList.h"
#include "Menus.h"
#include "Threads.h"

// The callback message of the icon.
constexpr UINT WM_TRAY_NOTIFY = 45120;

class TTrayIcon;

// Steps the animation of one tray icon every Interval ms. It pauses at the
// top of its loop while the icon is hidden, never while it holds the icon
// list; the icon waits for its end when animation stops.
class TTrayAnimThread : public TThread {
 public:
  explicit TTrayAnimThread(TTrayIcon* owner);
  ~TTrayAnimThread() override;
  // Cuts the link to the icon; the thread touches it no more afterwards.
  void Unlink();
  void Pause();
  void Continue();
  void Stop();

 protected:
  void Execute() override;

 private:
  TTrayIcon* owner_;  // guarded by the icon's lock
  HANDLE running_;    // set while not paused
  HANDLE wake_;       // ends a sleep early
};

class TTrayIcon : public TComponent {
 public:
  explicit TTrayIcon(TComponent* owner);
  ~TTrayIcon() override;

  bool Active() const { return active_; }
  void SetActive(bool active);
  bool Animated() const { return animated_; }
  void SetAnimated(bool animated);
  int Interval() const { return interval_; }
  void SetInterval(int ms) { interval_ = ms; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  TIcon* Icon() { return &icon_; }
  // The list of animation frames. Refill it between BeginIconsUpdate and
  // EndIconsUpdate: the animation thread waits meanwhile.
  TIconList* Icons() { return &icons_; }
  void BeginIconsUpdate();
  void EndIconsUpdate();
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);
  bool ShowDesign = false;

  bool Added() const { return added_; }
  HWND WindowHandle() const { return window_; }
  int Frame() const { return frame_; }
  // The tip as handed to the shell: the text before any "|", at most 63
  // characters.
  std::string ShortHint() const;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

  void Show();
  void Hide();
  static LRESULT BringWindowToFront(HWND window, bool restore);
  // The hidden window's messages.
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TTrayAnimThread;
  void FrameStep();  // animation thread
  void IconChanged();
  HICON CurrentIcon();
  void FillData(NOTIFYICONDATAA& data);
  void HandleMouse(UINT mouse);
  void Click(bool right);
  void DblClick();
  void DoPopup();

  bool active_ = true;
  bool animated_ = false;
  int interval_ = 150;
  std::string hint_;
  TIcon icon_;
  TIconList icons_;
  std::atomic<int> frame_{-1};
  HWND window_ = nullptr;
  bool added_ = false;
  bool leftDown_ = false;
  bool rightDown_ = false;
  TTrayAnimThread* thread_ = nullptr;
  TPopupMenu* popupMenu_ = nullptr;
  CRITICAL_SECTION lock_;
};

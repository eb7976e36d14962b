// Helpers of the update tests (on top of the local server's helpers):
// windows of a process, and a driver that answers the dialogs of the update check as a user does,
// with clicks on their buttons, from a thread of its own.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "../http/HttpTestSupport.h"

inline std::string ServerHostPort() { return "127.0.0.1:" + std::to_string(TestServerPort()); }

inline std::string ProgramFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\'));
}

inline std::string WindowText(HWND w) {
  char text[1024] = {};
  GetWindowTextA(w, text, sizeof text);
  return text;
}

// A visible top-level window of that process with that class (and
// caption, when given).
inline HWND FindProcessWindow(DWORD process, const std::string& cls,
                              const std::string& caption = "") {
  struct Search {
    DWORD process;
    std::string cls, caption;
    HWND found;
  } search{process, cls, caption, nullptr};
  EnumWindows(
      [](HWND w, LPARAM lp) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        char cls[256] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (pid == s->process && IsWindowVisible(w) && s->cls == cls &&
            (s->caption.empty() || WindowText(w) == s->caption)) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline HWND FindOwnWindow(const std::string& cls, const std::string& caption = "") {
  return FindProcessWindow(GetCurrentProcessId(), cls, caption);
}

// The first child of that class (and text, when given).
inline HWND FindChild(HWND parent, const std::string& cls, const std::string& text = "") {
  for (HWND c = FindWindowExA(parent, nullptr, cls.c_str(), nullptr); c;
       c = FindWindowExA(parent, c, cls.c_str(), nullptr))
    if (text.empty() || WindowText(c) == text) return c;
  return nullptr;
}

// A click on the button with that text, as the user makes it.
inline bool ClickButton(HWND window, const std::string& text) {
  HWND button = FindChild(window, "Button", text);
  if (!button) return false;
  PostMessageA(button, BM_CLICK, 0, 0);
  return true;
}

// Clicks a button that closes its window, again while the window stays (a
// click can miss a window that is not active while other programs run).
inline bool PressToClose(HWND window, const std::string& text) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    SetForegroundWindow(window);
    if (!ClickButton(window, text)) return !IsWindow(window) || !IsWindowVisible(window);
    for (int i = 0; i < 20; ++i) {
      if (!IsWindow(window) || !IsWindowVisible(window)) return true;
      Sleep(50);
    }
  }
  return false;
}

// Clicks the check box until it shows the state wanted.
inline bool ClickCheckTo(HWND window, const std::string& text, bool checked) {
  HWND box = FindChild(window, "Button", text);
  for (int attempt = 0; box && attempt < 10; ++attempt) {
    if ((SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) == checked) return true;
    SetForegroundWindow(window);
    PostMessageA(box, BM_CLICK, 0, 0);
    Sleep(200);
  }
  return false;
}

// Waits on its own thread for a window and acts on it once.
class DialogAnswer {
 public:
  DialogAnswer(std::string cls, std::string caption, std::function<void(HWND)> act)
      : thread_([this, cls, caption, act] {
          for (int i = 0; i < 600 && !stop_; ++i) {
            if (HWND w = FindOwnWindow(cls, caption)) {
              Sleep(100);  // let it settle, as a user would
              act(w);
              answered_ = true;
              return;
            }
            Sleep(50);
          }
        }) {}
  ~DialogAnswer() {
    stop_ = true;
    thread_.join();
  }
  bool Answered() const { return answered_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> answered_{false};
  std::thread thread_;
};

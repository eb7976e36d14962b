// The controller's form in this process, its tray menu opened and an item
// reached by the mouse: the application hint follows the item under it.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "Application.h"
#include "ControlForm.h"
#include "ControllerSupport.h"
#include "TrayMenuSupport.h"

namespace {

std::mutex hintsLock;
std::vector<std::string> hints;

std::vector<std::string> Hints() {
  std::lock_guard<std::mutex> hold(hintsLock);
  return hints;
}

bool WaitForHint(const std::string& hint, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    std::vector<std::string> now = Hints();
    if (!now.empty() && now.back() == hint) return true;
    if (GetTickCount() - start > ms) return false;
    Sleep(50);
  }
}

// The mouse moved to that screen point by real input.
void MoveMouse(POINT p) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, DWORD(p.x * 65535 / (w - 1)),
              DWORD(p.y * 65535 / (h - 1)), 0, 0);
}

TEST(ControllerMenuHint, AutomaticRecordingItemSetsTheApplicationHint) {
  ControllerFolder f("menuhint", {"Caddrel.exe", "HalvornPeer.exe", "HalvornBasket.dll",
                                  "TezIniManager.dll"});
  ASSERT_TRUE(f.StartPeer());
  // The form halts its process without a settings library or with another
  // controller running: neither may be the case here.
  ASSERT_EQ(f.Controller(), nullptr);
  HMODULE store = LoadLibraryA("TezIniManager.dll");
  ASSERT_NE(store, nullptr);
  FreeLibrary(store);
  ASSERT_TRUE(SetCurrentDirectoryA(f.Path().c_str()));
  Application->Initialize();
  Application->OnHint = [](TObject*) {
    std::lock_guard<std::mutex> hold(hintsLock);
    hints.push_back(Application->Hint());
  };
  auto* form = new TForm1(Application);
  ASSERT_NE(f.Controller(), nullptr);

  // The menu runs on this thread; the user's hand on another.
  std::atomic<bool> done(false);
  bool opened = false, shown = false, cleared = false;
  std::thread user([&] {
    HWND tray = TrayWindow();
    POINT automatic, fullView;
    opened = tray && OpenMenuAt(tray, "HALVORN_BMP_TRAYICON_SCHEDOFF_BMP", &automatic);
    if (opened) {
      opened = MenuShot().Find(PictureColour("HALVORN_BMP_TRAYICON_MAX_BMP"), &fullView);
      MoveMouse({automatic.x + 40, automatic.y + 2});
      shown = WaitForHint("Set Automatic Recording", 10000);
      // An item without a hint clears it.
      MoveMouse({fullView.x + 40, fullView.y + 2});
      cleared = WaitForHint("", 10000);
      CloseMenu(tray);
    }
    done = true;
  });
  const DWORD start = GetTickCount();
  while (!done && GetTickCount() - start < 120000) {
    Application->ProcessMessages();
    Sleep(10);
  }
  if (!done) PostMessageA(TrayWindow(), WM_CANCELMODE, 0, 0);
  user.join();
  EXPECT_TRUE(opened);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(cleared);
  Application->OnHint = nullptr;
  delete form;
}

}  // namespace

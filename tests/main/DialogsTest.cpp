// The small dialogs on the test display, driven by clicks on their
// controls while they run modally.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "ControlTags.h"
#include "Forms.h"
#include "SmallDialogs.h"

namespace {

std::function<bool()> g_drive;  // true once it has acted

void CALLBACK DriveTimer(HWND, UINT, UINT_PTR id, DWORD) {
  if (g_drive && g_drive()) {
    KillTimer(nullptr, id);
    g_drive = nullptr;
  }
}

// Runs action on the dialog of that class once it shows.
void WhenShown(const char* className, std::function<void(HWND)> action) {
  g_drive = [className, action] {
    HWND w = FindWindowA(className, nullptr);
    if (!w || !IsWindowVisible(w)) return false;
    action(w);
    return true;
  };
  SetTimer(nullptr, 0, 100, DriveTimer);
}

void Click(HWND dialog, const char* name) {
  SendMessageA(FindControlByName(dialog, name), BM_CLICK, 0, 0);
}

}  // namespace

TEST(SmallDialogs, LinkTextAndProxyEntries) {
  EXPECT_EQ(ShortLinkText("http://h/a.mp3"), "http://h/a.mp3");
  EXPECT_EQ(ShortLinkText("http://host/1234567"), "http://host/1234567...");  // 18 characters
  EXPECT_EQ(ShortLinkText("http://host/very/long/link.mp3"), "http://host/very/lon...");
  struct Case {
    const char *host, *port;
    bool usable;
  } cases[] = {{"proxy", "9999", true}, {"proxy", "10000", false}, {"proxy", "1", true},
               {"proxy", "0", false},   {"proxy", "abc", false},   {"", "80", false},
               {"  ", "80", false},     {"proxy", " 80 ", true}};
  for (const Case& c : cases)
    EXPECT_EQ(ProxyEntryUsable(c.host, c.port), c.usable) << c.host << ":" << c.port;
}

TEST(SmallDialogs, FileTypeQuestionAnswersByChoice) {
  struct Case {
    const char* button;
    bool doubleClick, close;
    int result;
    const char *ext, *channelExt;
  } cases[] = {
      {"chkTypeMusic", false, false, 1, ".mmm", ".mp3"},
      {"chkTypeDocument", true, false, 1, ".html", ".html"},
      {"chkTypeMediaPlayer", false, false, 1, ".asx", ".asx"},
      {"chkTypeUnknown", false, false, 1, "", ""},
      {"chkTypeRealAudio", false, true, 2, "mmm", "mmm"},  // closed: no answer
  };
  // The question runs its own message loop: the other windows stay usable.
  TForm other(nullptr);
  other.SetBounds(20, 20, 200, 100);
  other.Show();
  for (const Case& c : cases) {
    TfrmAskFileType dialog(nullptr);
    bool okBefore = true, okAfter = false, otherEnabled = false, onScreen = false;
    std::string shown;
    WhenShown("TfrmAskFileType", [&](HWND w) {
      otherEnabled = IsWindowEnabled(other.Handle());
      RECT r;
      GetWindowRect(w, &r);
      onScreen = r.left == GetSystemMetrics(SM_CXSCREEN) / 3 && r.top >= 0 &&
                 r.bottom <= GetSystemMetrics(SM_CYSCREEN);
      char text[64] = {};
      GetWindowTextA(FindControlByName(w, "lblDraggedLink"), text, sizeof text);
      shown = text;
      HWND ok = FindControlByName(w, "btnOk");
      okBefore = IsWindowEnabled(ok);
      HWND button = FindControlByName(w, c.button);
      if (c.doubleClick) {
        SendMessageA(button, BM_CLICK, 0, 0);
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_DOUBLECLICKED),
                     reinterpret_cast<LPARAM>(button));
        return;
      }
      SendMessageA(button, BM_CLICK, 0, 0);
      okAfter = IsWindowEnabled(ok);
      if (c.close)
        PostMessageA(w, WM_CLOSE, 0, 0);
      else
        Click(w, "btnOk");
    });
    EXPECT_EQ(dialog.Execute("http://127.0.0.1/unclear/stream", "mmm"), c.result) << c.button;
    EXPECT_EQ(dialog.Extension, c.ext) << c.button;
    EXPECT_EQ(dialog.ChannelExtension, c.channelExt) << c.button;
    EXPECT_FALSE(okBefore) << "OK waits for a choice";
    if (!c.doubleClick) {
      EXPECT_TRUE(okAfter) << c.button;
    }
    EXPECT_EQ(shown, "http://127.0.0.1/unc...");
    EXPECT_TRUE(otherEnabled) << c.button;
    EXPECT_TRUE(onScreen) << c.button;
    EXPECT_FALSE(dialog.Visible()) << c.button;
  }
}

TEST(SmallDialogs, ProxyDialogKeepsBlankSettingsOpen) {
  TfrmProxySettings dialog(nullptr);
  int round = 0;
  std::string warning;
  std::function<bool()> drive = [&] {
    HWND w = FindWindowA("TfrmProxySettings", nullptr);
    if (!w || !IsWindowVisible(w)) return false;
    if (round == 0) {
      ++round;
      SetWindowTextA(FindControlByName(w, "editHttpProxy"), "proxy.local");
      SetWindowTextA(FindControlByName(w, "editHttpProxyPort"), "70000");
      PostMessageA(FindControlByName(w, "btnOk"), BM_CLICK, 0, 0);
      return false;
    }
    HWND box = FindWindowA("#32770", "Brindale");
    if (round == 1 && box) {
      ++round;
      for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char t[256] = {};
        GetWindowTextA(c, t, sizeof t);
        if (strstr(t, "proxy server")) warning = t;
      }
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      return false;
    }
    if (round == 2 && !box) {
      SetWindowTextA(FindControlByName(w, "editHttpProxyPort"), "9999");
      Click(w, "btnOk");
      return true;
    }
    return false;
  };
  g_drive = drive;
  SetTimer(nullptr, 0, 100, DriveTimer);
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(warning,
            "The settings for the proxy server you have chosen to use are blank.\r\n"
            "This prevents access to the Internet.");
  EXPECT_EQ(dialog.editHttpProxyPort->Caption(), "9999");
}

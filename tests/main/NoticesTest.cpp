// Halvorn.exe's notices at start: low disk space and too many stored bytes,
// answered with clicks; the box switches a notice off in the settings and
// Yes opens the cleanup dialog.
#include <gtest/gtest.h>

#include "HalvornRun.h"
#include "RunSupport.h"

namespace {

// Read from the file itself: the profile functions may answer from a copy
// that the same second's rewrite does not refresh.
std::string Key(const std::string& file, const char* key) {
  std::string text = ReadText(file), wanted = std::string(key) + "=";
  size_t section = text.find("[Notifications]");
  if (section == std::string::npos) return "<none>";
  size_t end = text.find("\n[", section);
  size_t at = text.find("\n" + wanted, section);
  if (at == std::string::npos || at > end) return "<none>";
  at += 1 + wanted.size();
  return text.substr(at, text.find_first_of("\r\n", at) - at);
}

void ClickOn(HWND control) {
  RECT r = WindowRect(control);
  ClickAt(control, 6, (r.bottom - r.top) / 2);
}

HWND WaitShown(const char* className, int ms = 20000) {
  HWND w = nullptr;
  PumpUntil([&] { return (w = FindWindowA(className, nullptr)) && IsWindowVisible(w); }, ms);
  return w && IsWindowVisible(w) ? w : nullptr;
}

// The notice's place: centred on the main window's bounds when it fits
// in them, else on the screen.
void ExpectCentred(HWND notice, int viewState) {
  RECT n = WindowRect(notice);
  int w = n.right - n.left, h = n.bottom - n.top;
  RECT over = viewState == 0 ? RECT{120, 100, 680, 520}
                             : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN),
                                    GetSystemMetrics(SM_CYSCREEN)};
  EXPECT_EQ(n.left, over.left + (over.right - over.left - w) / 2);
  EXPECT_EQ(n.top, over.top + (over.bottom - over.top - h) / 2);
}

struct Answer {
  bool tick;
  const char* button;  // "btnYes" or "btnNo"
};

}  // namespace

TEST(HalvornNotices, ShownAtStartAndSwitchedOffByTheirBox) {
  const std::string kSizeText = "Brindale files exceeded size limit. Perform cleanup?";
  struct Case {
    const char* name;
    int viewState;
    const char* minSpace;  // "" leaves the disk notice off
    const char* maxSize;   // "" leaves the size notice off
    std::vector<std::pair<std::string, Answer>> notices;  // expected text, answer
    const char *minKeyAfter, *maxKeyAfter;
  } cases[] = {
      {"disk low, box ticked, Yes", 0, "999999999", "",
       {{"Free disk space is low. Perform cleanup?", {true, "btnYes"}}}, "0", "0"},
      {"size reached, No", 1, "", "2", {{kSizeText, {false, "btnNo"}}}, "0", "1"},
      {"both, box ticked on the second", 1, "999999999", "0",
       {{"Free disk space is low. Perform cleanup?", {false, "btnNo"}},
        {kSizeText, {true, "btnNo"}}}, "1", "0"},
      {"neither reached", 0, "0", "3", {}, "1", "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Install in(AllFiles());
    WriteSettings(in, c.viewState);
    std::string param = ReadText(in.Path("TezParam.inx"));
    param += std::string("[Notifications]\r\nshouldNotifyMinSpace=") + (*c.minSpace ? "1" : "0") +
             "\r\nMinSpace=" + (*c.minSpace ? c.minSpace : "0") +
             "\r\nshouldNotifyMaxSize=" + (*c.maxSize ? "1" : "0") +
             "\r\nMaxSize=" + (*c.maxSize ? c.maxSize : "0") + "\r\n";
    WriteText(in.Path("TezParam.inx"), param);
    // 2.5 MB stored in the Pending list, in a file the program made.
    CreateDirectoryA(in.Path("data\\Pending").c_str(), nullptr);
    WriteText(in.Path("data\\Pending\\own.wav"), std::string(2621440, 'x'));
    WriteText(in.Path("data\\Pending\\Pending.inx"),
              "[Entry List]\r\nnumberEntries=1\r\n[1]\r\ndescription=kept\r\nlocalFileName=" +
                  in.Path("data\\Pending\\own.wav") + "\r\nfileCreatedByBrindale=1\r\n");

    ProcessGuard p(StartHalvorn(in, "/debug"));
    ASSERT_NE(p.process, nullptr);
    for (const auto& [text, answer] : c.notices) {
      HWND notice = WaitShown("TfrmNoSpaceMessage");
      ASSERT_NE(notice, nullptr) << text;
      EXPECT_EQ(TextOf(FindControlByName(notice, "lblMessage")), text);
      ExpectCentred(notice, c.viewState);
      HWND box = FindControlByName(notice, "chkDoNotShow");
      if (answer.tick) {
        ClickOn(box);
        EXPECT_TRUE(PumpUntil(
            [&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 10000));
      }
      ClickOn(FindControlByName(notice, answer.button));
      EXPECT_TRUE(
          PumpUntil([&] { return !IsWindowVisible(notice) || !IsWindow(notice); }, 10000));
      if (std::string(answer.button) == "btnYes") {
        HWND cleanup = WaitShown("TfrmChannelCleanup");
        ASSERT_NE(cleanup, nullptr) << "Yes opens the cleanup dialog";
        ClickOn(FindControlByName(cleanup, "btnCancel"));
        EXPECT_TRUE(
            PumpUntil([&] { return !IsWindowVisible(cleanup) || !IsWindow(cleanup); }, 10000));
      } else {
        // Hiding a window may hold the program up to 2 s on this display.
        PumpUntil([] { return false; }, 3000);
        HWND cleanup = FindWindowA("TfrmChannelCleanup", nullptr);
        EXPECT_FALSE(cleanup && IsWindowVisible(cleanup)) << "No cleans nothing";
      }
    }
    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    PumpUntil([] { return false; }, 3000);
    HWND extra = FindWindowA("TfrmNoSpaceMessage", nullptr);
    EXPECT_FALSE(extra && IsWindowVisible(extra)) << "no further notice";
    auto keysAsAnswered = [&] {
      return Key(in.Path("TezParam.inx"), "shouldNotifyMinSpace") == c.minKeyAfter &&
             Key(in.Path("TezParam.inx"), "shouldNotifyMaxSize") == c.maxKeyAfter;
    };
    EXPECT_TRUE(keysAsAnswered());
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitExit(p.process), 0u);
    // Kept by the save at the end, and nothing was cleaned.
    EXPECT_TRUE(keysAsAnswered());
    EXPECT_TRUE(FileExists(in.Path("data\\Pending\\own.wav")));
  }
}

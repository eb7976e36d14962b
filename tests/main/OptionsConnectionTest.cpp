// The connection test started from Halvorn.exe's options against the local
// web server: success, a failed check, and the keys it wrote put back when
// the options are cancelled.
#include <gtest/gtest.h>

#include "HalvornRun.h"

namespace {

int ServerPort() {
  const char* p = std::getenv("BRINDALE_HTTP_PORT");
  return p ? std::atoi(p) : 0;
}

std::string Key(const std::string& file, const char* section, const char* key) {
  char buf[512] = {};
  GetPrivateProfileStringA(section, key, "<none>", buf, sizeof buf, file.c_str());
  return buf;
}

}  // namespace

TEST(OptionsConnection, TestFromTheConnectionPage) {
  ASSERT_GT(ServerPort(), 0) << "run under with_server.sh";
  Install in(AllFiles());
  WriteSettings(in, 0);
  CopyFileA((BinDir() + "TezHttpGet.dll").c_str(), in.Path("TezHttpGet.dll").c_str(), FALSE);
  CreateDirectoryA(in.Path("temp").c_str(), nullptr);
  std::string base = "http://127.0.0.1:" + std::to_string(ServerPort());
  for (const char* variant : {"good", "badsum"}) {
    WriteText(in.Path("TezParam.inx"),
              "[Folders]\r\ndataFolder=data\\\r\nwavFolder=wavs\\\r\ntempWavFolder=temp\\\r\n"
              "[Links]\r\nhttpTestUrl=" + base + "/testinifile/" + variant + "\r\n"
              "[Dialer]\r\nuseDialer=2\r\n[Proxies]\r\nuseProxy=0\r\nhttpPort=80\r\n");
    ControlPeer peer;
    HANDLE process = StartHalvorn(in);
    ASSERT_NE(process, nullptr);
    ProcessGuard guard(process);
    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    PumpUntil([] { return false; }, 500);
    ASSERT_TRUE(OpenOptionsPages(main));
    ASSERT_TRUE(SelectOptionsPage(main, 2));
    // Stored without a connection; the test runs with a direct one.
    EXPECT_FALSE(IsWindowEnabled(FindControlByName(main, "btnTestConnection")));
    SendMessageA(FindControlByName(main, "radioDirectConnection"), BM_CLICK, 0, 0);
    ASSERT_TRUE(IsWindowEnabled(FindControlByName(main, "btnTestConnection")));
    PostMessageA(FindControlByName(main, "btnTestConnection"), BM_CLICK, 0, 0);
    std::string text;
    HWND box = WaitForMessageBox(text, 30000);
    ASSERT_NE(box, nullptr) << variant;
    EXPECT_EQ(text, std::string(variant) == "good" ? "Test succeeded." : "Test failed.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    PumpUntil([] { return false; }, 500);
    // The keys the test wrote go back when the options are cancelled.
    std::string param = in.Path("TezParam.inx");
    EXPECT_EQ(Key(param, "Proxies", "ftpHost"), "");
    EXPECT_EQ(Key(param, "Dialer", "useDialer"), "0");
    SendMessageA(FindControlByName(main, "btnOptionsCancel"), BM_CLICK, 0, 0);
    EXPECT_EQ(Key(param, "Dialer", "useDialer"), "2");
    EXPECT_EQ(Key(param, "Proxies", "httpPort"), "80");
    EXPECT_EQ(Key(param, "Proxies", "ftpPort"), "21");   // absent before: its default
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitExit(process), 0u);
  }
}

TEST(OptionsConnection, EachTestFetchesTheAddressTheOptionsHoldThen) {
  ASSERT_GT(ServerPort(), 0) << "run under with_server.sh";
  Install in(AllFiles());
  WriteSettings(in, 0);
  CopyFileA((BinDir() + "TezHttpGet.dll").c_str(), in.Path("TezHttpGet.dll").c_str(), FALSE);
  CreateDirectoryA(in.Path("temp").c_str(), nullptr);
  std::string base = "http://127.0.0.1:" + std::to_string(ServerPort()), param = in.Path("TezParam.inx");
  WriteText(param, "[Folders]\r\ndataFolder=data\\\r\nwavFolder=wavs\\\r\ntempWavFolder=temp\\\r\n"
                   "[Links]\r\nhttpTestUrl=" + base + "/testinifile/good\r\n[Dialer]\r\nuseDialer=0\r\n");
  ControlPeer peer;
  HANDLE process = StartHalvorn(in);
  ASSERT_NE(process, nullptr);
  ProcessGuard guard(process);
  HWND main = WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PumpUntil([] { return false; }, 500);
  for (const char* variant : {"good", "badsum"}) {
    SCOPED_TRACE(variant);
    WritePrivateProfileStringA("Links", "httpTestUrl", (base + "/testinifile/" + variant).c_str(),
                               param.c_str());
    ASSERT_TRUE(OpenOptionsPages(main));
    ASSERT_TRUE(SelectOptionsPage(main, 2));
    PostMessageA(FindControlByName(main, "btnTestConnection"), BM_CLICK, 0, 0);
    std::string text;
    HWND box = WaitForMessageBox(text, 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, std::string(variant) == "good" ? "Test succeeded." : "Test failed.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }));
    SendMessageA(FindControlByName(main, "btnOptionsCancel"), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] {
      HWND channels = FindControlByName(main, "ViewChannels");
      return channels && IsWindowVisible(channels);
    }));
  }
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitExit(process), 0u);
}

TEST(OptionsConnection, DialUpPanelIsGreyedWhileATestDialsAndCancelSaysSo) {
  ASSERT_GT(ServerPort(), 0) << "run under with_server.sh";
  Install in(AllFiles());
  WriteSettings(in, 0);
  for (const char* f : {"TezHttpGet.dll", "TezRasDialer.dll"})
    CopyFileA((BinDir() + f).c_str(), in.Path(f).c_str(), FALSE);
  WriteText(in.Path("TezRasDialer.inx"), "[Entries]\r\nnames=Office\r\n");
  CreateDirectoryA(in.Path("temp").c_str(), nullptr);
  std::string base = "http://127.0.0.1:" + std::to_string(ServerPort());
  WriteText(in.Path("TezParam.inx"),
            "[Folders]\r\ndataFolder=data\\\r\nwavFolder=wavs\\\r\ntempWavFolder=temp\\\r\n"
            "[Links]\r\nhttpTestUrl=" + base + "/slow/200000?ms=100&k=500\r\n"
            "[Dialer]\r\nuseDialer=1\r\ndialerName=Office\r\nuser=me\r\n");
  ControlPeer peer;
  HANDLE process = StartHalvorn(in);
  ASSERT_NE(process, nullptr);
  ProcessGuard guard(process);
  HWND main = WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PumpUntil([] { return false; }, 500);
  ASSERT_TRUE(OpenOptionsPages(main));
  ASSERT_TRUE(SelectOptionsPage(main, 2));
  auto control = [&](const char* name) { return FindControlByName(main, name); };
  auto text = [&](const char* name) {
    char t[128] = {};
    SendMessageA(control(name), WM_GETTEXT, sizeof t, reinterpret_cast<LPARAM>(t));
    return std::string(t);
  };
  // The inside of the user box, away from its border and text.
  auto userBoxColour = [&] {
    RECT r = WindowRect(control("editOptionsUserName"));
    return ScreenPixel(r.right - 6, (r.top + r.bottom) / 2);
  };
  ASSERT_EQ(SendMessageA(control("radioDialUp"), BM_GETCHECK, 0, 0), BST_CHECKED);
  SetWindowTextA(control("editOptionsPassword"), "pw");
  SendMessageA(control("editOptionsPassword2"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("pw"));
  const COLORREF window = GetSysColor(COLOR_WINDOW), face = GetSysColor(COLOR_BTNFACE);
  ASSERT_TRUE(PumpUntil([&] { return userBoxColour() == window; }, 3000));
  PostMessageA(control("btnTestConnection"), BM_CLICK, 0, 0);
  // Dialled and fetching slowly: the dial-up panel shows as off.
  ASSERT_TRUE(PumpUntil([&] { return text("btnTestConnection") == "&Cancel"; }, 10000));
  EXPECT_TRUE(PumpUntil([&] { return userBoxColour() == face; }, 5000)) << std::hex << userBoxColour();
  EXPECT_FALSE(IsWindowEnabled(control("editOptionsUserName")));
  // Cancelled: the status says so (with a message when the fetch's stop
  // comes before the hang-up).
  PostMessageA(control("btnTestConnection"), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return text("panelDialerStatus") == "Test Cancelled"; }, 30000))
      << text("panelDialerStatus");
  std::string said;
  if (HWND box = WaitForMessageBox(said, 1000)) {
    EXPECT_EQ(said, "Test Cancelled");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }));
  }
  EXPECT_TRUE(PumpUntil([&] { return userBoxColour() == window; }, 5000)) << std::hex << userBoxColour();
  EXPECT_EQ(text("btnTestConnection"), "&Test");
  SendMessageA(control("btnOptionsCancel"), BM_CLICK, 0, 0);
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitExit(process), 0u);
}

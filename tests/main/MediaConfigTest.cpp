// The media type's configuration libraries through the library cache, on
// a real window, with the file medium's libraries; and the media type's
// picture on the options page of Halvorn.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include "HalvornRun.h"
#include "IniFiles2.h"
#include "MediaConfig.h"

namespace {

// The texts of the window's children of a class.
std::vector<std::string> Children(HWND parent, const char* cls) {
  std::vector<std::string> out;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char name[32] = {}, text[260] = {};
    GetClassNameA(c, name, sizeof name);
    GetWindowTextA(c, text, sizeof text);
    if (lstrcmpiA(name, cls) == 0) out.push_back(text);
  }
  return out;
}

}  // namespace

TEST(MediaConfig, TypesShareTheirLibraryAndSwitchWithoutUnloading) {
  ASSERT_TRUE(IniManagerLoad());
  std::string dir = GetCurrentDir();
  for (const char* dll : {"TezDiskConfig.dll", "TezDiskPlayer.dll"})
    ASSERT_TRUE(CopyFileA((BinDir() + dll).c_str(), dll, FALSE));
  CreateDirectoryA("images", nullptr);
  WriteText("images\\img3.bmp", "BM");
  WriteText("TezParam.inx",
            "[MediaTypes]\r\nimagesPath=images\\\r\n"
            "[Disk]\r\nconfigDll=TezDiskConfig.dll\r\nplayerDll=TezDiskPlayer.dll\r\n"
            "mediaLength=0\r\nnote=Recorded to disk\r\noutputFolder=c:\\out\r\nimage=disk.bmp\r\n"
            "[Disk2]\r\nconfigDll=tezdiskconfig.dll\r\nmediaLength=-5\r\nmediaUsingComPort=1\r\n"
            "mediaComPort=12\r\noutputFolder=d:\\two\r\n"
            "[Device]\r\nmediaLength=45\r\nmediaUsingComPort=1\r\nmediaComPort=3\r\n");
  HWND panel = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, 360, 80, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  TTezDllManager dlls;
  {
    TMediaConfig media(dlls);
    TMediaTypeView disk = media.ShowMediaType(dir, "Disk", panel);
    EXPECT_EQ(disk.lengthText, "Unlimited");
    EXPECT_EQ(disk.note, "Recorded to disk");
    EXPECT_EQ(disk.imagePath, dir + "\\images\\img3.bmp");  // its own picture is missing
    EXPECT_FALSE(disk.comPortVisible);
    EXPECT_EQ(Children(panel, "Edit"), (std::vector<std::string>{"c:\\out"}));

    TMediaTypeView two = media.ShowMediaType(dir, "Disk2", panel);
    EXPECT_EQ(two.lengthText, "30");
    EXPECT_TRUE(two.comPortVisible);
    EXPECT_EQ(two.comPort, 1);  // an index the list lacks
    EXPECT_EQ(Children(panel, "Edit"), (std::vector<std::string>{"d:\\two"}));
    EXPECT_EQ(dlls.Count(), 1);  // one library for both types

    // What the user typed is saved by the library into the media section.
    for (HWND c = GetWindow(panel, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      SetWindowTextA(c, "e:\\typed");
    media.SaveMediaConfigParams();
    EXPECT_EQ(TIniFile(dir + "\\TezParam.inx").ReadString("Disk2", "outputFolder", ""),
              "e:\\typed");

    TMediaTypeView device = media.ShowMediaType(dir, "Device", panel);
    EXPECT_EQ(device.comPort, 3);
    EXPECT_FALSE(media.ConfigBound());
    EXPECT_TRUE(Children(panel, "Edit").empty());
    EXPECT_NE(GetModuleHandleA("TezDiskConfig.dll"), nullptr);  // stays in the cache

    media.BindMediaConfigDll2("TezDiskPlayer.dll", dir + "\\TezParam.inx", "Disk", panel);
    EXPECT_TRUE(media.PlayerBound());
    EXPECT_EQ(Children(panel, "Static"), (std::vector<std::string>{"Disk: c:\\out"}));
    media.CloseMediaConfigDll2();
    EXPECT_TRUE(Children(panel, "Static").empty());
    EXPECT_EQ(dlls.Count(), 2);
    // A library that is not there leaves the panel empty.
    media.BindMediaConfigDll("Missing.dll", dir + "\\TezParam.inx", "Disk", panel);
    EXPECT_FALSE(media.ConfigBound());
  }
  DestroyWindow(panel);
}

namespace {

// A 24-bit bitmap file of one colour.
void WriteBitmap(const std::string& path, int width, int height, COLORREF colour) {
  int stride = (width * 3 + 3) & ~3;
  std::string pixels(static_cast<size_t>(stride) * height, '\0');
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      char* p = &pixels[static_cast<size_t>(y) * stride + x * 3];
      p[0] = static_cast<char>(GetBValue(colour));
      p[1] = static_cast<char>(GetGValue(colour));
      p[2] = static_cast<char>(GetRValue(colour));
    }
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

}  // namespace

TEST(MediaConfig, TheOptionsPageShowsTheMediaTypesPicture) {
  Install in(AllFiles());
  WriteSettings(in, 0);
  CreateDirectoryA(in.Path("images").c_str(), nullptr);
  const COLORREF own = RGB(200, 30, 40), fallback = RGB(30, 160, 60);
  WriteBitmap(in.Path("images\\disk.bmp"), 64, 48, own);
  WriteBitmap(in.Path("images\\img3.bmp"), 64, 48, fallback);
  WriteText(in.Path("TezParam.inx"),
            "[Folders]\r\ndataFolder=data\\\r\nwavFolder=wavs\\\r\n"
            "[MediaTypes]\r\ncount=2\r\nrecor001=Disk\r\nrecor002=Dev\r\n"
            "selectedMediaType=Disk\r\nimagesPath=images\\\r\n"
            "[Disk]\r\nimage=disk.bmp\r\n[Dev]\r\nimage=missing.bmp\r\n[Dialer]\r\nuseDialer=0\r\n");
  ControlPeer peer;
  HANDLE process = StartHalvorn(in);
  ASSERT_NE(process, nullptr);
  ProcessGuard guard(process);
  HWND main = WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PumpUntil([] { return false; }, 500);
  ASSERT_TRUE(OpenOptionsPages(main));
  ASSERT_TRUE(SelectOptionsPage(main, 1));
  HWND picture = FindControlByName(main, "imgMediaType");
  ASSERT_NE(picture, nullptr);
  auto centre = [&] {
    RECT r = WindowRect(picture);
    return ScreenPixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(picture) && centre() == own; }, 5000))
      << std::hex << centre();
  // A type whose picture is missing shows the common one.
  HWND list = FindControlByName(main, "ListMediaTypes");
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  EXPECT_TRUE(PumpUntil([&] { return centre() == fallback; }, 5000)) << std::hex << centre();
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitExit(process), 0u);
}

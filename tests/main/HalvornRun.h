// Running Halvorn.exe from a folder of its own, beside a window captioned
// "Brindale Control" that this test process owns, and looking at what it
// shows on the screen.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../forms/Pump.h"
#include "ControlTags.h"
#include "SysUtils.h"

// The folder of the test program, where everything built lies.
inline std::string BinDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return ExtractFilePath(path);
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

// The program folder of one run: the program, its libraries and its files.
struct Install {
  std::string dir;
  explicit Install(const std::vector<std::string>& files, const std::string& folder = "run") {
    dir = GetCurrentDir() + "\\" + folder;
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA((dir + "\\data").c_str(), nullptr);
    for (const std::string& f : files)
      CopyFileA((BinDir() + f).c_str(), (dir + "\\" + f).c_str(), FALSE);
  }
  std::string Path(const std::string& name) const { return dir + "\\" + name; }
};

inline const std::vector<std::string>& AllFiles() {
  static const std::vector<std::string> files = {
      "Halvorn.exe",        "TezIniManager.dll",  "HalvornBasket.dll",  "HalvornBasket4.dll",
      "Halvorn.dll",        "Halvorn4.dll",       "record_anim.gif",    "play_anim.gif",
      "download_anim.gif",  "connect_anim.gif"};
  return files;
}

inline std::vector<std::string> Without(const std::string& a, const std::string& b = "") {
  std::vector<std::string> out;
  for (const std::string& f : AllFiles())
    if (f != a && f != b) out.push_back(f);
  return out;
}

// The settings of a first start: the basket at (300, 200), the full window
// at (120, 100) 560 x 420, no sounds, straight glides.
inline void WriteSettings(const Install& in, int windowState = 1) {
  WriteText(in.Path("TezParam.inx"),
            "[Folders]\r\ndataFolder=data\\\r\nwavFolder=wavs\\\r\n"
            "[MediaTypes]\r\ncount=1\r\nrecor001=Disk\r\nselectedMediaType=Disk\r\n"
            "[Disk]\r\nmediaLength=45\r\n");
  WriteText(in.Path("Halvorn.inx"),
            "[Params]\r\naudioEffects=0\r\nslideNumJumps=0\r\nstartWithWindows=0\r\nwindowState=" +
                std::to_string(windowState) +
                "\r\n[DragDropSize]\r\nLeft=300\r\nTop=200\r\nWidth=87\r\nHeight=81\r\n"
                "[ViewerSize]\r\nLeft=120\r\nTop=100\r\nWidth=560\r\nHeight=420\r\n");
  WriteText(in.Path("data\\TezData.inx"),
            "[Data Types]\r\nnumberTypes=1\r\ntype1=News\r\n[News]\r\nname=News\r\n");
}

inline HANDLE StartHalvorn(const Install& in, const std::string& args = "") {
  std::string cmd = "\"" + in.Path("Halvorn.exe") + "\" " + args;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, in.dir.c_str(), &si,
                      &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

struct ProcessGuard {
  HANDLE process;
  explicit ProcessGuard(HANDLE p) : process(p) {}
  ~ProcessGuard() {
    if (!process) return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
  ProcessGuard(const ProcessGuard&) = delete;
  ProcessGuard& operator=(const ProcessGuard&) = delete;
};

inline DWORD WaitExit(HANDLE process, int ms = 30000) {
  DWORD code = 0xDEAD;
  PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, ms);
  if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  return code;
}

// The main window once it is visible.
inline HWND WaitForMainWindow(int ms = 20000) {
  HWND w = nullptr;
  PumpUntil([&] { return (w = FindWindowA("TForm1", nullptr)) != nullptr && IsWindowVisible(w); },
            ms);
  return w && IsWindowVisible(w) ? w : nullptr;
}

// The text of a message box (a dialog captioned "Brindale") once it shows.
inline HWND WaitForMessageBox(std::string& text, int ms = 20000) {
  HWND box = nullptr;
  auto textOf = [](HWND b) {
    std::string found;
    for (HWND c = GetWindow(b, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      char cls[32] = {}, t[256] = {};
      GetClassNameA(c, cls, sizeof cls);
      GetWindowTextA(c, t, sizeof t);
      if (std::string(cls) == "Static" && t[0]) found = t;
    }
    return found;
  };
  PumpUntil(
      [&] {
        box = FindWindowA("#32770", "Brindale");
        return box && IsWindowVisible(box) && !(text = textOf(box)).empty();
      },
      ms);
  return box;
}

inline RECT WindowRect(HWND w) {
  RECT r = {};
  GetWindowRect(w, &r);
  return r;
}

inline std::string RectText(HWND w) {
  RECT r = WindowRect(w);
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top) +
         (IsIconic(w) ? " minimised" : "") + (IsWindowVisible(w) ? "" : " hidden");
}

// Waits until the window stands still at the rectangle wanted.
inline bool WaitForRect(HWND w, int left, int top, int width, int height, int ms = 10000) {
  return PumpUntil(
      [&] {
        RECT r = WindowRect(w);
        return r.left == left && r.top == top && r.right - r.left == width &&
               r.bottom - r.top == height;
      },
      ms);
}

// The colour on the screen at a point.
inline COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

// The screen's pixels in a rectangle, row by row.
inline std::vector<COLORREF> ScreenPixels(const RECT& r) {
  int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<COLORREF> out;
  if (w <= 0 || h <= 0) return out;
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  uint32_t* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits),
                                 nullptr, 0);
  HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, dib);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  for (int i = 0; i < w * h; ++i)
    out.push_back(RGB((bits[i] >> 16) & 0xFF, (bits[i] >> 8) & 0xFF, bits[i] & 0xFF));
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DeleteObject(dib);
  return out;
}

inline bool Shows(const std::vector<COLORREF>& pixels, COLORREF c) {
  for (COLORREF p : pixels)
    if (p == c) return true;
  return false;
}

// The colour of a picture of a library at a point of the picture.
inline COLORREF PictureColour(const std::string& library, const char* name, int x, int y) {
  HMODULE module = LoadLibraryExA((BinDir() + library).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  COLORREF c = CLR_INVALID;
  if (bitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  if (module) FreeLibrary(module);
  return c;
}

// The screen position of a control's client point.
inline POINT ScreenPoint(HWND control, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(control, &p);
  return p;
}

// A left click at a client point of another program's control, through
// the input queue.
// Both halves carry the point, wherever the mouse was told to go since.
inline void ClickControlAt(HWND control, int x, int y) {
  POINT p = ScreenPoint(control, x, y);
  SetCursorPos(p.x, p.y);
  PumpUntil([&] {
    POINT at = {};
    HWND under = WindowFromPoint(p);
    return GetCursorPos(&at) && at.x == p.x && at.y == p.y &&
           (under == control || IsChild(control, under));
  }, 10000);
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  for (INPUT& i : click) {
    i.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    i.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  click[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
  SendInput(2, click, sizeof(INPUT));
}

// Opens the options pages with the third tool button; false when they do
// not show.
inline bool OpenOptionsPages(HWND main) {
  PumpUntil([&] { return IsWindowVisible(FindControlByName(main, "pnlMenu")); }, 30000);
  ClickControlAt(FindControlByName(main, "pnlMenu"), 8 + 60 + 13, 24 + 11);
  return PumpUntil([&] { return IsWindowVisible(FindControlByName(main, "ViewOptions")); },
                   30000);
}

// The rectangle of a tab of another program's tab control, read through
// a block of that program's memory.
inline bool TabRect(HWND tabs, int index, RECT& rect) {
  DWORD pid = 0;
  GetWindowThreadProcessId(tabs, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE);
  bool ok = remote &&
            SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote)) &&
            ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return ok;
}

// Shows the options page of that index as the user does: a click on its
// tab. False when the page shown is not that one afterwards.
inline bool SelectOptionsPage(HWND main, int index) {
  HWND tabs = FindControlByName(main, "OptionspageControl");
  RECT r = {};
  if (!tabs || !TabRect(tabs, index, r)) return false;
  ClickControlAt(tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PumpUntil([&] { return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index; }, 10000);
  PumpUntil([] { return false; }, 200);
  return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index;
}

// A hidden window of a class of this test's own, which the program finds
// by its class or caption.
inline HWND OwnWindow(const char* className, const char* caption, WNDPROC proc) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className;
  RegisterClassA(&wc);
  return CreateWindowA(className, caption, WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                       wc.hInstance, nullptr);
}

// A window captioned "Brindale Control" that notes the messages it gets.
class ControlPeer {
 public:
  ControlPeer() {
    window_ = OwnWindow("HalvornTestControl", "Brindale Control", Proc);
    Messages().clear();
  }
  ~ControlPeer() { DestroyWindow(window_); }
  static std::vector<UINT>& Messages() {
    static std::vector<UINT> m;
    return m;
  }
  static bool Got(UINT msg) {
    for (UINT m : Messages())
      if (m == msg) return true;
    return false;
  }

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_USER) Messages().push_back(msg);
    return DefWindowProcA(w, msg, wp, lp);
  }
  HWND window_;
};

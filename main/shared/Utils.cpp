#include "Utils.h"

#include <vector>

#include <winsock2.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>


#include "ExtCtrls.h"
#include "Forms.h"
#include "Registry.h"
#include "Registry2.h"
#include "StdCtrls.h"
#include "Streams.h"
#include "TezMMBut.h"

std::string RecorderStateText(int state) {
  switch (state) {
    case 0: return "Undefined";
    case 1: return "Idle";
    case 2: return "Loading";
    case 3: return "Working";
    default: return "";
  }
}

std::string MinutesSecondsText(int32_t milliseconds) {
  int32_t seconds = milliseconds / 1000;
  return Format("%2.2d:%2.2d", seconds / 60, seconds % 60);
}

std::string ProgressText(int kind, int32_t value, int32_t total) {
  switch (kind) {
    case 1:
      if (total / 1000 == 0) return IntToStr(value / 1000) + " KB";
      return IntToStr(value / 1000) + "/" + IntToStr(total / 1000) + " KB";
    case 2: {
      // Seconds to milliseconds in 64 bits: long runs must not wrap.
      auto ms = [](int32_t s) {
        int64_t v = static_cast<int64_t>(s) * 1000;
        return static_cast<int32_t>(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v);
      };
      if (total <= 0) return MinutesSecondsText(ms(value));
      return MinutesSecondsText(ms(value)) + "/" + MinutesSecondsText(ms(total));
    }
    case 3:
      if (total <= 0) return IntToStr(value);
      return IntToStr(value) + "/" + IntToStr(total);
    case 4:
      if (total < 1) return IntToStr(value) + "%";
      return IntToStr(value) + "%/" + IntToStr(total) + "%";
    default:
      return "";
  }
}

std::string ItemStatusText(int state, bool playing) {
  switch (state) {
    case 1: return "New";
    case 2: return "Processing";
    case 3: return playing ? "Playing" : "Recording";
    case 4: return playing ? "Played" : "Recorded";
    case 5: return "Old";
    case 6: return "Error";
    case 7: return "Stopped";
    case 9: return "Recorded succesfully, cached locally";
    case 10: return "Cached locally";
    case 11: return "Previously recorded, cached locally";
    case 12: return "Stopped, cached locally";
    case 13: return "Cached file has been removed";
    case 1000: return "Recorded succesfully, local file";
    case 1001: return "Previously recorded, local file";
    case 1002: return "Local file";
    case 1003: return "Stopped, local file";
    case 1004: return "Local file has been removed";
    default: return "";
  }
}

std::string SubscriptionText(int state) {
  if (state == 2) return "Subscribed";
  if (state == 3) return "On Hold";
  return "";
}

std::string TestStatusText(const MailMessage& mail) {
  std::string status;
  switch (mail.message) {
    case TEZ_MSG_EVENT:
      if (mail.lParam[0] == TEZ_EVENT_START) status += " Starting Download";
      if (mail.lParam[0] == TEZ_EVENT_STOP) status += " Finished Download";
      break;
    case TEZ_MSG_STATUS:
      status = "Downloading test data...";
      break;
    case TEZ_MSG_ERROR: {
      status = "Error";
      std::string text = mail.Text();
      if (!text.empty()) status += " " + text;
      break;
    }
    default:
      break;
  }
  return status;
}

int64_t FreeDiskSpaceMB() {
  using Fn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto fn = kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(
                         GetProcAddress(kernel, "GetDiskFreeSpaceExA")))
                   : nullptr;
  if (!fn) return -1;
  ULARGE_INTEGER avail, total, free;
  if (!fn(nullptr, &avail, &total, &free)) return -1;
  return static_cast<int64_t>((free.QuadPart + 524288) / 1048576);
}

bool IsInternetConnected() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
  std::string address;
  char name[64] = {};
  if (gethostname(name, sizeof name - 1) == 0) {
    if (hostent* host = gethostbyname(name)) {
      in_addr* last = nullptr;
      for (char** a = host->h_addr_list; a && *a; ++a) last = reinterpret_cast<in_addr*>(*a);
      if (last) address = inet_ntoa(*last);
    }
  }
  WSACleanup();
  return !address.empty() && address != "127.0.0.1";
}

void SetRecorderState(TRecorderState& record, int kind, int state) {
  record.kind = static_cast<uint8_t>(kind);
  record.state = static_cast<uint8_t>(state);
}

uint8_t PackRecorderState(const TRecorderState& record) {
  return static_cast<uint8_t>((record.kind & 0x0F) * 16 + (record.state & 0x0F));
}

TRecorderState UnpackRecorderState(uint8_t packed) {
  return TRecorderState{static_cast<uint8_t>(packed >> 4), static_cast<uint8_t>(packed & 0x0F)};
}

void CloseHelp(TForm* form) {
  if (form && FileExists("tezhelp.hlp")) WinHelpA(form->Handle(), "", HELP_QUIT, 0);
}

namespace {
std::string ReadMachineValue(const std::string& key, const std::string& name) {
  Tregistry2 reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (reg.KeyExists(key) && reg.OpenKey(key, false) && reg.ValueExists(name))
    return reg.ReadString(name);
  return "";
}
}  // namespace

std::string ProductVersion() { return ReadMachineValue("Software\\Brindale", "Version"); }

std::string ProductVersionText() { return "Brindale Media Manager, " + ProductVersion(); }

bool IsOnlineServiceClientInstalled() {
  return ReadMachineValue("Software\\America Online\\AOL\\CurrentVersion", "AppPath").size() > 3;
}

void PlaySoundFile(const std::string& fileName) {
  if (fileName.empty() || fileName.size() > 299 || !FileExists(fileName)) return;
  sndPlaySoundA(fileName.c_str(), SND_ASYNC | SND_FILENAME);
}

int ColourDepth() {
  HWND desktop = GetDesktopWindow();
  HDC dc = GetDC(desktop);
  int bits = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(desktop, dc);
  return bits;
}

std::string ScramblePassword(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size() && i < 99; ++i) {
    char c = static_cast<char>(text[i] ^ 0x9E);
    if (c == '\0') break;
    out += c;
  }
  return out;
}

bool SetAutoStart(const std::string& command, bool enable) {
  const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const char* value = "BrindaleSoftware";
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (enable) {
    if (!reg.OpenKey(key, true)) return false;
    try {
      reg.WriteString(value, command);
    } catch (const ERegistryException&) {
      return false;
    }
    return reg.ValueExists(value);
  }
  if (reg.KeyExists(key) && reg.OpenKey(key, false) && reg.ValueExists(value))
    return reg.DeleteValue(value);
  return false;
}

std::string GetField(int n, const std::string& delimiter, const std::string& text) {
  if (delimiter.empty()) return n == 0 ? text : std::string();
  size_t start = 0;
  for (int i = 0; i < n; ++i) {
    size_t p = text.find(delimiter, start);
    if (p == std::string::npos) return "";
    start = p + delimiter.size();
  }
  size_t end = text.find(delimiter, start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void EnablePanel(TWinControl* panel, bool enabled, TColor colour) {
  if (!panel) return;
  panel->SetEnabled(enabled);
  if (!panel->Caption().empty()) panel->SetFontColor(colour);
  for (int i = 0; i < panel->ControlCount(); ++i) {
    TWinControl* child = panel->Controls(i);
    if (dynamic_cast<TPanel*>(child)) {
      EnablePanel(child, enabled, colour);
      continue;
    }
    child->SetEnabled(enabled);
    if (dynamic_cast<TListControl*>(child) || dynamic_cast<TEdit*>(child)) child->SetColor(colour);
  }
}

bool IsLinkText(const std::string& text) {
  return text.find(":\\\\") != std::string::npos || text.find("://") != std::string::npos;
}

HBITMAP ChildImageHandle(TWinControl* control, int index) {
  if (!control || index < 0 || index >= control->ControlCount()) return nullptr;
  auto* image = dynamic_cast<TImage*>(control->Controls(index));
  return image ? image->BitmapHandle() : nullptr;
}

namespace {
const char* const kButtonSuffixes[] = {"1_BMP", "1HI_BMP", "2_BMP", "2HI_BMP", "3_BMP"};

// The button's pictures in the order of the suffixes.
std::vector<TBitmap*> ButtonPictures(TTezMMBut* button) {
  return {button->PicNormal(), button->PicHiLight(), button->PicPushed(),
          button->PicPushHiLight(), button->PicDisabled()};
}
}  // namespace

void LoadButtonPictures(HINSTANCE module, const std::string& baseName, TTezMMBut* button) {
  if (!button) return;
  std::vector<TBitmap*> pictures = ButtonPictures(button);
  for (int i = 0; i < 5; ++i) pictures[i]->LoadFromResourceName(module, baseName + kButtonSuffixes[i]);
  button->Invalidate();
}

TTezMMBut* CreatePositionButton(int kind, HINSTANCE module, TComponent* owner, TWinControl* parent,
                                int left, int top, bool visible, bool enabled,
                                const std::string& hint, intptr_t tag, int groupIndex) {
  const char* base = nullptr;
  switch (kind) {
    case 0: base = "HALVORN_BMP_UP"; break;
    case 1: base = "HALVORN_BMP_DOWN"; break;
    case 2: base = "HALVORN_BMP_X"; break;
    case 3: base = "HALVORN_BMP_UNDO"; break;
    case 4: base = "HALVORN_BMP_HAND"; break;
    case 5: base = "HALVORN_BMP_PENCIL"; break;
    case 6: base = "HALVORN_BMP_PLAY"; break;
    case 13: base = "HALVORN_BMP_STOP"; break;
    default: break;
  }
  auto* b = new TTezMMBut(owner);
  b->Flat = true;
  b->SetBounds(left, top, 26, 22);
  b->SetVisible(visible);
  b->SetEnabled(enabled);
  b->Hint = hint;
  b->ShowHint = !hint.empty();
  b->Tag = tag;
  b->SetGroupIndex(groupIndex);
  if (kind >= 0) {
    b->SetCaption("");
    // A picture the library lacks raises the resource error.
    if (module && base) LoadButtonPictures(module, base, b);
  }
  b->SetParent(parent);
  return b;
}

// The bindings the connection test uses: the system's remote-access
// functions, the dial-up library and the HTTP fetch plug-in. Every entry
// is looked up by name when called; a missing one does nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TezDllInitParams.h"

// The system's remote-access library, loaded when the program starts and
// freed when it ends.
namespace RasBinding {
HMODULE Module();
// -1 when the library or the entry is missing.
int32_t RasEnumEntries(void* reserved, const char* phoneBook, void* entries, DWORD* size,
                       DWORD* count);
int32_t RasGetEntryDialParams(const char* phoneBook, void* params, BOOL* hasPassword);
}  // namespace RasBinding

constexpr int kRasEntrySize = 264;  // one entry name record
constexpr int kRasDialParamsSize = 1052;

class TRasControl1 {
 public:
  // Loads the library when the path names an existing file (at most 399
  // characters).
  explicit TRasControl1(const std::string& libraryPath);
  ~TRasControl1();
  TRasControl1(const TRasControl1&) = delete;
  TRasControl1& operator=(const TRasControl1&) = delete;
  bool Loaded() const { return module_ != nullptr; }
  bool Initialize2(HWND parent, const std::string& mailslotName, TezMailHook hook,
                   int useMappedMail, int useMailslot);
  // 1 dials, 0 hangs up; -1 when dialing did not start.
  int Connect(int value);
  void SetPostStatusStrings(int value);
  int32_t RasEnumEntries(void* reserved, const char* phoneBook, void* entries, DWORD* size,
                         DWORD* count);

 private:
  HMODULE module_ = nullptr;
  char path_[400] = {};
};

class TBrindaleHttpGetInterface {
 public:
  TBrindaleHttpGetInterface();
  ~TBrindaleHttpGetInterface();
  TBrindaleHttpGetInterface(const TBrindaleHttpGetInterface&) = delete;
  TBrindaleHttpGetInterface& operator=(const TBrindaleHttpGetInterface&) = delete;
  bool Loaded() const { return module_ != nullptr; }
  void Close();
  bool Initialize2(HWND parent, const std::string& mailslotName, TezMailHook hook,
                   int useMappedMail, int useMailslot);
  void GetLink(const std::string& address, const std::string& outputFile);
  void Stop();

 private:
  HMODULE module_ = nullptr;
};

// The names of the dial-up entries of the library (or of the system when
// dialer is none); false when the listing fails.
bool ListDialUpEntries(TRasControl1* dialer, std::vector<std::string>& names);

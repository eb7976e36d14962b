#include "ConnectionBindings.h"

#include <cstring>

namespace {
template <typename T>
T Entry(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

typedef DWORD(WINAPI* TRasEnumEntriesA)(void*, const char*, void*, DWORD*, DWORD*);
typedef DWORD(WINAPI* TRasGetEntryDialParamsA)(const char*, void*, BOOL*);
typedef int(TEZAPI* TDialerInitialize2)(HWND, const char*, TezMailHook, int, int);
typedef int(TEZAPI* TDialerConnect)(int);
typedef void(TEZAPI* TDialerSetPostStatusStrings)(int);
typedef int32_t(TEZAPI* TDialerRasEnumEntries)(void*, const char*, void*, DWORD*, DWORD*);
typedef int(TEZAPI* TOperatorInitialize2)(HWND, const char*, TezMailHook, int, int);
typedef void(TEZAPI* TOperatorGetLink)(const char*, const char*);
typedef int(TEZAPI* TOperatorCall)();
}  // namespace

namespace {
// The system's remote-access library, from the program's start to its end.
struct RasLibrary {
  RasLibrary() : module(LoadLibraryA("rasapi32.dll")) {}
  ~RasLibrary() {
    if (module) FreeLibrary(module);
  }
  HMODULE module;
} rasLibrary;
}  // namespace

HMODULE RasBinding::Module() { return rasLibrary.module; }

int32_t RasBinding::RasEnumEntries(void* reserved, const char* phoneBook, void* entries,
                                   DWORD* size, DWORD* count) {
  auto f = Entry<TRasEnumEntriesA>(Module(), "RasEnumEntriesA");
  return f ? static_cast<int32_t>(f(reserved, phoneBook, entries, size, count)) : -1;
}

int32_t RasBinding::RasGetEntryDialParams(const char* phoneBook, void* params,
                                          BOOL* hasPassword) {
  auto f = Entry<TRasGetEntryDialParamsA>(Module(), "RasGetEntryDialParamsA");
  return f ? static_cast<int32_t>(f(phoneBook, params, hasPassword)) : -1;
}

TRasControl1::TRasControl1(const std::string& libraryPath) {
  if (libraryPath.empty() || libraryPath.size() >= sizeof path_) return;
  memcpy(path_, libraryPath.c_str(), libraryPath.size() + 1);
  DWORD attributes = GetFileAttributesA(path_);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  module_ = LoadLibraryA(path_);
}

TRasControl1::~TRasControl1() {
  if (module_) FreeLibrary(module_);
}

bool TRasControl1::Initialize2(HWND parent, const std::string& mailslotName, TezMailHook hook,
                               int useMappedMail, int useMailslot) {
  auto f = Entry<TDialerInitialize2>(module_, "TezDialer_Initialize2");
  return f && f(parent, mailslotName.c_str(), hook, useMappedMail, useMailslot) == 1;
}

int TRasControl1::Connect(int value) {
  auto f = Entry<TDialerConnect>(module_, "TezDialer_Connect");
  return f ? f(value) : -1;
}

void TRasControl1::SetPostStatusStrings(int value) {
  if (auto f = Entry<TDialerSetPostStatusStrings>(module_, "TezDialer_SetPostStatusStrings"))
    f(value);
}

int32_t TRasControl1::RasEnumEntries(void* reserved, const char* phoneBook, void* entries,
                                     DWORD* size, DWORD* count) {
  auto f = Entry<TDialerRasEnumEntries>(module_, "TezDialer_RasEnumEntries");
  return f ? f(reserved, phoneBook, entries, size, count) : -1;
}

TBrindaleHttpGetInterface::TBrindaleHttpGetInterface() {
  module_ = LoadLibraryA("TezHttpGet.dll");
}

TBrindaleHttpGetInterface::~TBrindaleHttpGetInterface() {
  if (!module_) return;
  Close();
  FreeLibrary(module_);
}

void TBrindaleHttpGetInterface::Close() {
  try {
    // No library of the system exports it: the call is skipped then.
    if (auto f = Entry<TOperatorCall>(module_, "TezHttpGetInterface_Close")) f();
  } catch (...) {
  }
}

bool TBrindaleHttpGetInterface::Initialize2(HWND parent, const std::string& mailslotName,
                                            TezMailHook hook, int useMappedMail,
                                            int useMailslot) {
  try {
    auto f = Entry<TOperatorInitialize2>(module_, "TezItemOperator_Initialize2");
    return f && f(parent, mailslotName.c_str(), hook, useMappedMail, useMailslot) == 1;
  } catch (...) {
    return false;
  }
}

void TBrindaleHttpGetInterface::GetLink(const std::string& address, const std::string& outputFile) {
  try {
    if (auto f = Entry<TOperatorGetLink>(module_, "TezItemOperator_GetLink"))
      f(address.c_str(), outputFile.c_str());
  } catch (...) {
  }
}

void TBrindaleHttpGetInterface::Stop() {
  try {
    if (auto f = Entry<TOperatorCall>(module_, "TezItemOperator_Stop")) f();
  } catch (...) {
  }
}

bool ListDialUpEntries(TRasControl1* dialer, std::vector<std::string>& names) {
  names.clear();
  const DWORD kEntries = 100;
  std::vector<char> buffer(kEntries * kRasEntrySize, '\0');
  DWORD first = kRasEntrySize;
  memcpy(buffer.data(), &first, 4);
  DWORD size = static_cast<DWORD>(buffer.size()), count = 0;
  int32_t result = dialer ? dialer->RasEnumEntries(nullptr, nullptr, buffer.data(), &size, &count)
                          : RasBinding::RasEnumEntries(nullptr, nullptr, buffer.data(), &size,
                                                       &count);
  if (result != 0) return false;
  if (count > kEntries) count = kEntries;
  for (DWORD i = 0; i < count; ++i) {
    const char* name = buffer.data() + i * kRasEntrySize + 4;
    names.emplace_back(name, strnlen(name, kRasEntrySize - 4));
  }
  return true;
}

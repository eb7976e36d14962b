#include "WSocketApi.h"

namespace ws {
namespace {

const char kLibName[] = "wsock32.dll";

const char* const kNames[] = {
#define BRINDALE_WSOCK_NAME(name, ret, params) #name,
    BRINDALE_WSOCK_FUNCTIONS(BRINDALE_WSOCK_NAME)
#undef BRINDALE_WSOCK_NAME
};
static_assert(sizeof(kNames) / sizeof(kNames[0]) == static_cast<size_t>(Fn::Count),
              "one name per entry");

struct Library {
  Library() { InitializeCriticalSection(&lock); }
  CRITICAL_SECTION lock;
  HMODULE module = nullptr;
  bool started = false;
  FARPROC procs[static_cast<size_t>(Fn::Count)] = {};
  int components = 0;
};

Library& Lib() {
  static Library lib;
  return lib;
}

struct Locked {
  Locked() { EnterCriticalSection(&Lib().lock); }
  ~Locked() { LeaveCriticalSection(&Lib().lock); }
};

FARPROC Lookup(Library& lib, Fn fn) {
  size_t i = static_cast<size_t>(fn);
  if (!lib.procs[i]) {
    lib.procs[i] = GetProcAddress(lib.module, kNames[i]);
    if (!lib.procs[i])
      throw ESocketException(std::string("Procedure ") + kNames[i] + " not found in " + kLibName +
                             " Error #" + IntToStr(GetLastError()));
  }
  return lib.procs[i];
}

void Unload(Library& lib) {
  if (!lib.module) return;
  if (lib.started && lib.procs[static_cast<size_t>(Fn::WSACleanup)])
    reinterpret_cast<WSACleanup_fn>(
        reinterpret_cast<void*>(lib.procs[static_cast<size_t>(Fn::WSACleanup)]))();
  FreeLibrary(lib.module);
  lib.module = nullptr;
  lib.started = false;
  for (FARPROC& p : lib.procs) p = nullptr;
}

}  // namespace

FARPROC Proc(Fn fn) {
  Locked guard;
  Library& lib = Lib();
  if (!lib.module) {
    lib.module = LoadLibraryA(kLibName);
    if (!lib.module)
      throw ESocketException(std::string("Unable to load ") + kLibName + " Error #" +
                             IntToStr(GetLastError()));
  }
  if (!lib.started) {
    try {
      Lookup(lib, Fn::WSACleanup);
      WSADATA data;
      int rc = reinterpret_cast<WSAStartup_fn>(
          reinterpret_cast<void*>(Lookup(lib, Fn::WSAStartup)))(MAKEWORD(1, 1), &data);
      if (rc != 0) throw ESocketException(Format("%s: WSAStartup error #%d", kLibName, rc));
    } catch (...) {
      Unload(lib);
      throw;
    }
    lib.started = true;
  }
  return Lookup(lib, fn);
}

FARPROC ReplaceProc(Fn fn, FARPROC proc) {
  FARPROC old = Proc(fn);
  Locked guard;
  Lib().procs[static_cast<size_t>(fn)] = proc;
  return old;
}

void ComponentCreated() {
  Locked guard;
  ++Lib().components;
}

void ComponentDestroyed() {
  Locked guard;
  Library& lib = Lib();
  if (lib.components > 0 && --lib.components == 0) Unload(lib);
}

bool Loaded() {
  Locked guard;
  return Lib().module != nullptr;
}

}  // namespace ws

std::string WSocketErrorDesc(int error) {
  switch (error) {
    case 0: return "No Error";
    case 10004: return "Interrupted system call";
    case 10009: return "Bad file number";
    case 10013: return "Permission denied";
    case 10014: return "Bad address";
    case 10022: return "Invalid argument";
    case 10024: return "Too many open files";
    case 10035: return "Operation would block";
    case 10036: return "Operation now in progress";
    case 10037: return "Operation already in progress";
    case 10038: return "Socket operation on non-socket";
    case 10039: return "Destination address required";
    case 10040: return "Message too long";
    case 10041: return "Protocol wrong type for socket";
    case 10042: return "Protocol not available";
    case 10043: return "Protocol not supported";
    case 10044: return "Socket type not supported";
    case 10045: return "Operation not supported on socket";
    case 10046: return "Protocol family not supported";
    case 10047: return "Address family not supported by protocol family";
    case 10048: return "Address already in use";
    case 10049: return "Address not available";
    case 10050: return "Network is down";
    case 10051: return "Network is unreachable";
    case 10052: return "Network dropped connection on reset";
    case 10053: return "Connection aborted";
    case 10054: return "Connection reset by peer";
    case 10055: return "No buffer space available";
    case 10056: return "Socket is already connected";
    case 10057: return "Socket is not connected";
    case 10058: return "Can't send after socket shutdown";
    case 10059: return "Too many references: can't splice";
    case 10060: return "Connection timed out";
    case 10061: return "Connection refused";
    case 10062: return "Too many levels of symbolic links";
    case 10063: return "File name too long";
    case 10064: return "Host is down";
    case 10065: return "No route to host";
    case 10066: return "Directory not empty";
    case 10067: return "Too many processes";
    case 10068: return "Too many users";
    case 10069: return "Disc quota exceeded";
    case 10070: return "Stale NFS file handle";
    case 10071: return "Too many levels of remote in path";
    case 10091: return "Network sub-system is unusable";
    case 10092: return "WinSock DLL cannot support this application";
    case 10093: return "WinSock not initialized";
    case 11001: return "Host not found";
    case 11002: return "Non-authoritative host not found";
    case 11003: return "Non-recoverable error";
    case 11004: return "No Data";
    default: return "Not a WinSock error";
  }
}
